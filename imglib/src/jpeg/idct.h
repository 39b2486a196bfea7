// Dequantisation and the accurate integer inverse DCT: the scaled
// Loeffler-Ligtenberg-Moschytz factorisation with 13-bit constants, two
// passes (columns keep 2 extra bits), rounding, and the level shift with
// clamping to 0..255. The coefficient products are written out as the
// linear combination of the inputs that the factorisation computes, so
// the scalar and SSE2 versions agree bit for bit; dequantised inputs and
// first-pass outputs are held to +-kCoefLimit so no 32-bit sum overflows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/markers.h"

namespace imglib::jpeg {

// coef * quant for each of the 64 coefficients, held to +-kCoefLimit.
void DequantizeScalar(const int16_t* coef, const int16_t* quant, int16_t* out);
#ifdef __SSE2__
void DequantizeSse2(const int16_t* coef, const int16_t* quant, int16_t* out);
#endif
inline void Dequantize(const int16_t* coef, const int16_t* quant, int16_t* out) {
#ifdef __SSE2__
    DequantizeSse2(coef, quant, out);
#else
    DequantizeScalar(coef, quant, out);
#endif
}
// The `end` Idct wants for a block: 1 when only DC is non-zero, 10 when
// everything non-zero lies in the top-left 4x4, else 64.
int BlockShape(const int16_t* in);
inline int16_t DequantizeOne(int coef, int quant) {
    int v = coef * quant;
    return static_cast<int16_t>(v < -kCoefLimit ? -kCoefLimit : v > kCoefLimit ? kCoefLimit : v);
}

// in: 64 dequantised coefficients, natural order. Writes 8 rows of 8
// samples at out, `stride` bytes apart.
void IdctScalar(const int16_t* in, uint8_t* out, size_t stride);
#ifdef __SSE2__
void IdctSse2(const int16_t* in, uint8_t* out, size_t stride);
// The same for a block whose non-zero coefficients all lie in the top-left
// 4x4 (the first ten in zig-zag order always do): half the arithmetic.
void IdctSse2Sparse(const int16_t* in, uint8_t* out, size_t stride);
#endif

// A block whose only non-zero coefficient is DC (dequantised) is flat: the
// same value the full transform gives.
void IdctDcOnly(int dc, uint8_t* out, size_t stride);

// `end`: one past the zig-zag index of the last non-zero coefficient (the
// first ten lie in the top-left 4x4), or BlockShape's answer.
inline void Idct(const int16_t* in, int end, uint8_t* out, size_t stride) {
    if (end <= 1) return IdctDcOnly(in[0], out, stride);
#ifdef __SSE2__
    if (end <= 10) return IdctSse2Sparse(in, out, stride);
    IdctSse2(in, out, stride);
#else
    IdctScalar(in, out, stride);
#endif
}

}  // namespace imglib::jpeg
