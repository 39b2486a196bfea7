#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "test_support.h"

namespace imglib::test {
namespace {


// A bitmap to encode. Rows of `pixels` are stored as the file stores them.
struct Bmp {
    uint32_t headerSize = 40;
    int32_t width = 0, height = 0;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    std::vector<uint32_t> palette;  // 0xRRGGBB
    std::vector<uint32_t> masks;    // inside the header from 52 bytes on, else after it
    std::vector<uint8_t> pixels;
    bool fileHeader = true;
    int64_t offBits = -1;  // -1: right after the colour table
};

std::vector<uint8_t> Encode(const Bmp& b) {
    std::vector<uint8_t> info;
    Put32(info, b.headerSize);
    if (b.headerSize == 12) {
        Put16(info, static_cast<unsigned>(b.width));
        Put16(info, static_cast<unsigned>(b.height));
        Put16(info, 1);
        Put16(info, b.bitCount);
    } else {
        Put32(info, static_cast<uint32_t>(b.width));
        Put32(info, static_cast<uint32_t>(b.height));
        Put16(info, 1);
        Put16(info, b.bitCount);
        Put32(info, b.compression);
        Put32(info, static_cast<uint32_t>(b.pixels.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, b.clrUsed);
        Put32(info, 0);
        for (size_t i = 0; b.headerSize >= 52 && i < b.masks.size() && info.size() < b.headerSize; ++i)
            Put32(info, b.masks[i]);
        info.resize(b.headerSize, 0);  // also cuts short OS/2 2.x headers
        if (b.headerSize < 52)
            for (uint32_t m : b.masks) Put32(info, m);
    }
    for (uint32_t c : b.palette) {
        Put8(info, c);
        Put8(info, c >> 8);
        Put8(info, c >> 16);
        if (b.headerSize != 12) Put8(info, 0);
    }
    std::vector<uint8_t> file;
    if (b.fileHeader) {
        uint32_t off = b.offBits >= 0 ? static_cast<uint32_t>(b.offBits) : static_cast<uint32_t>(14 + info.size());
        Put8(file, 'B');
        Put8(file, 'M');
        Put32(file, static_cast<uint32_t>(14 + info.size() + b.pixels.size()));
        Put32(file, 0);
        Put32(file, off);
    }
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), b.pixels.begin(), b.pixels.end());
    return file;
}

// Packs rows (given top to bottom) at `bits` per pixel, padded to 4 bytes,
// in file order: bottom-up unless topDown.
std::vector<uint8_t> PackRows(int bits, const Grid& rows, bool topDown = false) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[topDown ? i : rows.size() - 1 - i];
        std::vector<uint8_t> bytes;
        if (bits < 8) {
            bytes.assign((row.size() * bits + 7) / 8, 0);
            for (size_t x = 0; x < row.size(); ++x)
                bytes[x * bits / 8] |= static_cast<uint8_t>(row[x] << (8 - bits - (x * bits) % 8));
        } else {
            for (uint32_t v : row)
                for (int k = 0; k < bits / 8; ++k) Put8(bytes, v >> (8 * k));
        }
        bytes.resize((bytes.size() + 3) / 4 * 4, 0);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

DibPtr Decode(const std::vector<uint8_t>& file, const char* name = "t.bmp") { return DecodeBytes(file, name); }

const std::vector<uint32_t> kPal16 = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF,
                                      0xFF00FF, 0x808080, 0x400000, 0x004000, 0x000040, 0x404000,
                                      0x004040, 0x400040, 0xC0C0C0, 0xFFFFFF};

