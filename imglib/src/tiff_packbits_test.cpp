#include "tiff_packbits.h"

#include <gtest/gtest.h>

#include "tiff_test_writer.h"

namespace imglib::test {
namespace {

std::vector<uint8_t> Unpack(const std::vector<uint8_t>& in, size_t limit, size_t piece) {
    PackBitsDecoder d;
    d.Start(Bytes{in.data(), in.size()});
    std::vector<uint8_t> out, buf(piece);
    while (out.size() < limit) {
        size_t n = d.Read(buf.data(), std::min(piece, limit - out.size()));
        if (n == 0) break;
        out.insert(out.end(), buf.begin(), buf.begin() + n);
    }
    return out;
}

TEST(TiffPackBits, LiteralsRepeatsAndTheNoOpHeader) {
    // 2 literals, 3 repeats of 0xAA, a -128 that does nothing, 1 literal.
    std::vector<uint8_t> in = {0x01, 0x10, 0x20, 0xFE, 0xAA, 0x80, 0x00, 0x30};
    std::vector<uint8_t> want = {0x10, 0x20, 0xAA, 0xAA, 0xAA, 0x30};
    for (size_t piece : {1, 2, 100}) EXPECT_EQ(Unpack(in, 100, piece), want) << piece;
}

TEST(TiffPackBits, RoundTripsInPiecesAndStopsWhereAsked) {
    std::vector<uint8_t> data;
    for (int i = 0; i < 3000; ++i) data.push_back(static_cast<uint8_t>(i % 7 < 3 ? 5 : i * 31));
    auto packed = PackBitsEncode(data);
    EXPECT_EQ(Unpack(packed, data.size(), 7), data);
    // A run that straddles the requested end is cut there.
    EXPECT_EQ(Unpack(packed, 1001, 1001), std::vector<uint8_t>(data.begin(), data.begin() + 1001));
}

TEST(TiffPackBits, TruncatedInputKeepsWhatArrived) {
    EXPECT_EQ(Unpack({0x05, 1, 2, 3}, 100, 100), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(Unpack({0xFD}, 100, 100).empty());  // a repeat without its byte
    EXPECT_TRUE(Unpack({}, 100, 100).empty());
}

}  // namespace
}  // namespace imglib::test
