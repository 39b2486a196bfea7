// Progressive refinement and end-of-band runs on hand-coded bits.
#include "jpeg/entropy.h"

#include <gtest/gtest.h>

#include <vector>

#include "jpeg/markers.h"
#include "jpeg/test_writer.h"

namespace imglib::jpeg {
namespace {

// Eight AC symbols, each coded as its index in three bits.
const uint8_t kSymbols[8] = {0x00, 0x01, 0x11, 0x21, 0x10, 0xF0, 0x20, 0x02};
int Code(uint8_t sym) {
    for (int i = 0; i < 8; ++i)
        if (kSymbols[i] == sym) return i;
    return -1;
}

HuffTable AcTable() {
    uint8_t counts[16] = {0, 0, 8};
    HuffTable t;
    EXPECT_TRUE(BuildHuffTable(counts, kSymbols, 8, &t));
    return t;
}

struct Bits {
    test::BitWriter w;
    Bits& Sym(uint8_t s) {
        w.Put(unsigned(Code(s)), 3);
        return *this;
    }
    Bits& Raw(unsigned v, int n) {
        w.Put(v, n);
        return *this;
    }
    std::vector<uint8_t> Done() {
        w.Align();
        return w.Bytes();
    }
};

TEST(JpegEntropy, RefinementAddsBitsAndPlacesNewCoefficients) {
    HuffTable ac = AcTable();
    int16_t block[64] = {};
    block[kNaturalOrder[1]] = 2;
    block[kNaturalOrder[3]] = -4;
    block[kNaturalOrder[6]] = 6;
    // Band 1..6 at bit 0: new +1 after one zero (passing zz1, zz3 with
    // correction bits 1 and 1), then end of band: zz6 gets correction bit 0.
    std::vector<uint8_t> d = Bits().Sym(0x11).Raw(1, 1).Raw(1, 1).Raw(1, 1).Sym(0x00).Raw(0, 1).Done();
    BitReader br(d.data(), d.size(), 0);
    int eobrun = 0;
    DecodeAcRefine(br, ac, 1, 6, 0, &eobrun, block);
    EXPECT_EQ(block[kNaturalOrder[1]], 3);
    EXPECT_EQ(block[kNaturalOrder[2]], 0);
    EXPECT_EQ(block[kNaturalOrder[3]], -5);
    EXPECT_EQ(block[kNaturalOrder[4]], 1);
    EXPECT_EQ(block[kNaturalOrder[5]], 0);
    EXPECT_EQ(block[kNaturalOrder[6]], 6);
    EXPECT_EQ(eobrun, 0);
    EXPECT_FALSE(br.Overrun());
}

TEST(JpegEntropy, RefinementEobRunOnlyCorrectsLaterBlocks) {
    HuffTable ac = AcTable();
    int16_t a[64] = {}, b[64] = {}, c[64] = {};
    b[kNaturalOrder[2]] = -4;  // coded at bit 2 and above
    c[kNaturalOrder[1]] = 4;
    // EOB1 with extra bit 1: a run of three blocks at bit 1 (p1 = 2).
    // Block b's coefficient takes correction bit 1, block c's bit 0.
    std::vector<uint8_t> d = Bits().Sym(0x10).Raw(1, 1).Raw(1, 1).Raw(0, 1).Done();
    BitReader br(d.data(), d.size(), 0);
    int eobrun = 0;
    DecodeAcRefine(br, ac, 1, 63, 1, &eobrun, a);
    EXPECT_EQ(eobrun, 2);
    DecodeAcRefine(br, ac, 1, 63, 1, &eobrun, b);
    DecodeAcRefine(br, ac, 1, 63, 1, &eobrun, c);
    EXPECT_EQ(eobrun, 0);
    EXPECT_EQ(b[kNaturalOrder[2]], -6);
    EXPECT_EQ(c[kNaturalOrder[1]], 4);
    EXPECT_FALSE(br.Overrun());
}

TEST(JpegEntropy, FirstAcScanRunsAndEobRun) {
    HuffTable ac = AcTable();
    int16_t a[64] = {}, b[64] = {};
    // Block a: ZRL, then run 2 size 1 (value bit 1 -> +1) at shift 2, then EOB2 + bits 01: five blocks.
    std::vector<uint8_t> d = Bits().Sym(0xF0).Sym(0x21).Raw(1, 1).Sym(0x20).Raw(1, 2).Done();
    BitReader br(d.data(), d.size(), 0);
    int eobrun = 0;
    DecodeAcFirst(br, ac, 1, 63, 2, &eobrun, a);
    EXPECT_EQ(a[kNaturalOrder[19]], 4);
    EXPECT_EQ(eobrun, 4);
    for (int i = 0; i < 4; ++i) DecodeAcFirst(br, ac, 1, 63, 2, &eobrun, b);
    EXPECT_EQ(eobrun, 0);
    for (int16_t v : b) EXPECT_EQ(v, 0);
    EXPECT_FALSE(br.Overrun());
}

TEST(JpegEntropy, DcFirstAndRefine) {
    uint8_t counts[16] = {0, 0, 8};
    const uint8_t cats[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    HuffTable dc;
    ASSERT_TRUE(BuildHuffTable(counts, cats, 8, &dc));
    // Diffs +5 (cat 3, bits 101) and -2 (cat 2, bits 01) at shift 1, then refinement bits 1, 0.
    std::vector<uint8_t> d = Bits().Raw(3, 3).Raw(5, 3).Raw(2, 3).Raw(1, 2).Raw(1, 1).Raw(0, 1).Done();
    BitReader br(d.data(), d.size(), 0);
    int16_t a[64] = {}, b[64] = {};
    int pred = 0;
    DecodeDcFirst(br, dc, 1, &pred, a);
    DecodeDcFirst(br, dc, 1, &pred, b);
    EXPECT_EQ(a[0], 10);
    EXPECT_EQ(b[0], 6);
    DecodeDcRefine(br, 0, a);
    DecodeDcRefine(br, 0, b);
    EXPECT_EQ(a[0], 11);
    EXPECT_EQ(b[0], 6);
}

}  // namespace
}  // namespace imglib::jpeg