TEST(BmpPaletted, EveryBitCountKeepsItsIndicesAndPalette) {
    const Grid rows = {{0, 1, 1, 0, 1, 0, 0, 1, 1}, {1, 0, 0, 1, 0, 1, 1, 0, 0}};
    const Grid rows2 = {{0, 1, 2, 3, 3, 2, 1}, {3, 3, 0, 0, 1, 1, 2}};
    const Grid rows4 = {{0, 15, 7, 8, 1}, {14, 2, 13, 3, 12}, {4, 5, 6, 9, 10}};
    Grid rows8 = {{0, 1, 2, 3, 4, 5}, {15, 14, 13, 12, 11, 10}};
    struct Case {
        int bits;
        Grid rows;
        int dibBits;
        int colours;
    } cases[] = {{1, rows, 1, 2}, {2, rows2, 4, 4}, {4, rows4, 4, 16}, {8, rows8, 8, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        Bmp b;
        b.width = static_cast<int32_t>(c.rows[0].size());
        b.height = static_cast<int32_t>(c.rows.size());
        b.bitCount = static_cast<uint16_t>(c.bits);
        b.palette.assign(kPal16.begin(), kPal16.begin() + c.colours);
        b.clrUsed = c.bits == 8 ? 16 : 0;
        b.pixels = PackRows(c.bits, c.rows);
        DibPtr dib = Decode(Encode(b));
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->biBitCount, c.dibBits);
        EXPECT_EQ(dib->biClrUsed, static_cast<uint32_t>(c.colours));
        EXPECT_EQ(Pixels(dib.get()), Colours(c.rows, kPal16));
    }
}

TEST(BmpPaletted, TopDownRowsAndOs2Headers) {
    const Grid rows = {{1, 2, 3}, {4, 5, 6}, {7, 0, 1}};
    Bmp b;
    b.width = 3;
    b.height = -3;
    b.palette = kPal16;
    b.pixels = PackRows(8, rows, true);
    DibPtr dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biHeight, 3);
    EXPECT_EQ(Pixels(dib.get()), Colours(rows, kPal16));

    // OS/2 1.x: 16-bit sizes, 3-byte entries; the pixel offset shows that
    // the table holds 8 of the 16 entries a 4-bit image could index.
    Bmp core;
    core.headerSize = 12;
    core.width = 3;
    core.height = 3;
    core.bitCount = 4;
    core.palette.assign(kPal16.begin(), kPal16.begin() + 8);
    core.pixels = PackRows(4, rows);
    dib = Decode(Encode(core));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biClrUsed, 8u);
    EXPECT_EQ(Pixels(dib.get()), Colours(rows, kPal16));

    // OS/2 2.x, cut to 16 bytes: no compression or colour count fields.
    Bmp os2;
    os2.headerSize = 16;
    os2.width = 3;
    os2.height = 3;
    os2.palette = kPal16;
    os2.pixels = PackRows(8, rows);
    os2.bitCount = 8;
    os2.palette.resize(256, 0);
    dib = Decode(Encode(os2));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biClrUsed, 256u);
    EXPECT_EQ(Pixels(dib.get()), Colours(rows, kPal16));
}

TEST(BmpPaletted, BareDibAndBitmapArray) {
    const Grid rows = {{1, 0}, {0, 1}};
    Bmp b;
    b.width = 2;
    b.height = 2;
    b.bitCount = 1;
    b.palette = {0x000000, 0xFFFFFF};
    b.pixels = PackRows(1, rows);
    const Grid want = Colours(rows, b.palette);

    Bmp bare = b;
    bare.fileHeader = false;
    DibPtr dib = Decode(Encode(bare), "clip.dib");
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), want);
    // Without the extension nothing marks it as a bitmap.
    EXPECT_FALSE(Decode(Encode(bare), "clip.xyz"));

    // "BA": the first image of the array; its offsets count from the file start.
    std::vector<uint8_t> inner = Encode(b);
    uint32_t off = inner[10] | inner[11] << 8;
    off += 14;
    inner[10] = static_cast<uint8_t>(off);
    inner[11] = static_cast<uint8_t>(off >> 8);
    std::vector<uint8_t> array = {'B', 'A'};
    Put32(array, 14 + static_cast<uint32_t>(inner.size()));
    Put32(array, 0);
    Put16(array, 0);
    Put16(array, 0);
    array.insert(array.end(), inner.begin(), inner.end());
    dib = Decode(array);
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), want);
}

