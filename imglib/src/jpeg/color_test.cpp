#include "jpeg/color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace imglib::jpeg {
namespace {

TEST(JpegColor, YccFollowsJfifFormulas) {
    // Every Cb, Cr pair at a few Y: within rounding of the real-valued formulas.
    std::vector<uint8_t> y(256), cb(256), cr(256), bgr(3 * 256);
    for (int yv : {0, 16, 128, 235, 255})
        for (int crv = 0; crv < 256; ++crv) {
            for (int i = 0; i < 256; ++i) y[i] = uint8_t(yv), cb[i] = uint8_t(i), cr[i] = uint8_t(crv);
            YccToBgrScalar(y.data(), cb.data(), cr.data(), 256, bgr.data());
            for (int i = 0; i < 256; ++i) {
                double r = yv + 1.402 * (crv - 128), g = yv - 0.34414 * (i - 128) - 0.71414 * (crv - 128),
                       b = yv + 1.772 * (i - 128);
                auto clip = [](double v) { return std::fmin(255, std::fmax(0, v)); };
                ASSERT_NEAR(bgr[3 * i + 2], clip(r), 0.51);
                ASSERT_NEAR(bgr[3 * i + 1], clip(g), 1.0);
                ASSERT_NEAR(bgr[3 * i + 0], clip(b), 0.51);
            }
        }
    const uint8_t grey[1] = {77}, mid[1] = {128};
    uint8_t px[3];
    YccToBgrScalar(grey, mid, mid, 1, px);
    EXPECT_EQ(px[0], 77);
    EXPECT_EQ(px[1], 77);
    EXPECT_EQ(px[2], 77);
}

TEST(JpegColor, Sse2MatchesScalar) {
#ifndef __SSE2__
    GTEST_SKIP() << "no SSE2 in this build";
#else
    // All Cb, Cr pairs, with Y sweeping, in rows of odd lengths.
    const int n = 256 * 256;
    std::vector<uint8_t> y(n), cb(n), cr(n);
    for (int i = 0; i < n; ++i) y[i] = uint8_t(i * 7 + (i >> 9)), cb[i] = uint8_t(i), cr[i] = uint8_t(i >> 8);
    for (int len : {n, 1, 15, 16, 17, 33, 1001}) {
        std::vector<uint8_t> a(3 * len + 8, 0x55), b(3 * len + 8, 0x55);
        YccToBgrScalar(y.data(), cb.data(), cr.data(), len, a.data());
        YccToBgrSse2(y.data(), cb.data(), cr.data(), len, b.data());
        ASSERT_EQ(a, b) << len;
    }
#endif
}

TEST(JpegColor, AdobeInvertedCmyk) {
    const uint8_t c[3] = {255, 0, 128}, m[3] = {255, 255, 64}, y[3] = {255, 0, 0}, k[3] = {255, 255, 128};
    uint8_t bgr[9];
    CmykToBgr(c, m, y, k, 3, bgr);
    EXPECT_EQ(bgr[0], 255);
    EXPECT_EQ(bgr[1], 255);
    EXPECT_EQ(bgr[2], 255);  // no ink: white
    EXPECT_EQ(bgr[3], 0);
    EXPECT_EQ(bgr[4], 255);
    EXPECT_EQ(bgr[5], 0);      // full cyan and yellow: green
    EXPECT_EQ(bgr[6], 0);
    EXPECT_EQ(bgr[7], 32);
    EXPECT_EQ(bgr[8], 64);      // 64*128/255, 128*128/255
    // YCCK: Y, Cb, Cr of the inverted C, M, Y; grey Y 127 is half ink.
    const uint8_t yy[1] = {127}, mid[1] = {128}, kk[1] = {255};
    YcckToBgr(yy, mid, mid, kk, 1, bgr);
    EXPECT_EQ(bgr[0], 128);
    EXPECT_EQ(bgr[1], 128);
    EXPECT_EQ(bgr[2], 128);
}

}  // namespace
}  // namespace imglib::jpeg
