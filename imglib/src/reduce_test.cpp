// ReduceDIB as the viewer uses it: palette size and layout, exact colours,
// nearest mapping, dithering, odd input layouts and hostile headers.
#include <gtest/gtest.h>

#include <dirent.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <string>

#include "dib.h"
#include "dib_rgb.h"
#include "test_support.h"

namespace imglib::test {
namespace {

DibPtr MakeDib24(const RgbImage& im) {
    Dib dib;
    EXPECT_EQ(dib.Create(im.width, im.height, 24), Status::Ok);
    for (int y = 0; y < im.height; ++y) {
        uint8_t* row = dib.Row(y);
        const uint8_t* src = im.rgb.data() + size_t(y) * im.width * 3;
        for (int x = 0; x < im.width; ++x) {
            row[3 * x] = src[3 * x + 2];
            row[3 * x + 1] = src[3 * x + 1];
            row[3 * x + 2] = src[3 * x];
        }
    }
    return DibPtr(dib.Release());
}

RgbImage Blank(int w, int h) {
    RgbImage im;
    im.width = w;
    im.height = h;
    im.rgb.assign(size_t(w) * h * 3, 0);
    return im;
}

void Put(RgbImage* im, int x, int y, int r, int g, int b) {
    uint8_t* p = im->rgb.data() + (size_t(y) * im->width + x) * 3;
    p[0] = uint8_t(std::clamp(r, 0, 255));
    p[1] = uint8_t(std::clamp(g, 0, 255));
    p[2] = uint8_t(std::clamp(b, 0, 255));
}

// Smooth shading in all three channels plus sensor-like noise.
RgbImage PhotoLike(int w, int h) {
    RgbImage im = Blank(w, h);
    std::mt19937 rng(1234);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double r = 128 + 100 * std::sin(x * 0.021 + y * 0.013) + 20 * std::sin(y * 0.09);
            double g = 110 + 80 * std::cos(x * 0.017 - y * 0.025) + 25 * std::sin((x + y) * 0.05);
            double b = 90 + 70 * std::sin(y * 0.03) * std::cos(x * 0.011) + 0.3 * x;
            auto noise = [&] { return int(rng() % 13) - 6; };
            Put(&im, x, y, int(r) + noise(), int(g) + noise(), int(b) + noise());
        }
    return im;
}

double Psnr(const RgbImage& a, const RgbImage& b) {
    double se = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) se += (double(a.rgb[i]) - b.rgb[i]) * (double(a.rgb[i]) - b.rgb[i]);
    return 10 * std::log10(255.0 * 255.0 * a.rgb.size() / std::max(se, 1e-9));
}

unsigned IndexAt(const ImgDibHeader* dib, int x, int y) {
    const uint8_t* row = reinterpret_cast<const uint8_t*>(dib) + 40 + 4 * size_t(dib->biClrUsed) +
                         size_t(dib->biHeight - 1 - y) * DibStride(dib);
    switch (dib->biBitCount) {
        case 8: return row[x];
        case 4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
        default: return (row[x / 8] >> (7 - x % 8)) & 1;
    }
}

int ExpectedBits(unsigned entries) { return entries <= 2 ? 1 : entries <= 16 ? 4 : 8; }

// A well-formed reduced DIB of the source's size: header, palette bounds,
// every index inside the table. Returns what the display would draw.
RgbImage CheckReduced(const ImgDibHeader* out, const RgbImage& src, int colors) {
    RgbImage drawn;
    EXPECT_EQ(out->biSize, 40u);
    EXPECT_EQ(out->biWidth, src.width);
    EXPECT_EQ(out->biHeight, src.height);
    EXPECT_EQ(out->biPlanes, 1);
    EXPECT_EQ(out->biCompression, 0u);
    EXPECT_GE(out->biClrUsed, 1u);
    EXPECT_LE(out->biClrUsed, unsigned(colors));
    EXPECT_EQ(out->biBitCount, ExpectedBits(out->biClrUsed));
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x)
            if (IndexAt(out, x, y) >= out->biClrUsed) {
                ADD_FAILURE() << "index out of table at " << x << "," << y;
                return drawn;
            }
    EXPECT_TRUE(ToRgb(out, &drawn));
    return drawn;
}