TEST(BmpTrueColour, RawSixteenTwentyFourAndThirtyTwoBits) {
    Bmp b;
    b.width = 3;
    b.height = 2;
    // 16 bits default to 5-5-5; the top bit is unused.
    b.bitCount = 16;
    b.pixels = PackRows(16, {{0x7FFF, 0x4210, 0x801F}, {0x7C00, 0x03E0, 0x0000}});
    DibPtr dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 24);
    EXPECT_EQ(dib->biClrUsed, 0u);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0xFFFFFF, 0x848484, 0x0000FF}, {0xFF0000, 0x00FF00, 0x000000}}));

    b.bitCount = 24;
    b.pixels = PackRows(24, {{0x123456, 0xABCDEF, 0x000001}, {0xFF0000, 0x00FF00, 0x0000FF}});
    dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0x123456, 0xABCDEF, 0x000001}, {0xFF0000, 0x00FF00, 0x0000FF}}));

    // 32 bits BI_RGB: the fourth byte is not alpha, even in a V5 header
    // that declares an alpha mask.
    b.bitCount = 32;
    b.pixels = PackRows(32, {{0x00123456, 0x80ABCDEF, 0xFF000001}, {0x7FFF0000, 0x0000FF00, 0x000000FF}});
    for (uint32_t headerSize : {40u, 124u}) {
        b.headerSize = headerSize;
        b.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
        if (headerSize == 40) b.masks.clear();
        dib = Decode(Encode(b));
        ASSERT_TRUE(dib);
        EXPECT_EQ(Pixels(dib.get()), (Grid{{0x123456, 0xABCDEF, 0x000001}, {0xFF0000, 0x00FF00, 0x0000FF}}));
    }
}

TEST(BmpTrueColour, BitfieldsScaleAnyWidthToEightBits) {
    Bmp b;
    b.width = 3;
    b.height = 1;
    b.bitCount = 16;
    b.compression = 3;
    b.masks = {0xF800, 0x07E0, 0x001F};
    b.pixels = PackRows(16, {{0xF800, 0x8410, 0x07FF}});
    DibPtr dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    // 16 of 31 is 132 of 255, 32 of 63 is 130.
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0xFF0000, 0x848284, 0x00FFFF}}));

    // 10-10-10 in 32 bits, masks inside a V4 header.
    b.headerSize = 108;
    b.bitCount = 32;
    b.masks = {0x3FF00000, 0x000FFC00, 0x000003FF, 0};
    b.pixels = PackRows(32, {{0x3FF00000u | 512u << 10, 0x000003FF, 1u << 20}});
    dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0xFF8000, 0x0000FF, 0x000000}}));

    // Channels of 16 and 32 bits, wider than any table.
    b.masks = {0xFFFF0000, 0x0000FFFF, 0};
    b.pixels = PackRows(32, {{0xFFFF8000, 0x00010001, 0}});
    dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0xFF8000, 0x000000, 0x000000}}));
    b.masks = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    b.pixels = PackRows(32, {{0xFFFFFFFF, 0x80000000, 0x00000001}});
    dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0xFFFFFF, 0x808080, 0x000000}}));

    // 2-3-1 bits: the one-bit channel is off or full.
    b.headerSize = 40;
    b.bitCount = 16;
    b.masks = {0x00C0, 0x0038, 0x0001};
    b.pixels = PackRows(16, {{0x00C0, 0x0020 | 0x0001, 0x0040}});
    dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0xFF0000, 0x0092FF, 0x550000}}));
}

TEST(BmpTrueColour, AlphaMaskCompositesOverBlack) {
    Bmp b;
    b.width = 3;
    b.height = 1;
    b.bitCount = 32;
    b.compression = 3;
    b.headerSize = 108;
    b.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    b.pixels = PackRows(32, {{0x80C86400, 0xFF0A0B0C, 0x00FFFFFF}});
    DibPtr dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0x643200, 0x0A0B0C, 0x000000}}));

    // BI_ALPHABITFIELDS with a 40-byte header: four masks follow it.
    b.headerSize = 40;
    b.compression = 6;
    b.bitCount = 16;
    b.masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
    b.pixels = PackRows(16, {{0xFF00, 0x7F00, 0x0FFF}});
    dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0xFF0000, 0x770000, 0x000000}}));

    // Without an alpha mask, 32-bit bitfields are opaque.
    b.compression = 3;
    b.bitCount = 32;
    b.masks = {0xFF0000, 0xFF00, 0xFF};
    b.pixels = PackRows(32, {{0x00C86400, 0x000A0B0C, 0x00FFFFFF}});
    dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0xC86400, 0x0A0B0C, 0xFFFFFF}}));
}

