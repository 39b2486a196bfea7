// Run-length encoded BMP pixel data: RLE8, RLE4 and the OS/2 RLE24.
#pragma once

#include <cstdint>

#include "byte_reader.h"
#include "dib.h"

namespace imglib {

enum class BmpRle { Rle4, Rle8, Rle24 };

// Decodes `data` into `out`, already created with the image's size and a bit
// count of 4, 8 or 24 to match `kind`. File rows run bottom-up unless
// `topDown`. Pixels the stream never writes (deltas, early end-of-line or
// end of data) keep the zero that Dib::Create left: palette index 0, or black.
// Damaged streams are clipped to the image, never rejected.
void DecodeBmpRle(Bytes data, BmpRle kind, bool topDown, Dib* out);

}  // namespace imglib