TEST(ReduceDibTest, ImagesWithFewColoursKeepThemExactly) {
    struct Case {
        int distinct, colors, bits;
    };
    // Odd widths exercise the packing of 1- and 4-bit rows.
    for (Case c : {Case{2, 2, 1}, Case{1, 2, 1}, Case{12, 16, 4}, Case{16, 16, 4}, Case{200, 256, 8}, Case{256, 256, 8}}) {
        SCOPED_TRACE(c.distinct);
        RgbImage im = Blank(37, 23);
        std::mt19937 rng(c.distinct);
        std::vector<std::array<int, 3>> pal(c.distinct);
        for (int i = 0; i < c.distinct; ++i) pal[i] = {int(rng() % 256), int(rng() % 256), i};
        for (int y = 0; y < im.height; ++y)
            for (int x = 0; x < im.width; ++x) {
                auto& p = pal[(y * im.width + x) * 7 % c.distinct];  // every colour used
                Put(&im, x, y, p[0], p[1], p[2]);
            }
        DibPtr in = MakeDib24(im);
        for (int dither : {0, 1}) {
            DibPtr out(ReduceDIB(in.get(), c.colors, dither));
            ASSERT_TRUE(out);
            EXPECT_EQ(out->biBitCount, c.bits);
            EXPECT_EQ(int(out->biClrUsed), std::min(c.distinct, int(im.width * im.height)));
            RgbImage drawn = CheckReduced(out.get(), im, c.colors);
            EXPECT_EQ(MaxDifference(drawn, im), 0);
        }
    }
}

TEST(ReduceDibTest, ManyColoursFitThePaletteAsked) {
    RgbImage im = PhotoLike(61, 45);
    DibPtr in = MakeDib24(im);
    for (int colors : {2, 3, 16, 17, 256}) {
        for (int dither : {0, 1}) {
            SCOPED_TRACE(testing::Message() << colors << " colours, dither " << dither);
            DibPtr out(ReduceDIB(in.get(), colors, dither));
            ASSERT_TRUE(out);
            EXPECT_NE(out.get(), in.get());
            RgbImage drawn = CheckReduced(out.get(), im, colors);
            if (colors >= 16) {
                EXPECT_EQ(int(out->biClrUsed), colors);  // plenty of colours to choose from
            }
            // The result is a picture of the source, not noise.
            EXPECT_LT(MeanDifference(drawn, im), colors == 2 ? 60 : colors <= 17 ? 20 : 6);
        }
    }
    // Above 256 the palette is capped at what a DIB can hold.
    DibPtr capped(ReduceDIB(in.get(), 100000, 0));
    ASSERT_TRUE(capped);
    CheckReduced(capped.get(), im, 256);
}

TEST(ReduceDibTest, WithoutDitherEveryPixelTakesItsNearestEntry) {
    RgbImage im = Blank(256, 6);
    for (int y = 0; y < im.height; ++y)
        for (int x = 0; x < im.width; ++x) Put(&im, x, y, x, 255 - x, (x * 3 + y * 40) % 256);
    DibPtr in = MakeDib24(im);
    for (int colors : {2, 16, 256}) {
        DibPtr out(ReduceDIB(in.get(), colors, 0));
        ASSERT_TRUE(out);
        RgbImage drawn = CheckReduced(out.get(), im, colors);
        const uint8_t* pal = reinterpret_cast<const uint8_t*>(out.get()) + 40;
        for (int y = 0; y < im.height; ++y)
            for (int x = 0; x < im.width; ++x) {
                const uint8_t* p = im.rgb.data() + (size_t(y) * im.width + x) * 3;
                auto dist = [&](unsigned i) {
                    int dr = p[0] - pal[4 * i + 2], dg = p[1] - pal[4 * i + 1], db = p[2] - pal[4 * i];
                    return dr * dr + dg * dg + db * db;
                };
                int best = INT32_MAX;
                for (unsigned i = 0; i < out->biClrUsed; ++i) best = std::min(best, dist(i));
                ASSERT_EQ(dist(IndexAt(out.get(), x, y)), best) << colors << " colours, pixel " << x << "," << y;
            }
    }
}

