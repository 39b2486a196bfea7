// ZSoft PCX: 1, 2, 4 and 8 bits per plane, 1 to 4 planes.
//
// Colour rules:
// - One plane of 1 bit is black (0) and white (1), whatever the header
//   palette holds. Paintbrush showed such files in black and white, and
//   writers leave the header palette unset (all zero, or stale colours as in
//   the zigimg sample): believing it would turn many real files black.
// - Up to 16 colours (1 bit x 2..4 planes, 2 or 4 bits x 1 plane) use the
//   header palette, read as RGB triples; versions 0 and 3 have none, and an
//   all-zero one was never written, so those get the default EGA colours
//   (2 bits: the CGA colours black, cyan, magenta and white).
// - 8 bits x 1 plane use the 256-colour palette after a 0x0C byte 769 bytes
//   from the end of the file, or a grey ramp when there is none.
// - 8 bits x 3 planes are RGB; a fourth plane is alpha, composited over the
//   black backdrop.
#include <algorithm>
#include <cstring>
#include <vector>

#include "decoders.h"

namespace imglib {
namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kTrailerSize = 769;  // 0x0C and 256 RGB triples

constexpr uint8_t kEgaPalette[16][3] = {
    {0x00, 0x00, 0x00}, {0x00, 0x00, 0xAA}, {0x00, 0xAA, 0x00}, {0x00, 0xAA, 0xAA},
    {0xAA, 0x00, 0x00}, {0xAA, 0x00, 0xAA}, {0xAA, 0x55, 0x00}, {0xAA, 0xAA, 0xAA},
    {0x55, 0x55, 0x55}, {0x55, 0x55, 0xFF}, {0x55, 0xFF, 0x55}, {0x55, 0xFF, 0xFF},
    {0xFF, 0x55, 0x55}, {0xFF, 0x55, 0xFF}, {0xFF, 0xFF, 0x55}, {0xFF, 0xFF, 0xFF},
};
constexpr uint8_t kCgaPalette[4][3] = {{0x00, 0x00, 0x00}, {0x55, 0xFF, 0xFF}, {0xFF, 0x55, 0xFF}, {0xFF, 0xFF, 0xFF}};

// The scanline byte stream. Runs may cross scanline (and plane) boundaries,
// as many writers emit them, so the state carries over between lines.
class PcxStream {
public:
    PcxStream(Bytes data, bool rle) : m_p(data.data), m_end(data.data + data.size), m_rle(rle) {}

