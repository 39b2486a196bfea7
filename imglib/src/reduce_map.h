// The last step of a reduction: every pixel of the source becomes a palette
// index in the output DIB (1, 4 or 8 bits, palette already in place).
#pragma once

#include "dib.h"
#include "quantize_histogram.h"
#include "quantize_nearest.h"
#include "reduce_source.h"

namespace imglib {

// Each pixel to its nearest entry.
void MapNearest(ReduceSource* src, NearestColor* finder, Dib* out);

// Floyd-Steinberg error diffusion, serpentine (alternate rows run right to
// left, so the errors do not drift one way). Two rows of error terms.
void MapDithered(ReduceSource* src, NearestColor* finder, Dib* out);

// For an image with no more colours than the palette: each pixel to its own
// entry, no error at all.
void MapExact(ReduceSource* src, const DistinctColors& colors, Dib* out);

}  // namespace imglib
