// Small SSE2 helpers shared by the transform and colour stages.
#pragma once

#ifdef __SSE2__
#include <emmintrin.h>

#include <cstdint>

namespace imglib::jpeg {

// Two 16-bit multipliers side by side, for _mm_madd_epi16 on (a, b) pairs.
inline __m128i Pair(int a, int b) {
    return _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(b) << 16 | (static_cast<uint32_t>(a) & 0xFFFF)));
}

}  // namespace imglib::jpeg
#endif
