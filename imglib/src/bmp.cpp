// Windows and OS/2 bitmaps: "BM" files, OS/2 "BA" bitmap arrays (first
// image only) and bare DIBs that start with their information header.
#include <algorithm>
#include <cstring>
#include <vector>

#include "bmp_rle.h"
#include "decoders.h"

namespace imglib {
namespace {

constexpr size_t kFileHeaderSize = 14;

enum class Coding { Raw, Bitfields, Rle4, Rle8, Rle24, Jpeg };

struct BmpLayout {
    int32_t width = 0;
    int32_t height = 0;  // always positive; topDown says which way the rows run
    bool topDown = false;
    int bitCount = 0;
    Coding coding = Coding::Raw;
    uint32_t masks[4] = {};  // red, green, blue, alpha (Bitfields only)
    size_t paletteOffset = 0;
    int paletteEntries = 0;
    int entrySize = 4;  // 3 in OS/2 1.x files
    size_t pixelOffset = 0;
};

// Header sizes that identify a bare DIB; a file without "BM" needs one.
bool IsBareHeaderSize(uint32_t size) {
    switch (size) {
        case 12: case 16: case 40: case 52: case 56: case 64: case 108: case 124: return true;
        default: return false;
    }
}

bool ValidBitCount(Coding coding, int bits) {
    switch (coding) {
        case Coding::Raw: return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        case Coding::Bitfields: return bits == 16 || bits == 24 || bits == 32;
        case Coding::Rle4: return bits == 4;
        case Coding::Rle8: return bits == 8;
        case Coding::Rle24: return bits == 24;
        case Coding::Jpeg: return true;
    }
    return false;
}

Status ParseLayout(Bytes in, BmpLayout* L) {
    ByteReader r(in);
    size_t fileStart = 0;
    if (in.size >= 2 && in.data[0] == 'B' && in.data[1] == 'A') {
        // OS/2 bitmap array: a 14-byte array header, then the first image's
        // file header. Its offsets count from the start of the whole file.
        fileStart = 14;
        if (in.size < fileStart + 2 || std::memcmp(in.data + fileStart, "BM", 2) != 0) return Status::Unsupported;
    }
    bool fileHeader = in.size >= fileStart + 2 && std::memcmp(in.data + fileStart, "BM", 2) == 0;
    uint32_t offBits = 0;
    size_t hdr = 0;
    if (fileHeader) {
        r.Seek(fileStart + 10);
        offBits = r.U32();
        hdr = fileStart + kFileHeaderSize;
    }
    r.Seek(hdr);
    uint32_t size = r.U32();
    if (r.Failed()) return Status::Unsupported;
    if (!fileHeader && !IsBareHeaderSize(size)) return Status::Unsupported;
    if (size < 12 || (size > 12 && size < 16) || size > in.size - hdr) return Status::Unsupported;

    bool core = size == 12;
    bool os2 = core || size < 40 || (size > 40 && size <= 64 && size != 52 && size != 56);
    int64_t width, height;
    uint32_t compression = 0, clrUsed = 0;
    if (core) {
        width = r.U16();
        height = r.U16();
        r.U16();  // planes
        L->bitCount = r.U16();
    } else {
        width = r.S32();
        height = r.S32();
        r.U16();  // planes: ignored, as viewers do
        L->bitCount = r.U16();
        // Fields past a short OS/2 2.x header read as zero.
        auto field = [&](size_t offset) -> uint32_t {
            if (offset + 4 > size) return 0;
            ByteReader f(in.Sub(hdr + offset, 4));
            return f.U32();
        };
        compression = field(16);
        clrUsed = field(32);
        if (!os2 && size >= 52) {
            L->masks[0] = field(40);
            L->masks[1] = field(44);
            L->masks[2] = field(48);
            if (size >= 56) L->masks[3] = field(52);
        }
    }
    if (r.Failed()) return Status::Unsupported;

    size_t masksAfterHeader = 0;
    switch (compression) {
        case 0: L->coding = Coding::Raw; break;
        case 1: L->coding = Coding::Rle8; break;
        case 2: L->coding = Coding::Rle4; break;
        case 3:
            if (os2) return Status::Unsupported;  // OS/2 Huffman 1D fax coding
            L->coding = Coding::Bitfields;
            if (size < 52) masksAfterHeader = 12;
            break;
        case 4:
            // OS/2 RLE24, or a Windows BI_JPEG; the data tells them apart.
            L->coding = os2 ? Coding::Rle24 : Coding::Jpeg;
            break;
        case 6:
            L->coding = Coding::Bitfields;
            if (size < 52) masksAfterHeader = 16;
            break;
        default: return Status::Unsupported;  // BI_PNG, CMYK variants, unknown
    }
    if (masksAfterHeader) {
        ByteReader m(in.Sub(hdr + size, masksAfterHeader));
        for (size_t i = 0; i < masksAfterHeader / 4; ++i) L->masks[i] = m.U32();
        if (m.Failed()) return Status::Unsupported;
    }

    if (width <= 0 || height == 0) return Status::Unsupported;
    L->topDown = height < 0;
    if (height < 0) height = -height;
    if (width > kMaxDimension || height > kMaxDimension) return Status::Memory;
    L->width = static_cast<int32_t>(width);
    L->height = static_cast<int32_t>(height);

    // Colour table: its declared size, bounded by what the bit count can
    // index; the pixel offset, when it lies between the table and the end of
    // the file, wins over both (OS/2 files often carry a short table).
    bool paletted = L->bitCount <= 8 && L->coding != Coding::Jpeg;
    L->entrySize = core ? 3 : 4;
    L->paletteOffset = hdr + size + masksAfterHeader;
    size_t maxEntries = paletted ? size_t(1) << L->bitCount : 256;
    size_t declared = core ? (paletted ? maxEntries : 0) : clrUsed ? clrUsed : (paletted ? maxEntries : 0);
    size_t entries = std::min(declared, maxEntries);
    size_t defaultOffset = L->paletteOffset + entries * L->entrySize;
    L->pixelOffset = defaultOffset;
    if (fileHeader && offBits >= L->paletteOffset && offBits < in.size) {
        size_t room = (offBits - L->paletteOffset) / L->entrySize;
        if (!paletted || room >= 1) {
            L->pixelOffset = offBits;
            if (paletted) entries = std::min(entries, room);
        }
    }
    if (paletted) {
        if (L->paletteOffset + entries * L->entrySize > in.size) return Status::Unsupported;
        L->paletteEntries = static_cast<int>(entries);
    }
    if (L->coding == Coding::Jpeg) {
        if (!(in.size >= L->pixelOffset + 2 && in.data[L->pixelOffset] == 0xFF && in.data[L->pixelOffset + 1] == 0xD8)) {
            if (L->bitCount != 24) return Status::Unsupported;
            L->coding = Coding::Rle24;  // OS/2 RLE24 behind a 40-byte header
        }
    }
    if (!ValidBitCount(L->coding, L->bitCount)) return Status::Unsupported;
    return Status::Ok;
}

// A bit-field channel scaled to 8 bits through a table. Channels wider than
// 12 bits drop their low bits first, which keeps the table small at a cost
// of at most one level of rounding.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int drop = 0;
    uint8_t table[4096] = {};

