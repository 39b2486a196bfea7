#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "test_support.h"

namespace imglib::test {
namespace {

struct Base {
    size_t offset;
    int width, height;
    size_t End() const { return offset + static_cast<size_t>(width) * height * 3 / 2; }
};
const Base kBase16{0x2000, 192, 128}, kBase4{0xB800, 384, 256}, kBase{0x30000, 768, 512};

std::vector<uint8_t> EmptyPac(size_t size, int turns = 0) {
    std::vector<uint8_t> f(size, 0);
    std::memcpy(&f[2048], "PCD_IPI", 7);
    f[0x0E02] = static_cast<uint8_t>(turns);
    return f;
}

using Sample = std::function<uint8_t(int x, int y)>;

// Writes a base image: per pair of rows two luma rows, then the C1 and C2
// rows at half width. Chroma functions get block coordinates.
void WriteBase(std::vector<uint8_t>& f, const Base& b, const Sample& luma, const Sample& c1, const Sample& c2) {
    uint8_t* p = &f[b.offset];
    for (int pair = 0; pair < b.height / 2; ++pair) {
        for (int k = 0; k < 2; ++k)
            for (int x = 0; x < b.width; ++x) *p++ = luma(x, 2 * pair + k);
        for (int x = 0; x < b.width / 2; ++x) *p++ = c1(x, pair);
        for (int x = 0; x < b.width / 2; ++x) *p++ = c2(x, pair);
    }
}

Sample Flat(uint8_t v) {
    return [v](int, int) { return v; };
}

RgbImage DecodeRgb(const std::vector<uint8_t>& file) {
    RgbImage img;
    DibPtr dib = DecodeBytes(file, "photo.pcd");
    EXPECT_TRUE(dib) << "refused with " << GetLastImgLibError();
    if (dib) {
        EXPECT_EQ(dib->biBitCount, 24);
        EXPECT_TRUE(ToRgb(dib.get(), &img));
    }
    return img;
}

std::vector<uint8_t> At(const RgbImage& img, int x, int y) {
    size_t i = (static_cast<size_t>(y) * img.width + x) * 3;
    return {img.rgb[i], img.rgb[i + 1], img.rgb[i + 2]};
}
using V = std::vector<uint8_t>;

TEST(Pcd, RowPairLayoutAndPhotoYccColours) {
    std::vector<uint8_t> f = EmptyPac(kBase16.End());
    WriteBase(f, kBase16, [](int, int y) { return y % 2 ? 50 : 100; },
              [](int cx, int) { return cx % 2 ? 166 : 156; },   // blue difference on odd blocks
              [](int, int pair) { return pair % 2 ? 157 : 137; });  // red difference on odd pairs
    RgbImage img = DecodeRgb(f);
    ASSERT_EQ(img.width, 192);
    ASSERT_EQ(img.height, 128);
    // L = 1.3584 Y; B = L + 2.2179 (C1 - 156); R = L + 1.8215 (C2 - 137);
    // G = L - 0.194 * 2.2179 (C1 - 156) - 0.509 * 1.8215 (C2 - 137).
    EXPECT_EQ(At(img, 0, 0), (V{136, 136, 136}));
    EXPECT_EQ(At(img, 1, 1), (V{68, 68, 68}));
    EXPECT_EQ(At(img, 2, 0), (V{136, 132, 158}));
    EXPECT_EQ(At(img, 3, 1), (V{68, 64, 90}));
    EXPECT_EQ(At(img, 0, 2), (V{172, 117, 136}));
    EXPECT_EQ(At(img, 191, 127), (V{104, 45, 90}));
}

TEST(Pcd, LevelsClipAtBlackAndWhite) {
    std::vector<uint8_t> f = EmptyPac(kBase16.End());
    // Y 255 reaches 346, above reference white; C1 0 drives blue negative.
    WriteBase(f, kBase16, [](int x, int) { return x < 96 ? 255 : 20; }, [](int x, int) { return x < 48 ? 156 : 0; },
              Flat(137));
    RgbImage img = DecodeRgb(f);
    EXPECT_EQ(At(img, 0, 0), (V{255, 255, 255}));
    EXPECT_EQ(At(img, 100, 0)[2], 0);
}

TEST(Pcd, PicksTheLargestWholeBaseImage) {
    std::vector<uint8_t> f = EmptyPac(kBase.End());
    WriteBase(f, kBase16, Flat(50), Flat(156), Flat(137));
    WriteBase(f, kBase4, Flat(100), Flat(156), Flat(137));
    WriteBase(f, kBase, Flat(150), Flat(156), Flat(137));
    struct Case {
        size_t size;
        int width, height;
        uint8_t level;
    };
    for (Case c : {Case{kBase.End(), 768, 512, 204}, Case{kBase.End() + 2048, 768, 512, 204},
                   Case{kBase.End() - 1, 384, 256, 136}, Case{kBase4.End() - 1, 192, 128, 68}}) {
        SCOPED_TRACE(c.size);
        std::vector<uint8_t> cut(f.begin(), f.begin() + static_cast<long>(std::min(c.size, f.size())));
        cut.resize(c.size, 0);
        RgbImage img = DecodeRgb(cut);
        ASSERT_EQ(img.width, c.width);
        ASSERT_EQ(img.height, c.height);
        EXPECT_EQ(At(img, c.width - 1, c.height - 1), (V{c.level, c.level, c.level}));
    }
}

TEST(Pcd, CutInsideTheSmallestKeepsWholeRowPairs) {
    std::vector<uint8_t> f = EmptyPac(kBase16.End());
    WriteBase(f, kBase16, Flat(50), Flat(156), Flat(137));
    f.resize(kBase16.offset + 3 * 576 + 100);  // three row pairs and part of a fourth
    RgbImage img = DecodeRgb(f);
    ASSERT_EQ(img.height, 128);
    EXPECT_EQ(At(img, 5, 5), (V{68, 68, 68}));
    EXPECT_EQ(At(img, 5, 6), (V{0, 0, 0}));
}

TEST(Pcd, RotationTurnsCounterClockwise) {
    // Two markers on the top row: (0,0) white and (1,0) grey 136.
    Sample luma = [](int x, int y) { return y == 0 && x < 2 ? (x == 0 ? 255 : 100) : 0; };
    struct Case {
        int turns, width, height, x0, y0, x1, y1;
    };
    for (Case c : {Case{0, 192, 128, 0, 0, 1, 0}, Case{1, 128, 192, 0, 191, 0, 190}, Case{2, 192, 128, 191, 127, 190, 127},
                   Case{3, 128, 192, 127, 0, 127, 1}}) {
        SCOPED_TRACE(c.turns);
        std::vector<uint8_t> f = EmptyPac(kBase16.End(), c.turns | 0x0C);  // other attribute bits set
        WriteBase(f, kBase16, luma, Flat(156), Flat(137));
        RgbImage img = DecodeRgb(f);
        ASSERT_EQ(img.width, c.width);
        ASSERT_EQ(img.height, c.height);
        EXPECT_EQ(At(img, c.x0, c.y0), (V{255, 255, 255}));
        EXPECT_EQ(At(img, c.x1, c.y1), (V{136, 136, 136}));
        size_t lit = 0;
        for (uint8_t v : img.rgb) lit += v != 0;
        EXPECT_EQ(lit, 6u);
    }
}

TEST(Pcd, FilesThatAreNotImagePacsAreRefused) {
    auto code = [](const std::vector<uint8_t>& f) {
        DibPtr dib = DecodeBytes(f, "photo.pcd");
        return dib ? IMGLIB_OK : GetLastImgLibError();
    };
    std::vector<uint8_t> f = EmptyPac(kBase16.End());
    std::memcpy(&f[2048], "PCD_OPA", 7);  // an overview pac, not an image
    EXPECT_EQ(code(f), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(code(std::vector<uint8_t>(100, 0)), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(code(EmptyPac(0x0E03)), IMGLIB_ERR_UNSUPPORTED);                 // attributes, no image
    EXPECT_EQ(code(EmptyPac(kBase16.offset + 500)), IMGLIB_ERR_UNSUPPORTED);  // not one row pair
    EXPECT_EQ(code(EmptyPac(kBase16.offset + 576)), IMGLIB_OK);
}

TEST(Pcd, PublicSampleDecodesAtBaseResolution) {
    std::string dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "corpus not present";
    RgbImage img = DecodeRgb(ReadFileBytes(dir + "/pcd/pillow_hopper.pcd"));
    EXPECT_EQ(img.width, 768);
    EXPECT_EQ(img.height, 512);
}

}  // namespace
}  // namespace imglib::test
