#include <gtest/gtest.h>

#include <functional>

#include "decoders.h"
#include "test_support.h"
#include "tiff_test_writer.h"

namespace imglib::test {
namespace {

enum : uint32_t { kNone = 1, kLzw = 5, kDeflate = 8, kPackBits = 32773, kOldDeflate = 32946, kOldLzw = 0x10005 };

std::vector<uint8_t> Compress(uint32_t compression, const std::vector<uint8_t>& raw) {
    switch (compression) {
        case kLzw: return LzwEncode(raw, true);
        case kOldLzw: return LzwEncode(raw, false);
        case kDeflate:
        case kOldDeflate: return DeflateEncode(raw);
        case kPackBits: return PackBitsEncode(raw);
        default: return raw;
    }
}

// An image description: sizes, samples and how the pixel data is stored.
struct Shape {
    uint32_t width = 5, height = 4;
    int samples = 1, bits = 8;
    uint32_t photometric = 1;
    uint32_t compression = kNone;
    bool big = false;
    bool planar = false;
    int predictor = 1;
    uint32_t rowsPerStrip = 0;          // 0: one strip
    uint32_t tileWidth = 0, tileHeight = 0;
};

// Packs sample values (one int a sample, chunky order, row by row) the way
// TIFF stores them: bits most significant first, rows padded to a byte.
std::vector<uint8_t> PackRows(const std::vector<unsigned>& v, size_t rowSamples, int bits, bool big) {
    std::vector<uint8_t> out;
    for (size_t r = 0; r < v.size(); r += rowSamples) {
        unsigned acc = 0;
        int n = 0;
        for (size_t i = 0; i < rowSamples; ++i) {
            unsigned s = v[r + i];
            if (bits == 16) {
                out.push_back(static_cast<uint8_t>(big ? s >> 8 : s));
                out.push_back(static_cast<uint8_t>(big ? s : s >> 8));
                continue;
            }
            acc = acc << bits | s;
            n += bits;
            if (n == 8) out.push_back(static_cast<uint8_t>(acc)), acc = 0, n = 0;
        }
        if (n) out.push_back(static_cast<uint8_t>(acc << (8 - n)));
    }
    return out;
}

// Writes a TIFF of `shape` whose sample s of pixel (x, y) is sample(x, y, s).
std::vector<uint8_t> MakeTiff(const Shape& shape, const std::function<unsigned(uint32_t, uint32_t, int)>& sample,
                              const std::function<void(TiffWriter&)>& extra = nullptr) {
    TiffWriter w(shape.big);
    w.Long(256, shape.width);
    w.Short(257, shape.height);
    w.Tag(258, kShort, std::vector<uint32_t>(shape.samples, shape.bits));
    w.Short(259, shape.compression == kOldLzw ? kLzw : shape.compression);
    w.Short(262, shape.photometric);
    w.Short(277, shape.samples);
    if (shape.planar) w.Short(284, 2);
    if (shape.predictor != 1) w.Short(317, shape.predictor);
    const bool tiled = shape.tileWidth != 0;
    const uint32_t cw = tiled ? shape.tileWidth : shape.width;
    const uint32_t ch = tiled ? shape.tileHeight : shape.rowsPerStrip ? shape.rowsPerStrip : shape.height;
    if (tiled) {
        w.Long(322, cw);
        w.Long(323, ch);
        w.ChunkTags(324, 325);
    } else {
        w.Long(278, ch);
    }
    const int planes = shape.planar ? shape.samples : 1;
    const int perChunk = shape.planar ? 1 : shape.samples;
    for (int p = 0; p < planes; ++p) {
        for (uint32_t y0 = 0; y0 < shape.height; y0 += ch) {
            for (uint32_t x0 = 0; x0 < shape.width; x0 += cw) {
                std::vector<unsigned> v;
                uint32_t rows = tiled ? ch : std::min(ch, shape.height - y0);
                for (uint32_t y = y0; y < y0 + rows; ++y)
                    for (uint32_t x = x0; x < x0 + cw; ++x)
                        for (int s = 0; s < perChunk; ++s) {
                            // Tile padding holds a value that must never show.
                            bool inside = x < shape.width && y < shape.height;
                            unsigned pad = (1u << shape.bits) - 1;
                            v.push_back(inside ? sample(x, y, shape.planar ? p : s) : pad);
                        }
                auto raw = PackRows(v, static_cast<size_t>(cw) * perChunk, shape.bits, shape.big);
                if (shape.predictor == 2) raw = Differenced(raw, cw, perChunk, shape.bits, shape.big);
                w.Chunk(Compress(shape.compression, raw));
            }
        }
    }
    if (extra) extra(w);
    return w.Build();
}

// Decodes and expands to RGB, failing the test when decoding fails.
RgbImage Decoded(const std::vector<uint8_t>& file, int wantBitCount = 0, int wantColors = -1) {
    RgbImage img;
    DibPtr dib = DecodeBytes(file, "x.tif");
    EXPECT_TRUE(dib) << "code " << GetLastImgLibError();
    if (!dib) return img;
    if (wantBitCount) {
        EXPECT_EQ(dib->biBitCount, wantBitCount);
    }
    if (wantColors >= 0) {
        EXPECT_EQ(static_cast<int>(dib->biClrUsed), wantColors);
    }
    EXPECT_TRUE(ToRgb(dib.get(), &img));
    return img;
}

// Checks every pixel against want(x, y) -> {r, g, b}.
void ExpectPixels(const RgbImage& img, uint32_t w, uint32_t h, const std::function<Rgb(uint32_t, uint32_t)>& want) {
    ASSERT_EQ(img.width, static_cast<int>(w));
    ASSERT_EQ(img.height, static_cast<int>(h));
    int bad = 0;
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = &img.rgb[3 * (y * w + x)];
            Rgb c = want(x, y);
            if ((p[0] != c.r || p[1] != c.g || p[2] != c.b) && bad++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": got " << int(p[0]) << " " << int(p[1]) << " "
                              << int(p[2]) << " want " << int(c.r) << " " << int(c.g) << " " << int(c.b);
        }
    }
    EXPECT_EQ(bad, 0);
}

Rgb Grey(unsigned v) { return Rgb{uint8_t(v), uint8_t(v), uint8_t(v)}; }
unsigned Pattern(uint32_t x, uint32_t y, int s, unsigned levels) { return (x * 7 + y * 13 + s * 5 + x * y) % levels; }

TEST(TiffDecode, GreyAndBilevelBecomeGreyPalettes) {
    for (int bits : {1, 2, 4, 8}) {
        for (uint32_t photometric : {0u, 1u}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, photometric " << photometric);
            Shape s;
            s.width = 13;  // not a whole number of bytes at any depth below 8
            s.height = 3;
            s.bits = bits;
            s.photometric = photometric;
            const unsigned levels = 1u << bits;
            auto file = MakeTiff(s, [&](uint32_t x, uint32_t y, int) { return Pattern(x, y, 0, levels); });
            auto img = Decoded(file, bits == 2 ? 4 : bits, static_cast<int>(levels));
            ExpectPixels(img, s.width, s.height, [&](uint32_t x, uint32_t y) {
                unsigned v = Pattern(x, y, 0, levels) * 255 / (levels - 1);
                return Grey(photometric == 0 ? 255 - v : v);
            });
        }
    }
}

TEST(TiffDecode, SixteenBitGreyIsRoundedInBothByteOrders) {
    for (bool big : {false, true}) {
        Shape s;
        s.bits = 16;
        s.big = big;
        s.width = 9;
        auto value = [](uint32_t x, uint32_t y) { return (x * 7919 + y * 30011) & 0xFFFF; };
        auto img = Decoded(MakeTiff(s, [&](uint32_t x, uint32_t y, int) { return value(x, y); }), 8, 256);
        ExpectPixels(img, s.width, s.height,
                     [&](uint32_t x, uint32_t y) { return Grey((value(x, y) * 255 + 32767) / 65535); });
    }
}

TEST(TiffDecode, PaletteDepthsKeepTheColourMapsHighByte) {
    for (int bits : {1, 2, 4, 8}) {
        SCOPED_TRACE(bits);
        const unsigned n = 1u << bits;
        std::vector<uint32_t> map(3 * n);
        for (unsigned i = 0; i < n; ++i) {
            map[i] = (i * 4111 + 300) & 0xFFFF;
            map[n + i] = 65535 - i * 257;
            map[2 * n + i] = (i * 1000 + 0x80) & 0xFFFF;
        }
        Shape s;
        s.width = 11;
        s.bits = bits;
        s.photometric = 3;
        s.big = bits % 2 == 0;
        auto file = MakeTiff(s, [&](uint32_t x, uint32_t y, int) { return Pattern(x, y, 0, n); },
                             [&](TiffWriter& w) { w.Tag(320, kShort, map); });
        auto img = Decoded(file, bits == 2 ? 4 : bits, static_cast<int>(n));
        ExpectPixels(img, s.width, s.height, [&](uint32_t x, uint32_t y) {
            unsigned i = Pattern(x, y, 0, n);
            return Rgb{uint8_t(map[i] >> 8), uint8_t(map[n + i] >> 8), uint8_t(map[2 * n + i] >> 8)};
        });
    }
}

// Every compression, in both byte orders, with and without the predictor,
// chunky and planar, with several strips: the same pixels each time.
TEST(TiffDecode, EveryCompressionByteOrderPredictorAndPlanarConfiguration) {
    for (uint32_t c : {kNone, kPackBits, kLzw, kOldLzw, kDeflate, kOldDeflate}) {
        for (bool big : {false, true}) {
            for (int predictor : {1, 2}) {
                for (bool planar : {false, true}) {
                    SCOPED_TRACE(testing::Message() << "compression " << c << (big ? " MM" : " II") << " predictor "
                                                    << predictor << (planar ? " planar" : " chunky"));
                    Shape s;
                    s.width = 23;
                    s.height = 7;
                    s.samples = 3;
                    s.photometric = 2;
                    s.compression = c;
                    s.big = big;
                    s.predictor = predictor;
                    s.planar = planar;
                    s.rowsPerStrip = 3;
                    auto file = MakeTiff(s, [](uint32_t x, uint32_t y, int k) { return Pattern(x, y, k, 256); });
                    auto img = Decoded(file, 24, 0);
                    ExpectPixels(img, s.width, s.height, [](uint32_t x, uint32_t y) {
                        return Rgb{uint8_t(Pattern(x, y, 0, 256)), uint8_t(Pattern(x, y, 1, 256)),
                                   uint8_t(Pattern(x, y, 2, 256))};
                    });
                }
            }
        }
    }
}

TEST(TiffDecode, SixteenBitColourKeepsTheHighByteWithThePredictor) {
    for (bool big : {false, true}) {
        Shape s;
        s.width = 10;
        s.samples = 3;
        s.bits = 16;
        s.photometric = 2;
        s.big = big;
        s.predictor = 2;
        s.compression = kDeflate;
        auto value = [](uint32_t x, uint32_t y, int k) { return (x * 4099 + y * 20011 + k * 9001) & 0xFFFF; };
        auto img = Decoded(MakeTiff(s, value), 24, 0);
        ExpectPixels(img, s.width, s.height, [&](uint32_t x, uint32_t y) {
            return Rgb{uint8_t(value(x, y, 0) >> 8), uint8_t(value(x, y, 1) >> 8), uint8_t(value(x, y, 2) >> 8)};
        });
    }
}

TEST(TiffDecode, AlphaIsCompositedOverBlack) {
    for (bool planar : {false, true}) {
        for (uint32_t kind : {1u, 2u}) {  // associated, unassociated
            SCOPED_TRACE(testing::Message() << (planar ? "planar" : "chunky") << " extra sample " << kind);
            Shape s;
            s.width = 6;
            s.samples = 4;
            s.photometric = 2;
            s.planar = planar;
            s.compression = kPackBits;
            auto value = [](uint32_t x, uint32_t y, int k) {
                return k == 3 ? (x * 51 + y * 17) % 256 : Pattern(x, y, k, 256);
            };
            auto file = MakeTiff(s, value, [&](TiffWriter& w) { w.Short(338, kind); });
            auto img = Decoded(file, 24, 0);
            ExpectPixels(img, s.width, s.height, [&](uint32_t x, uint32_t y) {
                unsigned a = value(x, y, 3);
                auto c = [&](int k) {
                    unsigned v = value(x, y, k);
                    return uint8_t(kind == 1 ? v : (v * a + 127) / 255);
                };
                return Rgb{c(0), c(1), c(2)};
            });
        }
    }
    // Grey with alpha, and an extra sample that is not alpha (ignored).
    for (uint32_t kind : {0u, 2u}) {
        Shape s;
        s.samples = 2;
        auto value = [](uint32_t x, uint32_t y, int k) { return k ? 40 + x * 50 : 200 - y * 30; };
        auto img = Decoded(MakeTiff(s, value, [&](TiffWriter& w) { w.Short(338, kind); }), 8);
        ExpectPixels(img, s.width, s.height, [&](uint32_t x, uint32_t y) {
            unsigned v = value(x, y, 0), a = value(x, y, 1);
            return Grey(kind ? (v * a + 127) / 255 : v);
        });
    }
}

TEST(TiffDecode, CmykShowsAsRgb) {
    Shape s;
    s.samples = 4;
    s.photometric = 5;
    auto value = [](uint32_t x, uint32_t y, int k) { return k == 3 ? y * 60 : Pattern(x, y, k, 256); };
    auto img = Decoded(MakeTiff(s, value), 24, 0);
    ExpectPixels(img, s.width, s.height, [&](uint32_t x, uint32_t y) {
        unsigned k = 255 - value(x, y, 3);
        auto c = [&](int i) { return uint8_t(((255 - value(x, y, i)) * k + 127) / 255); };
        return Rgb{c(0), c(1), c(2)};
    });
}

TEST(TiffDecode, TilesAreCroppedAtTheRightAndBottomEdges) {
    struct Case {
        int samples, bits;
        uint32_t photometric, compression;
        bool planar;
    };
    for (Case k : {Case{3, 8, 2, kLzw, false}, Case{3, 8, 2, kNone, true}, Case{1, 1, 1, kPackBits, false},
                   Case{1, 4, 0, kDeflate, false}, Case{1, 2, 1, kNone, false}}) {
        SCOPED_TRACE(testing::Message() << k.samples << "x" << k.bits << " compression " << k.compression);
        Shape s;
        s.width = 37;
        s.height = 21;
        s.samples = k.samples;
        s.bits = k.bits;
        s.photometric = k.photometric;
        s.compression = k.compression;
        s.planar = k.planar;
        s.tileWidth = 16;
        s.tileHeight = 16;
        const unsigned levels = 1u << k.bits;
        auto file = MakeTiff(s, [&](uint32_t x, uint32_t y, int c) { return Pattern(x, y, c, levels); });
        auto img = Decoded(file);
        ExpectPixels(img, s.width, s.height, [&](uint32_t x, uint32_t y) {
            if (k.samples == 3)
                return Rgb{uint8_t(Pattern(x, y, 0, 256)), uint8_t(Pattern(x, y, 1, 256)),
                           uint8_t(Pattern(x, y, 2, 256))};
            unsigned v = Pattern(x, y, 0, levels) * 255 / (levels - 1);
            return Grey(k.photometric == 0 ? 255 - v : v);
        });
    }
}

TEST(TiffDecode, ShortOffsetsFillOrderAndDefaults) {
    // SHORT strip offsets and counts, LSB-first bits, no RowsPerStrip tag.
    Shape s;
    s.width = 20;
    s.bits = 1;
    auto value = [](uint32_t x, uint32_t y, int) { return (x + y) % 3 == 0 ? 1u : 0u; };
    auto file = MakeTiff(s, value, [](TiffWriter& w) {
        w.ChunkTags(273, 279, kShort);
        w.Short(266, 2);
    });
    // Reverse the bits of the strip (offset 8, three bytes a row).
    for (size_t i = 8; i < 8 + 3 * s.height; ++i) {
        uint8_t b = file[i], r = 0;
        for (int k = 0; k < 8; ++k)
            if (b & (1 << k)) r |= static_cast<uint8_t>(0x80 >> k);
        file[i] = r;
    }
    auto img = Decoded(file, 1, 2);
    ExpectPixels(img, s.width, s.height, [&](uint32_t x, uint32_t y) { return Grey(value(x, y, 0) * 255); });
}

TEST(TiffDecode, LargeStripsAreDecodedInBands) {
    // One LZW strip of 700 x 300 RGB (630 000 bytes) spans several bands.
    Shape s;
    s.width = 700;
    s.height = 300;
    s.samples = 3;
    s.photometric = 2;
    s.compression = kLzw;
    s.predictor = 2;
    auto value = [](uint32_t x, uint32_t y, int k) { return (x / 3 + y * 2 + k * 40) % 256; };
    auto img = Decoded(MakeTiff(s, value), 24, 0);
    ExpectPixels(img, s.width, s.height, [&](uint32_t x, uint32_t y) {
        return Rgb{uint8_t(value(x, y, 0)), uint8_t(value(x, y, 1)), uint8_t(value(x, y, 2))};
    });
}

TEST(TiffDecode, OnlyTheFirstImageIsReadEvenWhenTheDirectoriesLoop) {
    Shape s;
    auto file = MakeTiff(s, [](uint32_t x, uint32_t y, int) { return x * 40 + y; });
    // The next-directory pointer (the directory's last four bytes before
    // its values) pointing back at the directory itself.
    uint32_t ifd = file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24;
    uint16_t entries = static_cast<uint16_t>(file[ifd] | file[ifd + 1] << 8);
    size_t next = ifd + 2 + 12 * entries;
    for (int i = 0; i < 4; ++i) file[next + i] = static_cast<uint8_t>(ifd >> (8 * i));
    auto img = Decoded(file, 8, 256);
    ExpectPixels(img, s.width, s.height, [](uint32_t x, uint32_t y) { return Grey(x * 40 + y); });
}

TEST(TiffDecode, ReadsBigTiffLayouts) {
    // 4 x 2 grey, one uncompressed strip, LONG8 offsets (BigTIFF, MM).
    std::vector<uint8_t> f = {'M', 'M', 0, 43, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16};
    auto put = [&](uint64_t v, int n) {
        for (int i = n - 1; i >= 0; --i) f.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const uint64_t strip = 16 + 8 + 6 * 20 + 8;
    put(6, 8);
    auto entry = [&](uint16_t tag, uint16_t type, uint64_t value, int size) {
        put(tag, 2), put(type, 2), put(1, 8), put(value, size), put(0, 8 - size);
    };
    entry(256, 3, 4, 2);
    entry(257, 4, 2, 4);
    entry(258, 3, 8, 2);
    entry(262, 3, 1, 2);
    entry(273, 16, strip, 8);
    entry(279, 16, 8, 8);
    put(0, 8);
    for (int i = 0; i < 8; ++i) f.push_back(static_cast<uint8_t>(i * 30));
    Dib dib;
    ASSERT_EQ(DecodeTiff(Bytes{f.data(), f.size()}, &dib), Status::Ok);
    RgbImage img;
    ASSERT_TRUE(ToRgb(dib.Header(), &img));
    ExpectPixels(img, 4, 2, [](uint32_t x, uint32_t y) { return Grey((y * 4 + x) * 30); });
}

TEST(TiffDecode, TruncatedStripsKeepWhatDecoded) {
    for (uint32_t c : {kNone, kLzw, kDeflate, kPackBits}) {
        SCOPED_TRACE(c);
        Shape s;
        s.width = 40;
        s.height = 12;
        s.rowsPerStrip = 4;
        s.compression = c;
        auto value = [](uint32_t x, uint32_t y, int) { return 1 + (x * 3 + y * 7 + x * y) % 250; };
        auto file = MakeTiff(s, value);
        // Cut the file inside the second strip: its directory then lies
        // outside, so rebuild the same file with the second strip shortened.
        TiffWriter w;
        std::vector<std::vector<uint8_t>> strips;
        for (uint32_t y0 = 0; y0 < s.height; y0 += 4) {
            std::vector<uint8_t> raw;
            for (uint32_t y = y0; y < y0 + 4; ++y)
                for (uint32_t x = 0; x < s.width; ++x) raw.push_back(static_cast<uint8_t>(value(x, y, 0)));
            strips.push_back(Compress(c, raw));
        }
        strips[1].resize(strips[1].size() / 2);
        strips[2].clear();  // the third strip is missing altogether
        w.Long(256, s.width);
        w.Long(257, s.height);
        w.Short(258, 8);
        w.Short(259, c);
        w.Short(262, 1);
        w.Short(278, 4);
        for (auto& st : strips) w.Chunk(st);
        auto img = Decoded(w.Build(), 8, 256);
        ASSERT_EQ(img.height, 12);
        // The first strip is whole, the second starts right, the third is black.
        for (uint32_t y = 0; y < 12; ++y) {
            for (uint32_t x = 0; x < s.width; ++x) {
                unsigned got = img.rgb[3 * (y * s.width + x)];
                if (y < 4 || (y == 4 && x < 10)) {
                    ASSERT_EQ(got, value(x, y, 0)) << x << "," << y;
                } else if (y >= 8) {
                    ASSERT_EQ(got, 0u) << x << "," << y;
                }
            }
        }
    }
}

TEST(TiffDecode, StripsThatDecompressToTooMuchStopAtTheirRows) {
    // Each strip holds twice its rows: the extra must not spill into the next.
    Shape s;
    s.width = 8;
    s.height = 4;
    TiffWriter w;
    w.Long(256, 8);
    w.Long(257, 4);
    w.Short(258, 8);
    w.Short(259, kLzw);
    w.Short(262, 1);
    w.Short(278, 2);
    for (int strip = 0; strip < 2; ++strip) w.Chunk(LzwEncode(std::vector<uint8_t>(32, uint8_t(100 + strip))));
    auto img = Decoded(w.Build(), 8, 256);
    ExpectPixels(img, 8, 4, [](uint32_t, uint32_t y) { return Grey(y < 2 ? 100 : 101); });
}

TEST(TiffDecode, RefusesWhatItCannotShow) {
    auto code = [](const std::vector<uint8_t>& file) {
        DibPtr dib = DecodeBytes(file, "x.tif");
        return dib ? 0 : GetLastImgLibError();
    };
    auto grey = [](uint32_t x, uint32_t y, int) { return x + y; };
    Shape s;
    auto with = [&](std::function<void(TiffWriter&)> f) { return MakeTiff(s, grey, f); };
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Short(259, 7); })), IMGLIB_ERR_UNSUPPORTED);  // JPEG
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Short(259, 4); })), IMGLIB_ERR_UNSUPPORTED);  // CCITT G4
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Short(262, 6); })), IMGLIB_ERR_UNSUPPORTED);  // YCbCr
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Short(317, 3); })), IMGLIB_ERR_UNSUPPORTED);  // float predictor
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Short(258, 32); })), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Short(339, 3); })), IMGLIB_ERR_UNSUPPORTED);  // floating point
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Long(277, 65535); })), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Long(256, 0); })), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Short(262, 3); })), IMGLIB_ERR_UNSUPPORTED);  // palette, no map
    // A first strip that lies past the end of the file leaves nothing to show.
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Long(273, 1u << 30); })), IMGLIB_ERR_UNSUPPORTED);
    // Sizes no DIB can hold are refused before anything is allocated.
    EXPECT_EQ(code(with([](TiffWriter& w) { w.Long(256, 1u << 30); })), IMGLIB_ERR_MEMORY);
    EXPECT_EQ(code(with([](TiffWriter& w) {
                  w.Long(256, 200000);
                  w.Long(257, 200000);
              })),
              IMGLIB_ERR_MEMORY);
    // Thousands of tiles far wider than the picture, all pointing at one
    // small Deflate bomb: refused up front instead of inflating for hours.
    std::vector<uint8_t> bomb = DeflateEncode(std::vector<uint8_t>((1u << 18) * 16, 0));
    EXPECT_EQ(code(with([&](TiffWriter& w) {
                  w.Long(257, 100000);
                  w.Short(259, kDeflate);
                  w.Long(322, 1u << 18);
                  w.Long(323, 16);
                  w.Tag(324, kLong, std::vector<uint32_t>(6250, 8 + 5 * 4));  // after the 5 x 4 strip
                  w.Tag(325, kLong, std::vector<uint32_t>(6250, static_cast<uint32_t>(bomb.size())));
                  w.Chunk(bomb);
              })),
              IMGLIB_ERR_UNSUPPORTED);
    std::vector<uint8_t> header = {'M', 'M', 0, 42, 0, 0, 0, 8};
    EXPECT_EQ(code(header), IMGLIB_ERR_UNSUPPORTED);
}

