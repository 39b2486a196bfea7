#include "jpeg/idct.h"

#include <cstring>

#include "jpeg/markers.h"

#include "jpeg/simd.h"

namespace imglib::jpeg {
namespace {

// The factorisation's constants, cos terms in 13-bit fixed point, folded
// into one multiplier per input (even part: inputs 2 and 6; odd part:
// inputs 1, 3, 5, 7 for each of the four odd outputs).
constexpr int kFix0541 = 4433;                // 0.541196100
constexpr int kEven2a = 4433 + 6270;          // 0.541196100 + 0.765366865
constexpr int kEven2b = 4433 - 15137;         // 0.541196100 - 1.847759065
constexpr int kScale = 1 << 13;
// odd output o = sum of in[1,3,5,7] * kOdd[o][*]
constexpr int kOdd[4][4] = {
    {2260, -6436, 9633, -11363},  // paired with the even sum for rows 3 and 4
    {6437, -11362, 2261, 9633},   // rows 2 and 5
    {9633, -2259, -11362, -6436},  // rows 1 and 6
    {11363, 9633, 6437, 2260},    // rows 0 and 7
};

int ClampCoef(int v) { return v < -kCoefLimit ? -kCoefLimit : v > kCoefLimit ? kCoefLimit : v; }
uint8_t ClampSample(int v) {
    v += 128;
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// One 1-D transform of x[0..7] (stride apart) into eight 32-bit sums,
// before the final rounding shift.
void Transform1D(const int* x, int stride, int32_t* out, int bias) {
    int32_t in0 = x[0], in1 = x[stride], in2 = x[2 * stride], in3 = x[3 * stride];
    int32_t in4 = x[4 * stride], in5 = x[5 * stride], in6 = x[6 * stride], in7 = x[7 * stride];
    int32_t t0 = (in0 + in4) * kScale + bias;
    int32_t t1 = (in0 - in4) * kScale + bias;
    int32_t e3 = in2 * kEven2a + in6 * kFix0541;
    int32_t e2 = in2 * kFix0541 + in6 * kEven2b;
    int32_t t10 = t0 + e3, t13 = t0 - e3, t11 = t1 + e2, t12 = t1 - e2;
    int32_t o[4];
    for (int i = 0; i < 4; ++i)
        o[i] = in1 * kOdd[i][0] + in3 * kOdd[i][1] + in5 * kOdd[i][2] + in7 * kOdd[i][3];
    out[0] = t10 + o[3];
    out[7] = t10 - o[3];
    out[1] = t11 + o[2];
    out[6] = t11 - o[2];
    out[2] = t12 + o[1];
    out[5] = t12 - o[1];
    out[3] = t13 + o[0];
    out[4] = t13 - o[0];
}

}  // namespace

void DequantizeScalar(const int16_t* coef, const int16_t* quant, int16_t* out) {
    for (int i = 0; i < 64; ++i) out[i] = DequantizeOne(coef[i], quant[i]);
}

int BlockShape(const int16_t* in) {
    int outer = 0, inner = 0;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            if (r >= 4 || c >= 4) outer |= in[r * 8 + c];
            else if (r | c) inner |= in[r * 8 + c];
        }
    return outer ? 64 : inner ? 10 : 1;
}

void IdctScalar(const int16_t* coef, uint8_t* out, size_t stride) {
    int in[64], ws[64];
    for (int i = 0; i < 64; ++i) in[i] = coef[i];
    // Columns: keep two fraction bits (shift by 13 - 2).
    for (int c = 0; c < 8; ++c) {
        int32_t sums[8];
        Transform1D(in + c, 8, sums, 1 << 10);
        for (int r = 0; r < 8; ++r) ws[r * 8 + c] = ClampCoef(sums[r] >> 11);
    }
    // Rows: drop the 13 constant bits, the 2 fraction bits and the 3 bits
    // of the transform's gain of 8.
    for (int r = 0; r < 8; ++r) {
        int32_t sums[8];
        Transform1D(ws + r * 8, 1, sums, 1 << 17);
        uint8_t* o = out + r * stride;
        for (int c = 0; c < 8; ++c) o[c] = ClampSample(sums[c] >> 18);
    }
}

void IdctDcOnly(int dc, uint8_t* out, size_t stride) {
    int w = ClampCoef(dc * 4);
    uint8_t v = ClampSample((w + 16) >> 5);
    for (int r = 0; r < 8; ++r) std::memset(out + r * stride, v, 8);
}

#ifdef __SSE2__
namespace {


// 1-D transform on eight lanes: x[i] holds input i for eight columns.
// Returns the eight outputs as 32-bit sums (lo: lanes 0-3, hi: 4-7),
// rounded and shifted by `shift`.
template <int kShift>
inline void Transform1DSse2(const __m128i x[8], __m128i outLo[8], __m128i outHi[8]) {
    const __m128i bias = _mm_set1_epi32(1 << (kShift - 1));
    // Even part.
    __m128i p04lo = _mm_unpacklo_epi16(x[0], x[4]), p04hi = _mm_unpackhi_epi16(x[0], x[4]);
    __m128i p26lo = _mm_unpacklo_epi16(x[2], x[6]), p26hi = _mm_unpackhi_epi16(x[2], x[6]);
    const __m128i kSum = Pair(kScale, kScale), kDiff = Pair(kScale, -kScale);
    const __m128i kE3 = Pair(kEven2a, kFix0541), kE2 = Pair(kFix0541, kEven2b);
    __m128i t0lo = _mm_add_epi32(_mm_madd_epi16(p04lo, kSum), bias);
    __m128i t0hi = _mm_add_epi32(_mm_madd_epi16(p04hi, kSum), bias);
    __m128i t1lo = _mm_add_epi32(_mm_madd_epi16(p04lo, kDiff), bias);
    __m128i t1hi = _mm_add_epi32(_mm_madd_epi16(p04hi, kDiff), bias);
    __m128i e3lo = _mm_madd_epi16(p26lo, kE3), e3hi = _mm_madd_epi16(p26hi, kE3);
    __m128i e2lo = _mm_madd_epi16(p26lo, kE2), e2hi = _mm_madd_epi16(p26hi, kE2);
    __m128i t10lo = _mm_add_epi32(t0lo, e3lo), t10hi = _mm_add_epi32(t0hi, e3hi);
    __m128i t13lo = _mm_sub_epi32(t0lo, e3lo), t13hi = _mm_sub_epi32(t0hi, e3hi);
    __m128i t11lo = _mm_add_epi32(t1lo, e2lo), t11hi = _mm_add_epi32(t1hi, e2hi);
    __m128i t12lo = _mm_sub_epi32(t1lo, e2lo), t12hi = _mm_sub_epi32(t1hi, e2hi);
    // Odd part.
    __m128i p13lo = _mm_unpacklo_epi16(x[1], x[3]), p13hi = _mm_unpackhi_epi16(x[1], x[3]);
    __m128i p57lo = _mm_unpacklo_epi16(x[5], x[7]), p57hi = _mm_unpackhi_epi16(x[5], x[7]);
    __m128i olo[4], ohi[4];
    for (int i = 0; i < 4; ++i) {
        const __m128i a = Pair(kOdd[i][0], kOdd[i][1]), b = Pair(kOdd[i][2], kOdd[i][3]);
        olo[i] = _mm_add_epi32(_mm_madd_epi16(p13lo, a), _mm_madd_epi16(p57lo, b));
        ohi[i] = _mm_add_epi32(_mm_madd_epi16(p13hi, a), _mm_madd_epi16(p57hi, b));
    }
    const __m128i* evLo[4] = {&t10lo, &t11lo, &t12lo, &t13lo};
    const __m128i* evHi[4] = {&t10hi, &t11hi, &t12hi, &t13hi};
    for (int i = 0; i < 4; ++i) {
        outLo[i] = _mm_srai_epi32(_mm_add_epi32(*evLo[i], olo[3 - i]), kShift);
        outHi[i] = _mm_srai_epi32(_mm_add_epi32(*evHi[i], ohi[3 - i]), kShift);
        outLo[7 - i] = _mm_srai_epi32(_mm_sub_epi32(*evLo[i], olo[3 - i]), kShift);
        outHi[7 - i] = _mm_srai_epi32(_mm_sub_epi32(*evHi[i], ohi[3 - i]), kShift);
    }
}

inline void Transpose8x8(__m128i r[8]) {
    __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
    __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
    __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
    __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
    __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    r[0] = _mm_unpacklo_epi64(b0, b4);
    r[1] = _mm_unpackhi_epi64(b0, b4);
    r[2] = _mm_unpacklo_epi64(b1, b5);
    r[3] = _mm_unpackhi_epi64(b1, b5);
    r[4] = _mm_unpacklo_epi64(b2, b6);
    r[5] = _mm_unpackhi_epi64(b2, b6);
    r[6] = _mm_unpacklo_epi64(b3, b7);
    r[7] = _mm_unpackhi_epi64(b3, b7);
}

// The sparse form of Transform1DSse2: inputs 4..7 are zero.
template <int kShift>
inline void Transform1DSparseSse2(const __m128i x[8], __m128i outLo[8], __m128i outHi[8]) {
    const __m128i bias = _mm_set1_epi32(1 << (kShift - 1));
    __m128i p02lo = _mm_unpacklo_epi16(x[0], x[2]), p02hi = _mm_unpackhi_epi16(x[0], x[2]);
    __m128i p13lo = _mm_unpacklo_epi16(x[1], x[3]), p13hi = _mm_unpackhi_epi16(x[1], x[3]);
    // Even sums t10, t11, t12, t13 = in0 * 2^13 +- in2 * (e3 or e2).
    const __m128i ke[4] = {Pair(kScale, kEven2a), Pair(kScale, kFix0541), Pair(kScale, -kFix0541),
                           Pair(kScale, -kEven2a)};
    for (int i = 0; i < 4; ++i) {
        const __m128i ko = Pair(kOdd[3 - i][0], kOdd[3 - i][1]);
        __m128i elo = _mm_add_epi32(_mm_madd_epi16(p02lo, ke[i]), bias);
        __m128i ehi = _mm_add_epi32(_mm_madd_epi16(p02hi, ke[i]), bias);
        __m128i olo = _mm_madd_epi16(p13lo, ko), ohi = _mm_madd_epi16(p13hi, ko);
        outLo[i] = _mm_srai_epi32(_mm_add_epi32(elo, olo), kShift);
        outHi[i] = _mm_srai_epi32(_mm_add_epi32(ehi, ohi), kShift);
        outLo[7 - i] = _mm_srai_epi32(_mm_sub_epi32(elo, olo), kShift);
        outHi[7 - i] = _mm_srai_epi32(_mm_sub_epi32(ehi, ohi), kShift);
    }
}

template <bool kSparse>
inline void IdctSse2Impl(const int16_t* coef, uint8_t* out, size_t stride) {
    const __m128i lim = _mm_set1_epi16(kCoefLimit), nlim = _mm_set1_epi16(-kCoefLimit);
    __m128i x[8];
    for (int r = 0; r < 8; ++r) x[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + 8 * r));
    __m128i lo[8], hi[8];
    if (kSparse) Transform1DSparseSse2<11>(x, lo, hi);
    else Transform1DSse2<11>(x, lo, hi);
    for (int r = 0; r < 8; ++r) x[r] = _mm_max_epi16(_mm_min_epi16(_mm_packs_epi32(lo[r], hi[r]), lim), nlim);
    Transpose8x8(x);
    // Columns 4..7 of the input were zero, so after the transpose inputs 4..7 are.
    if (kSparse) Transform1DSparseSse2<18>(x, lo, hi);
    else Transform1DSse2<18>(x, lo, hi);
    // x[c] lane r is now output (row r, column c): pack, then transpose.
    for (int c = 0; c < 8; ++c) x[c] = _mm_packs_epi32(lo[c], hi[c]);
    Transpose8x8(x);
    const __m128i center = _mm_set1_epi8(static_cast<char>(0x80));
    for (int r = 0; r < 8; r += 2) {
        __m128i b = _mm_xor_si128(_mm_packs_epi16(x[r], x[r + 1]), center);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + r * stride), b);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (r + 1) * stride), _mm_srli_si128(b, 8));
    }
}

}  // namespace

void IdctSse2(const int16_t* in, uint8_t* out, size_t stride) { IdctSse2Impl<false>(in, out, stride); }

void DequantizeSse2(const int16_t* coef, const int16_t* quant, int16_t* out) {
    const __m128i lim = _mm_set1_epi16(kCoefLimit), nlim = _mm_set1_epi16(-kCoefLimit);
    for (int r = 0; r < 8; ++r) {
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + 8 * r));
        __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + 8 * r));
        __m128i lo = _mm_mullo_epi16(c, q), hi = _mm_mulhi_epi16(c, q);
        __m128i p = _mm_packs_epi32(_mm_unpacklo_epi16(lo, hi), _mm_unpackhi_epi16(lo, hi));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * r), _mm_max_epi16(_mm_min_epi16(p, lim), nlim));
    }
}
void IdctSse2Sparse(const int16_t* in, uint8_t* out, size_t stride) { IdctSse2Impl<true>(in, out, stride); }
#endif

}  // namespace imglib::jpeg