TEST(BmpRle, Rle8RunsAbsoluteDeltaAndSkippedPixels) {
    Bmp b;
    b.width = 5;
    b.height = 3;
    b.compression = 1;
    b.palette.assign(kPal16.begin(), kPal16.begin() + 4);
    b.pixels = {
        2, 1, 0, 3, 2, 3, 2, 0, 0, 0,  // bottom: run, absolute (padded), end of line
        0, 2, 2, 0, 1, 3, 0, 0,        // delta right by 2, one pixel
        7, 1, 0, 1,                    // a run past the row end is clipped; end of bitmap
    };
    DibPtr dib = Decode(Encode(b), "t.rle");
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 8);
    EXPECT_EQ(Pixels(dib.get()), Colours({{1, 1, 1, 1, 1}, {0, 0, 3, 0, 0}, {1, 1, 2, 3, 2}}, kPal16));

    // Top-down RLE is not in the format, but viewers read it.
    b.height = -3;
    dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), Colours({{1, 1, 2, 3, 2}, {0, 0, 3, 0, 0}, {1, 1, 1, 1, 1}}, kPal16));
}

TEST(BmpRle, Rle4NibblesAtOddPositionsAndVerticalDelta) {
    Bmp b;
    b.width = 6;
    b.height = 3;
    b.bitCount = 4;
    b.compression = 2;
    b.palette.assign(kPal16.begin(), kPal16.begin() + 6);
    b.pixels = {
        3, 0x12, 2, 0x45, 0, 0,          // 1 2 1, then 4 5 from an odd position
        0, 2, 1, 0, 0, 3, 0x34, 0x50,    // delta right 1, three literal nibbles
        0, 2, 0, 1, 2, 0x11, 0, 1,       // delta up one row, run of 1s, end
    };
    DibPtr dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 4);
    EXPECT_EQ(dib->biClrUsed, 6u);
    EXPECT_EQ(Pixels(dib.get()), Colours({{0, 0, 0, 0, 1, 1}, {0, 3, 4, 5, 0, 0}, {1, 2, 1, 4, 5, 0}}, kPal16));
}

TEST(BmpRle, Rle24FromOs2) {
    Bmp b;
    b.headerSize = 64;
    b.width = 3;
    b.height = 2;
    b.bitCount = 24;
    b.compression = 4;
    b.pixels = {2, 0x30, 0x20, 0x10, 0, 0,                                          // run of two
                0, 3, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 1};                 // three literals, padded
    DibPtr dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0x0000FF, 0x00FF00, 0xFF0000}, {0x102030, 0x102030, 0x000000}}));
}

TEST(BmpRle, HostileStreamsStayInsideTheImage) {
    Bmp b;
    b.width = 4;
    b.height = 2;
    b.compression = 1;
    b.palette.assign(kPal16.begin(), kPal16.begin() + 4);
    const std::vector<std::vector<uint8_t>> streams = {
        {1, 1, 0, 2, 255, 255, 9, 2},          // delta far beyond the image, then a run
        {1, 1, 0, 2, 3, 0, 0, 200, 1, 2},      // literal run longer than the data
        {1, 1, 0, 2, 250, 0, 0, 3, 1, 2, 3, 0, 0, 0, 255, 3},  // writes past the row end
        {1, 1, 0},                              // cut inside an escape
    };
    for (const auto& s : streams) {
        b.pixels = s;
        DibPtr dib = Decode(Encode(b));
        ASSERT_TRUE(dib);
        EXPECT_EQ(Pixels(dib.get())[1][0], kPal16[1]);  // the first run, bottom left
    }
    // A run past the end of the last row leaves the rest alone.
    b.pixels = {0, 0, 0, 0, 0, 0, 0, 0, 4, 2};
    EXPECT_TRUE(Decode(Encode(b)));
}

TEST(BmpHostile, PixelOffsetAndPaletteCountAreBounded) {
    const Grid rows = {{1, 2}, {3, 0}};
    Bmp b;
    b.width = 2;
    b.height = 2;
    b.palette.assign(kPal16.begin(), kPal16.begin() + 4);
    b.clrUsed = 4;
    b.pixels = PackRows(8, rows);
    const Grid want = Colours(rows, kPal16);

    // An offset past the end, or inside the header: the pixels follow the table.
    for (int64_t off : {int64_t(1000000), int64_t(0), int64_t(20)}) {
        b.offBits = off;
        DibPtr dib = Decode(Encode(b));
        ASSERT_TRUE(dib) << off;
        EXPECT_EQ(Pixels(dib.get()), want) << off;
    }
    b.offBits = -1;

    // A huge colour count: the table is as long as the pixel offset allows.
    b.clrUsed = 0x12345678;
    DibPtr dib = Decode(Encode(b));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biClrUsed, 4u);
    EXPECT_EQ(Pixels(dib.get()), want);

    // Without a file header nothing bounds it but the bit count, and 256
    // entries are not in the file.
    b.fileHeader = false;
    dib = Decode(Encode(b), "t.dib");
    EXPECT_FALSE(dib);
    EXPECT_EQ(GetLastImgLibError(), IMGLIB_ERR_UNSUPPORTED);
}

