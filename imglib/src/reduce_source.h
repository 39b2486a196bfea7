// Reads the rows of a DIB handed to ReduceDIB as blue-green-red triples,
// whatever its layout. The header comes from the caller and may be garbage,
// so Open checks every field the row arithmetic depends on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imglib.h"

namespace imglib {

class ReduceSource {
public:
    // False for anything this library would not hand out: a header size
    // other than 40, sizes of 0 or less (top-down DIBs included), planes
    // other than 1, compression, bit counts other than 1/4/8/16/24/32, a
    // paletted DIB without colour entries or with more than its bits
    // address, more than 256 entries, or dimensions beyond the limits.
    bool Open(const ImgDibHeader* dib);

    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    int BitCount() const { return m_bitCount; }
    uint32_t PaletteSize() const { return m_paletteSize; }

    // Row y counted from the top, as width BGR triples. Points into the DIB
    // for 24-bit rows, otherwise into a scratch row valid until the next call.
    const uint8_t* RowBgr(int32_t y);

private:
    const uint8_t* m_palette = nullptr;
    const uint8_t* m_bits = nullptr;
    size_t m_stride = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int m_bitCount = 0;
    uint32_t m_paletteSize = 0;
    std::vector<uint8_t> m_scratch;
};

}  // namespace imglib
