#include "quantize_refine.h"

#include <algorithm>

namespace imglib {
namespace {

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f); }

std::vector<Rgb> Round(const std::vector<PaletteColor>& c) {
    std::vector<Rgb> out(c.size());
    for (size_t i = 0; i < c.size(); ++i) out[i] = {ToByte(c[i].r), ToByte(c[i].g), ToByte(c[i].b)};
    return out;
}

bool Same(const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].r != b[i].r || a[i].g != b[i].g || a[i].b != b[i].b) return false;
    return true;
}

// Adds up to `extra` centres, each at the point served worst by the
// centres so far (its squared error times its count), the one just added
// included: ties among equally bad points do not all go to one region.
void AddWorstPoints(const std::vector<ColorPoint>& points, size_t extra, NearestColor* finder,
                    std::vector<PaletteColor>* centres) {
    std::vector<Rgb> palette = Round(*centres);
    finder->SetPalette(palette.data(), static_cast<int>(palette.size()));
    std::vector<double> error(points.size());
    auto sq = [](const ColorPoint& p, float r, float g, float b) {
        double dr = p.r - r, dg = p.g - g, db = p.b - b;
        return p.count * (dr * dr + dg * dg + db * db);
    };
    for (size_t i = 0; i < points.size(); ++i) {
        const ColorPoint& p = points[i];
        const Rgb& c = finder->Color(finder->Find(ToByte(p.r), ToByte(p.g), ToByte(p.b)));
        error[i] = sq(p, c.r, c.g, c.b);
    }
    for (size_t added = 0; added < extra; ++added) {
        size_t worst = std::max_element(error.begin(), error.end()) - error.begin();
        if (error.empty() || error[worst] <= 0) break;
        const ColorPoint& w = points[worst];
        PaletteColor c = {float(ToByte(w.r)), float(ToByte(w.g)), float(ToByte(w.b))};
        centres->push_back(c);
        for (size_t i = 0; i < points.size(); ++i) error[i] = std::min(error[i], sq(points[i], c.r, c.g, c.b));
    }
}

int Dist(const Rgb& c, int r, int g, int b) {
    int dr = c.r - r, dg = c.g - g, db = c.b - b;
    return dr * dr + dg * dg + db * db;
}

// Nearest entries for points that were assigned before: after a pass the
// entries move a little, and a point's old entry is a good guess. An entry
// at least twice as far from the guess as the point is cannot beat the
// guess (triangle inequality), so each entry keeps the others in order of
// distance and the search stops at that radius. Much cheaper than building
// NearestColor's cells again for every pass.
class NeighbourOrder {
public:
    explicit NeighbourOrder(const std::vector<Rgb>& palette)
        : m_palette(palette), m_count(static_cast<int>(palette.size())), m_order(size_t(m_count) * m_count) {
        for (int a = 0; a < m_count; ++a) {
            uint32_t* row = &m_order[size_t(a) * m_count];
            for (int j = 0; j < m_count; ++j) {
                const Rgb& c = palette[j];
                row[j] = (static_cast<uint32_t>(Dist(palette[a], c.r, c.g, c.b)) << 8) | static_cast<uint32_t>(j);
            }
            std::sort(row, row + m_count);
        }
    }

    int Find(int r, int g, int b, int guess) const {
        const int guessDist = Dist(m_palette[guess], r, g, b);
        const uint32_t radius = 4 * static_cast<uint32_t>(guessDist);  // (2 d)^2
        int best = guess, bestDist = guessDist;
        const uint32_t* row = &m_order[size_t(guess) * m_count];
        for (int t = 0; t < m_count && (row[t] >> 8) < radius; ++t) {
            int j = row[t] & 255;
            int d = Dist(m_palette[j], r, g, b);
            if (d < bestDist) {
                bestDist = d;
                best = j;
            }
        }
        return best;
    }

private:
    const std::vector<Rgb>& m_palette;
    int m_count;
    std::vector<uint32_t> m_order;  // per entry: distance^2 << 8 | index, ascending
};

}  // namespace

std::vector<Rgb> RefinePalette(const std::vector<ColorPoint>& points, std::vector<PaletteColor> centres, int colors,
                               int passes, NearestColor* finder, const std::vector<uint8_t>& guess) {
    colors = std::clamp(colors, 1, 256);
    if (points.size() <= static_cast<size_t>(colors)) {
        centres.clear();
        for (const ColorPoint& p : points) centres.push_back({p.r, p.g, p.b});
        passes = 0;
    }
    if (centres.empty()) centres.push_back({0, 0, 0});
    if (centres.size() > static_cast<size_t>(colors)) centres.resize(colors);
    std::vector<Rgb> palette = Round(centres);
    if (centres.size() < static_cast<size_t>(colors) && passes > 0) {
        AddWorstPoints(points, colors - centres.size(), finder, &centres);
        palette = Round(centres);
    }

    std::vector<double> sum(4 * centres.size());
    std::vector<uint8_t> assigned(points.size());
    bool haveAssignment = false;
    if (guess.size() == points.size()) {
        // Any valid index will do: the search is exact from every start.
        for (size_t i = 0; i < points.size(); ++i) assigned[i] = guess[i] < palette.size() ? guess[i] : 0;
        haveAssignment = true;
    }
    for (int pass = 0; pass < passes; ++pass) {
        std::fill(sum.begin(), sum.end(), 0.0);
        auto add = [&](size_t i, int k) {
            const ColorPoint& p = points[i];
            assigned[i] = static_cast<uint8_t>(k);
            double n = p.count;
            sum[4 * k] += n;
            sum[4 * k + 1] += n * p.r;
            sum[4 * k + 2] += n * p.g;
            sum[4 * k + 3] += n * p.b;
        };
        if (haveAssignment) {
            NeighbourOrder order(palette);
            for (size_t i = 0; i < points.size(); ++i) {
                const ColorPoint& p = points[i];
                add(i, order.Find(ToByte(p.r), ToByte(p.g), ToByte(p.b), assigned[i]));
            }
        } else {
            finder->SetPalette(palette.data(), static_cast<int>(palette.size()));
            for (size_t i = 0; i < points.size(); ++i) {
                const ColorPoint& p = points[i];
                add(i, finder->Find(ToByte(p.r), ToByte(p.g), ToByte(p.b)));
            }
            haveAssignment = true;
        }
        size_t empty = 0;
        for (size_t k = 0; k < centres.size(); ++k) {
            double n = sum[4 * k];
            if (n > 0) {
                centres[k] = {float(sum[4 * k + 1] / n), float(sum[4 * k + 2] / n), float(sum[4 * k + 3] / n)};
            } else {
                ++empty;
            }
        }
        if (empty) {
            // An entry nobody uses is moved to the points served worst.
            std::vector<PaletteColor> kept;
            for (size_t k = 0; k < centres.size(); ++k)
                if (sum[4 * k] > 0) kept.push_back(centres[k]);
            AddWorstPoints(points, empty, finder, &kept);
            centres = kept;
            sum.assign(4 * centres.size(), 0.0);
            haveAssignment = false;  // the entries were renumbered
        }
        std::vector<Rgb> next = Round(centres);
        bool settled = Same(next, palette);
        palette = std::move(next);
        if (settled) break;
    }
    finder->SetPalette(palette.data(), static_cast<int>(palette.size()));
    return palette;
}

}  // namespace imglib
