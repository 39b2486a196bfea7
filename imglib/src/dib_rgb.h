// Expands a packed DIB into top-down RGB triples: what the viewer would
// draw. Used by the tools, tests and fuzz targets.
#pragma once

#include <cstdint>
#include <vector>

#include "imglib.h"

namespace imglib {

// False for a DIB this library could not have produced (bad header values);
// a palette index beyond biClrUsed draws black, as the display does.
bool DibToRgb(const ImgDibHeader* dib, std::vector<uint8_t>* rgb);

}  // namespace imglib
