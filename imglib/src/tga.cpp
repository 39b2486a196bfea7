// Truevision TGA: colour-mapped, true-colour and greyscale, raw or
// run-length encoded, any of the four origins.
#include <algorithm>
#include <vector>

#include "decoders.h"
#include "tga_header.h"
#include "tga_rle.h"
#include "tga_rows.h"

namespace imglib {
namespace {

// Which alpha bits are alpha. The descriptor's attribute-bit count is not
// trusted either way: writers set 8 for 16-bit pixels, and 0 (with an
// extension type of 0 too) for 32-bit pixels whose alpha the references
// show to be real.
//  - 15/16-bit pixels and colour-map entries: the top bit is never alpha.
//    Files with 1 or 8 attribute bits in the descriptor decode as plain
//    colour in every reference, and an all-zero bit would black out a
//    picture.
//  - 32-bit pixels and entries, and grey+alpha: alpha, unless the TGA 2.0
//    extension area calls the field undefined (attributes type 1 or 2) or
//    every alpha value is zero. A fully transparent picture is never what
//    a file means; it is a writer filling the byte with zeros. The
//    Truevision suite's utc32 is such a file (type 2, all zero): it shows
//    its picture, as its 24-bit twin does, where the corpus reference
//    composites it to black.
//  - Premultiplied alpha (type 4) over black is the stored colour itself.
bool MayComposite(int attributesType) { return attributesType != 1 && attributesType != 2 && attributesType != 4; }

// True when any pixel of the stream has a non-zero byte at `offset`.
bool StreamHasAlpha(const uint8_t* p, const uint8_t* end, bool rle, size_t pixelBytes, size_t offset,
                    uint64_t pixels) {
    if (!rle) {
        uint64_t n = std::min<uint64_t>(pixels, static_cast<size_t>(end - p) / pixelBytes);
        for (uint64_t i = 0; i < n; ++i, p += pixelBytes)
            if (p[offset]) return true;
        return false;
    }
    uint64_t seen = 0;
    while (seen < pixels && p < end) {
        uint8_t head = *p++;
        size_t n = (head & 0x7Fu) + 1;
        size_t avail = static_cast<size_t>(end - p) / pixelBytes;
        size_t stored = (head & 0x80) ? 1 : n;
        size_t check = std::min(stored, avail);
        for (size_t i = 0; i < check; ++i)
            if (p[i * pixelBytes + offset]) return true;
        if (check < stored) break;
        p += stored * pixelBytes;
        seen += n;
    }
    return false;
}

// The colour map as BGR triples, alpha composited when it is real.
std::vector<uint8_t> ReadColourMap(Bytes in, const TgaHeader& h, bool mayComposite) {
    const size_t count = h.mapLength;
    const size_t eb = static_cast<size_t>(h.mapEntryBytes);
    const uint8_t* src = in.data + h.mapOffset;  // ParseTgaHeader proved it is all there
    std::vector<uint8_t> bgr(count * 3);
    bool alpha = eb == 4 && mayComposite && StreamHasAlpha(src, src + count * eb, false, 4, 3, count);
    for (size_t i = 0; i < count; ++i, src += eb) {
        uint8_t* e = &bgr[3 * i];
        if (eb == 2) {
            TgaRgb16Row(src, e, 1);
        } else if (eb == 3) {
            e[0] = src[0], e[1] = src[1], e[2] = src[2];
        } else {
            TgaBgraRow(src, e, 1, alpha);
        }
    }
    return bgr;
}

struct RowPlan {
    TgaPixels pixels;
    bool alpha = false;
    std::vector<uint8_t> lut;  // Index8 with a first entry above 0
    std::vector<uint8_t> map;  // Index16: BGR entries
    unsigned first = 0, count = 0;
};

void ConvertRow(const RowPlan& plan, const uint8_t* src, uint8_t* dst, size_t width) {
    switch (plan.pixels) {
        case TgaPixels::Index8: TgaIndexRow(src, dst, width, plan.lut.empty() ? nullptr : plan.lut.data()); break;
        case TgaPixels::Index16: TgaIndex16Row(src, dst, width, plan.map.data(), plan.first, plan.count); break;
        case TgaPixels::Grey8: std::copy(src, src + width, dst); break;
        case TgaPixels::GreyAlpha16: TgaGreyAlphaRow(src, dst, width, plan.alpha); break;
        case TgaPixels::Rgb16: TgaRgb16Row(src, dst, width); break;
        case TgaPixels::Bgr24: std::copy(src, src + 3 * width, dst); break;
        case TgaPixels::Bgra32: TgaBgraRow(src, dst, width, plan.alpha); break;
    }
}

// Sizes the DIB for the file's pixels and fills its palette.
Status PrepareOutput(Bytes in, const TgaHeader& h, Dib* dib, RowPlan* plan) {
    const bool mayComposite = MayComposite(TgaAttributesType(in));
    const uint8_t* data = in.data + h.pixelOffset;
    const uint8_t* end = in.data + in.size;
    const uint64_t pixels = static_cast<uint64_t>(h.width) * h.height;
    plan->pixels = h.pixels;
    Status s = Status::Ok;
    switch (h.pixels) {
        case TgaPixels::Index8: {
            // Pixel value v shows map entry v - first; only the entries an
            // 8-bit index can reach go into the palette.
            if (h.mapFirst >= 256) return Status::Unsupported;
            unsigned count = std::min<unsigned>(h.mapLength, 256u - h.mapFirst);
            s = dib->Create(h.width, h.height, 8, static_cast<int>(count));
            if (s != Status::Ok) return s;
            std::vector<uint8_t> map = ReadColourMap(in, h, mayComposite);
            for (unsigned i = 0; i < count; ++i) dib->SetPaletteEntry(static_cast<int>(i), map[3 * i + 2], map[3 * i + 1], map[3 * i]);
            if (h.mapFirst > 0) {
                // Values outside the map get index `count`, past biClrUsed,
                // which draws black (count < 256 whenever first > 0).
                plan->lut.assign(256, static_cast<uint8_t>(count));
                for (unsigned i = 0; i < count; ++i) plan->lut[h.mapFirst + i] = static_cast<uint8_t>(i);
            }
            return Status::Ok;
        }
        case TgaPixels::Index16:
            // More entries than a DIB palette holds: expand to 24-bit.
            s = dib->Create(h.width, h.height, 24);
            if (s != Status::Ok) return s;
            plan->map = ReadColourMap(in, h, mayComposite);
            plan->first = h.mapFirst;
            plan->count = h.mapLength;
            return Status::Ok;
        case TgaPixels::Grey8:
        case TgaPixels::GreyAlpha16:
            s = dib->Create(h.width, h.height, 8, 256);
            if (s != Status::Ok) return s;
            for (int i = 0; i < 256; ++i) dib->SetPaletteEntry(i, uint8_t(i), uint8_t(i), uint8_t(i));
            plan->alpha = h.pixels == TgaPixels::GreyAlpha16 && mayComposite &&
                          StreamHasAlpha(data, end, h.rle, 2, 1, pixels);
            return Status::Ok;
        case TgaPixels::Rgb16:
        case TgaPixels::Bgr24:
        case TgaPixels::Bgra32:
            s = dib->Create(h.width, h.height, 24);
            if (s != Status::Ok) return s;
            plan->alpha = h.pixels == TgaPixels::Bgra32 && mayComposite && StreamHasAlpha(data, end, h.rle, 4, 3, pixels);
            return Status::Ok;
    }
    return Status::Unsupported;
}

}  // namespace

Status DecodeTga(Bytes in, Dib* out) {
    TgaHeader h;
    Status s = ParseTgaHeader(in, &h);
    if (s != Status::Ok) return s;
    Dib dib;
    RowPlan plan;
    s = PrepareOutput(in, h, &dib, &plan);
    if (s != Status::Ok) return s;

    const size_t width = h.width;
    const size_t pb = static_cast<size_t>(h.pixelBytes);
    const int outBytes = dib.BitCount() / 8;
    const uint8_t* data = in.data + h.pixelOffset;
    const uint8_t* end = in.data + in.size;
    // Packets expand straight into the DIB when its layout is the file's.
    const bool direct = plan.lut.empty() &&
                        (h.pixels == TgaPixels::Bgr24 || h.pixels == TgaPixels::Grey8 || h.pixels == TgaPixels::Index8);
    std::vector<uint8_t> buffer(h.rle && !direct ? width * pb : 0);
    TgaRleReader rle(data, end, h.pixelBytes);
    // A short file keeps the rows decoded so far; the rest stays black.
    for (int32_t r = 0; r < h.height; ++r) {
        uint8_t* dst = dib.Row(h.topDown ? r : h.height - 1 - r);
        size_t got;
        if (h.rle && direct) {
            got = rle.Fill(dst, width);
        } else if (h.rle) {
            got = rle.Fill(buffer.data(), width);
            ConvertRow(plan, buffer.data(), dst, got);
        } else {
            got = std::min(width, static_cast<size_t>(end - data) / pb);
            ConvertRow(plan, data, dst, got);
            data += got * pb;
        }
        if (got == 0) {
            if (r == 0) return Status::Unsupported;  // a header and no pixels
            break;
        }
        if (h.rightToLeft) MirrorRow(dst, width, outBytes);
        if (got < width) break;
    }
    *out = std::move(dib);
    return Status::Ok;
}

}  // namespace imglib
