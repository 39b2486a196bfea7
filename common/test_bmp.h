// Small BI_RGB BMP files for tests of the image holder and the tools.
// Window-free and header-only, so both the Windows and the native tests use it.
#pragma once

#include <cstdint>
#include <vector>

namespace test_bmp {

inline void Put16(std::vector<uint8_t>& v, unsigned x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// Colour of pixel (x, y) in the files below: a ramp, so rows and columns differ.
inline void RampRgb(int x, int y, uint8_t rgb[3]) {
    rgb[0] = static_cast<uint8_t>((x + y) * 29);
    rgb[1] = static_cast<uint8_t>((x + y) * 13);
    rgb[2] = static_cast<uint8_t>((x + y) * 7);
}

// Palette entry i of a `colors`-entry table: green falls as red and blue rise.
inline void RampEntry(int i, int colors, uint8_t rgb[3]) {
    uint8_t g = static_cast<uint8_t>(colors > 1 ? i * 255 / (colors - 1) : 0);
    rgb[0] = g;
    rgb[1] = static_cast<uint8_t>(255 - g);
    rgb[2] = g;
}

// A bottom-up BI_RGB BMP of bitCount 24 (pixels from RampRgb) or 1, 4, 8
// with `colors` entries (pixel index (x + y) mod colors).
inline std::vector<uint8_t> MakeBmp(int width, int height, int bitCount, int colors) {
    if (bitCount == 24) colors = 0;
    uint32_t stride = ((width * bitCount + 31) / 32) * 4;
    uint32_t offBits = 14 + 40 + 4 * colors;
    std::vector<uint8_t> v{'B', 'M'};
    Put32(v, offBits + stride * height);
    Put32(v, 0);
    Put32(v, offBits);
    Put32(v, 40);
    Put32(v, width);
    Put32(v, height);
    Put16(v, 1);
    Put16(v, bitCount);
    Put32(v, 0);  // BI_RGB
    Put32(v, stride * height);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, colors);
    Put32(v, 0);
    for (int i = 0; i < colors; ++i) {
        uint8_t rgb[3];
        RampEntry(i, colors, rgb);
        v.insert(v.end(), {rgb[2], rgb[1], rgb[0], 0});
    }
    for (int row = height - 1; row >= 0; --row) {  // bottom-up: last picture row first
        std::vector<uint8_t> line(stride, 0);
        for (int x = 0; x < width; ++x) {
            if (bitCount == 24) {
                uint8_t rgb[3];
                RampRgb(x, row, rgb);
                line[3 * x] = rgb[2];
                line[3 * x + 1] = rgb[1];
                line[3 * x + 2] = rgb[0];
                continue;
            }
            unsigned index = static_cast<unsigned>(x + row) % static_cast<unsigned>(colors);
            if (bitCount == 8) line[x] = static_cast<uint8_t>(index);
            else if (bitCount == 4) line[x / 2] |= static_cast<uint8_t>(index << (x % 2 ? 0 : 4));
            else line[x / 8] |= static_cast<uint8_t>((index & 1) << (7 - x % 8));
        }
        v.insert(v.end(), line.begin(), line.end());
    }
    return v;
}

}  // namespace test_bmp
