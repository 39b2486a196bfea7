#include <gtest/gtest.h>

#include <random>

#include "decoders.h"
#include "test_support.h"
#include "tga_rows.h"

namespace imglib::test {
namespace {

struct Px {
    uint8_t r, g, b;
};

struct TgaLayout {
    uint8_t type = 2;
    uint8_t bits = 24;
    uint8_t descriptor = 0x20;  // top-left origin
    uint16_t width = 1, height = 1;
    std::vector<uint8_t> id;
    uint8_t mapType = 0;
    uint16_t mapFirst = 0, mapLength = 0;
    uint8_t mapBits = 0;
    std::vector<uint8_t> map;
    std::vector<uint8_t> pixels;  // file order, already run-length encoded for types 9-11
    int extAttributes = -1;       // >= 0: append a TGA 2.0 extension area and footer
};

std::vector<uint8_t> BuildTga(const TgaLayout& s) {
    std::vector<uint8_t> f;
    Put8(f, static_cast<unsigned>(s.id.size()));
    Put8(f, s.mapType);
    Put8(f, s.type);
    Put16(f, s.mapFirst);
    Put16(f, s.mapLength);
    Put8(f, s.mapBits);
    Put16(f, 0);
    Put16(f, 0);
    Put16(f, s.width);
    Put16(f, s.height);
    Put8(f, s.bits);
    Put8(f, s.descriptor);
    f.insert(f.end(), s.id.begin(), s.id.end());
    f.insert(f.end(), s.map.begin(), s.map.end());
    f.insert(f.end(), s.pixels.begin(), s.pixels.end());
    if (s.extAttributes >= 0) {
        uint32_t extOffset = static_cast<uint32_t>(f.size());
        std::vector<uint8_t> ext(495, 0);
        ext[0] = 495 & 0xFF;
        ext[1] = 495 >> 8;
        ext[494] = static_cast<uint8_t>(s.extAttributes);
        f.insert(f.end(), ext.begin(), ext.end());
        Put32(f, extOffset);
        Put32(f, 0);
        const char sig[] = "TRUEVISION-XFILE.";
        f.insert(f.end(), sig, sig + sizeof sig);  // with its NUL
    }
    return f;
}

// Greedy TGA packets over the whole pixel stream, so packets run across
// rows as TGA 1.0 writers let them.
std::vector<uint8_t> EncodeRle(const std::vector<uint8_t>& raw, size_t pb) {
    std::vector<uint8_t> out;
    size_t n = raw.size() / pb, i = 0;
    auto same = [&](size_t a, size_t b) { return std::equal(&raw[a * pb], &raw[a * pb] + pb, &raw[b * pb]); };
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && same(i, i + run)) ++run;
        if (run >= 2) {
            Put8(out, 0x80 | (run - 1));
            out.insert(out.end(), &raw[i * pb], &raw[i * pb] + pb);
            i += run;
            continue;
        }
        size_t lit = 1;
        while (i + lit < n && lit < 128 && !(i + lit + 1 < n && same(i + lit, i + lit + 1))) ++lit;
        Put8(out, lit - 1);
        out.insert(out.end(), &raw[i * pb], &raw[i * pb] + lit * pb);
        i += lit;
    }
    return out;
}

std::vector<uint8_t> Rgb(std::initializer_list<Px> px) {
    std::vector<uint8_t> v;
    for (const Px& p : px) v.insert(v.end(), {p.r, p.g, p.b});
    return v;
}

DibPtr Decode(const std::vector<uint8_t>& file) { return DecodeBytes(file, "picture.tga"); }

// Decodes and expands to RGB; fails the test when the file is refused.
RgbImage DecodeRgb(const TgaLayout& layout) {
    RgbImage img;
    DibPtr dib = Decode(BuildTga(layout));
    EXPECT_TRUE(dib) << "refused with " << GetLastImgLibError();
    if (dib) {
        EXPECT_TRUE(ToRgb(dib.get(), &img));
    }
    return img;
}

