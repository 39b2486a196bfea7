// Second stage of a reduction: Lloyd's k-means over the histogram points,
// started from Wu's boxes. Wu's cuts are axis-aligned and greedy; moving
// each entry to the centroid of the colours nearest to it, a few times,
// removes most of what that costs.
#pragma once

#include <vector>

#include "dib.h"
#include "quantize_histogram.h"
#include "quantize_nearest.h"
#include "quantize_wu.h"

namespace imglib {

// At most `colors` entries (1..256): `start` refined by up to `passes`
// rounds, first topped up with the worst-served points when Wu found fewer
// boxes than wanted. When the points are no more than `colors`, they are
// the palette. `guess`, if not empty, holds for each point an index into
// `start` that is likely its nearest (Wu's box); it only speeds things up.
// `finder` is working space; it ends holding the result.
std::vector<Rgb> RefinePalette(const std::vector<ColorPoint>& points, std::vector<PaletteColor> start, int colors,
                               int passes, NearestColor* finder, const std::vector<uint8_t>& guess = {});

}  // namespace imglib
