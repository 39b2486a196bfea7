#include "quantize_wu.h"

#include <algorithm>

namespace imglib {
namespace {

constexpr int kSide = 33;  // 32 levels a channel plus a zero plane

struct Moments {
    std::vector<double> w, r, g, b, sq;
    Moments() : w(kSide * kSide * kSide), r(w.size()), g(w.size()), b(w.size()), sq(w.size()) {}
};

inline int At(int r, int g, int b) { return (r * kSide + g) * kSide + b; }

// Lower bounds exclusive, upper bounds inclusive, in cells 1..32.
struct Box {
    int lo[3], hi[3];
    int Volume() const { return (hi[0] - lo[0]) * (hi[1] - lo[1]) * (hi[2] - lo[2]); }
};

struct Sums {
    double w, r, g, b, sq;
};

double Corner(const std::vector<double>& m, const Box& x) {
    return m[At(x.hi[0], x.hi[1], x.hi[2])] - m[At(x.hi[0], x.hi[1], x.lo[2])] -
           m[At(x.hi[0], x.lo[1], x.hi[2])] + m[At(x.hi[0], x.lo[1], x.lo[2])] -
           m[At(x.lo[0], x.hi[1], x.hi[2])] + m[At(x.lo[0], x.hi[1], x.lo[2])] +
           m[At(x.lo[0], x.lo[1], x.hi[2])] - m[At(x.lo[0], x.lo[1], x.lo[2])];
}

Sums BoxSums(const Moments& m, const Box& x, bool withSquares) {
    return {Corner(m.w, x), Corner(m.r, x), Corner(m.g, x), Corner(m.b, x), withSquares ? Corner(m.sq, x) : 0};
}

double Error(const Sums& s) {
    if (s.w <= 0) return 0;
    return s.sq - (s.r * s.r + s.g * s.g + s.b * s.b) / s.w;
}

// Cuts `box` where the two halves leave the least error; false when no cut
// leaves both halves non-empty.
bool Cut(const Moments& m, Box* box, Box* other) {
    Sums whole = BoxSums(m, *box, false);
    double best = -1;
    int bestAxis = -1, bestAt = 0;
    for (int axis = 0; axis < 3; ++axis) {
        for (int at = box->lo[axis] + 1; at < box->hi[axis]; ++at) {
            Box half = *box;
            half.hi[axis] = at;
            Sums h = BoxSums(m, half, false);
            double rw = whole.w - h.w;
            if (h.w <= 0 || rw <= 0) continue;
            double rr = whole.r - h.r, rg = whole.g - h.g, rb = whole.b - h.b;
            // Maximising the sum of |sum|^2 / weight minimises the error.
            double score = (h.r * h.r + h.g * h.g + h.b * h.b) / h.w + (rr * rr + rg * rg + rb * rb) / rw;
            if (score > best) {
                best = score;
                bestAxis = axis;
                bestAt = at;
            }
        }
    }
    if (bestAxis < 0) return false;
    *other = *box;
    box->hi[bestAxis] = bestAt;
    other->lo[bestAxis] = bestAt;
    return true;
}

int CellOf(const ColorPoint& p) { return At(int(p.r) / 8 + 1, int(p.g) / 8 + 1, int(p.b) / 8 + 1); }

}  // namespace

std::vector<PaletteColor> WuPalette(const std::vector<ColorPoint>& points, int colors, std::vector<uint8_t>* box) {
    std::vector<PaletteColor> out;
    if (box) box->clear();
    if (points.empty() || colors < 1) return out;
    Moments m;
    for (const ColorPoint& p : points) {
        int i = CellOf(p);
        double n = p.count;
        m.w[i] += n;
        m.r[i] += n * p.r;
        m.g[i] += n * p.g;
        m.b[i] += n * p.b;
        // Each point stands for its pixels at their mean; the spread inside
        // a 4^3 cell is too small to change which box gets cut.
        m.sq[i] += n * (double(p.r) * p.r + double(p.g) * p.g + double(p.b) * p.b);
    }
    // Running sums along each axis turn the cells into cumulative moments.
    for (std::vector<double>* a : {&m.w, &m.r, &m.g, &m.b, &m.sq}) {
        std::vector<double>& v = *a;
        for (int r = 1; r < kSide; ++r)
            for (int g = 1; g < kSide; ++g)
                for (int b = 1; b < kSide; ++b) v[At(r, g, b)] += v[At(r, g, b - 1)];
        for (int r = 1; r < kSide; ++r)
            for (int g = 1; g < kSide; ++g)
                for (int b = 1; b < kSide; ++b) v[At(r, g, b)] += v[At(r, g - 1, b)];
        for (int r = 1; r < kSide; ++r)
            for (int g = 1; g < kSide; ++g)
                for (int b = 1; b < kSide; ++b) v[At(r, g, b)] += v[At(r - 1, g, b)];
    }

    std::vector<Box> boxes;
    std::vector<double> error;
    boxes.reserve(colors);
    boxes.push_back({{0, 0, 0}, {32, 32, 32}});
    error.push_back(Error(BoxSums(m, boxes[0], true)));
    while (static_cast<int>(boxes.size()) < colors) {
        // The box with the most error that can still be cut.
        int next = -1;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (error[i] > 0 && boxes[i].Volume() > 1 && (next < 0 || error[i] > error[next]))
                next = static_cast<int>(i);
        if (next < 0) break;
        Box other;
        if (!Cut(m, &boxes[next], &other)) {
            error[next] = 0;  // all its pixels sit in one plane of cells: leave it
            continue;
        }
        boxes.push_back(other);
        error[next] = Error(BoxSums(m, boxes[next], true));
        error.push_back(Error(BoxSums(m, other, true)));
    }
    // Cells of a box carry its index; the same table then answers for
    // every point.
    std::vector<uint8_t> cellBox(box ? m.w.size() : 0);
    for (const Box& x : boxes) {
        Sums s = BoxSums(m, x, false);
        if (s.w <= 0) continue;
        if (box) {
            for (int r = x.lo[0] + 1; r <= x.hi[0]; ++r)
                for (int g = x.lo[1] + 1; g <= x.hi[1]; ++g)
                    for (int b = x.lo[2] + 1; b <= x.hi[2]; ++b) cellBox[At(r, g, b)] = uint8_t(out.size());
        }
        out.push_back({static_cast<float>(s.r / s.w), static_cast<float>(s.g / s.w), static_cast<float>(s.b / s.w)});
    }
    if (box) {
        box->resize(points.size());
        for (size_t i = 0; i < points.size(); ++i) (*box)[i] = cellBox[CellOf(points[i])];
    }
    return out;
}

}  // namespace imglib
