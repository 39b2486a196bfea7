// Kodak Photo CD image pac: the three uncompressed base images. The
// Huffman-coded 4Base and 16Base corrections are not read; Base is the
// largest picture a display of the time could show whole anyway.
#include <cstring>
#include <vector>

#include "decoders.h"
#include "pcd_ycc.h"

namespace imglib {
namespace {

constexpr size_t kSignatureOffset = 2048;  // sector 1: the image pac attributes
constexpr size_t kAttributesOffset = 0x0E02;

struct BaseImage {
    size_t offset;
    int32_t width, height;
    size_t Bytes() const { return static_cast<size_t>(width) * height * 3 / 2; }
};

// Fixed places, largest first: Base, Base/4, Base/16.
constexpr BaseImage kBases[] = {{0x30000, 768, 512}, {0xB800, 384, 256}, {0x2000, 192, 128}};

// The largest base image the file holds whole; a file cut short inside
// Base/16 still gives what it has of it.
const BaseImage* PickBase(size_t fileSize) {
    for (const BaseImage& b : kBases)
        if (b.offset + b.Bytes() <= fileSize) return &b;
    const BaseImage& smallest = kBases[2];
    return fileSize > smallest.offset ? &smallest : nullptr;
}

// Writes a converted source row into the picture turned by `quarterTurns`
// counter-clockwise quarter turns.
void PlaceRow(const uint8_t* bgr, int32_t y, int32_t width, int32_t height, int quarterTurns, Dib* dib) {
    switch (quarterTurns) {
        case 0:
            std::memcpy(dib->Row(y), bgr, 3 * static_cast<size_t>(width));
            break;
        case 2: {  // upside down: row from the bottom, pixels mirrored
            uint8_t* dst = dib->Row(height - 1 - y) + 3 * static_cast<size_t>(width - 1);
            for (int32_t x = 0; x < width; ++x, bgr += 3, dst -= 3) std::memcpy(dst, bgr, 3);
            break;
        }
        case 1:  // source (x, y) goes to column y, row width-1-x
            for (int32_t x = 0; x < width; ++x, bgr += 3) std::memcpy(dib->Row(width - 1 - x) + 3 * static_cast<size_t>(y), bgr, 3);
            break;
        default:  // three turns: source (x, y) goes to column height-1-y, row x
            for (int32_t x = 0; x < width; ++x, bgr += 3)
                std::memcpy(dib->Row(x) + 3 * static_cast<size_t>(height - 1 - y), bgr, 3);
            break;
    }
}

}  // namespace

Status DecodePcd(Bytes in, Dib* out) {
    if (in.size <= kAttributesOffset || std::memcmp(in.data + kSignatureOffset, "PCD_IPI", 7) != 0)
        return Status::Unsupported;
    const BaseImage* base = PickBase(in.size);
    if (!base) return Status::Unsupported;
    // The attributes' low two bits: how many quarter turns counter-clockwise
    // the scan needs to stand upright (a portrait taken on landscape film).
    const int turns = in.data[kAttributesOffset] & 3;
    const int32_t w = base->width, h = base->height;

    Dib dib;
    Status s = turns & 1 ? dib.Create(h, w, 24) : dib.Create(w, h, 24);
    if (s != Status::Ok) return s;

    // Each pair of rows: two luma rows, then a row of C1 (blue difference)
    // and a row of C2 (red difference) at half width, each chroma sample
    // covering a 2 x 2 block.
    const PcdYccTables& ycc = PcdYccTables::Get();
    const size_t pairBytes = 3 * static_cast<size_t>(w);
    const size_t available = in.size - base->offset;
    std::vector<uint8_t> rows(2 * 3 * static_cast<size_t>(w));
    uint8_t* bgr[2] = {rows.data(), rows.data() + 3 * static_cast<size_t>(w)};
    for (int32_t pair = 0; pair < h / 2; ++pair) {
        size_t start = static_cast<size_t>(pair) * pairBytes;
        if (start > available || available - start < pairBytes) {
            if (pair == 0) return Status::Unsupported;  // not even one row pair
            break;
        }
        const uint8_t* luma = in.data + base->offset + start;
        const uint8_t* c1 = luma + 2 * static_cast<size_t>(w);
        const uint8_t* c2 = c1 + w / 2;
        const uint8_t* luma1 = luma + w;
        for (int32_t x = 0; x < w; x += 2) {
            PcdYccTables::Chroma c = ycc.Terms(c1[x >> 1], c2[x >> 1]);
            ycc.ToBgr(luma[x], c, bgr[0] + 3 * x);
            ycc.ToBgr(luma[x + 1], c, bgr[0] + 3 * x + 3);
            ycc.ToBgr(luma1[x], c, bgr[1] + 3 * x);
            ycc.ToBgr(luma1[x + 1], c, bgr[1] + 3 * x + 3);
        }
        PlaceRow(bgr[0], 2 * pair, w, h, turns, &dib);
        PlaceRow(bgr[1], 2 * pair + 1, w, h, turns, &dib);
    }
    *out = std::move(dib);
    return Status::Ok;
}

}  // namespace imglib