TEST(ReduceDibTest, DitherSpreadsTheErrorAndKeepsTheMeans) {
    // A slow diagonal gradient: with 16 colours, plain mapping bands it.
    RgbImage im = Blank(192, 96);
    for (int y = 0; y < im.height; ++y)
        for (int x = 0; x < im.width; ++x) Put(&im, x, y, 30 + x, 60 + y + x / 3, 200 - x / 2);
    DibPtr in = MakeDib24(im);
    DibPtr plain(ReduceDIB(in.get(), 16, 0)), dithered(ReduceDIB(in.get(), 16, 1));
    ASSERT_TRUE(plain && dithered);
    RgbImage a = CheckReduced(plain.get(), im, 16), b = CheckReduced(dithered.get(), im, 16);
    size_t changed = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) changed += std::memcmp(&a.rgb[i], &b.rgb[i], 3) != 0;
    EXPECT_GT(changed, a.rgb.size() / 3 / 4);
    // Whole-image means stay put, and 8 x 8 block means follow the
    // gradient more closely than the banded version does.
    for (int c = 0; c < 3; ++c) {
        double sumIn = 0, sumOut = 0;
        for (size_t i = c; i < im.rgb.size(); i += 3) sumIn += im.rgb[i], sumOut += b.rgb[i];
        EXPECT_NEAR(sumOut / (im.rgb.size() / 3), sumIn / (im.rgb.size() / 3), 1.0) << "channel " << c;
    }
    auto blockError = [&](const RgbImage& out) {
        double err = 0;
        for (int by = 0; by < im.height; by += 8)
            for (int bx = 0; bx < im.width; bx += 8)
                for (int c = 0; c < 3; ++c) {
                    double d = 0;
                    for (int y = by; y < by + 8; ++y)
                        for (int x = bx; x < bx + 8; ++x) {
                            size_t i = (size_t(y) * im.width + x) * 3 + c;
                            d += double(out.rgb[i]) - im.rgb[i];
                        }
                    err += std::abs(d / 64);
                }
        return err;
    };
    EXPECT_LT(blockError(b), blockError(a) / 2);
}

TEST(ReduceDibTest, BeatsAnEvenSixLevelPalette) {
    RgbImage im = PhotoLike(320, 240);
    // The palette a naive reduction would use: 6 levels a channel, 216
    // colours; its nearest entry is the nearest level per channel.
    RgbImage uniform = im;
    for (uint8_t& v : uniform.rgb) v = uint8_t((v + 25) / 51 * 51);
    double floor = Psnr(im, uniform);
    DibPtr in = MakeDib24(im);
    DibPtr plain(ReduceDIB(in.get(), 256, 0)), dithered(ReduceDIB(in.get(), 256, 1));
    ASSERT_TRUE(plain && dithered);
    double p = Psnr(im, CheckReduced(plain.get(), im, 256));
    double d = Psnr(im, CheckReduced(dithered.get(), im, 256));
    // A palette chosen for the image spends its entries where the pixels are:
    // at least 6 dB (half the RMS error) over the even grid; dithering adds
    // noise by design, yet stays 3 dB ahead of the grid mapped plainly.
    EXPECT_GT(p, floor + 6) << "even grid " << floor;
    EXPECT_GT(d, floor + 3) << "even grid " << floor;
}

TEST(ReduceDibTest, PalettedInputIsKeptOrReduced) {
    Dib dib;
    ASSERT_EQ(dib.Create(9, 5, 8, 40), Status::Ok);
    for (int i = 0; i < 40; ++i) dib.SetPaletteEntry(i, uint8_t(i * 6), uint8_t(255 - i * 6), uint8_t(i % 7 * 30));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) dib.Row(y)[x] = uint8_t((x + 9 * y) % 41);  // 40: past the table
    DibPtr in(dib.Release());
    // Fits already: handed back as it is, not copied.
    EXPECT_EQ(ReduceDIB(in.get(), 40, 1), in.get());
    EXPECT_EQ(ReduceDIB(in.get(), 256, 0), in.get());
    RgbImage src;
    ASSERT_TRUE(ToRgb(in.get(), &src));  // past-the-table indices draw black
    DibPtr out(ReduceDIB(in.get(), 16, 0));
    ASSERT_TRUE(out);
    ASSERT_NE(out.get(), in.get());
    RgbImage drawn = CheckReduced(out.get(), src, 16);
    EXPECT_LT(MeanDifference(drawn, src), 25);
}

