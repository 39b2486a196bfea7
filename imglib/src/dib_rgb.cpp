#include "dib_rgb.h"

namespace imglib {

bool DibToRgb(const ImgDibHeader* dib, std::vector<uint8_t>* rgb) {
    if (!dib || dib->biSize != 40 || dib->biWidth <= 0 || dib->biHeight <= 0 || dib->biPlanes != 1) return false;
    int bpp = dib->biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return false;
    if (bpp <= 8 ? dib->biClrUsed > (1u << bpp) : dib->biClrUsed != 0) return false;
    size_t w = static_cast<size_t>(dib->biWidth), h = static_cast<size_t>(dib->biHeight);
    const uint8_t* base = reinterpret_cast<const uint8_t*>(dib);
    const uint8_t* pal = base + 40;
    const uint8_t* bits = pal + 4 * static_cast<size_t>(dib->biClrUsed);
    size_t stride = DibStride(dib);
    rgb->assign(w * h * 3, 0);
    for (size_t y = 0; y < h; ++y) {
        const uint8_t* row = bits + (h - 1 - y) * stride;
        uint8_t* out = rgb->data() + y * w * 3;
        for (size_t x = 0; x < w; ++x, out += 3) {
            if (bpp == 24) {
                out[0] = row[3 * x + 2];
                out[1] = row[3 * x + 1];
                out[2] = row[3 * x];
                continue;
            }
            unsigned index;
            if (bpp == 8) index = row[x];
            else if (bpp == 4) index = (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
            else index = (row[x / 8] >> (7 - x % 8)) & 1;
            if (index >= dib->biClrUsed) continue;
            out[0] = pal[4 * index + 2];
            out[1] = pal[4 * index + 1];
            out[2] = pal[4 * index];
        }
    }
    return true;
}

}  // namespace imglib
