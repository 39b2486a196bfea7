#include "tga_rows.h"

#include <algorithm>
#include <cstring>

namespace imglib {

void TgaIndexRow(const uint8_t* src, uint8_t* dst, size_t width, const uint8_t* lut) {
    if (!lut) {
        std::memcpy(dst, src, width);
        return;
    }
    for (size_t x = 0; x < width; ++x) dst[x] = lut[src[x]];
}

void TgaIndex16Row(const uint8_t* src, uint8_t* dst, size_t width, const uint8_t* bgrMap, unsigned first,
                   unsigned count) {
    for (size_t x = 0; x < width; ++x, src += 2, dst += 3) {
        unsigned i = (src[0] | src[1] << 8) - first;  // wraps below `first`
        if (i < count) {
            const uint8_t* e = bgrMap + 3 * static_cast<size_t>(i);
            dst[0] = e[0];
            dst[1] = e[1];
            dst[2] = e[2];
        } else {
            dst[0] = dst[1] = dst[2] = 0;
        }
    }
}

void TgaGreyAlphaRow(const uint8_t* src, uint8_t* dst, size_t width, bool alpha) {
    if (alpha) {
        for (size_t x = 0; x < width; ++x, src += 2) dst[x] = OverBlack(src[0], src[1]);
    } else {
        for (size_t x = 0; x < width; ++x, src += 2) dst[x] = src[0];
    }
}

void TgaRgb16Row(const uint8_t* src, uint8_t* dst, size_t width) {
    for (size_t x = 0; x < width; ++x, src += 2, dst += 3) {
        unsigned v = src[0] | src[1] << 8;
        dst[0] = Expand5(v & 31);
        dst[1] = Expand5((v >> 5) & 31);
        dst[2] = Expand5((v >> 10) & 31);
    }
}

void TgaBgraRow(const uint8_t* src, uint8_t* dst, size_t width, bool alpha) {
    if (alpha) {
        for (size_t x = 0; x < width; ++x, src += 4, dst += 3) {
            unsigned a = src[3];
            dst[0] = OverBlack(src[0], a);
            dst[1] = OverBlack(src[1], a);
            dst[2] = OverBlack(src[2], a);
        }
    } else {
        for (size_t x = 0; x < width; ++x, src += 4, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
    }
}

void MirrorRow(uint8_t* row, size_t width, int bytes) {
    if (width < 2) return;
    if (bytes == 1) {
        std::reverse(row, row + width);
        return;
    }
    uint8_t* a = row;
    uint8_t* b = row + (width - 1) * bytes;
    for (; a < b; a += bytes, b -= bytes) std::swap_ranges(a, a + bytes, b);
}

}  // namespace imglib