int RefusedWith(const std::vector<uint8_t>& file) {
    DibPtr dib = Decode(file);
    return dib ? IMGLIB_OK : GetLastImgLibError();
}

const Px kPicture[2][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}}};
const std::vector<uint8_t> kPictureRgb = Rgb({kPicture[0][0], kPicture[0][1], kPicture[0][2], kPicture[1][0],
                                              kPicture[1][1], kPicture[1][2]});

// kPicture stored as BGR in the order the descriptor's origin bits give.
std::vector<uint8_t> StorePicture(uint8_t descriptor) {
    bool top = descriptor & 0x20, right = descriptor & 0x10;
    std::vector<uint8_t> out;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            const Px& p = kPicture[top ? r : 1 - r][right ? 2 - c : c];
            out.insert(out.end(), {p.b, p.g, p.r});
        }
    return out;
}

TEST(Tga, TrueColourInEveryOriginRawAndRle) {
    for (uint8_t descriptor : {0x00, 0x10, 0x20, 0x30}) {
        for (bool rle : {false, true}) {
            SCOPED_TRACE(testing::Message() << "descriptor " << int(descriptor) << " rle " << rle);
            TgaLayout s;
            s.type = rle ? 10 : 2;
            s.descriptor = descriptor;
            s.width = 3;
            s.height = 2;
            s.pixels = StorePicture(descriptor);
            if (rle) s.pixels = EncodeRle(s.pixels, 3);
            RgbImage img = DecodeRgb(s);
            EXPECT_EQ(img.width, 3);
            EXPECT_EQ(img.height, 2);
            EXPECT_EQ(img.rgb, kPictureRgb);
        }
    }
}

TEST(Tga, TrueColourIs24BitAndSkipsIdAndUnusedColourMap) {
    TgaLayout s;
    s.width = 3;
    s.height = 2;
    s.id.assign(7, 0xEE);
    s.mapType = 1;  // a map the true-colour pixels do not use
    s.mapLength = 5;
    s.mapBits = 24;
    s.map.assign(15, 0x77);
    s.pixels = StorePicture(s.descriptor);
    DibPtr dib = Decode(BuildTga(s));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 24);
    EXPECT_EQ(dib->biClrUsed, 0u);
    RgbImage img;
    ASSERT_TRUE(ToRgb(dib.get(), &img));
    EXPECT_EQ(img.rgb, kPictureRgb);
}

TEST(Tga, SixteenBitChannelsExpandAndTopBitIsNotAlpha) {
    for (uint8_t bits : {15, 16}) {
        TgaLayout s;
        s.bits = bits;
        s.descriptor = 0x21;  // one attribute bit, as 16-bit writers say
        s.width = 4;
        // white with the top bit clear, pure blue, half red with the top bit set, a mix
        for (unsigned v : {0x7FFFu, 0x001Fu, 0x8000u | (16u << 10), (1u << 10) | (2u << 5) | 3u}) Put16(s.pixels, v);
        EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{255, 255, 255}, {0, 0, 255}, {132, 0, 0}, {8, 16, 24}}));
    }
}

