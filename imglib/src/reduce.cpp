// ReduceDIB: a true-colour DIB to a paletted one for palette displays.
//
// One pass over the pixels gathers a 6-bit-a-channel histogram and, while
// there are few, the exact colours. An image that already fits gets its
// own colours, mapped exactly. Otherwise Wu's box cuts choose a palette,
// k-means passes over the histogram refine it, and a second pass maps the
// pixels, with Floyd-Steinberg error diffusion when asked. Working memory
// is fixed (about 12 MiB at most) whatever the image size; only the output
// grows with it.
#include <algorithm>
#include <new>

#include "dib.h"
#include "imglib.h"
#include "quantize_histogram.h"
#include "quantize_nearest.h"
#include "quantize_refine.h"
#include "quantize_wu.h"
#include "reduce_map.h"
#include "reduce_source.h"

namespace imglib {
namespace {

// Beyond about six passes the palette hardly moves (measured on photos:
// under 0.05 dB more), and each pass costs about as much as the last.
constexpr int kRefinePasses = 6;

// The histogram's per-cell sums hold 3 x the pixel count in 32 bits; a
// gigapixel is also beyond any 8-bit DIB a 32-bit process could allocate.
constexpr uint64_t kMaxPixels = uint64_t(1) << 30;

int BitsFor(int entries) { return entries <= 2 ? 1 : entries <= 16 ? 4 : 8; }

// The pass over the pixels that a palette is chosen from. The histogram
// goes before the output is allocated.
std::vector<ColorPoint> Survey(ReduceSource* src, DistinctColors* distinct) {
    ColorHistogram histogram;
    const size_t width = static_cast<size_t>(src->Width());
    for (int32_t y = 0; y < src->Height(); ++y) {
        const uint8_t* row = src->RowBgr(y);
        distinct->AddBgrRow(row, width);
        histogram.AddBgrRow(row, width);
    }
    if (!distinct->Overflowed()) return {};
    return histogram.Points();
}

PDIB Reduce(PDIB dib, int colors, bool dither) {
    ReduceSource src;
    if (!src.Open(dib)) return nullptr;
    if (src.BitCount() <= 8 && src.PaletteSize() <= static_cast<uint32_t>(colors)) return dib;
    if (uint64_t(src.Width()) * uint64_t(src.Height()) > kMaxPixels) return nullptr;

    DistinctColors distinct(colors);
    std::vector<ColorPoint> points = Survey(&src, &distinct);

    Dib out;
    if (!distinct.Overflowed()) {
        distinct.Sort();
        int n = distinct.Count();
        if (out.Create(src.Width(), src.Height(), BitsFor(n), n) != Status::Ok) return nullptr;
        for (int i = 0; i < n; ++i) {
            uint32_t c = distinct.Color(i);
            out.SetPaletteEntry(i, uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c));
        }
        MapExact(&src, distinct, &out);
        return out.Release();
    }

    NearestColor finder;
    std::vector<uint8_t> box;
    std::vector<PaletteColor> start = WuPalette(points, colors, &box);
    std::vector<Rgb> palette = RefinePalette(points, std::move(start), colors, kRefinePasses, &finder, box);
    std::vector<ColorPoint>().swap(points);  // up to 4 MiB, not needed for the mapping
    int n = static_cast<int>(palette.size());
    if (out.Create(src.Width(), src.Height(), BitsFor(n), n) != Status::Ok) return nullptr;
    for (int i = 0; i < n; ++i) out.SetPaletteEntry(i, palette[i].r, palette[i].g, palette[i].b);
    if (dither) MapDithered(&src, &finder, &out);
    else MapNearest(&src, &finder, &out);
    return out.Release();
}

}  // namespace
}  // namespace imglib

PDIB ReduceDIB(PDIB dib, int colors, int dither) {
    if (!dib || colors < 2) return nullptr;
    try {
        return imglib::Reduce(dib, std::min(colors, 256), dither != 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