    void Init(uint32_t m) {
        mask = m;
        shift = 0;
        while (m && !(m & 1)) {
            m >>= 1;
            ++shift;
        }
        int bits = 0;
        for (uint64_t span = m; span; span >>= 1) ++bits;  // up to 32
        drop = bits > 12 ? bits - 12 : 0;
        bits -= drop;
        uint32_t max = bits ? (1u << bits) - 1 : 0;
        for (uint32_t v = 0; v <= max; ++v) table[v] = static_cast<uint8_t>(max ? (v * 255 + max / 2) / max : 0);
    }
    uint8_t operator()(uint32_t px) const { return table[((px & mask) >> shift) >> drop]; }
};

struct Bitfields {
    Channel r, g, b, a;
};

inline uint8_t Over(unsigned c, unsigned a) { return static_cast<uint8_t>((c * a + 127) / 255); }

// One row of bit-field pixels to BGR, composited over black with kAlpha.
template <int kBytes, bool kAlpha>
void BitfieldRow(const Bitfields& f, const uint8_t* src, uint8_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += kBytes, dst += 3) {
        uint32_t px = src[0] | uint32_t(src[1]) << 8;
        if (kBytes >= 3) px |= uint32_t(src[2]) << 16;
        if (kBytes == 4) px |= uint32_t(src[3]) << 24;
        uint8_t r = f.r(px), g = f.g(px), b = f.b(px);
        if (kAlpha) {
            unsigned a = f.a(px);
            r = Over(r, a);
            g = Over(g, a);
            b = Over(b, a);
        }
        dst[0] = b;
        dst[1] = g;
        dst[2] = r;
    }
}