// Damaged copies of valid files: any answer but a crash, a hang or a read
// out of bounds (the sanitizers watch) is acceptable.
TEST(TiffDecode, SurvivesDamagedFiles) {
    std::vector<std::vector<uint8_t>> seeds;
    for (uint32_t c : {kNone, kLzw, kOldLzw, kPackBits, kDeflate}) {
        Shape s;
        s.width = 19;
        s.height = 9;
        s.samples = c == kNone ? 4 : 3;
        s.photometric = 2;
        s.compression = c;
        s.rowsPerStrip = 4;
        s.predictor = c == kLzw ? 2 : 1;
        s.planar = c == kPackBits;
        if (c == kDeflate) s.tileWidth = s.tileHeight = 16;
        seeds.push_back(MakeTiff(s, [](uint32_t x, uint32_t y, int k) { return Pattern(x, y, k, 256); },
                                 [](TiffWriter& w) { w.Short(338, 2); }));
    }
    uint32_t rng = 99;
    auto next = [&] { return rng = rng * 1664525u + 1013904223u; };
    int decoded = 0;
    for (int round = 0; round < 3000; ++round) {
        auto file = seeds[round % seeds.size()];
        int flips = 1 + next() % 4;
        for (int i = 0; i < flips; ++i) file[next() % file.size()] = static_cast<uint8_t>(next() >> 24);
        if (round % 7 == 0) file.resize(next() % file.size());
        DibPtr dib = DecodeBytes(file, "x.tif");
        if (dib) {
            RgbImage img;
            EXPECT_TRUE(ToRgb(dib.get(), &img));
            ++decoded;
        } else {
            int code = GetLastImgLibError();
            EXPECT_TRUE(code == IMGLIB_ERR_UNSUPPORTED || code == IMGLIB_ERR_MEMORY) << code;
        }
    }
    EXPECT_GT(decoded, 100);  // most single-byte damage still leaves a picture
}

}  // namespace
}  // namespace imglib::test
