// The pieces of a reduction on their own: nearest-colour search, the
// distinct-colour tracker, Wu's cuts and the k-means refinement.
#include <gtest/gtest.h>

#include <random>

#include "quantize_histogram.h"
#include "quantize_nearest.h"
#include "quantize_refine.h"
#include "quantize_wu.h"

namespace imglib {
namespace {

int Dist(const Rgb& c, int r, int g, int b) {
    return (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
}

int BruteNearest(const std::vector<Rgb>& pal, int r, int g, int b) {
    int best = 0;
    for (size_t i = 1; i < pal.size(); ++i)
        if (Dist(pal[i], r, g, b) < Dist(pal[best], r, g, b)) best = static_cast<int>(i);
    return best;
}

TEST(NearestColorTest, AgreesWithBruteForce) {
    std::mt19937 rng(7);
    NearestColor finder;
    // Clustered palettes make long candidate lists, spread ones short lists;
    // sizes 1, 2, 16, 255 and 256 cover the edge cases of the pool.
    for (int n : {1, 2, 16, 100, 255, 256}) {
        for (int spread : {255, 40}) {
            std::vector<Rgb> pal(n);
            for (Rgb& c : pal) {
                c = {uint8_t(100 + rng() % (spread + 1) * 155 / 255), uint8_t(rng() % (spread + 1)),
                     uint8_t(255 - rng() % (spread + 1))};
            }
            finder.SetPalette(pal.data(), n);
            for (int q = 0; q < 5000; ++q) {
                int r = rng() % 256, g = rng() % 256, b = rng() % 256;
                if (q < 8) r = (q & 1) * 255, g = (q & 2) / 2 * 255, b = (q & 4) / 4 * 255;  // the cube's corners
                int got = finder.Find(r, g, b);
                ASSERT_EQ(Dist(pal[got], r, g, b), Dist(pal[BruteNearest(pal, r, g, b)], r, g, b))
                    << "n=" << n << " query " << r << "," << g << "," << b;
                ASSERT_EQ(finder.FindCached(r, g, b), got);
            }
        }
    }
}

TEST(NearestColorTest, CacheForgetsTheOldPalette) {
    NearestColor finder;
    std::vector<Rgb> a = {{0, 0, 0}, {255, 255, 255}}, b = {{255, 255, 255}, {0, 0, 0}};
    finder.SetPalette(a.data(), 2);
    EXPECT_EQ(finder.FindCached(10, 10, 10), 0);
    EXPECT_EQ(finder.FindCached(255, 255, 255), 1);
    finder.SetPalette(b.data(), 2);
    EXPECT_EQ(finder.FindCached(10, 10, 10), 1);
    EXPECT_EQ(finder.FindCached(255, 255, 255), 0);
}

TEST(DistinctColorsTest, CountsUpToTheLimitAndIndexesInOrder) {
    DistinctColors colors(3);
    const uint8_t row[] = {1, 2, 3, 1, 2, 3, 9, 9, 9, 0, 0, 0, 9, 9, 9};  // BGR
    EXPECT_TRUE(colors.AddBgrRow(row, 5));
    EXPECT_EQ(colors.Count(), 3);
    colors.Sort();
    EXPECT_EQ(colors.Color(0), 0x000000u);
    EXPECT_EQ(colors.Color(1), 0x030201u);
    EXPECT_EQ(colors.Color(2), 0x090909u);
    EXPECT_EQ(colors.Index(0x030201), 1);
    EXPECT_EQ(colors.Index(0x090909), 2);
    const uint8_t more[] = {0, 0, 0, 5, 5, 5};
    EXPECT_FALSE(colors.AddBgrRow(more, 2));
    EXPECT_TRUE(colors.Overflowed());
}

double Sse(const std::vector<ColorPoint>& pts, const std::vector<Rgb>& pal) {
    double sum = 0;
    for (const ColorPoint& p : pts) {
        double best = 1e18;
        for (const Rgb& c : pal) {
            double d = (p.r - c.r) * (p.r - c.r) + (p.g - c.g) * (p.g - c.g) + (p.b - c.b) * (p.b - c.b);
            best = std::min(best, d);
        }
        sum += best * p.count;
    }
    return sum;
}

std::vector<ColorPoint> PointsOf(const std::vector<uint8_t>& bgr) {
    ColorHistogram h;
    h.AddBgrRow(bgr.data(), bgr.size() / 3);
    return h.Points();
}

TEST(WuPaletteTest, FindsSeparatedClusters) {
    // Eight tight clusters at the cube's corners: eight boxes, one each.
    std::mt19937 rng(3);
    std::vector<uint8_t> bgr;
    for (int i = 0; i < 8000; ++i) {
        int k = i % 8;
        for (int c = 0; c < 3; ++c) bgr.push_back(uint8_t(((k >> c) & 1) * 200 + 20 + rng() % 8));
    }
    auto points = PointsOf(bgr);
    std::vector<uint8_t> box;
    auto pal = WuPalette(points, 8, &box);
    ASSERT_EQ(pal.size(), 8u);
    ASSERT_EQ(box.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i) {  // each point lies in its own cluster's box
        ASSERT_LT(box[i], 8);
        const PaletteColor& c = pal[box[i]];
        EXPECT_LT(std::abs(c.r - points[i].r) + std::abs(c.g - points[i].g) + std::abs(c.b - points[i].b), 12) << i;
    }
    for (int k = 0; k < 8; ++k) {
        float want[3];  // b, g, r as generated
        for (int c = 0; c < 3; ++c) want[c] = ((k >> c) & 1) * 200 + 23.5f;
        bool found = false;
        for (const PaletteColor& p : pal)
            found |= std::abs(p.b - want[0]) < 1 && std::abs(p.g - want[1]) < 1 && std::abs(p.r - want[2]) < 1;
        EXPECT_TRUE(found) << "cluster " << k;
    }
}

TEST(WuPaletteTest, FewerBoxesThanAskedWhenTheColoursAreFew) {
    std::vector<uint8_t> bgr = {0, 0, 0, 255, 255, 255, 0, 0, 0};
    auto pal = WuPalette(PointsOf(bgr), 256);
    EXPECT_EQ(pal.size(), 2u);
    EXPECT_TRUE(WuPalette({}, 16).empty());
}

TEST(RefinePaletteTest, NeverWorseThanItsStartAndWithinTheLimit) {
    std::mt19937 rng(11);
    std::vector<uint8_t> bgr;
    for (int i = 0; i < 30000; ++i) {
        int t = rng() % 256;  // colours along a curve, plus noise
        bgr.push_back(uint8_t(std::clamp(t + int(rng() % 21) - 10, 0, 255)));
        bgr.push_back(uint8_t(std::clamp(255 - t + int(rng() % 21) - 10, 0, 255)));
        bgr.push_back(uint8_t((t * t / 255 + rng() % 9) % 256));
    }
    auto points = PointsOf(bgr);
    NearestColor finder;
    for (int n : {2, 16, 256}) {
        auto start = WuPalette(points, n);
        std::vector<Rgb> rounded;
        for (auto& c : start) rounded.push_back({uint8_t(std::lround(c.r)), uint8_t(std::lround(c.g)), uint8_t(std::lround(c.b))});
        auto refined = RefinePalette(points, start, n, 6, &finder);
        EXPECT_LE(refined.size(), size_t(n));
        EXPECT_LE(Sse(points, refined), Sse(points, rounded) * 1.0001) << n;
        EXPECT_EQ(finder.Count(), int(refined.size()));
    }
}

TEST(RefinePaletteTest, ConvergesToCentroidsOfTheNearestPoints) {
    // Run to convergence, each entry must sit at the centroid of the points
    // nearest to it (brute force here): a wrong nearest search in the later
    // passes would leave entries elsewhere.
    std::mt19937 rng(5);
    std::vector<uint8_t> bgr;
    for (int i = 0; i < 20000; ++i) {
        int t = rng() % 256, s = rng() % 64;
        bgr.insert(bgr.end(), {uint8_t(t), uint8_t((t + s * 3) % 256), uint8_t(255 - s * 2)});
    }
    auto points = PointsOf(bgr);
    NearestColor finder;
    for (int n : {5, 64}) {
        auto palette = RefinePalette(points, WuPalette(points, n), n, 200, &finder);
        ASSERT_EQ(palette.size(), size_t(n));
        std::vector<double> sum(4 * n);
        for (const ColorPoint& p : points) {
            int r = int(p.r + 0.5f), g = int(p.g + 0.5f), b = int(p.b + 0.5f);
            int k = BruteNearest(palette, r, g, b);
            sum[4 * k] += p.count;
            sum[4 * k + 1] += p.count * double(p.r);
            sum[4 * k + 2] += p.count * double(p.g);
            sum[4 * k + 3] += p.count * double(p.b);
        }
        for (int k = 0; k < n; ++k) {
            ASSERT_GT(sum[4 * k], 0) << k;
            // Ties between equidistant entries may go either way: allow 1.
            EXPECT_NEAR(palette[k].r, sum[4 * k + 1] / sum[4 * k], 1.0) << n << " entry " << k;
            EXPECT_NEAR(palette[k].g, sum[4 * k + 2] / sum[4 * k], 1.0) << n << " entry " << k;
            EXPECT_NEAR(palette[k].b, sum[4 * k + 3] / sum[4 * k], 1.0) << n << " entry " << k;
        }
    }
}

TEST(RefinePaletteTest, TopsUpWhenWuFindsTooFewBoxes) {
    // Many colours packed into few 5-bit cells: Wu cannot cut cells, the
    // refinement has to place the remaining entries itself.
    std::vector<uint8_t> bgr;
    for (int r = 0; r < 8; r += 2)
        for (int g = 0; g < 8; g += 2)
            for (int b = 0; b < 16; b += 2) bgr.insert(bgr.end(), {uint8_t(b), uint8_t(g), uint8_t(r)});
    auto points = PointsOf(bgr);
    ASSERT_EQ(points.size(), 16u);
    auto start = WuPalette(points, 8);
    ASSERT_EQ(start.size(), 2u);  // two 5-bit cells
    std::vector<Rgb> rounded;
    for (auto& c : start) rounded.push_back({uint8_t(std::lround(c.r)), uint8_t(std::lround(c.g)), uint8_t(std::lround(c.b))});
    NearestColor finder;
    auto refined = RefinePalette(points, start, 8, 6, &finder);
    ASSERT_EQ(refined.size(), 8u);
    EXPECT_LT(Sse(points, refined), Sse(points, rounded));
    // No entry is wasted: each one is the nearest for some point.
    std::vector<bool> used(refined.size());
    for (const ColorPoint& p : points) used[finder.Find(int(p.r), int(p.g), int(p.b))] = true;
    for (size_t i = 0; i < used.size(); ++i) EXPECT_TRUE(used[i]) << i;
}

}  // namespace
}  // namespace imglib
