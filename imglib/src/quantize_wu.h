// First palette of a reduction: Wu's variance-minimising box cuts (Xiaolin
// Wu, "Efficient Statistical Computations for Optimal Color Quantization",
// Graphics Gems II). The colour cube, at 5 bits a channel, is cut again and
// again: always the box with the largest squared error, at the plane that
// leaves the two halves with the smallest total error. Cumulative moments
// make each box's statistics a handful of table look-ups.
#pragma once

#include <cstdint>
#include <vector>

#include "quantize_histogram.h"

namespace imglib {

struct PaletteColor {
    float r, g, b;
};

// Up to `colors` centroids of the boxes; fewer when the points fill fewer
// cells than that. Empty points give an empty palette. `box`, if given,
// receives for each point the index of the box it fell in: a first guess
// at its nearest entry.
std::vector<PaletteColor> WuPalette(const std::vector<ColorPoint>& points, int colors,
                                    std::vector<uint8_t>* box = nullptr);

}  // namespace imglib