// 16-bit (5-5-5) and 32-bit (B, G, R, unused) rows, built by hand: the
// library's decoders never produce them, but a caller may.
DibPtr MakeHighColour(int bits, int w, int h, const std::vector<uint32_t>& pixels) {
    size_t stride = ((size_t(w) * bits + 31) / 32) * 4;
    uint8_t* block = AllocateDibBlock(40 + stride * h);
    auto* hdr = reinterpret_cast<ImgDibHeader*>(block);
    hdr->biSize = 40;
    hdr->biWidth = w;
    hdr->biHeight = h;
    hdr->biPlanes = 1;
    hdr->biBitCount = uint16_t(bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = block + 40 + size_t(h - 1 - y) * stride + size_t(x) * bits / 8;
            std::memcpy(p, &pixels[size_t(y) * w + x], bits / 8);  // little-endian
        }
    return DibPtr(hdr);
}

TEST(ReduceDibTest, ReadsSixteenAndThirtyTwoBitRows) {
    const int w = 7, h = 3;
    std::vector<uint32_t> px16, px32;
    RgbImage want16 = Blank(w, h), want32 = Blank(w, h);
    for (int i = 0; i < w * h; ++i) {
        unsigned r = (i * 5) % 32, g = (i * 11) % 32, b = (31 - i) % 32;
        px16.push_back((r << 10) | (g << 5) | b | 0x8000);  // top bit ignored
        Put(&want16, i % w, i / w, (r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
        px32.push_back(0xAB000000u | (i * 9 << 16) | (i * 3 << 8) | (200 - i));
        Put(&want32, i % w, i / w, i * 9, i * 3, 200 - i);
    }
    DibPtr in16 = MakeHighColour(16, w, h, px16), in32 = MakeHighColour(32, w, h, px32);
    DibPtr out16(ReduceDIB(in16.get(), 256, 1)), out32(ReduceDIB(in32.get(), 256, 1));
    ASSERT_TRUE(out16 && out32);
    EXPECT_EQ(MaxDifference(CheckReduced(out16.get(), want16, 256), want16), 0);
    EXPECT_EQ(MaxDifference(CheckReduced(out32.get(), want32, 256), want32), 0);
}

TEST(ReduceDibTest, SmallImagesOfEveryLayout) {
    // Widths 1 to 9 end 1- and 4-bit rows at every bit position; random
    // pixels include paletted indices past the table (drawn black).
    std::mt19937 rng(99);
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (int w = 1; w <= 9; ++w) {
            int h = 1 + w % 3;
            int entries = bits <= 8 ? 1 + int(rng() % (1u << bits)) : 0;
            size_t stride = ((size_t(w) * bits + 31) / 32) * 4;
            size_t size = 40 + 4 * size_t(entries) + stride * h;
            uint8_t* block = AllocateDibBlock(size);
            ASSERT_TRUE(block);
            for (size_t i = 40; i < size; ++i) block[i] = uint8_t(rng() % 4 * 85);  // few distinct values
            DibPtr in(reinterpret_cast<ImgDibHeader*>(block));
            *in = ImgDibHeader{40, w, h, 1, uint16_t(bits), 0, 0, 0, 0, uint32_t(entries), 0};
            RgbImage src;
            bool known = bits != 16 && bits != 32 && ToRgb(in.get(), &src);
            std::set<uint32_t> distinct;
            for (size_t i = 0; known && i < src.rgb.size(); i += 3)
                distinct.insert(src.rgb[i] << 16 | src.rgb[i + 1] << 8 | src.rgb[i + 2]);
            for (int colors : {2, 5, 256}) {
                for (int dither : {0, 1}) {
                    SCOPED_TRACE(testing::Message() << bits << " bits, " << w << "x" << h << ", " << entries
                                                    << " entries, " << colors << " colours, dither " << dither);
                    PDIB out = ReduceDIB(in.get(), colors, dither);
                    ASSERT_TRUE(out);
                    if (out == in.get()) {
                        EXPECT_LE(bits, 8);
                        EXPECT_LE(entries, colors);
                        continue;
                    }
                    DibPtr owned(out);
                    RgbImage shape = Blank(w, h);
                    RgbImage drawn = CheckReduced(out, shape, colors);
                    if (known && distinct.size() <= size_t(colors)) {
                        EXPECT_EQ(MaxDifference(drawn, src), 0);
                    }
                }
            }
        }
    }
}

TEST(ReduceDibTest, EveryCorpusImageReducesToAValidDib) {
    std::string dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "corpus not present";
    int reduced = 0;
    std::vector<bool> seen(1 << 24);
    for (const char* folder : {"bmp", "pcx", "tga", "tif", "ras", "pcd", "jpg"}) {
        DIR* d = opendir((dir + "/" + folder).c_str());
        if (!d) continue;
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') continue;
            std::string name = std::string(folder) + "/" + e->d_name;
            DibPtr in = DecodeBytes(ReadFileBytes(dir + "/" + name), name.c_str());
            if (!in) continue;  // the decoders' own tests judge that
            SCOPED_TRACE(name);
            RgbImage src;
            ASSERT_TRUE(ToRgb(in.get(), &src));
            std::fill(seen.begin(), seen.end(), false);
            size_t distinct = 0;
            for (size_t i = 0; i < src.rgb.size() && distinct <= 256; i += 3) {
                auto bit = seen[src.rgb[i] << 16 | src.rgb[i + 1] << 8 | src.rgb[i + 2]];
                distinct += !bit;
                bit = true;
            }
            // Large photos take seconds under the sanitizers and add nothing
            // that the synthetic photo above does not cover.
            if (distinct > 256 && src.width * src.height > 120000) continue;
            PDIB out = ReduceDIB(in.get(), 256, 1);
            ASSERT_TRUE(out);
            if (out == in.get()) {
                EXPECT_GT(in->biClrUsed, 0u);  // only a DIB with a table comes back as it is
                continue;
            }
            DibPtr owned(out);
            RgbImage drawn = CheckReduced(out, src, 256);
            if (distinct <= 256) {
                EXPECT_EQ(MaxDifference(drawn, src), 0);
            } else {
                EXPECT_LT(MeanDifference(drawn, src), 12);
            }
            ++reduced;
        }
        closedir(d);
    }
    EXPECT_GT(reduced, 40);
}