TEST(Tga, AlphaIsCompositedOverBlackUnlessItIsNotAlpha) {
    TgaLayout s;
    s.bits = 32;
    s.descriptor = 0x28;
    s.width = 2;
    s.pixels = {50, 100, 200, 128, 10, 20, 30, 255};  // BGRA
    const std::vector<uint8_t> composited = Rgb({{100, 50, 25}, {30, 20, 10}});
    const std::vector<uint8_t> opaque = Rgb({{200, 100, 50}, {30, 20, 10}});
    EXPECT_EQ(DecodeRgb(s).rgb, composited);

    s.descriptor = 0x20;  // no attribute bits declared: still alpha
    EXPECT_EQ(DecodeRgb(s).rgb, composited);

    s.extAttributes = 3;  // TGA 2.0: "useful alpha channel"
    EXPECT_EQ(DecodeRgb(s).rgb, composited);
    s.extAttributes = 2;  // "undefined data, retain": not alpha
    EXPECT_EQ(DecodeRgb(s).rgb, opaque);
    s.extAttributes = 1;
    EXPECT_EQ(DecodeRgb(s).rgb, opaque);
    s.extAttributes = 4;  // premultiplied: over black the stored colour is the result
    EXPECT_EQ(DecodeRgb(s).rgb, opaque);

    // All alpha zero is a filler byte, not an invisible picture; RLE too.
    s.extAttributes = -1;
    s.pixels = {50, 100, 200, 0, 10, 20, 30, 0};
    EXPECT_EQ(DecodeRgb(s).rgb, opaque);
    s.type = 10;
    s.pixels = EncodeRle(s.pixels, 4);
    EXPECT_EQ(DecodeRgb(s).rgb, opaque);
    // One visible pixel late in an RLE stream makes the channel real.
    s.width = 3;
    s.pixels = EncodeRle({50, 100, 200, 0, 50, 100, 200, 0, 10, 20, 30, 255}, 4);
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{0, 0, 0}, {0, 0, 0}, {30, 20, 10}}));
}

TEST(Tga, CompositeRoundsLikeExactDivision) {
    for (unsigned c = 0; c < 256; ++c)
        for (unsigned a = 0; a < 256; ++a) ASSERT_EQ(OverBlack(c, a), (c * a + 127) / 255) << c << " " << a;
}

TEST(Tga, ColourMappedIsPalettedAndHonoursTheFirstEntryIndex) {
    for (bool rle : {false, true}) {
        SCOPED_TRACE(rle ? "rle" : "raw");
        TgaLayout s;
        s.type = rle ? 9 : 1;
        s.bits = 8;
        s.width = 4;
        s.mapType = 1;
        s.mapFirst = 2;
        s.mapLength = 3;
        s.mapBits = 24;
        s.map = {3, 2, 1, 6, 5, 4, 9, 8, 7};  // BGR entries for pixel values 2, 3, 4
        s.pixels = {4, 2, 3, 9};                // 9 is outside the map
        if (rle) s.pixels = EncodeRle(s.pixels, 1);
        DibPtr dib = Decode(BuildTga(s));
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib->biBitCount, 8);
        EXPECT_EQ(dib->biClrUsed, 3u);
        RgbImage img;
        ASSERT_TRUE(ToRgb(dib.get(), &img));
        EXPECT_EQ(img.rgb, Rgb({{7, 8, 9}, {1, 2, 3}, {4, 5, 6}, {0, 0, 0}}));
    }
}

TEST(Tga, ColourMapEntriesOfEverySize) {
    TgaLayout s;
    s.type = 1;
    s.bits = 8;
    s.width = 2;
    s.mapType = 1;
    s.mapLength = 2;
    s.pixels = {1, 0};

    s.mapBits = 15;
    s.map.clear();
    Put16(s.map, 0x801F);  // blue, top bit set: not alpha
    Put16(s.map, 16u << 5);
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{0, 132, 0}, {0, 0, 255}}));

    s.mapBits = 16;
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{0, 132, 0}, {0, 0, 255}}));

    s.mapBits = 32;  // BGRA entries: alpha composited into the palette
    s.map = {0, 0, 200, 0, 40, 80, 120, 255};
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{120, 80, 40}, {0, 0, 0}}));
    s.map = {0, 0, 200, 0, 40, 80, 120, 0};  // all zero: filler
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{120, 80, 40}, {200, 0, 0}}));
}

