#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "test_support.h"

namespace imglib::test {
namespace {


struct Pcx {
    uint8_t version = 5;
    uint8_t encoding = 1;
    uint8_t bitsPerPlane = 8;
    uint8_t planes = 1;
    int width = 0, height = 0;
    unsigned bytesPerLine = 0;
    std::vector<uint32_t> headerPalette;  // 0xRRGGBB, up to 16
    std::vector<uint8_t> scan;           // every line's planes, unencoded
    std::vector<uint32_t> trailer;       // the 256-colour palette, if any
    bool runsCrossLines = true;
};

// PCX run-length coding; with `crossLines` off each line is coded alone.
void EncodeRuns(const uint8_t* p, size_t n, std::vector<uint8_t>& out) {
    for (size_t i = 0; i < n;) {
        size_t run = 1;
        while (i + run < n && run < 63 && p[i + run] == p[i]) ++run;
        if (run > 1 || p[i] >= 0xC0) Put8(out, 0xC0 | static_cast<unsigned>(run));
        Put8(out, p[i]);
        i += run;
    }
}

std::vector<uint8_t> Encode(const Pcx& c) {
    std::vector<uint8_t> f;
    Put8(f, 0x0A);
    Put8(f, c.version);
    Put8(f, c.encoding);
    Put8(f, c.bitsPerPlane);
    Put16(f, 0);
    Put16(f, 0);
    Put16(f, static_cast<unsigned>(c.width - 1));
    Put16(f, static_cast<unsigned>(c.height - 1));
    Put16(f, 72);
    Put16(f, 72);
    for (int i = 0; i < 16; ++i) {
        uint32_t v = i < static_cast<int>(c.headerPalette.size()) ? c.headerPalette[i] : 0;
        Put8(f, v >> 16);
        Put8(f, v >> 8);
        Put8(f, v);
    }
    Put8(f, 0);
    Put8(f, c.planes);
    Put16(f, c.bytesPerLine);
    Put16(f, 1);
    f.resize(128, 0);
    if (c.encoding == 0) {
        f.insert(f.end(), c.scan.begin(), c.scan.end());
    } else if (c.runsCrossLines) {
        EncodeRuns(c.scan.data(), c.scan.size(), f);
    } else {
        size_t line = static_cast<size_t>(c.bytesPerLine) * c.planes;
        for (size_t at = 0; at < c.scan.size(); at += line) EncodeRuns(c.scan.data() + at, line, f);
    }
    if (!c.trailer.empty()) {
        Put8(f, 0x0C);
        for (int i = 0; i < 256; ++i) {
            uint32_t v = i < static_cast<int>(c.trailer.size()) ? c.trailer[i] : 0;
            Put8(f, v >> 16);
            Put8(f, v >> 8);
            Put8(f, v);
        }
    }
    return f;
}

// Index rows into plane-separated scanlines of `bits` per sample: plane p
// holds bits p*bits.. of each index.
std::vector<uint8_t> Planar(int bits, int planes, unsigned bytesPerLine, const Grid& rows) {
    std::vector<uint8_t> out;
    for (const auto& row : rows) {
        for (int p = 0; p < planes; ++p) {
            std::vector<uint8_t> line(bytesPerLine, 0);
            for (size_t x = 0; x < row.size(); ++x) {
                unsigned v = (row[x] >> (p * bits)) & ((1u << bits) - 1);
                line[x * bits / 8] |= static_cast<uint8_t>(v << (8 - bits - (x * bits) % 8));
            }
            out.insert(out.end(), line.begin(), line.end());
        }
    }
    return out;
}

// 0xAARRGGBB rows into R, G, B (and A) planes; padding bytes are 0xEE.
std::vector<uint8_t> ColourPlanes(int planes, unsigned bytesPerLine, const Grid& rows) {
    std::vector<uint8_t> out;
    const int shifts[4] = {16, 8, 0, 24};
    for (const auto& row : rows)
        for (int p = 0; p < planes; ++p) {
            for (uint32_t v : row) Put8(out, v >> shifts[p]);
            for (size_t x = row.size(); x < bytesPerLine; ++x) Put8(out, 0xEE);
        }
    return out;
}

DibPtr Decode(const Pcx& c) { return DecodeBytes(Encode(c), "t.pcx"); }

const std::vector<uint32_t> kPal16 = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF,
                                      0xFF00FF, 0x808080, 0x400000, 0x004000, 0x000040, 0x404000,
                                      0x004040, 0x400040, 0xC0C0C0, 0xFFFFFF};
const std::vector<uint32_t> kEga = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                    0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                    0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

TEST(PcxIndexed, MonochromeIsBlackAndWhiteWhateverTheHeaderSays) {
    const Grid rows = {{1, 0, 1, 1, 0, 0, 0, 1, 1, 0}, {0, 1, 0, 0, 1, 1, 1, 0, 0, 1}};
    Pcx c;
    c.bitsPerPlane = 1;
    c.width = 10;
    c.height = 2;
    c.bytesPerLine = 2;
    c.headerPalette = {0x665A9B, 0x73896A};
    c.scan = Planar(1, 1, 2, rows);
    DibPtr dib = Decode(c);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 1);
    EXPECT_EQ(dib->biClrUsed, 2u);
    EXPECT_EQ(Pixels(dib.get()), Colours(rows, {0x000000, 0xFFFFFF}));
}