template <bool kAlpha>
void BitfieldRowAny(const Bitfields& f, int bytes, const uint8_t* src, uint8_t* dst, int32_t width) {
    switch (bytes) {
        case 2: BitfieldRow<2, kAlpha>(f, src, dst, width); break;
        case 3: BitfieldRow<3, kAlpha>(f, src, dst, width); break;
        default: BitfieldRow<4, kAlpha>(f, src, dst, width); break;
    }
}

void Bgrx32Row(const uint8_t* src, uint8_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += 4, dst += 3) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
}

void Bgra32Row(const uint8_t* src, uint8_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += 4, dst += 3) {
        unsigned a = src[3];
        dst[0] = Over(src[0], a);
        dst[1] = Over(src[1], a);
        dst[2] = Over(src[2], a);
    }
}

// Two-bit pixels become nibbles of a 4-bit DIB: each source byte (four
// pixels) gives two destination bytes.
void Expand2To4Row(const uint8_t* src, uint8_t* dst, int32_t width) {
    size_t n = (static_cast<size_t>(width) + 3) / 4;
    for (size_t i = 0; i < n; ++i) {
        unsigned v = src[i];
        dst[2 * i] = static_cast<uint8_t>((v >> 6) << 4 | ((v >> 4) & 3));
        dst[2 * i + 1] = static_cast<uint8_t>(((v >> 2) & 3) << 4 | (v & 3));
    }
}

// Uncompressed rows, in file order. A row cut short by the end of the file
// is decoded from a zero-padded copy, and decoding stops after it.
template <typename RowFn>
void ForEachRow(Bytes pixels, const BmpLayout& L, Dib* out, RowFn&& fn) {
    size_t rowBytes = ((static_cast<size_t>(L.width) * L.bitCount + 31) / 32) * 4;
    const uint8_t* p = pixels.data;
    size_t remaining = pixels.size;
    std::vector<uint8_t> partial;
    for (int32_t y = 0; y < L.height && remaining > 0; ++y) {
        const uint8_t* src = p;
        if (remaining < rowBytes) {
            partial.assign(rowBytes, 0);
            std::memcpy(partial.data(), p, remaining);
            src = partial.data();
        }
        fn(src, out->Row(L.topDown ? y : L.height - 1 - y));
        size_t step = std::min(rowBytes, remaining);
        p += step;
        remaining -= step;
    }
}