TEST(Tga, SixteenBitIndicesExpandTo24Bit) {
    TgaLayout s;
    s.type = 1;
    s.bits = 16;
    s.width = 3;
    s.mapType = 1;
    s.mapFirst = 300;
    s.mapLength = 300;
    s.mapBits = 24;
    s.map.assign(900, 0);
    s.map[3 * 299 + 2] = 99;  // last entry, value 599, is red 99
    for (unsigned v : {599u, 300u, 600u}) Put16(s.pixels, v);
    DibPtr dib = Decode(BuildTga(s));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 24);
    RgbImage img;
    ASSERT_TRUE(ToRgb(dib.get(), &img));
    EXPECT_EQ(img.rgb, Rgb({{99, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
}

TEST(Tga, GreyscaleAndGreyWithAlpha) {
    TgaLayout s;
    s.type = 3;
    s.bits = 8;
    s.width = 3;
    s.pixels = {0, 128, 255};
    DibPtr dib = Decode(BuildTga(s));
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 8);
    EXPECT_EQ(dib->biClrUsed, 256u);
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{0, 0, 0}, {128, 128, 128}, {255, 255, 255}}));

    s.bits = 16;
    s.descriptor = 0x28;
    s.pixels = {200, 128, 200, 255, 90, 0};  // grey, alpha
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{100, 100, 100}, {200, 200, 200}, {0, 0, 0}}));
    s.type = 11;
    s.pixels = EncodeRle(s.pixels, 2);
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{100, 100, 100}, {200, 200, 200}, {0, 0, 0}}));
}

TEST(Tga, RunAndRawPacketsCrossRows) {
    TgaLayout s;
    s.type = 11;
    s.bits = 8;
    s.width = 3;
    s.height = 3;
    // A run of 4 (row 0 and one pixel of row 1), raw 4 (rest of row 1, two
    // of row 2), then a run of 2 that overruns the last pixel by one.
    s.pixels = {0x83, 10, 0x03, 20, 30, 40, 50, 0x81, 60};
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{10, 10, 10}, {10, 10, 10}, {10, 10, 10},
                                    {10, 10, 10}, {20, 20, 20}, {30, 30, 30},
                                    {40, 40, 40}, {50, 50, 50}, {60, 60, 60}}));
}

TEST(Tga, PacketsPastTheLastPixelAreIgnored) {
    TgaLayout s;
    s.type = 10;
    s.width = 2;
    s.pixels = {0xFF, 1, 2, 3, 0x7F};  // a run of 128 for 2 pixels, then a raw packet with no data
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{3, 2, 1}, {3, 2, 1}}));
}

TEST(Tga, TruncatedPixelsKeepTheDecodedRows) {
    TgaLayout s;
    s.width = 3;
    s.height = 2;
    s.descriptor = 0x00;  // bottom-up: the file's first row is the picture's last
    s.pixels = StorePicture(s.descriptor);
    s.pixels.resize(3 * 3 + 4);  // one row and a pixel and a bit
    RgbImage img = DecodeRgb(s);
    EXPECT_EQ(img.rgb, Rgb({kPicture[0][0], {0, 0, 0}, {0, 0, 0}, kPicture[1][0], kPicture[1][1], kPicture[1][2]}));
    // Run-length data cut inside a raw packet and inside a run's value.
    s.type = 10;
    s.pixels = EncodeRle(StorePicture(s.descriptor), 3);
    for (size_t keep = 1; keep < s.pixels.size(); ++keep) {
        TgaLayout cut = s;
        cut.pixels.resize(keep);
        DibPtr dib = Decode(BuildTga(cut));
        if (dib) {
            EXPECT_EQ(dib->biWidth, 3);
        }
    }
}

TEST(Tga, HeaderWithoutPixelsIsRefused) {
    TgaLayout s;
    s.width = 4;
    EXPECT_EQ(RefusedWith(BuildTga(s)), IMGLIB_ERR_UNSUPPORTED);
}

