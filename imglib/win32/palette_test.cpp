// CreateDIBPalette, and what GDI makes of the DIBs that ReduceDIB returns:
// the layout the viewer hands to StretchDIBits must draw the same pixels
// that the library meant.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <memory>
#include <vector>

#include "dib.h"
#include "dib_rgb.h"
#include "imglib.h"

namespace imglib {
namespace {

struct DibDeleter {
    void operator()(ImgDibHeader* d) const { DIBFree(d); }
};
using DibPtr = std::unique_ptr<ImgDibHeader, DibDeleter>;

struct PaletteDeleter {
    void operator()(HPALETTE p) const { DeleteObject(p); }
};
using PalettePtr = std::unique_ptr<std::remove_pointer_t<HPALETTE>, PaletteDeleter>;

// Smooth shading and a little texture: many colours, so it gets reduced.
DibPtr TrueColour(int w, int h) {
    Dib dib;
    EXPECT_EQ(dib.Create(w, h, 24), Status::Ok);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = dib.Row(y) + 3 * x;
            p[2] = uint8_t(128 + 120 * std::sin(x * 0.05 + y * 0.02));
            p[1] = uint8_t((x * 255) / w ^ ((x * y) & 7));
            p[0] = uint8_t((y * 255) / h);
        }
    return DibPtr(dib.Release());
}

TEST(CreateDibPaletteTest, CopiesTheColourTable) {
    DibPtr src = TrueColour(40, 30);
    for (int colors : {2, 16, 256}) {
        DibPtr reduced(ReduceDIB(src.get(), colors, 1));
        ASSERT_TRUE(reduced);
        PalettePtr pal(CreateDIBPalette(reduced.get()));
        ASSERT_TRUE(pal) << colors;
        WORD count = 0;
        ASSERT_EQ(GetObjectA(pal.get(), sizeof count, &count), int(sizeof count));
        EXPECT_EQ(count, reduced->biClrUsed);
        std::vector<PALETTEENTRY> entries(count);
        ASSERT_EQ(GetPaletteEntries(pal.get(), 0, count, entries.data()), count);
        const uint8_t* table = reinterpret_cast<const uint8_t*>(reduced.get()) + 40;
        for (UINT i = 0; i < count; ++i) {
            EXPECT_EQ(entries[i].peRed, table[4 * i + 2]) << i;
            EXPECT_EQ(entries[i].peGreen, table[4 * i + 1]) << i;
            EXPECT_EQ(entries[i].peBlue, table[4 * i]) << i;
            EXPECT_EQ(entries[i].peFlags, 0);
            COLORREF c = RGB(table[4 * i + 2], table[4 * i + 1], table[4 * i]);
            UINT nearest = GetNearestPaletteIndex(pal.get(), c);
            ASSERT_LT(nearest, count);
            EXPECT_EQ(entries[nearest].peRed | entries[nearest].peGreen << 8 | entries[nearest].peBlue << 16, c);
        }
    }
}

TEST(CreateDibPaletteTest, RefusesDibsWithoutAUsableTable) {
    EXPECT_EQ(CreateDIBPalette(nullptr), nullptr);
    DibPtr src = TrueColour(4, 4);
    EXPECT_EQ(CreateDIBPalette(src.get()), nullptr);  // true colour: no table
    Dib dib;
    ASSERT_EQ(dib.Create(4, 4, 8, 3), Status::Ok);
    DibPtr paletted(dib.Release());
    PalettePtr ok(CreateDIBPalette(paletted.get()));
    EXPECT_TRUE(ok);
    paletted->biClrUsed = 257;
    EXPECT_EQ(CreateDIBPalette(paletted.get()), nullptr);
    paletted->biClrUsed = 3;
    paletted->biSize = 12;
    EXPECT_EQ(CreateDIBPalette(paletted.get()), nullptr);
}

// Draws a packed DIB with StretchDIBits as the image window does, into a
// 32-bit top-down DIB section, and returns the pixels as RGB triples.
std::vector<uint8_t> DrawnByGdi(ImgDibHeader* dib) {
    int w = dib->biWidth, h = dib->biHeight;
    BITMAPINFO target = {};
    target.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    target.bmiHeader.biWidth = w;
    target.bmiHeader.biHeight = -h;
    target.bmiHeader.biPlanes = 1;
    target.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP section = CreateDIBSection(dc, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
    EXPECT_TRUE(section && bits);
    std::vector<uint8_t> rgb;
    if (section && bits) {
        HGDIOBJ old = SelectObject(dc, section);
        SetStretchBltMode(dc, COLORONCOLOR);
        EXPECT_EQ(StretchDIBits(dc, 0, 0, w, h, 0, 0, w, h, DibBits(dib), reinterpret_cast<BITMAPINFO*>(dib),
                                DIB_RGB_COLORS, SRCCOPY),
                  h);
        GdiFlush();
        const uint8_t* p = static_cast<const uint8_t*>(bits);
        for (int i = 0; i < w * h; ++i) rgb.insert(rgb.end(), {p[4 * i + 2], p[4 * i + 1], p[4 * i]});
        SelectObject(dc, old);
        DeleteObject(section);
    }
    DeleteDC(dc);
    return rgb;
}

TEST(ReducedDibTest, GdiDrawsWhatTheLibraryMeant) {
    // Odd widths: 1- and 4-bit rows end mid-byte and are padded to 4 bytes.
    DibPtr src = TrueColour(37, 21);
    for (int colors : {2, 16, 256}) {
        for (int dither : {0, 1}) {
            DibPtr reduced(ReduceDIB(src.get(), colors, dither));
            ASSERT_TRUE(reduced);
            std::vector<uint8_t> want;
            ASSERT_TRUE(DibToRgb(reduced.get(), &want));
            EXPECT_EQ(DrawnByGdi(reduced.get()), want) << colors << " colours, dither " << dither;
        }
    }
}

}  // namespace
}  // namespace imglib
