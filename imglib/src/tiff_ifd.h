// The first image file directory of a TIFF file: its fields, read lazily
// straight from the file's bytes so that an absurd count costs nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "byte_reader.h"
#include "status.h"

namespace imglib {

enum TiffTag : uint16_t {
    kTagImageWidth = 256,
    kTagImageLength = 257,
    kTagBitsPerSample = 258,
    kTagCompression = 259,
    kTagPhotometric = 262,
    kTagFillOrder = 266,
    kTagStripOffsets = 273,
    kTagSamplesPerPixel = 277,
    kTagRowsPerStrip = 278,
    kTagStripByteCounts = 279,
    kTagPlanarConfig = 284,
    kTagPredictor = 317,
    kTagColorMap = 320,
    kTagTileWidth = 322,
    kTagTileLength = 323,
    kTagTileOffsets = 324,
    kTagTileByteCounts = 325,
    kTagInkSet = 332,
    kTagExtraSamples = 338,
    kTagSampleFormat = 339,
};

// One directory entry. `offset` is where its values start in the file: for
// values that fit in the entry that is the entry's own value field, so every
// field is read the same way.
struct TiffField {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint64_t count = 0;  // clamped to the values that lie inside the file
    uint64_t offset = 0;
};

class TiffDirectory {
public:
    // Reads the header and the first directory. Unsupported when the bytes
    // are not a TIFF (classic or BigTIFF) or the directory lies outside them.
    Status Read(Bytes file);

    bool BigEndian() const { return m_bigEndian; }
    const TiffField* Find(uint16_t tag) const;
    // Value i of a field of any numeric type, as an unsigned integer
    // (rationals are divided, negatives and non-numbers give 0).
    uint64_t Value(const TiffField& f, uint64_t i) const;
    // The first value of `tag`, or `fallback` when the tag is absent or empty.
    uint64_t Get(uint16_t tag, uint64_t fallback) const;

    // Bytes of one value of a field type; 0 for unknown types.
    static unsigned TypeSize(uint16_t type);

private:
    Bytes m_file;
    bool m_bigEndian = false;
    std::vector<TiffField> m_fields;
};

}  // namespace imglib
