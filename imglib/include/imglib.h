// ImgLib: decodes the viewer's nine image file types into packed DIBs.
//
// A packed DIB is one block: a 40-byte BITMAPINFOHEADER, biClrUsed colour
// entries (blue, green, red, reserved), then the pixel rows, which always
// start at 40 + 4 * biClrUsed. Rows are bottom-up (biHeight > 0) and padded
// to 4 bytes. Paletted images come out as 1-, 4- or 8-bit DIBs with
// biClrUsed set; everything else as 24-bit BGR.
//
// Alpha: the viewer paints on a black backdrop, so an image with an alpha
// channel is composited over black (each colour scaled by alpha / 255).
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

// Same layout as the platform's BITMAPINFOHEADER, usable without windows.h.
struct ImgDibHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(ImgDibHeader) == 40, "packed DIB header must be 40 bytes");

using PDIB = ImgDibHeader*;

// Last-error codes. Only 3, 5 and 7 have a message for the user.
enum ImgLibError : int {
    IMGLIB_OK = 0,
    IMGLIB_ERR_READ = 1,         // the file could not be read
    IMGLIB_ERR_MEMORY = 3,       // too large to allocate
    IMGLIB_ERR_BAD_POINTER = 5,  // a null or unusable argument
    IMGLIB_ERR_UNSUPPORTED = 7,  // not one of our types, or nothing decodable in it
};

// Decodes the file at `path`; null on failure (see GetLastImgLibError).
PDIB ReadFileIntoDIB(const char* path);

// Decodes an image held in memory. `name` (may be null) supplies the
// extension for the types that carry no signature.
PDIB DecodeImageBytes(const uint8_t* data, size_t size, const char* name);

int GetLastImgLibError();

// Reduces `dib` to at most `colors` colours with a palette chosen for the
// image (Wu's cuts refined by k-means). Reads 1/4/8-bit DIBs with a colour
// table and 16 (5-5-5), 24 and 32-bit BI_RGB ones, bottom-up. `colors` above
// 256 counts as 256; below 2 fails. The result has biClrUsed entries and is
// 1-bit for up to 2 of them, 4-bit up to 16, else 8-bit. An image with no
// more colours than asked keeps them exactly; otherwise `dither` non-zero
// turns on Floyd-Steinberg error diffusion. A paletted `dib` that already
// fits is returned itself; `dib` is never freed. Null on failure (a header
// this library would not produce, over 2^30 pixels, out of memory); the
// last-error code is left alone.
PDIB ReduceDIB(PDIB dib, int colors, int dither);

// Releases a DIB returned by this library. Null is ignored.
void DIBFree(PDIB dib);

// Offset of the pixel rows and the size of one padded row.
inline uint8_t* DibBits(PDIB dib) {
    return reinterpret_cast<uint8_t*>(dib) + 40 + 4 * static_cast<size_t>(dib->biClrUsed);
}
inline size_t DibStride(const ImgDibHeader* dib) {
    return ((static_cast<size_t>(dib->biWidth) * dib->biBitCount + 31) / 32) * 4;
}

#ifdef _WIN32
// A logical palette for a DIB with a colour table; the caller deletes it.
HPALETTE CreateDIBPalette(PDIB dib);
#endif
