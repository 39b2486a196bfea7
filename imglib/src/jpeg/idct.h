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

namespace imglib::jpeg {

// coef: 64 quantised coefficients, natural order; quant: the table.
// Writes 8 rows of 8 samples at out, `stride` bytes apart.
void IdctScalar(const int16_t* coef, const int16_t* quant, uint8_t* out, size_t stride);
#ifdef __SSE2__
void IdctSse2(const int16_t* coef, const int16_t* quant, uint8_t* out, size_t stride);
#endif

// A block whose only non-zero coefficient is DC is flat: the same value
// the full transform gives.
void IdctDcOnly(int dc, int q, uint8_t* out, size_t stride);

inline void Idct(const int16_t* coef, const int16_t* quant, uint8_t* out, size_t stride) {
#ifdef __SSE2__
    IdctSse2(coef, quant, out, stride);
#else
    IdctScalar(coef, quant, out, stride);
#endif
}

}  // namespace imglib::jpeg