void DecodeTrueColour(Bytes pixels, const BmpLayout& L, Dib* out) {
    const int32_t w = L.width;
    if (L.bitCount == 24 && L.coding == Coding::Raw) {
        size_t n = 3 * static_cast<size_t>(w);
        ForEachRow(pixels, L, out, [&](const uint8_t* src, uint8_t* dst) { std::memcpy(dst, src, n); });
        return;
    }
    Bitfields f;
    uint32_t masks[4] = {L.masks[0], L.masks[1], L.masks[2], L.masks[3]};
    if (L.coding == Coding::Raw) {
        // BI_RGB: 16 bits are 5-5-5, 32 bits are B, G, R and an unused byte.
        if (L.bitCount == 32) {
            ForEachRow(pixels, L, out, [&](const uint8_t* src, uint8_t* dst) { Bgrx32Row(src, dst, w); });
            return;
        }
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
        masks[3] = 0;
    }
    int bytes = L.bitCount / 8;
    if (bytes == 4 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF && masks[3] == 0) {
        ForEachRow(pixels, L, out, [&](const uint8_t* src, uint8_t* dst) { Bgrx32Row(src, dst, w); });
        return;
    }
    if (bytes == 4 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF && masks[3] == 0xFF000000) {
        ForEachRow(pixels, L, out, [&](const uint8_t* src, uint8_t* dst) { Bgra32Row(src, dst, w); });
        return;
    }
    f.r.Init(masks[0]);
    f.g.Init(masks[1]);
    f.b.Init(masks[2]);
    f.a.Init(masks[3]);
    // An alpha mask counts even when every pixel is transparent: viewers then
    // show the backdrop, not the colours.
    if (masks[3]) {
        ForEachRow(pixels, L, out,
                   [&](const uint8_t* src, uint8_t* dst) { BitfieldRowAny<true>(f, bytes, src, dst, w); });
    } else {
        ForEachRow(pixels, L, out,
                   [&](const uint8_t* src, uint8_t* dst) { BitfieldRowAny<false>(f, bytes, src, dst, w); });
    }
}

}  // namespace

Status DecodeBmp(Bytes in, Dib* out) {
    BmpLayout L;
    Status s = ParseLayout(in, &L);
    if (s != Status::Ok) return s;
    if (L.coding == Coding::Jpeg) return DecodeJpeg(in.From(L.pixelOffset), out);

    bool paletted = L.bitCount <= 8;
    int outBits = paletted ? (L.bitCount == 2 ? 4 : L.bitCount) : 24;
    s = CheckDibSize(L.width, L.height, outBits);
    if (s != Status::Ok) return s;
    Dib dib;
    s = dib.Create(L.width, L.height, outBits, paletted ? L.paletteEntries : 0);
    if (s != Status::Ok) return s;
    if (paletted) {
        const uint8_t* e = in.data + L.paletteOffset;
        for (int i = 0; i < L.paletteEntries; ++i, e += L.entrySize) dib.SetPaletteEntry(i, e[2], e[1], e[0]);
    }

    Bytes pixels = in.From(L.pixelOffset);
    switch (L.coding) {
        case Coding::Rle4: DecodeBmpRle(pixels, BmpRle::Rle4, L.topDown, &dib); break;
        case Coding::Rle8: DecodeBmpRle(pixels, BmpRle::Rle8, L.topDown, &dib); break;
        case Coding::Rle24: DecodeBmpRle(pixels, BmpRle::Rle24, L.topDown, &dib); break;
        case Coding::Raw:
        case Coding::Bitfields:
            if (L.bitCount == 2) {
                ForEachRow(pixels, L, &dib, [&](const uint8_t* src, uint8_t* dst) { Expand2To4Row(src, dst, L.width); });
            } else if (paletted) {
                // 1, 4 and 8 bits: the file's rows are already DIB rows.
                size_t n = dib.Stride();
                ForEachRow(pixels, L, &dib, [&](const uint8_t* src, uint8_t* dst) { std::memcpy(dst, src, n); });
            } else {
                DecodeTrueColour(pixels, L, &dib);
            }
            break;
        case Coding::Jpeg: break;
    }
    *out = std::move(dib);
    return Status::Ok;
}

}  // namespace imglib
