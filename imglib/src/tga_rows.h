// Row converters from TGA pixel layouts to DIB rows (8-bit indices or
// 24-bit BGR). Each handles one whole row; the caller has proven that both
// rows hold `width` pixels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imglib {

// Colour composited over the black backdrop: round(c * a / 255).
inline uint8_t OverBlack(unsigned c, unsigned a) {
    unsigned t = c * a + 128;
    return static_cast<uint8_t>((t + (t >> 8)) >> 8);
}

// 5-bit channel to 8 bits, the low bits repeating the high ones.
inline uint8_t Expand5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }

// Index bytes through `lut` (256 entries) into an 8-bit row.
void TgaIndexRow(const uint8_t* src, uint8_t* dst, size_t width, const uint8_t* lut);
// 16-bit indices through a BGR map of `count` entries starting at `first`;
// indices outside it draw black.
void TgaIndex16Row(const uint8_t* src, uint8_t* dst, size_t width, const uint8_t* bgrMap, unsigned first,
                   unsigned count);
// Grey then alpha into an 8-bit grey row; alpha ignored when `alpha` is false.
void TgaGreyAlphaRow(const uint8_t* src, uint8_t* dst, size_t width, bool alpha);
void TgaRgb16Row(const uint8_t* src, uint8_t* dst, size_t width);
void TgaBgraRow(const uint8_t* src, uint8_t* dst, size_t width, bool alpha);
// Mirrors a row of `width` pixels of `bytes` bytes each in place.
void MirrorRow(uint8_t* row, size_t width, int bytes);

}  // namespace imglib
