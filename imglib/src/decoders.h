// The format decoders. Each is a function of the file's bytes that fills a
// Dib; none opens files or keeps state between calls.
#pragma once

#include "byte_reader.h"
#include "dib.h"
#include "status.h"

namespace imglib {

enum class Format { Unknown, Bmp, Pcx, Tga, Tiff, SunRaster, Pcd, Jpeg };

// Picks the decoder by content, falling back to the extension of `name`
// (may be null) for the types without a signature (TGA, bare DIB, PCD).
Format SniffFormat(Bytes in, const char* name);

Status DecodeBmp(Bytes in, Dib* out);
Status DecodePcx(Bytes in, Dib* out);
Status DecodeTga(Bytes in, Dib* out);
Status DecodeTiff(Bytes in, Dib* out);
Status DecodeSunRaster(Bytes in, Dib* out);
Status DecodePcd(Bytes in, Dib* out);
Status DecodeJpeg(Bytes in, Dib* out);

// Decodes with the decoder SniffFormat picks.
Status Decode(Bytes in, const char* name, Dib* out);

}  // namespace imglib
