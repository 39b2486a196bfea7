#include "jpeg/upsample.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace imglib::jpeg {

void UpsampleH2V1Scalar(const uint8_t* in, int n, uint8_t* out) {
    if (n <= 2) {
        for (int i = 0; i < n; ++i) out[2 * i] = out[2 * i + 1] = in[i];
        return;
    }
    for (int i = 0; i < n; ++i) {
        int prev = in[i > 0 ? i - 1 : 0], next = in[i < n - 1 ? i + 1 : n - 1];
        int c = 3 * in[i];
        out[2 * i] = static_cast<uint8_t>((c + prev + 1) >> 2);
        out[2 * i + 1] = static_cast<uint8_t>((c + next + 2) >> 2);
    }
}

void UpsampleH2V2Scalar(const uint8_t* nearRow, const uint8_t* farRow, int n, uint8_t* out) {
    if (n <= 2) {
        for (int i = 0; i < n; ++i) out[2 * i] = out[2 * i + 1] = nearRow[i];
        return;
    }
    int prev = 3 * nearRow[0] + farRow[0], cur = prev;
    for (int i = 0; i < n; ++i) {
        int next = i < n - 1 ? 3 * nearRow[i + 1] + farRow[i + 1] : cur;
        out[2 * i] = static_cast<uint8_t>((3 * cur + prev + 8) >> 4);
        out[2 * i + 1] = static_cast<uint8_t>((3 * cur + next + 7) >> 4);
        prev = cur;
        cur = next;
    }
}

void UpsampleH1V2Scalar(const uint8_t* nearRow, const uint8_t* farRow, int n, bool lower, uint8_t* out) {
    int bias = lower ? 2 : 1;
    for (int i = 0; i < n; ++i) out[i] = static_cast<uint8_t>((3 * nearRow[i] + farRow[i] + bias) >> 2);
}

void UpsampleReplicate(const uint8_t* in, const int* map, int width, uint8_t* out) {
    for (int x = 0; x < width; ++x) out[x] = in[map[x]];
}

#ifdef __SSE2__
namespace {

inline __m128i Load8(const uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}
inline __m128i Load8x16(const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Interleaves the even and odd outputs of eight inputs into 16 bytes.
inline void StorePairs(__m128i even, __m128i odd, uint8_t* out) {
    __m128i e = _mm_packus_epi16(even, even), o = _mm_packus_epi16(odd, odd);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(e, o));
}

}  // namespace

void UpsampleH2V1Sse2(const uint8_t* in, int n, uint8_t* out) {
    if (n <= 2) return UpsampleH2V1Scalar(in, n, out);
    // The first and last inputs lack a neighbour; the middle goes eight at a time.
    int c0 = 3 * in[0];
    out[0] = static_cast<uint8_t>((c0 + in[0] + 1) >> 2);
    out[1] = static_cast<uint8_t>((c0 + in[1] + 2) >> 2);
    int i = 1;
    const __m128i one = _mm_set1_epi16(1), two = _mm_set1_epi16(2);
    for (; i + 8 <= n - 1; i += 8) {
        __m128i prev = Load8(in + i - 1), cur = Load8(in + i), next = Load8(in + i + 1);
        __m128i c3 = _mm_add_epi16(_mm_add_epi16(cur, cur), cur);
        __m128i even = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(c3, prev), one), 2);
        __m128i odd = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(c3, next), two), 2);
        StorePairs(even, odd, out + 2 * i);
    }
    for (; i < n; ++i) {
        int c = 3 * in[i], next = in[i < n - 1 ? i + 1 : n - 1];
        out[2 * i] = static_cast<uint8_t>((c + in[i - 1] + 1) >> 2);
        out[2 * i + 1] = static_cast<uint8_t>((c + next + 2) >> 2);
    }
}

void UpsampleH2V2Sse2(const uint8_t* nearRow, const uint8_t* farRow, int n, uint8_t* out) {
    if (n <= 2) return UpsampleH2V2Scalar(nearRow, farRow, n, out);
    // Column sums (3 nearRow + farRow) in chunks, with one sum of context each side.
    constexpr int kChunk = 256;
    int16_t sums[kChunk + 2 + 8];
    const __m128i eight = _mm_set1_epi16(8), seven = _mm_set1_epi16(7);
    for (int base = 0; base < n; base += kChunk) {
        int count = n - base < kChunk ? n - base : kChunk;
        int from = base > 0 ? base - 1 : 0;
        int to = base + count < n ? base + count : n - 1;  // inclusive
        int16_t* s = sums + 1;  // s[j - base] is the sum of column j
        int j = from;
        for (; j + 8 <= to + 1; j += 8) {
            __m128i a = Load8(nearRow + j), b = Load8(farRow + j);
            __m128i v = _mm_add_epi16(_mm_add_epi16(_mm_add_epi16(a, a), a), b);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(s + (j - base)), v);
        }
        for (; j <= to; ++j) s[j - base] = static_cast<int16_t>(3 * nearRow[j] + farRow[j]);
        if (base == 0) sums[0] = sums[1];                         // left edge repeats
        if (base + count == n) sums[count + 1] = sums[count];     // right edge repeats
        int16_t* cur = sums + 1;
        int i = 0;
        for (; i + 8 <= count; i += 8) {
            __m128i c = Load8x16(cur + i), p = Load8x16(cur + i - 1), q = Load8x16(cur + i + 1);
            __m128i c3 = _mm_add_epi16(_mm_add_epi16(c, c), c);
            __m128i even = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(c3, p), eight), 4);
            __m128i odd = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(c3, q), seven), 4);
            StorePairs(even, odd, out + 2 * (base + i));
        }
        for (; i < count; ++i) {
            int c3 = 3 * cur[i];
            out[2 * (base + i)] = static_cast<uint8_t>((c3 + cur[i - 1] + 8) >> 4);
            out[2 * (base + i) + 1] = static_cast<uint8_t>((c3 + cur[i + 1] + 7) >> 4);
        }
    }
}

void UpsampleH1V2Sse2(const uint8_t* nearRow, const uint8_t* farRow, int n, bool lower, uint8_t* out) {
    const __m128i bias = _mm_set1_epi16(lower ? 2 : 1), zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(nearRow + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(farRow + i));
        __m128i r[2];
        for (int h = 0; h < 2; ++h) {
            __m128i x = h ? _mm_unpackhi_epi8(a, zero) : _mm_unpacklo_epi8(a, zero);
            __m128i y = h ? _mm_unpackhi_epi8(b, zero) : _mm_unpacklo_epi8(b, zero);
            __m128i x3 = _mm_add_epi16(_mm_add_epi16(x, x), x);
            r[h] = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x3, y), bias), 2);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(r[0], r[1]));
    }
    UpsampleH1V2Scalar(nearRow + i, farRow + i, n - i, lower, out + i);
}
#endif

}  // namespace imglib::jpeg