TEST(PcxIndexed, PlanarAndPackedUseTheHeaderPalette) {
    const Grid rows16 = {{0, 1, 2, 3, 4, 5, 6, 7, 8}, {15, 14, 13, 12, 11, 10, 9, 8, 7}};
    struct Case {
        uint8_t bits, planes;
        unsigned bytesPerLine;
        int colours;
    } cases[] = {
        {1, 4, 2, 16},  // EGA: four 1-bit planes
        {1, 3, 2, 8},   // eight colours
        {1, 2, 2, 4},
        {2, 1, 4, 4},   // CGA
        {4, 1, 6, 16},  // packed nibbles, padded line
        {2, 2, 4, 16},  // two planes of 2 bits
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << int(k.bits) << " bits x " << int(k.planes));
        Grid rows = rows16;
        for (auto& row : rows)
            for (auto& v : row) v %= k.colours;
        Pcx c;
        c.bitsPerPlane = k.bits;
        c.planes = k.planes;
        c.width = 9;
        c.height = 2;
        c.bytesPerLine = k.bytesPerLine;
        c.headerPalette = kPal16;
        c.scan = Planar(k.bits, k.planes, k.bytesPerLine, rows);
        c.runsCrossLines = false;
        DibPtr dib = Decode(c);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->biBitCount, 4);
        EXPECT_EQ(dib->biClrUsed, static_cast<uint32_t>(k.colours));
        EXPECT_EQ(Pixels(dib.get()), Colours(rows, kPal16));
    }
}

TEST(PcxIndexed, DefaultColoursWhenTheHeaderHasNone) {
    const Grid rows = {{0, 1, 2, 3, 4, 5, 6, 7}, {8, 9, 10, 11, 12, 13, 14, 15}};
    Pcx c;
    c.bitsPerPlane = 1;
    c.planes = 4;
    c.width = 8;
    c.height = 2;
    c.bytesPerLine = 2;
    c.scan = Planar(1, 4, 2, rows);
    // Version 3 carries no palette even when the bytes are there.
    c.version = 3;
    c.headerPalette = kPal16;
    DibPtr dib = Decode(c);
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), Colours(rows, kEga));
    // A version 5 palette left all zero was never written.
    c.version = 5;
    c.headerPalette.clear();
    dib = Decode(c);
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), Colours(rows, kEga));
    // Four colours without a palette are the CGA ones.
    c.bitsPerPlane = 2;
    c.planes = 1;
    c.scan = Planar(2, 1, 2, {{0, 1, 2, 3, 3, 2, 1, 0}, {0, 0, 0, 0, 3, 3, 3, 3}});
    dib = Decode(c);
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get())[0], (std::vector<uint32_t>{0x000000, 0x55FFFF, 0xFF55FF, 0xFFFFFF, 0xFFFFFF,
                                                           0xFF55FF, 0x55FFFF, 0x000000}));
}

TEST(PcxIndexed, EightBitsUseTheTrailerPaletteOrGrey) {
    const Grid rows = {{0, 1, 2}, {200, 255, 7}};
    std::vector<uint32_t> trailer(256);
    for (int i = 0; i < 256; ++i) trailer[i] = 0x010203u * static_cast<uint32_t>(i % 80);
    Pcx c;
    c.width = 3;
    c.height = 2;
    c.bytesPerLine = 4;
    c.scan = Planar(8, 1, 4, rows);
    c.trailer = trailer;
    DibPtr dib = Decode(c);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 8);
    EXPECT_EQ(dib->biClrUsed, 256u);
    EXPECT_EQ(Pixels(dib.get()), Colours(rows, trailer));

    c.trailer.clear();
    dib = Decode(c);
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0x000000, 0x010101, 0x020202}, {0xC8C8C8, 0xFFFFFF, 0x070707}}));
}

