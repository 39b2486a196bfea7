// Truevision TGA: the 18-byte header, its validation and the TGA 2.0
// extension area's alpha attribute.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_reader.h"
#include "status.h"

namespace imglib {

// How the pixel values of a file are laid out, after the header is checked.
enum class TgaPixels {
    Index8,      // colour-map index, one byte
    Index16,     // colour-map index, two bytes little-endian
    Grey8,       // grey level
    GreyAlpha16, // grey level, then alpha
    Rgb16,       // 15/16 bits: A RRRRR GGGGG BBBBB little-endian
    Bgr24,
    Bgra32,
};

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t mapType = 0;
    uint8_t imageType = 0;
    uint16_t mapFirst = 0;
    uint16_t mapLength = 0;
    uint8_t mapEntryBits = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixelBits = 0;
    uint8_t descriptor = 0;

    // Derived by ParseTgaHeader.
    TgaPixels pixels = TgaPixels::Bgr24;
    int pixelBytes = 0;
    int mapEntryBytes = 0;  // 0 when the file has no colour map
    bool rle = false;
    bool topDown = false;     // descriptor bit 5
    bool rightToLeft = false; // descriptor bit 4
    size_t mapOffset = 0;     // where the colour map starts
    size_t pixelOffset = 0;   // where the pixel data starts
};

// TGA has no signature, so the header is checked strictly enough that a
// random file named .tga is refused: Unsupported for anything we do not
// read, including an ID field or colour map that runs past the end.
// Zero sizes are Unsupported as well.
Status ParseTgaHeader(Bytes in, TgaHeader* h);

// TGA 2.0 extension area "attributes type": 0 none, 1 undefined (ignore),
// 2 undefined (retain), 3 alpha, 4 premultiplied alpha. -1 when the file
// has no (readable) extension area.
int TgaAttributesType(Bytes in);

}  // namespace imglib
