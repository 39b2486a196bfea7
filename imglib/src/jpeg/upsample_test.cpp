#include "jpeg/upsample.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace imglib::jpeg {
namespace {

TEST(JpegUpsample, TriangularWeightsAndEdges) {
    const uint8_t in[4] = {0, 100, 200, 40};
    uint8_t out[8];
    UpsampleH2V1Scalar(in, 4, out);
    // Edges repeat the end samples; inside, 3/4 nearest + 1/4 next, biased 1 and 2.
    const uint8_t want[8] = {0, 25, 75, 125, 175, 160, 80, 40};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i], want[i]) << i;
    const uint8_t two[2] = {10, 250};
    UpsampleH2V1Scalar(two, 2, out);  // too narrow to interpolate
    EXPECT_EQ(out[0], 10);
    EXPECT_EQ(out[1], 10);
    EXPECT_EQ(out[3], 250);
    const uint8_t nearRow[3] = {100, 100, 100}, farRow[3] = {0, 0, 0};
    UpsampleH1V2Scalar(nearRow, farRow, 3, false, out);
    EXPECT_EQ(out[0], 75);  // (300 + 0 + 1) / 4
    UpsampleH2V2Scalar(nearRow, farRow, 3, out);
    EXPECT_EQ(out[0], 75);  // (4 * 300 + 8) / 16
    EXPECT_EQ(out[5], 75);  // (4 * 300 + 7) / 16
}

TEST(JpegUpsample, Sse2MatchesScalar) {
#ifndef __SSE2__
    GTEST_SKIP() << "no SSE2 in this build";
#else
    std::mt19937 rng(11);
    for (int n = 1; n <= 700; n += (n < 40 ? 1 : 37)) {
        std::vector<uint8_t> a(n + 16), b(n + 16);
        for (auto& v : a) v = uint8_t(rng());
        for (auto& v : b) v = uint8_t(rng());
        std::vector<uint8_t> s(2 * n + 32, 0xAA), v(2 * n + 32, 0xAA);
        UpsampleH2V1Scalar(a.data(), n, s.data());
        UpsampleH2V1Sse2(a.data(), n, v.data());
        ASSERT_EQ(s, v) << "h2v1 " << n;
        UpsampleH2V2Scalar(a.data(), b.data(), n, s.data());
        UpsampleH2V2Sse2(a.data(), b.data(), n, v.data());
        ASSERT_EQ(s, v) << "h2v2 " << n;
        for (bool lower : {false, true}) {
            UpsampleH1V2Scalar(a.data(), b.data(), n, lower, s.data());
            UpsampleH1V2Sse2(a.data(), b.data(), n, lower, v.data());
            ASSERT_EQ(s, v) << "h1v2 " << n;
        }
    }
#endif
}

}  // namespace
}  // namespace imglib::jpeg