TEST(ReduceDibTest, RejectsWhatItCannotRead) {
    RgbImage im = PhotoLike(8, 8);
    DibPtr good = MakeDib24(im);
    ASSERT_TRUE(DibPtr(ReduceDIB(good.get(), 16, 1)));
    EXPECT_EQ(ReduceDIB(nullptr, 256, 1), nullptr);
    for (int colors : {1, 0, -1, INT32_MIN}) EXPECT_EQ(ReduceDIB(good.get(), colors, 1), nullptr) << colors;

    // Each mutation of the header alone must be refused before any pixel
    // is read; the block stays 8 x 8 at 24 bits, so over-reads would show
    // under the sanitizers.
    const ImgDibHeader base = *good;
    struct Bad {
        const char* what;
        void (*apply)(ImgDibHeader*);
    };
    const Bad cases[] = {
        {"zero width", [](ImgDibHeader* h) { h->biWidth = 0; }},
        {"negative width", [](ImgDibHeader* h) { h->biWidth = -8; }},
        {"zero height", [](ImgDibHeader* h) { h->biHeight = 0; }},
        {"top-down", [](ImgDibHeader* h) { h->biHeight = -8; }},
        {"huge", [](ImgDibHeader* h) { h->biWidth = h->biHeight = 1 << 20; }},
        {"header size", [](ImgDibHeader* h) { h->biSize = 124; }},
        {"planes", [](ImgDibHeader* h) { h->biPlanes = 2; }},
        {"bits 0", [](ImgDibHeader* h) { h->biBitCount = 0; }},
        {"bits 2", [](ImgDibHeader* h) { h->biBitCount = 2; }},
        {"bits 7", [](ImgDibHeader* h) { h->biBitCount = 7; }},
        {"bits 48", [](ImgDibHeader* h) { h->biBitCount = 48; }},
        {"RLE8", [](ImgDibHeader* h) { h->biCompression = 1; }},
        {"bitfields", [](ImgDibHeader* h) { h->biCompression = 3; }},
        {"colour table too long", [](ImgDibHeader* h) { h->biClrUsed = 257; }},
        {"colour table absurd", [](ImgDibHeader* h) { h->biClrUsed = 0x80000000u; }},
        {"paletted, no table", [](ImgDibHeader* h) { h->biBitCount = 8; }},
        {"4-bit, 17 entries", [](ImgDibHeader* h) { h->biBitCount = 4, h->biClrUsed = 17; }},
        {"1-bit, 3 entries", [](ImgDibHeader* h) { h->biBitCount = 1, h->biClrUsed = 3; }},
    };
    for (const Bad& c : cases) {
        *good = base;
        c.apply(good.get());
        EXPECT_EQ(ReduceDIB(good.get(), 256, 1), nullptr) << c.what;
    }
}

}  // namespace
}  // namespace imglib::test
