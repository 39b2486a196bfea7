#include <gtest/gtest.h>

#include "test_support.h"

namespace imglib::test {
namespace {

struct RasSpec {
    uint32_t width = 1, height = 1, depth = 24, type = 1, mapType = 0;
    std::vector<uint8_t> map;   // R plane, G plane, B plane
    std::vector<uint8_t> data;  // rows padded to 16 bits, encoded for type 2
};

std::vector<uint8_t> BuildRas(const RasSpec& s) {
    std::vector<uint8_t> f;
    Put32BE(f, 0x59A66A95);
    Put32BE(f, s.width);
    Put32BE(f, s.height);
    Put32BE(f, s.depth);
    Put32BE(f, static_cast<uint32_t>(s.data.size()));
    Put32BE(f, s.type);
    Put32BE(f, s.mapType);
    Put32BE(f, static_cast<uint32_t>(s.map.size()));
    f.insert(f.end(), s.map.begin(), s.map.end());
    f.insert(f.end(), s.data.begin(), s.data.end());
    return f;
}

// Sun byte encoding: runs of three or more, and any 0x80, go through the
// escape; 0x80 alone is 0x80 0x00.
std::vector<uint8_t> EncodeSunRle(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < raw.size();) {
        size_t run = 1;
        while (i + run < raw.size() && run < 256 && raw[i + run] == raw[i]) ++run;
        if (run >= 3 || (raw[i] == 0x80 && run == 2)) {
            out.insert(out.end(), {0x80, static_cast<uint8_t>(run - 1), raw[i]});
        } else if (raw[i] == 0x80) {
            out.insert(out.end(), {0x80, 0x00});
        } else {
            out.insert(out.end(), raw.begin() + static_cast<long>(i), raw.begin() + static_cast<long>(i + run));
        }
        i += run;
    }
    return out;
}

DibPtr Decode(const RasSpec& s) { return DecodeBytes(BuildRas(s), "picture.ras"); }

RgbImage DecodeRgb(const RasSpec& s) {
    RgbImage img;
    DibPtr dib = Decode(s);
    EXPECT_TRUE(dib) << "refused with " << GetLastImgLibError();
    if (dib) {
        EXPECT_TRUE(ToRgb(dib.get(), &img));
    }
    return img;
}

int RefusedWith(const RasSpec& s) { return Decode(s) ? IMGLIB_OK : GetLastImgLibError(); }

std::vector<uint8_t> Rgb(std::initializer_list<std::initializer_list<uint8_t>> px) {
    std::vector<uint8_t> v;
    for (auto p : px) v.insert(v.end(), p);
    return v;
}

TEST(SunRaster, BilevelWithoutMapIsWhiteOnBlackPaddedTo16Bits) {
    RasSpec s;
    s.depth = 1;
    s.width = 10;  // two bytes a row, no padding needed; 10 bits used
    s.height = 2;
    s.data = {0xA0, 0x40, 0x00, 0xC0};
    DibPtr dib = Decode(s);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 1);
    EXPECT_EQ(dib->biClrUsed, 2u);
    RgbImage img;
    ASSERT_TRUE(ToRgb(dib.get(), &img));
    std::vector<uint8_t> want;
    const char* rows[] = {"1010000001", "0000000011"};
    for (const char* row : rows)
        for (const char* c = row; *c; ++c) want.insert(want.end(), 3, *c == '1' ? 0 : 255);
    EXPECT_EQ(img.rgb, want);

    s.width = 17;  // three bytes of bits, padded to four
    s.height = 2;
    s.data = {0xFF, 0xFF, 0x80, 0xAA, 0x00, 0x00, 0x00, 0x00};
    img = DecodeRgb(s);
    EXPECT_EQ(img.rgb[3 * 16], 0);        // row 0, last pixel: set
    EXPECT_EQ(img.rgb[3 * 17], 255);      // row 1 starts after the pad byte
}

TEST(SunRaster, BilevelWithMapUsesIt) {
    RasSpec s;
    s.depth = 1;
    s.width = 2;
    s.mapType = 1;
    s.map = {10, 20, 30, 40, 50, 60};
    s.data = {0x40, 0x00};
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{10, 30, 50}, {20, 40, 60}}));
}

TEST(SunRaster, EightBitWithMapIsPalettedAndWithoutIsGrey) {
    RasSpec s;
    s.depth = 8;
    s.width = 3;  // padded to 4
    s.height = 2;
    s.mapType = 1;
    s.map = {1, 2, 3, 4, 5, 6, 7, 8, 9};  // three entries
    s.data = {2, 0, 1, 0xEE, 1, 5, 2, 0xEE};
    DibPtr dib = Decode(s);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 8);
    EXPECT_EQ(dib->biClrUsed, 3u);
    // Index 5 is past the short map: black.
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{3, 6, 9}, {1, 4, 7}, {2, 5, 8}, {2, 5, 8}, {0, 0, 0}, {3, 6, 9}}));

    for (uint32_t mapType : {0u, 2u}) {  // none, and a raw map we cannot read
        s.mapType = mapType;
        s.map = mapType ? std::vector<uint8_t>{9, 9, 9} : std::vector<uint8_t>{};
        EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{2, 2, 2}, {0, 0, 0}, {1, 1, 1}, {1, 1, 1}, {5, 5, 5}, {2, 2, 2}}));
    }
}

