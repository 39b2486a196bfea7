// Sun raster: 1, 8, 24 and 32 bits a pixel; standard, byte-encoded and
// RGB-ordered types; an optional RGB colour map. Big-endian header, rows
// top-down and padded to 16 bits.
#include <algorithm>
#include <cstring>
#include <vector>

#include "decoders.h"
#include "sunraster_rle.h"

namespace imglib {
namespace {

constexpr uint32_t kMagic = 0x59A66A95;
constexpr size_t kHeaderSize = 32;

enum SunType : uint32_t { kOld = 0, kStandard = 1, kByteEncoded = 2, kRgbFormat = 3 };
enum SunMap : uint32_t { kNoMap = 0, kEqualRgb = 1, kRawMap = 2 };

struct SunHeader {
    uint32_t width, height, depth, length, type, mapType, mapLength;
};

// Sun's own convention for a map-less bitmap: 0 is white, 1 is black.
void SetBilevelPalette(Dib* dib) {
    dib->SetPaletteEntry(0, 255, 255, 255);
    dib->SetPaletteEntry(1, 0, 0, 0);
}

// Sizes the DIB and sets its palette from the colour map (three planes:
// all reds, all greens, all blues). A raw (type 2) map has no defined
// meaning, so it is skipped like no map at all.
Status PrepareOutput(const SunHeader& h, const uint8_t* map, Dib* dib) {
    const int32_t w = static_cast<int32_t>(h.width), ht = static_cast<int32_t>(h.height);
    const size_t entries = h.mapType == kEqualRgb ? h.mapLength / 3 : 0;
    auto setFromMap = [&](int count) {
        for (int i = 0; i < count; ++i) dib->SetPaletteEntry(i, map[i], map[entries + i], map[2 * entries + i]);
    };
    Status s;
    switch (h.depth) {
        case 1:
            s = dib->Create(w, ht, 1, 2);
            if (s != Status::Ok) return s;
            if (entries >= 2) setFromMap(2);
            else SetBilevelPalette(dib);
            return Status::Ok;
        case 8:
            if (entries == 0) {  // no map: grey levels
                s = dib->Create(w, ht, 8, 256);
                if (s != Status::Ok) return s;
                for (int i = 0; i < 256; ++i) dib->SetPaletteEntry(i, uint8_t(i), uint8_t(i), uint8_t(i));
                return Status::Ok;
            }
            // A short map leaves the higher indices past biClrUsed: black.
            s = dib->Create(w, ht, 8, static_cast<int>(std::min<size_t>(entries, 256)));
            if (s != Status::Ok) return s;
            setFromMap(dib->Colors());
            return Status::Ok;
        default:
            return dib->Create(w, ht, 24);
    }
}

// The shuffles below move whole 32-bit words: each store writes one byte
// too many, which the next pixel overwrites, so the last pixel of a row
// goes byte by byte. x86, the only host, is little-endian.
inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

void RgbToBgr(const uint8_t* src, uint8_t* dst, size_t w) {
    for (size_t x = 1; x < w; ++x, src += 3, dst += 3) {
        uint32_t v = Load32(src);  // R G B and the next pixel's first byte
        Store32(dst, (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF));
    }
    dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
}

// The first byte of each 32-bit pixel is padding, not alpha: the
// references show the colours whatever it holds.
void XrgbToBgr(const uint8_t* src, uint8_t* dst, size_t w) {
    for (size_t x = 1; x < w; ++x, src += 4, dst += 3) Store32(dst, __builtin_bswap32(Load32(src)));
    dst[0] = src[3], dst[1] = src[2], dst[2] = src[1];
}

void XbgrToBgr(const uint8_t* src, uint8_t* dst, size_t w) {
    for (size_t x = 1; x < w; ++x, src += 4, dst += 3) Store32(dst, Load32(src) >> 8);
    dst[0] = src[1], dst[1] = src[2], dst[2] = src[3];
}

void ConvertRow(const SunHeader& h, const uint8_t* src, uint8_t* dst) {
    const size_t w = h.width;
    const bool rgb = h.type == kRgbFormat;
    switch (h.depth) {
        case 1: std::memcpy(dst, src, (w + 7) / 8); break;
        case 8: std::memcpy(dst, src, w); break;
        case 24:
            if (rgb) RgbToBgr(src, dst, w);
            else std::memcpy(dst, src, 3 * w);
            break;
        default:
            if (rgb) XrgbToBgr(src, dst, w);
            else XbgrToBgr(src, dst, w);
            break;
    }
}

}  // namespace

Status DecodeSunRaster(Bytes in, Dib* out) {
    ByteReader r(in, true);
    if (r.U32() != kMagic) return Status::Unsupported;
    SunHeader h;
    h.width = r.U32();
    h.height = r.U32();
    h.depth = r.U32();
    h.length = r.U32();  // unreliable (0 in old files); the data runs to the end
    h.type = r.U32();
    h.mapType = r.U32();
    h.mapLength = r.U32();
    if (r.Failed()) return Status::Unsupported;
    if (h.depth != 1 && h.depth != 8 && h.depth != 24 && h.depth != 32) return Status::Unsupported;
    if (h.type > kRgbFormat || h.mapType > kRawMap) return Status::Unsupported;
    if (h.mapLength > in.size - kHeaderSize) return Status::Unsupported;
    if (h.width == 0 || h.height == 0) return Status::Unsupported;
    if (h.width > static_cast<uint32_t>(kMaxDimension) || h.height > static_cast<uint32_t>(kMaxDimension))
        return Status::Memory;

    const uint8_t* map = in.data + kHeaderSize;
    Dib dib;
    Status s = PrepareOutput(h, map, &dib);
    if (s != Status::Ok) return s;

    const size_t rowBytes = (static_cast<size_t>(h.width) * h.depth + 15) / 16 * 2;
    const uint8_t* data = map + h.mapLength;
    const uint8_t* end = in.data + in.size;
    // Decoded rows of 1, 8 and 24 bits are already DIB rows, padding and
    // all (the DIB's 4-byte padding holds Sun's 2-byte one), so runs expand
    // straight into the DIB.
    const bool direct = h.depth <= 24;
    std::vector<uint8_t> buffer(rowBytes);
    SunRleReader rle(data, end);
    // A short file keeps the rows decoded so far; the rest stays as zeros.
    for (int32_t y = 0; y < dib.Height(); ++y) {
        uint8_t* dst = dib.Row(y);
        size_t got = rowBytes;
        if (h.type == kByteEncoded && direct) {
            got = rle.Fill(dst, rowBytes);
        } else if (h.type == kByteEncoded) {
            got = rle.Fill(buffer.data(), rowBytes);
            std::memset(buffer.data() + got, 0, rowBytes - got);
            ConvertRow(h, buffer.data(), dst);
        } else if (static_cast<size_t>(end - data) >= rowBytes) {
            ConvertRow(h, data, dst);
            data += rowBytes;
        } else {
            got = static_cast<size_t>(end - data);
            std::memcpy(buffer.data(), data, got);
            std::memset(buffer.data() + got, 0, rowBytes - got);
            ConvertRow(h, buffer.data(), dst);
        }
        if (got == 0) {
            if (y == 0) return Status::Unsupported;  // a header and no pixels
            break;
        }
        if (got < rowBytes) break;
    }
    *out = std::move(dib);
    return Status::Ok;
}

}  // namespace imglib
