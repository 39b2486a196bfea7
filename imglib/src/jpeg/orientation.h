// The EXIF orientation tag (0x0112 in IFD0 of APP1 "Exif\0\0") and the
// placing of decoded pixels so that the picture comes up the right way.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imglib::jpeg {

// The orientation 1..8 in an APP1 payload that starts after "Exif\0\0"
// (the TIFF header), or 0 when there is none or it is malformed.
int ParseExifOrientation(const uint8_t* tiff, size_t len);

// Orientations 5..8 swap width and height.
inline bool SwapsAxes(int orientation) { return orientation >= 5 && orientation <= 8; }

// Where stored pixel (x, y) of a width x height picture goes on screen:
// the displayed column and row. Orientation 1 keeps it in place.
struct Placement {
    int orientation = 1;
    int width = 0, height = 0;  // stored size

    void Map(int x, int y, int* dx, int* dy) const {
        switch (orientation) {
            default: *dx = x; *dy = y; break;
            case 2: *dx = width - 1 - x; *dy = y; break;
            case 3: *dx = width - 1 - x; *dy = height - 1 - y; break;
            case 4: *dx = x; *dy = height - 1 - y; break;
            case 5: *dx = y; *dy = x; break;
            case 6: *dx = height - 1 - y; *dy = x; break;
            case 7: *dx = height - 1 - y; *dy = width - 1 - x; break;
            case 8: *dx = y; *dy = width - 1 - x; break;
        }
    }
};

}  // namespace imglib::jpeg
