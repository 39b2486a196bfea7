#include "reduce_source.h"

#include <cstring>

#include "dib.h"

namespace imglib {

bool ReduceSource::Open(const ImgDibHeader* dib) {
    if (!dib || dib->biSize != 40 || dib->biPlanes != 1 || dib->biCompression != 0) return false;
    int bpp = dib->biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    if (dib->biClrUsed > 256) return false;
    // Paletted pixels mean nothing without their colour table.
    if (bpp <= 8 && (dib->biClrUsed == 0 || dib->biClrUsed > (1u << bpp))) return false;
    if (CheckDibSize(dib->biWidth, dib->biHeight, bpp) != Status::Ok) return false;
    m_width = dib->biWidth;
    m_height = dib->biHeight;
    m_bitCount = bpp;
    m_paletteSize = dib->biClrUsed;
    m_palette = reinterpret_cast<const uint8_t*>(dib) + 40;
    m_bits = m_palette + 4 * static_cast<size_t>(dib->biClrUsed);
    m_stride = DibStride(dib);
    m_scratch.assign(bpp == 24 ? 0 : static_cast<size_t>(m_width) * 3, 0);
    return true;
}

const uint8_t* ReduceSource::RowBgr(int32_t y) {
    const uint8_t* row = m_bits + static_cast<size_t>(m_height - 1 - y) * m_stride;
    if (m_bitCount == 24) return row;
    uint8_t* out = m_scratch.data();
    size_t w = static_cast<size_t>(m_width);
    switch (m_bitCount) {
        case 32:
            for (size_t x = 0; x < w; ++x, out += 3) std::memcpy(out, row + 4 * x, 3);
            break;
        case 16:
            // BI_RGB 16-bit is 5-5-5 with the top bit unused.
            for (size_t x = 0; x < w; ++x, out += 3) {
                unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
                unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
                out[0] = static_cast<uint8_t>((b << 3) | (b >> 2));
                out[1] = static_cast<uint8_t>((g << 3) | (g >> 2));
                out[2] = static_cast<uint8_t>((r << 3) | (r >> 2));
            }
            break;
        default:
            for (size_t x = 0; x < w; ++x, out += 3) {
                unsigned index;
                if (m_bitCount == 8) index = row[x];
                else if (m_bitCount == 4) index = (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
                else index = (row[x / 8] >> (7 - x % 8)) & 1;
                // An index past the table draws black, as the display does.
                if (index < m_paletteSize) std::memcpy(out, m_palette + 4 * index, 3);
                else std::memset(out, 0, 3);
            }
            break;
    }
    return m_scratch.data();
}

}  // namespace imglib
