#include "bmp_rle.h"

#include <algorithm>
#include <cstring>

namespace imglib {
namespace {

inline void SetNibble(uint8_t* row, int32_t x, unsigned v) {
    uint8_t& b = row[x >> 1];
    b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (v & 0x0F)) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
}

}  // namespace

void DecodeBmpRle(Bytes data, BmpRle kind, bool topDown, Dib* out) {
    const int32_t width = out->Width();
    const int32_t height = out->Height();
    const uint8_t* p = data.data;
    const uint8_t* const end = data.data + data.size;

    // x and y stay within [0, width] and [0, height]: a run or delta that
    // would leave the image only clips, so they cannot overflow.
    int32_t x = 0, y = 0;
    auto rowOf = [&](int32_t fileRow) { return out->Row(topDown ? fileRow : height - 1 - fileRow); };
    uint8_t* row = rowOf(0);

    while (end - p >= 2) {
        unsigned count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            // Encoded run: `count` pixels of one value (RLE4: two alternating).
            int32_t n = std::min<int32_t>(static_cast<int32_t>(count), width - x);
            switch (kind) {
                case BmpRle::Rle8:
                    std::memset(row + x, static_cast<int>(value), static_cast<size_t>(n));
                    break;
                case BmpRle::Rle4: {
                    unsigned hi = value >> 4, lo = value & 15;
                    for (int32_t i = 0; i < n; ++i) SetNibble(row, x + i, (i & 1) ? lo : hi);
                    break;
                }
                case BmpRle::Rle24: {
                    if (end - p < 2) return;  // the run's green and red are missing
                    uint8_t b = static_cast<uint8_t>(value), g = p[0], r = p[1];
                    p += 2;
                    uint8_t* d = row + 3 * static_cast<size_t>(x);
                    for (int32_t i = 0; i < n; ++i, d += 3) {
                        d[0] = b;
                        d[1] = g;
                        d[2] = r;
                    }
                    break;
                }
            }
            x += n;
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                if (++y >= height) return;
                row = rowOf(y);
                continue;
            case 1:  // end of bitmap
                return;
            case 2: {  // delta: move right and up (in file order) without writing
                if (end - p < 2) return;
                x = std::min<int32_t>(x + p[0], width);
                int32_t dy = p[1];
                p += 2;
                if (dy) {
                    if (dy >= height - y) return;
                    y += dy;
                    row = rowOf(y);
                }
                continue;
            }
            default: {  // absolute run of `value` literal pixels, padded to a word
                size_t n = value;
                size_t bytes = kind == BmpRle::Rle8 ? n : kind == BmpRle::Rle4 ? (n + 1) / 2 : 3 * n;
                size_t avail = static_cast<size_t>(end - p);
                bool truncated = bytes > avail;
                if (truncated) {
                    bytes = avail;
                    n = kind == BmpRle::Rle8 ? avail : kind == BmpRle::Rle4 ? 2 * avail : avail / 3;
                }
                int32_t m = std::min<int32_t>(static_cast<int32_t>(n), width - x);
                switch (kind) {
                    case BmpRle::Rle8:
                        std::memcpy(row + x, p, static_cast<size_t>(m));
                        break;
                    case BmpRle::Rle4:
                        for (int32_t i = 0; i < m; ++i) SetNibble(row, x + i, (i & 1) ? p[i >> 1] & 15 : p[i >> 1] >> 4);
                        break;
                    case BmpRle::Rle24: {
                        uint8_t* d = row + 3 * static_cast<size_t>(x);
                        std::memcpy(d, p, 3 * static_cast<size_t>(m));
                        break;
                    }
                }
                if (truncated) return;
                x += m;
                size_t advance = bytes + (bytes & 1);
                if (advance > avail) return;
                p += advance;
                continue;
            }
        }
    }
}

}  // namespace imglib