TEST(BmpHostile, TruncatedDataKeepsTheRowsThatArrived) {
    Bmp b;
    b.width = 4;
    b.height = 3;
    b.palette.assign(kPal16.begin(), kPal16.begin() + 4);
    b.pixels = PackRows(8, {{3, 3, 3, 3}, {2, 2, 2, 2}, {1, 1, 1, 1}});
    std::vector<uint8_t> file = Encode(b);
    file.resize(file.size() - 4 - 2);  // the top row and half the middle one
    DibPtr dib = Decode(file);
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), Colours({{0, 0, 0, 0}, {2, 2, 0, 0}, {1, 1, 1, 1}}, kPal16));

    // A colour table cut short is not a picture.
    file = Encode(b);
    file.resize(14 + 40 + 6);
    EXPECT_FALSE(Decode(file));
    EXPECT_EQ(GetLastImgLibError(), IMGLIB_ERR_UNSUPPORTED);
}

TEST(BmpHostile, BadSizesAndFieldsAreRefusedWithTheRightCode) {
    Bmp b;
    b.width = 2;
    b.height = 2;
    b.bitCount = 24;
    b.pixels = PackRows(24, {{1, 2}, {3, 4}});
    struct Case {
        int32_t width, height;
        uint16_t bits;
        uint32_t compression, headerSize;
        int code;
    } cases[] = {
        {300000, 2, 24, 0, 40, IMGLIB_ERR_MEMORY},      // wider than any image we hold
        {20000, 20000, 24, 0, 40, IMGLIB_ERR_MEMORY},   // over the byte limit
        {2, INT_MIN, 24, 0, 40, IMGLIB_ERR_MEMORY},     // top-down by 2^31 rows
        {0, 2, 24, 0, 40, IMGLIB_ERR_UNSUPPORTED},
        {-2, 2, 24, 0, 40, IMGLIB_ERR_UNSUPPORTED},
        {2, 0, 24, 0, 40, IMGLIB_ERR_UNSUPPORTED},
        {2, 2, 3, 0, 40, IMGLIB_ERR_UNSUPPORTED},       // no such bit count
        {2, 2, 24, 1, 40, IMGLIB_ERR_UNSUPPORTED},      // RLE8 at 24 bits
        {2, 2, 24, 5, 40, IMGLIB_ERR_UNSUPPORTED},      // embedded PNG
        {2, 2, 24, 0, 8, IMGLIB_ERR_UNSUPPORTED},       // header too short to be one
        {2, 2, 24, 0, 100000, IMGLIB_ERR_UNSUPPORTED},  // header longer than the file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " bits " << c.bits);
        Bmp t = b;
        t.width = c.width;
        t.height = c.height;
        t.bitCount = c.bits;
        t.compression = c.compression;
        t.headerSize = c.headerSize < 12 ? 40 : c.headerSize == 100000 ? 40 : c.headerSize;
        std::vector<uint8_t> file = Encode(t);
        if (c.headerSize != t.headerSize) {
            file[14] = static_cast<uint8_t>(c.headerSize);
            file[15] = static_cast<uint8_t>(c.headerSize >> 8);
            file[16] = static_cast<uint8_t>(c.headerSize >> 16);
        }
        EXPECT_FALSE(Decode(file));
        EXPECT_EQ(GetLastImgLibError(), c.code);
    }
    // The bare "BM" signature with nothing after it.
    EXPECT_FALSE(Decode({'B', 'M'}));
    EXPECT_EQ(GetLastImgLibError(), IMGLIB_ERR_UNSUPPORTED);
}

}  // namespace
}  // namespace imglib::test
