// Chroma upsampling. Halved components are interpolated with the
// "fancy" triangular filter: each output sample weighs its nearest input
// sample 3/4 and the next nearest 1/4, horizontally, vertically, or both
// (9/16, 3/16, 3/16, 1/16), with fixed rounding biases that alternate
// between the two output phases; edge samples repeat. Other ratios
// replicate samples.
#pragma once

#include <cstdint>

namespace imglib::jpeg {

// n input samples -> 2n outputs. n must be at least 1; for n <= 2 the
// samples are replicated (the filter needs a neighbour on each side).
void UpsampleH2V1Scalar(const uint8_t* in, int n, uint8_t* out);
// nearRow: the input row nearest the output row; farRow: the next nearest (the
// row above for the upper output row, below for the lower one).
void UpsampleH2V2Scalar(const uint8_t* nearRow, const uint8_t* farRow, int n, uint8_t* out);
// Vertical only: upper outputs use bias 1, lower outputs bias 2.
void UpsampleH1V2Scalar(const uint8_t* nearRow, const uint8_t* farRow, int n, bool lower, uint8_t* out);
#ifdef __SSE2__
void UpsampleH2V1Sse2(const uint8_t* in, int n, uint8_t* out);
void UpsampleH2V2Sse2(const uint8_t* nearRow, const uint8_t* farRow, int n, uint8_t* out);
void UpsampleH1V2Sse2(const uint8_t* nearRow, const uint8_t* farRow, int n, bool lower, uint8_t* out);
#endif

inline void UpsampleH2V1(const uint8_t* in, int n, uint8_t* out) {
#ifdef __SSE2__
    UpsampleH2V1Sse2(in, n, out);
#else
    UpsampleH2V1Scalar(in, n, out);
#endif
}
inline void UpsampleH2V2(const uint8_t* nearRow, const uint8_t* farRow, int n, uint8_t* out) {
#ifdef __SSE2__
    UpsampleH2V2Sse2(nearRow, farRow, n, out);
#else
    UpsampleH2V2Scalar(nearRow, farRow, n, out);
#endif
}
inline void UpsampleH1V2(const uint8_t* nearRow, const uint8_t* farRow, int n, bool lower, uint8_t* out) {
#ifdef __SSE2__
    UpsampleH1V2Sse2(nearRow, farRow, n, lower, out);
#else
    UpsampleH1V2Scalar(nearRow, farRow, n, lower, out);
#endif
}

// Any whole or fractional ratio: output x takes input map[x].
void UpsampleReplicate(const uint8_t* in, const int* map, int width, uint8_t* out);

}  // namespace imglib::jpeg
