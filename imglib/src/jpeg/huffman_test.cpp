#include "jpeg/huffman.h"

#include <gtest/gtest.h>

#include <vector>

#include "jpeg/test_writer.h"

namespace imglib::jpeg {
namespace {

TEST(JpegHuffman, RejectsImpossibleCounts) {
    HuffTable t;
    uint8_t symbols[256] = {};
    uint8_t counts[16] = {};
    counts[0] = 3;  // three 1-bit codes
    EXPECT_FALSE(BuildHuffTable(counts, symbols, 256, &t));
    counts[0] = 1, counts[1] = 3;  // 0, 10, 11 and one more 2-bit code
    EXPECT_FALSE(BuildHuffTable(counts, symbols, 256, &t));
    uint8_t many[16] = {};
    many[15] = 200, many[14] = 100;  // fits the code space but sums over 256
    EXPECT_FALSE(BuildHuffTable(many, symbols, 256, &t));
    uint8_t some[16] = {0, 4};
    EXPECT_FALSE(BuildHuffTable(some, symbols, 3, &t));  // fewer symbols than counted
    EXPECT_TRUE(BuildHuffTable(some, symbols, 4, &t));   // a complete 2-bit code is fine
}

// Codes of every length 1..16, some beyond the look-up table, read back
// through byte stuffing; then the marker ends the data.
TEST(JpegHuffman, DecodesShortAndLongCodesAcrossStuffing) {
    uint8_t counts[16];
    std::vector<uint8_t> symbols;
    for (int i = 0; i < 16; ++i) {
        counts[i] = 1;
        symbols.push_back(uint8_t(i + 1));
    }
    counts[15] = 2;  // lengths 1..15 one code each, 16 two: 0, 10, 110, ..., all-ones
    symbols.push_back(17);
    HuffTable t;
    ASSERT_TRUE(BuildHuffTable(counts, symbols.data(), symbols.size(), &t));
    test::BitWriter w;
    const int order[] = {16, 1, 17, 9, 10, 2, 15, 16, 3, 11, 17, 1};
    auto code = [](int sym, uint32_t* bits, int* len) {
        // Symbol s (1..16) has s-1 ones then a zero; 17 is sixteen ones.
        if (sym == 17) *bits = 0xFFFF, *len = 16;
        else if (sym == 16) *bits = 0xFFFE, *len = 16;
        else *bits = ((1u << sym) - 2), *len = sym;
    };
    for (int s : order) {
        uint32_t b;
        int n;
        code(s, &b, &n);
        w.Put(b, n);
    }
    w.Align();
    std::vector<uint8_t> data = w.Bytes();
    data.push_back(0xFF);
    data.push_back(0xD9);
    BitReader br(data.data(), data.size(), 0);
    for (int s : order) {
        br.Fill();
        EXPECT_EQ(br.Decode(t), s);
    }
    EXPECT_FALSE(br.Overrun());
    br.Fill();
    br.Bits(16);  // the padding bits, then zeros past the marker
    EXPECT_TRUE(br.Overrun());
    EXPECT_TRUE(br.Stopped());
    EXPECT_EQ(FindMarker(data.data(), data.size(), br.Position()), data.size() - 2);
}

TEST(JpegHuffman, FindMarkerSkipsStuffingAndFill) {
    const uint8_t d[] = {0x12, 0xFF, 0x00, 0x34, 0xFF, 0xFF, 0xFF, 0xD3, 0x00};
    EXPECT_EQ(FindMarker(d, sizeof d, 0), 6u);
    EXPECT_EQ(FindMarker(d, sizeof d, 7), sizeof d);
}

TEST(JpegHuffman, ExtendGivesSignedValues) {
    EXPECT_EQ(Extend(0, 1), -1);
    EXPECT_EQ(Extend(1, 1), 1);
    EXPECT_EQ(Extend(0, 3), -7);
    EXPECT_EQ(Extend(3, 3), -4);
    EXPECT_EQ(Extend(4, 3), 4);
    EXPECT_EQ(Extend(0x7FF, 11), 2047);
}

}  // namespace
}  // namespace imglib::jpeg
