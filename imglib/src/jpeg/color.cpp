#include "jpeg/color.h"

#include "jpeg/simd.h"

namespace imglib::jpeg {
namespace {

// The JFIF factors in 16-bit fixed point, rounded to nearest.
constexpr int kCrR = 91881;   // 1.40200
constexpr int kCbB = 116130;  // 1.77200
constexpr int kCrG = 46802;   // 0.71414
constexpr int kCbG = 22554;   // 0.34414
constexpr int kHalf = 1 << 15;

struct YccTables {
    int crR[256], cbB[256], crG[256], cbG[256];
    YccTables() {
        for (int i = 0; i < 256; ++i) {
            int x = i - 128;
            crR[i] = (kCrR * x + kHalf) >> 16;
            cbB[i] = (kCbB * x + kHalf) >> 16;
            crG[i] = -kCrG * x;
            cbG[i] = -kCbG * x + kHalf;
        }
    }
};

const YccTables& Tables() {
    static const YccTables t;
    return t;
}

inline uint8_t Clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// c * k / 255 rounded to nearest; the product never lies exactly halfway.
inline uint8_t MulDiv255(int c, int k) { return static_cast<uint8_t>((c * k + 127) / 255); }

inline void YccPixel(const YccTables& t, int y, int cb, int cr, uint8_t* r, uint8_t* g, uint8_t* b) {
    *r = Clamp(y + t.crR[cr]);
    *g = Clamp(y + ((t.cbG[cb] + t.crG[cr]) >> 16));
    *b = Clamp(y + t.cbB[cb]);
}

}  // namespace

void YccToBgrScalar(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int n, uint8_t* bgr) {
    const YccTables& t = Tables();
    for (int i = 0; i < n; ++i, bgr += 3) YccPixel(t, y[i], cb[i], cr[i], &bgr[2], &bgr[1], &bgr[0]);
}

void RgbToBgr(const uint8_t* r, const uint8_t* g, const uint8_t* b, int n, uint8_t* bgr) {
    for (int i = 0; i < n; ++i, bgr += 3) {
        bgr[0] = b[i];
        bgr[1] = g[i];
        bgr[2] = r[i];
    }
}

void CmykToBgr(const uint8_t* c, const uint8_t* m, const uint8_t* y, const uint8_t* k, int n, uint8_t* bgr) {
    for (int i = 0; i < n; ++i, bgr += 3) {
        bgr[0] = MulDiv255(y[i], k[i]);
        bgr[1] = MulDiv255(m[i], k[i]);
        bgr[2] = MulDiv255(c[i], k[i]);
    }
}

void YcckToBgr(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, const uint8_t* k, int n, uint8_t* bgr) {
    const YccTables& t = Tables();
    for (int i = 0; i < n; ++i, bgr += 3) {
        uint8_t r, g, b;
        YccPixel(t, y[i], cb[i], cr[i], &r, &g, &b);
        bgr[0] = MulDiv255(255 - b, k[i]);
        bgr[1] = MulDiv255(255 - g, k[i]);
        bgr[2] = MulDiv255(255 - r, k[i]);
    }
}

#ifdef __SSE2__
namespace {


// round(x * k / 65536) for |x| <= 128, |k| < 32768 in one 16-bit multiply:
// the high half of (4x * k) is floor(4v) for v = x * k / 65536, and
// floor((floor(4v) + 2) / 4) = floor(v + 1/2).
inline __m128i MulRound(__m128i x, int k) {
    return _mm_srai_epi16(_mm_add_epi16(_mm_mulhi_epi16(_mm_slli_epi16(x, 2), _mm_set1_epi16(int16_t(k))),
                                        _mm_set1_epi16(2)),
                          2);
}

// Eight pixels: y, cb', cr' as 16-bit lanes -> r, g, b (16-bit, unclamped).
// The factors above 1 split off their whole part so the rest fits the
// 16-bit multipliers; the sums are the same integers as the tables'.
inline void Ycc8(__m128i y, __m128i cb, __m128i cr, __m128i* r, __m128i* g, __m128i* b) {
    // 91881 = 65536 + 26345; 116130 = 131072 - 14942; -46802 = -65536 + 18734.
    *r = _mm_add_epi16(_mm_add_epi16(y, cr), MulRound(cr, kCrR - 65536));
    *b = _mm_add_epi16(_mm_add_epi16(y, _mm_add_epi16(cb, cb)), MulRound(cb, kCbB - 131072));
    // Green has two products under one rounding: 32-bit sums.
    __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi16(cb, cr), Pair(-kCbG, 65536 - kCrG));
    __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi16(cb, cr), Pair(-kCbG, 65536 - kCrG));
    const __m128i half = _mm_set1_epi32(kHalf);
    lo = _mm_srai_epi32(_mm_add_epi32(lo, half), 16);
    hi = _mm_srai_epi32(_mm_add_epi32(hi, half), 16);
    *g = _mm_add_epi16(_mm_sub_epi16(y, cr), _mm_packs_epi32(lo, hi));
}