TEST(Tga, OversizedDimensionsAreAMemoryError) {
    TgaLayout s;
    s.width = 65535;
    s.height = 65535;
    s.pixels = {1, 2, 3};
    EXPECT_EQ(RefusedWith(BuildTga(s)), IMGLIB_ERR_MEMORY);
}

TEST(Tga, HostileHeadersAreRefused) {
    TgaLayout good;
    good.type = 1;
    good.bits = 8;
    good.mapType = 1;
    good.mapLength = 2;
    good.mapBits = 24;
    good.map.assign(6, 0);
    good.pixels = {0};
    ASSERT_NE(Decode(BuildTga(good)), nullptr);
    auto refused = [&](auto change) {
        TgaLayout s = good;
        change(s);
        return RefusedWith(BuildTga(s));
    };
    EXPECT_EQ(refused([](TgaLayout& s) { s.map.resize(5), s.pixels.clear(); }), IMGLIB_ERR_UNSUPPORTED);  // map past end
    EXPECT_EQ(refused([](TgaLayout& s) { s.mapLength = 60000; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](TgaLayout& s) { s.mapType = 0; }), IMGLIB_ERR_UNSUPPORTED);   // mapped without a map
    EXPECT_EQ(refused([](TgaLayout& s) { s.mapLength = 0; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](TgaLayout& s) { s.mapBits = 8; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](TgaLayout& s) { s.mapFirst = 256; }), IMGLIB_ERR_UNSUPPORTED);  // no reachable entry
    EXPECT_EQ(refused([](TgaLayout& s) { s.width = 0; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](TgaLayout& s) { s.height = 0; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](TgaLayout& s) { s.type = 0; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](TgaLayout& s) { s.type = 32; }), IMGLIB_ERR_UNSUPPORTED);  // Huffman types
    EXPECT_EQ(refused([](TgaLayout& s) { s.type = 3, s.bits = 24; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](TgaLayout& s) { s.type = 2, s.bits = 8; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](TgaLayout& s) { s.descriptor |= 0x40; }), IMGLIB_ERR_UNSUPPORTED);  // interleaved
    TgaLayout longId = good;
    longId.id.assign(200, 1);
    std::vector<uint8_t> cut = BuildTga(longId);
    cut.resize(100);  // the ID field runs past the end
    EXPECT_EQ(RefusedWith(cut), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(RefusedWith({0, 0, 2}), IMGLIB_ERR_UNSUPPORTED);  // cut inside the header
}

TEST(Tga, RandomBytesNamedTgaAreRefused) {
    std::mt19937 rng(1234);
    for (int i = 0; i < 2000; ++i) {
        std::vector<uint8_t> junk(18 + rng() % 300);
        for (uint8_t& b : junk) b = static_cast<uint8_t>(rng());
        Dib dib;
        ASSERT_EQ(DecodeTga(Bytes{junk.data(), junk.size()}, &dib), Status::Unsupported) << "buffer " << i;
    }
}

// truevision_utc32 declares its fourth byte undefined (extension type 2) and
// holds zeros there; the reference composites that to black. We show the
// picture, which must then be its 24-bit twin's.
TEST(Tga, ConformanceFileWithUndefinedAlphaShowsItsPicture) {
    std::string dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "corpus not present";
    RgbImage a, b;
    DibPtr utc32 = DecodeBytes(ReadFileBytes(dir + "/tga/truevision_utc32.tga"), "utc32.tga");
    DibPtr utc24 = DecodeBytes(ReadFileBytes(dir + "/tga/truevision_utc24.tga"), "utc24.tga");
    ASSERT_TRUE(utc32 && utc24);
    ASSERT_TRUE(ToRgb(utc32.get(), &a) && ToRgb(utc24.get(), &b));
    EXPECT_EQ(MaxDifference(a, b), 0);
    EXPECT_GT(MeanDifference(a, RgbImage{a.width, a.height, std::vector<uint8_t>(a.rgb.size(), 0)}), 10.0);
}

}  // namespace
}  // namespace imglib::test
