// Colour conversion of full-resolution rows to the DIB's blue, green, red
// order. YCbCr follows JFIF (R = Y + 1.402 Cr', G = Y - 0.34414 Cb' -
// 0.71414 Cr', B = Y + 1.772 Cb', with Cb' = Cb - 128) in 16-bit fixed
// point, each term rounded once. CMYK is Adobe's inverted form (255 = no
// ink): R = C * K / 255, rounded. YCCK is YCbCr of 255 - C, 255 - M,
// 255 - Y, with K as in CMYK.
#pragma once

#include <cstdint>

namespace imglib::jpeg {

void YccToBgrScalar(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int n, uint8_t* bgr);
#ifdef __SSE2__
void YccToBgrSse2(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int n, uint8_t* bgr);
#endif
inline void YccToBgr(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int n, uint8_t* bgr) {
#ifdef __SSE2__
    YccToBgrSse2(y, cb, cr, n, bgr);
#else
    YccToBgrScalar(y, cb, cr, n, bgr);
#endif
}

void RgbToBgr(const uint8_t* r, const uint8_t* g, const uint8_t* b, int n, uint8_t* bgr);
void CmykToBgr(const uint8_t* c, const uint8_t* m, const uint8_t* y, const uint8_t* k, int n, uint8_t* bgr);
void YcckToBgr(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, const uint8_t* k, int n, uint8_t* bgr);

}  // namespace imglib::jpeg