// Four BGR0 pixels (one per 32-bit lane) -> 12 bytes at out, plus two
// bytes of junk after them that the next pixels overwrite.
inline void Store4(__m128i v, uint8_t* out) {
    const __m128i keep0 = _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF);
    const __m128i keep1 = _mm_set_epi32(0xFFFF, static_cast<int>(0xFF000000u), 0xFFFF, static_cast<int>(0xFF000000u));
    __m128i t = _mm_or_si128(_mm_and_si128(v, keep0), _mm_and_si128(_mm_srli_epi64(v, 8), keep1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), t);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 6), _mm_unpackhi_epi64(t, t));
}

// Sixteen pixels of blue, green, red bytes -> 48 bytes of BGR (and two
// bytes beyond, see Store4).
inline void StoreBgr16(__m128i b, __m128i g, __m128i r, uint8_t* out) {
    const __m128i zero = _mm_setzero_si128();
    __m128i bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
    __m128i r0Lo = _mm_unpacklo_epi8(r, zero), r0Hi = _mm_unpackhi_epi8(r, zero);
    Store4(_mm_unpacklo_epi16(bgLo, r0Lo), out);
    Store4(_mm_unpackhi_epi16(bgLo, r0Lo), out + 12);
    Store4(_mm_unpacklo_epi16(bgHi, r0Hi), out + 24);
    Store4(_mm_unpackhi_epi16(bgHi, r0Hi), out + 36);
}

}  // namespace

void YccToBgrSse2(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int n, uint8_t* bgr) {
    const __m128i zero = _mm_setzero_si128(), center = _mm_set1_epi16(128);
    int i = 0;
    for (; i + 16 < n; i += 16) {  // not the last 16: the stores run two bytes over
        __m128i yv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + i));
        __m128i bv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + i));
        __m128i rv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + i));
        __m128i r[2], g[2], b[2];
        for (int h = 0; h < 2; ++h) {
            __m128i yy = h ? _mm_unpackhi_epi8(yv, zero) : _mm_unpacklo_epi8(yv, zero);
            __m128i bb = _mm_sub_epi16(h ? _mm_unpackhi_epi8(bv, zero) : _mm_unpacklo_epi8(bv, zero), center);
            __m128i rr = _mm_sub_epi16(h ? _mm_unpackhi_epi8(rv, zero) : _mm_unpacklo_epi8(rv, zero), center);
            Ycc8(yy, bb, rr, &r[h], &g[h], &b[h]);
        }
        StoreBgr16(_mm_packus_epi16(b[0], b[1]), _mm_packus_epi16(g[0], g[1]), _mm_packus_epi16(r[0], r[1]),
                   bgr + 3 * i);
    }
    YccToBgrScalar(y + i, cb + i, cr + i, n - i, bgr + 3 * i);
}
#endif

}  // namespace imglib::jpeg