    // Fills n bytes; returns how many the data held (fewer only at its end).
    size_t Fill(uint8_t* out, size_t n) {
        if (!m_rle) {
            size_t take = std::min(n, static_cast<size_t>(m_end - m_p));
            std::memcpy(out, m_p, take);
            m_p += take;
            return take;
        }
        size_t i = 0;
        if (m_run) {
            size_t k = std::min(m_run, n);
            std::memset(out, m_value, k);
            i = k;
            m_run -= k;
        }
        while (i < n && m_p != m_end) {
            unsigned b = *m_p;
            if (b < 0xC0) {
                out[i++] = static_cast<uint8_t>(b);
                ++m_p;
                continue;
            }
            if (m_end - m_p < 2) break;  // a count without its value
            // Short runs dominate (every byte value from 0xC0 up is coded as
            // a run of one), so they are written inline.
            size_t count = b & 0x3F, take = std::min(count, n - i);
            uint8_t v = m_p[1];
            m_p += 2;
            uint8_t* o = out + i;
            if (take <= 8) {
                for (size_t k = 0; k < take; ++k) o[k] = v;
            } else {
                std::memset(o, v, take);
            }
            i += take;
            m_run = count - take;
            m_value = v;
        }
        return i;
    }

private:
    const uint8_t* m_p;
    const uint8_t* m_end;
    bool m_rle;
    size_t m_run = 0;
    uint8_t m_value = 0;
};

// For 1-bit planes into a 4-bit DIB: the eight pixels of one plane byte,
// each as bit 0 of its nibble, in DIB byte order. Shifting the word by the
// plane number moves every bit within its own nibble.
struct PlaneSpread {
    uint32_t word[256];
    PlaneSpread() {
        for (unsigned v = 0; v < 256; ++v) {
            uint8_t bytes[4];
            for (int j = 0; j < 4; ++j)
                bytes[j] = static_cast<uint8_t>(((v >> (7 - 2 * j)) & 1) << 4 | ((v >> (6 - 2 * j)) & 1));
            std::memcpy(&word[v], bytes, 4);
        }
    }
};

struct PcxHeader {
    int version, bitsPerPlane, planes;
    bool rle;
    int32_t width, height;
    size_t bytesPerLine;
    const uint8_t* palette;  // 16 RGB triples inside the header
};

Status ReadHeader(Bytes in, PcxHeader* h) {
    if (in.size < kHeaderSize || in.data[0] != 0x0A) return Status::Unsupported;
    ByteReader r(in);
    r.Skip(1);
    h->version = r.U8();
    unsigned encoding = r.U8();
    h->bitsPerPlane = r.U8();
    int32_t xmin = r.U16(), ymin = r.U16(), xmax = r.U16(), ymax = r.U16();
    r.Seek(65);
    h->planes = r.U8();
    h->bytesPerLine = r.U16();
    h->palette = in.data + 16;
    if (encoding > 1) return Status::Unsupported;
    h->rle = encoding == 1;
    h->width = xmax - xmin + 1;
    h->height = ymax - ymin + 1;
    if (h->width <= 0 || h->height <= 0) return Status::Unsupported;

    int bpp = h->bitsPerPlane, planes = h->planes;
    bool indexed = (bpp == 1 && planes >= 1 && planes <= 4) || ((bpp == 2 || bpp == 4) && planes == 1) ||
                   (bpp == 2 && planes == 2) || (bpp == 8 && planes == 1);
    bool rgb = bpp == 8 && (planes == 3 || planes == 4);
    if (!indexed && !rgb) return Status::Unsupported;
    if (h->bytesPerLine * 8 < static_cast<size_t>(h->width) * bpp) return Status::Unsupported;
    return Status::Ok;
}

void SetHeaderPalette(const PcxHeader& h, int colors, Dib* dib) {
    const uint8_t* pal = h.palette;
    bool unset = h.version == 0 || h.version == 3 ||
                 std::all_of(pal, pal + 3 * colors, [](uint8_t v) { return v == 0; });
    for (int i = 0; i < colors; ++i) {
        const uint8_t* c = !unset ? pal + 3 * i : colors == 4 ? kCgaPalette[i] : kEgaPalette[i];
        dib->SetPaletteEntry(i, c[0], c[1], c[2]);
    }
}

void Expand2To4(const uint8_t* src, uint8_t* dst, int32_t width) {
    size_t n = (static_cast<size_t>(width) + 3) / 4;
    for (size_t i = 0; i < n; ++i) {
        unsigned v = src[i];
        dst[2 * i] = static_cast<uint8_t>((v >> 6) << 4 | ((v >> 4) & 3));
        dst[2 * i + 1] = static_cast<uint8_t>(((v >> 2) & 3) << 4 | (v & 3));
    }
}

// 1-bit planes (2 to 4 of them) into 4-bit indices.
void PlanarToNibbles(const uint8_t* line, size_t bytesPerLine, int planes, uint8_t* dst, int32_t width) {
    static const PlaneSpread spread;
    size_t groups = (static_cast<size_t>(width) + 7) / 8;
    for (size_t i = 0; i < groups; ++i) {
        uint32_t v = 0;
        for (int p = 0; p < planes; ++p) v |= spread.word[line[p * bytesPerLine + i]] << p;
        std::memcpy(dst + 4 * i, &v, 4);
    }
}

// 2 bits x 2 planes: the second plane holds the high bits of the index.
void TwoPlanesOf2Bits(const uint8_t* line, size_t bytesPerLine, uint8_t* dst, int32_t width) {
    std::memset(dst, 0, (static_cast<size_t>(width) + 1) / 2);
    for (int32_t x = 0; x < width; ++x) {
        int shift = 6 - 2 * (x & 3);
        unsigned lo = (line[x >> 2] >> shift) & 3, hi = (line[bytesPerLine + (x >> 2)] >> shift) & 3;
        dst[x >> 1] |= static_cast<uint8_t>((hi << 2 | lo) << ((x & 1) ? 0 : 4));
    }
}

inline uint8_t Over(unsigned c, unsigned a) { return static_cast<uint8_t>((c * a + 127) / 255); }

// Decodes every scanline with `fn(line, row)`; a line cut short by the end
// of the data is zero-filled, and decoding stops after it.
template <typename LineFn>
void ForEachLine(Bytes data, const PcxHeader& h, Dib* dib, LineFn&& fn) {
    size_t lineBytes = h.bytesPerLine * static_cast<size_t>(h.planes);
    std::vector<uint8_t> line(lineBytes);
    PcxStream stream(data, h.rle);
    for (int32_t y = 0; y < h.height; ++y) {
        size_t got = stream.Fill(line.data(), lineBytes);
        if (got == 0) break;
        if (got < lineBytes) std::memset(line.data() + got, 0, lineBytes - got);
        fn(line.data(), dib->Row(y));
        if (got < lineBytes) break;
    }
}

}  // namespace