TEST(PcxColour, ThreePlanesWithPaddingRunsAcrossLinesAndRawData) {
    const Grid rows = {{0x102030, 0x102030, 0xC0C1C2}, {0xC0C1C2, 0x000000, 0xFFFFFF}, {0x0A0B0C, 0x0A0B0C, 0x0A0B0C}};
    Pcx c;
    c.planes = 3;
    c.width = 3;
    c.height = 3;
    c.bytesPerLine = 5;
    c.scan = ColourPlanes(3, 5, rows);
    for (uint8_t encoding : {1, 0}) {
        c.encoding = encoding;
        DibPtr dib = Decode(c);
        ASSERT_TRUE(dib) << int(encoding);
        EXPECT_EQ(dib->biBitCount, 24);
        EXPECT_EQ(dib->biClrUsed, 0u);
        EXPECT_EQ(Pixels(dib.get()), rows) << int(encoding);
    }

    // Runs that run on from one plane into the next and from one line into
    // the next, as many writers emit them.
    Pcx two;
    two.planes = 3;
    two.width = 2;
    two.height = 2;
    two.bytesPerLine = 2;
    std::vector<uint8_t> file = Encode(two);
    for (uint8_t b : {0xC5, 0x10, 0xC4, 0x20, 0xC3, 0x30}) Put8(file, b);
    DibPtr dib = DecodeBytes(file, "t.pcx");
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0x101010, 0x101020}, {0x202030, 0x203030}}));
}

TEST(PcxColour, FourthPlaneIsAlphaOverBlack) {
    Pcx c;
    c.planes = 4;
    c.width = 3;
    c.height = 1;
    c.bytesPerLine = 4;
    c.scan = ColourPlanes(4, 4, {{0x80C86400, 0xFF0A0B0C, 0x00FFFFFF}});
    DibPtr dib = Decode(c);
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0x643200, 0x0A0B0C, 0x000000}}));
}

TEST(PcxHostile, TruncatedDataKeepsWhatArrived) {
    Pcx c;
    c.planes = 3;
    c.width = 2;
    c.height = 3;
    c.bytesPerLine = 2;
    c.encoding = 0;
    c.scan = ColourPlanes(3, 2, {{0x112233, 0x445566}, {0x778899, 0xAABBCC}, {0xFFFFFF, 0xFFFFFF}});
    std::vector<uint8_t> file = Encode(c);
    file.resize(128 + 6 + 3);  // the first line and half of the second
    DibPtr dib = DecodeBytes(file, "t.pcx");
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), (Grid{{0x112233, 0x445566}, {0x778800, 0xAA0000}, {0, 0}}));

    // An RLE stream that ends inside a run's count byte.
    c.encoding = 1;
    file = Encode(c);
    file.resize(129);
    file.back() = 0xC5;
    dib = DecodeBytes(file, "t.pcx");
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get())[0][0], 0u);
}

TEST(PcxHostile, BadHeadersAreRefusedWithTheRightCode) {
    Pcx base;
    base.planes = 3;
    base.width = 4;
    base.height = 4;
    base.bytesPerLine = 4;
    base.scan = ColourPlanes(3, 4, Grid(4, std::vector<uint32_t>(4, 0x123456)));
    DibPtr dib = Decode(base);  // long runs across planes and lines
    ASSERT_TRUE(dib);
    EXPECT_EQ(Pixels(dib.get()), Grid(4, std::vector<uint32_t>(4, 0x123456)));

    struct Case {
        const char* what;
        void (*edit)(std::vector<uint8_t>&);
        int code;
    } cases[] = {
        {"65535 square at 24 bits",
         [](std::vector<uint8_t>& f) {
             f[8] = 0xFE;
             f[9] = f[10] = f[11] = f[66] = f[67] = 0xFF;
         },
         IMGLIB_ERR_MEMORY},
        {"xmax before xmin", [](std::vector<uint8_t>& f) { f[4] = 9; }, IMGLIB_ERR_UNSUPPORTED},
        {"line shorter than the width", [](std::vector<uint8_t>& f) { f[66] = 3; }, IMGLIB_ERR_UNSUPPORTED},
        {"no bytes per line", [](std::vector<uint8_t>& f) { f[66] = 0; }, IMGLIB_ERR_UNSUPPORTED},
        {"five planes", [](std::vector<uint8_t>& f) { f[65] = 5; }, IMGLIB_ERR_UNSUPPORTED},
        {"three bits", [](std::vector<uint8_t>& f) { f[3] = 3; }, IMGLIB_ERR_UNSUPPORTED},
        {"header only, cut", [](std::vector<uint8_t>& f) { f.resize(100); }, IMGLIB_ERR_UNSUPPORTED},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        std::vector<uint8_t> file = Encode(base);
        k.edit(file);
        EXPECT_FALSE(DecodeBytes(file, "t.pcx"));
        EXPECT_EQ(GetLastImgLibError(), k.code);
    }
}

}  // namespace
}  // namespace imglib::test
