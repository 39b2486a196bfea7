#include "jpeg/idct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace imglib::jpeg {
namespace {

// Random blocks, from typical (few small coefficients) to hostile (every
// coefficient and quantiser at its extreme).
void RandomBlock(std::mt19937& rng, int kind, int16_t* coef, int16_t* q) {
    std::uniform_int_distribution<int> any16(-32768, 32767), small(-60, 60), qsmall(1, 40), qany(0, 16383);
    for (int i = 0; i < 64; ++i) {
        switch (kind) {
            case 0: coef[i] = i == 0 || rng() % 6 == 0 ? int16_t(small(rng)) : 0; q[i] = int16_t(qsmall(rng)); break;
            case 1: coef[i] = int16_t(any16(rng)); q[i] = int16_t(qany(rng)); break;
            default: coef[i] = rng() & 1 ? 32767 : -32768; q[i] = 16383; break;
        }
    }
}

TEST(JpegIdct, Sse2MatchesScalar) {
#ifndef __SSE2__
    GTEST_SKIP() << "no SSE2 in this build";
#else
    std::mt19937 rng(7);
    for (int n = 0; n < 20000; ++n) {
        int16_t coef[64], q[64];
        RandomBlock(rng, n % 3, coef, q);
        // Every other triple of blocks is cut to its top-left 4x4 for the sparse form.
        bool sparse = (n / 3) % 2 == 0;
        if (sparse)
            for (int i = 0; i < 64; ++i)
                if (i / 8 >= 4 || i % 8 >= 4) coef[i] = 0;
        int16_t in[64], in2[64];
        DequantizeScalar(coef, q, in);
        DequantizeSse2(coef, q, in2);
        for (int i = 0; i < 64; ++i) ASSERT_EQ(in[i], in2[i]) << "dequantised " << i;
        if (sparse) {
            ASSERT_LE(BlockShape(in), 10);
        }
        uint8_t a[8 * 9], b[8 * 9];
        IdctScalar(in, a, 9);
        if (sparse) IdctSse2Sparse(in, b, 9);
        else IdctSse2(in, b, 9);
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c) ASSERT_EQ(a[r * 9 + c], b[r * 9 + c]) << "block " << n << " at " << r << "," << c;
    }
#endif
}

TEST(JpegIdct, DcOnlyEqualsFullTransform) {
    int16_t q[64];
    for (int dc : {-2048, -1024, -77, -1, 0, 1, 5, 300, 1023, 2047, 32767})
        for (int qdc : {1, 2, 16, 255, 16383}) {
            int16_t coef[64] = {int16_t(dc)};
            for (int16_t& v : q) v = 3;
            q[0] = int16_t(qdc);
            int16_t in[64];
            Dequantize(coef, q, in);
            uint8_t full[64], flat[64];
            IdctScalar(in, full, 8);
            IdctDcOnly(in[0], flat, 8);
            for (int i = 0; i < 64; ++i) ASSERT_EQ(full[i], flat[i]) << dc << " " << qdc;
        }
}

// Against the textbook transform in floating point, for blocks of the
// size real pictures have: within one level.
TEST(JpegIdct, CloseToExactTransform) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> value(-40, 40), quant(1, 8);
    const double pi = std::acos(-1.0);
    for (int n = 0; n < 500; ++n) {
        int16_t coef[64], q[64];
        for (int i = 0; i < 64; ++i) {
            coef[i] = int16_t(i == 0 || rng() % 4 == 0 ? value(rng) : 0);
            q[i] = int16_t(quant(rng));
        }
        int16_t in[64];
        Dequantize(coef, q, in);
        uint8_t got[64];
        IdctScalar(in, got, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                double s = 0;
                for (int v = 0; v < 8; ++v)
                    for (int u = 0; u < 8; ++u) {
                        double cu = u ? 1 : std::sqrt(0.5), cv = v ? 1 : std::sqrt(0.5);
                        s += cu * cv * coef[v * 8 + u] * q[v * 8 + u] * std::cos((2 * x + 1) * u * pi / 16) *
                             std::cos((2 * y + 1) * v * pi / 16);
                    }
                double want = std::fmin(255, std::fmax(0, std::round(s / 4 + 128)));
                ASSERT_LE(std::fabs(got[y * 8 + x] - want), 1.0) << n;
            }
    }
}

}  // namespace
}  // namespace imglib::jpeg
