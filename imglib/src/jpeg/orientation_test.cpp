#include "jpeg/orientation.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace imglib::jpeg {
namespace {

using imglib::test::Put16;
using imglib::test::Put32;

// A little-endian TIFF header and IFD0 with one entry.
std::vector<uint8_t> Ifd(uint16_t tag, uint16_t type, uint32_t count, uint16_t value, uint32_t ifdOffset = 8) {
    std::vector<uint8_t> v = {'I', 'I'};
    Put16(v, 42);
    Put32(v, ifdOffset);
    while (v.size() < ifdOffset) v.push_back(0);
    Put16(v, 1);
    Put16(v, tag), Put16(v, type), Put32(v, count), Put16(v, value), Put16(v, 0);
    Put32(v, 0);
    return v;
}

TEST(JpegOrientation, ReadsTheTagAndRejectsMalformedOnes) {
    auto parse = [](const std::vector<uint8_t>& v) { return ParseExifOrientation(v.data(), v.size()); };
    EXPECT_EQ(parse(Ifd(0x0112, 3, 1, 6)), 6);
    EXPECT_EQ(parse(Ifd(0x0112, 3, 1, 8, 20)), 8);  // IFD0 further on
    EXPECT_EQ(parse(Ifd(0x0112, 3, 1, 0)), 0);      // out of range
    EXPECT_EQ(parse(Ifd(0x0112, 3, 1, 9)), 0);
    EXPECT_EQ(parse(Ifd(0x0112, 4, 1, 6)), 0);      // LONG, not SHORT
    EXPECT_EQ(parse(Ifd(0x0112, 3, 2, 6)), 0);      // two values
    EXPECT_EQ(parse(Ifd(0x0110, 3, 1, 6)), 0);      // another tag
    std::vector<uint8_t> beyond = Ifd(0x0112, 3, 1, 6, 4000);
    beyond.resize(100);  // IFD0 beyond the data
    EXPECT_EQ(parse(beyond), 0);
    std::vector<uint8_t> cut = Ifd(0x0112, 3, 1, 6);
    cut.resize(cut.size() - 8);  // entry cut inside its value
    EXPECT_EQ(parse(cut), 0);
    std::vector<uint8_t> bad = Ifd(0x0112, 3, 1, 6);
    bad[0] = 'X';
    EXPECT_EQ(parse(bad), 0);
}

TEST(JpegOrientation, PlacementIsAPermutation) {
    for (int o = 1; o <= 8; ++o) {
        Placement p{o, 5, 3};
        int w = SwapsAxes(o) ? 3 : 5, h = SwapsAxes(o) ? 5 : 3;
        std::vector<int> hits(15, 0);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                int dx, dy;
                p.Map(x, y, &dx, &dy);
                ASSERT_TRUE(dx >= 0 && dx < w && dy >= 0 && dy < h) << o;
                ++hits[dy * w + dx];
            }
        for (int n : hits) EXPECT_EQ(n, 1) << o;
    }
}

}  // namespace
}  // namespace imglib::jpeg