Status DecodePcx(Bytes in, Dib* out) {
    PcxHeader h;
    Status s = ReadHeader(in, &h);
    if (s != Status::Ok) return s;

    const int bits = h.bitsPerPlane * h.planes;
    const int outBits = bits == 1 ? 1 : bits <= 4 ? 4 : bits == 8 ? 8 : 24;
    s = CheckDibSize(h.width, h.height, outBits);
    if (s != Status::Ok) return s;

    Bytes data = in.From(kHeaderSize);
    const int32_t w = h.width;
    const size_t bpl = h.bytesPerLine;
    Dib dib;
    if (outBits == 24) {
        if ((s = dib.Create(w, h.height, 24)) != Status::Ok) return s;
        auto rgbLine = [&](const uint8_t* line, uint8_t* dst) {
            const uint8_t *r = line, *g = line + bpl, *b = line + 2 * bpl;
            for (int32_t x = 0; x < w; ++x, dst += 3) {
                dst[0] = b[x];
                dst[1] = g[x];
                dst[2] = r[x];
            }
        };
        if (h.planes == 4) {
            ForEachLine(data, h, &dib, [&](const uint8_t* line, uint8_t* dst) {
                const uint8_t *r = line, *g = line + bpl, *b = line + 2 * bpl, *a = line + 3 * bpl;
                for (int32_t x = 0; x < w; ++x, dst += 3) {
                    dst[0] = Over(b[x], a[x]);
                    dst[1] = Over(g[x], a[x]);
                    dst[2] = Over(r[x], a[x]);
                }
            });
        } else {
            ForEachLine(data, h, &dib, rgbLine);
        }
    } else if (outBits == 8) {
        bool trailer = in.size >= kHeaderSize + kTrailerSize && in.data[in.size - kTrailerSize] == 0x0C;
        if ((s = dib.Create(w, h.height, 8, 256)) != Status::Ok) return s;
        if (trailer) {
            const uint8_t* pal = in.data + in.size - kTrailerSize + 1;
            for (int i = 0; i < 256; ++i) dib.SetPaletteEntry(i, pal[3 * i], pal[3 * i + 1], pal[3 * i + 2]);
            data = in.Sub(kHeaderSize, in.size - kHeaderSize - kTrailerSize);
        } else {
            for (int i = 0; i < 256; ++i) dib.SetPaletteEntry(i, uint8_t(i), uint8_t(i), uint8_t(i));
        }
        ForEachLine(data, h, &dib, [&](const uint8_t* line, uint8_t* dst) { std::memcpy(dst, line, w); });
    } else if (outBits == 1) {
        if ((s = dib.Create(w, h.height, 1, 2)) != Status::Ok) return s;
        dib.SetPaletteEntry(0, 0, 0, 0);
        dib.SetPaletteEntry(1, 255, 255, 255);
        size_t n = (static_cast<size_t>(w) + 7) / 8;
        ForEachLine(data, h, &dib, [&](const uint8_t* line, uint8_t* dst) { std::memcpy(dst, line, n); });
    } else {
        const int colors = 1 << bits;
        if ((s = dib.Create(w, h.height, 4, colors)) != Status::Ok) return s;
        SetHeaderPalette(h, colors, &dib);
        if (h.planes == 1 && h.bitsPerPlane == 4) {
            size_t n = (static_cast<size_t>(w) + 1) / 2;
            ForEachLine(data, h, &dib, [&](const uint8_t* line, uint8_t* dst) { std::memcpy(dst, line, n); });
        } else if (h.planes == 1) {
            ForEachLine(data, h, &dib, [&](const uint8_t* line, uint8_t* dst) { Expand2To4(line, dst, w); });
        } else if (h.bitsPerPlane == 1) {
            ForEachLine(data, h, &dib,
                        [&](const uint8_t* line, uint8_t* dst) { PlanarToNibbles(line, bpl, h.planes, dst, w); });
        } else {
            ForEachLine(data, h, &dib, [&](const uint8_t* line, uint8_t* dst) { TwoPlanesOf2Bits(line, bpl, dst, w); });
        }
    }
    *out = std::move(dib);
    return Status::Ok;
}

}  // namespace imglib