TEST(SunRaster, TrueColourByteOrders) {
    RasSpec s;
    s.width = 3;  // 9 bytes, padded to 10
    s.height = 2;
    s.data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEE, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0xEE};
    // Standard is BGR, RGB-format is RGB; the map of a true-colour file is skipped.
    s.mapType = 1;
    s.map = {100, 101, 102};
    DibPtr dib = Decode(s);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->biBitCount, 24);
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{3, 2, 1}, {6, 5, 4}, {9, 8, 7}, {13, 12, 11}, {16, 15, 14}, {19, 18, 17}}));
    s.type = 3;
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {11, 12, 13}, {14, 15, 16}, {17, 18, 19}}));

    s.depth = 32;  // pad byte first, whatever it holds
    s.width = 2;
    s.height = 1;
    s.data = {0xFF, 1, 2, 3, 0x00, 4, 5, 6};
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{1, 2, 3}, {4, 5, 6}}));
    s.type = 1;
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{3, 2, 1}, {6, 5, 4}}));
}

TEST(SunRaster, ByteEncodingEscapesAndRunsAcrossRows) {
    RasSpec s;
    s.type = 2;
    s.depth = 8;
    s.width = 4;
    s.height = 3;
    // A run of 6 crosses into row 1, a literal 0x80, a run of 0x80s, then
    // plain bytes.
    s.data = {0x80, 5, 7, 0x80, 0, 0x80, 2, 0x80, 1, 2, 3, 4};
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{7, 7, 7}, {7, 7, 7}, {7, 7, 7}, {7, 7, 7},
                                    {7, 7, 7}, {7, 7, 7}, {128, 128, 128}, {128, 128, 128},
                                    {128, 128, 128}, {128, 128, 128}, {1, 1, 1}, {2, 2, 2}}));

    // 24-bit: decoded bytes are BGR like the standard type; a run of 0x80s.
    RasSpec t;
    t.type = 2;
    t.width = 3;
    t.height = 2;
    std::vector<uint8_t> raw = {0x80, 0x80, 0x80, 9, 9, 9, 9, 9, 9, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0x80, 0};
    t.data = EncodeSunRle(raw);
    EXPECT_EQ(DecodeRgb(t).rgb, Rgb({{0x80, 0x80, 0x80}, {9, 9, 9}, {9, 9, 9}, {3, 2, 1}, {6, 5, 4}, {0x80, 8, 7}}));
}

TEST(SunRaster, TruncatedDataKeepsTheDecodedRows) {
    RasSpec s;
    s.depth = 8;
    s.width = 2;
    s.height = 3;
    s.data = {1, 2, 3};  // a row and a half
    EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));

    s.type = 2;
    for (auto cut : {std::vector<uint8_t>{4, 0x80}, std::vector<uint8_t>{4, 0x80, 9}}) {  // escape cut short
        s.data = cut;
        EXPECT_EQ(DecodeRgb(s).rgb, Rgb({{4, 4, 4}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
    }
    s.data = {0x80, 0xFF, 6};  // a run far past the image
    EXPECT_EQ(DecodeRgb(s).rgb, std::vector<uint8_t>(18, 6));

    s.data.clear();
    EXPECT_EQ(RefusedWith(s), IMGLIB_ERR_UNSUPPORTED);  // nothing to show
}

TEST(SunRaster, OversizedDimensionsAreAMemoryError) {
    RasSpec s;
    s.width = 0x7FFFFFFF;
    s.data = {0, 0, 0};
    EXPECT_EQ(RefusedWith(s), IMGLIB_ERR_MEMORY);
    s.width = 60000;
    s.height = 60000;
    EXPECT_EQ(RefusedWith(s), IMGLIB_ERR_MEMORY);
}

TEST(SunRaster, HostileHeadersAreRefused) {
    RasSpec good;
    good.data = {1, 2, 3, 0};
    ASSERT_NE(Decode(good), nullptr);
    auto refused = [&](auto change) {
        RasSpec s = good;
        change(s);
        return RefusedWith(s);
    };
    EXPECT_EQ(refused([](RasSpec& s) { s.width = 0; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](RasSpec& s) { s.height = 0; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](RasSpec& s) { s.depth = 4; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](RasSpec& s) { s.type = 4; }), IMGLIB_ERR_UNSUPPORTED);  // TIFF inside
    EXPECT_EQ(refused([](RasSpec& s) { s.type = 0xFFFF; }), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(refused([](RasSpec& s) { s.mapType = 3; }), IMGLIB_ERR_UNSUPPORTED);

    std::vector<uint8_t> f = BuildRas(good);
    f[31] = 200;  // a colour map longer than the file
    EXPECT_EQ(DecodeBytes(f, "x.ras"), nullptr);
    EXPECT_EQ(GetLastImgLibError(), IMGLIB_ERR_UNSUPPORTED);
    f.resize(20);  // cut inside the header
    EXPECT_EQ(DecodeBytes(f, "x.ras"), nullptr);
    EXPECT_EQ(GetLastImgLibError(), IMGLIB_ERR_UNSUPPORTED);
}

}  // namespace
}  // namespace imglib::test
