#include "tiff_rows.h"

#include <cstring>

namespace imglib {
namespace {

// Colour times alpha over a black backdrop, rounded.
inline uint8_t Over(unsigned v, unsigned a) { return static_cast<uint8_t>((v * a + 127) / 255); }

}  // namespace

bool TiffRowWriter::PlaneUsed(int plane) const {
    if (!m_f.planar) return true;
    if (plane == 0) return true;
    switch (m_f.output) {
        case TiffOutput::Index: return false;
        case TiffOutput::Grey: return plane == m_f.alphaSample && !m_f.associated;
        case TiffOutput::Rgb:
            if (plane < 3) return true;
            if (m_f.cmyk) return plane == 3;
            return plane == m_f.alphaSample && !m_f.associated;
    }
    return false;
}

const uint8_t* TiffRowWriter::To8Bit(const uint8_t* src, size_t values) {
    const int bps = m_f.bitsPerSample;
    if (bps == 8) return src;
    if (m_scratch.size() < values) m_scratch.resize(values);
    uint8_t* out = m_scratch.data();
    if (bps == 16) {
        const int hi = m_f.bigEndian ? 0 : 1;
        if (m_f.output == TiffOutput::Rgb) {
            for (size_t i = 0; i < values; ++i) out[i] = src[2 * i + hi];
        } else {
            for (size_t i = 0; i < values; ++i) out[i] = Grey16To8(src[2 * i + hi] << 8 | src[2 * i + 1 - hi]);
        }
        return out;
    }
    // 1, 2 or 4 bits: the raw value, most significant bits first.
    const unsigned mask = (1u << bps) - 1;
    for (size_t i = 0; i < values; ++i) {
        size_t bit = i * static_cast<size_t>(bps);
        out[i] = static_cast<uint8_t>((src[bit >> 3] >> (8 - bps - (bit & 7))) & mask);
    }
    return out;
}

void TiffRowWriter::Write(const uint8_t* src, uint32_t x0, uint32_t count, int plane, uint8_t* dib) {
    if (!PlaneUsed(plane)) return;
    if (m_f.output == TiffOutput::Index) {
        WriteIndex(src, x0, count, dib);
        return;
    }
    const int samples = m_f.planar ? 1 : m_f.samples;
    const uint8_t* s = To8Bit(src, static_cast<size_t>(count) * samples);
    if (m_f.output == TiffOutput::Grey) WriteGrey(s, count, samples, plane, dib + x0);
    else WriteRgb(s, count, samples, plane, dib + 3 * static_cast<size_t>(x0));
}

void TiffRowWriter::WriteIndex(const uint8_t* src, uint32_t x0, uint32_t count, uint8_t* dib) const {
    // Chunks start on a byte of the DIB: strips at 0, tiles at multiples of 16.
    switch (m_f.bitsPerSample) {
        case 8: std::memcpy(dib + x0, src, count); break;
        case 4: std::memcpy(dib + x0 / 2, src, (static_cast<size_t>(count) + 1) / 2); break;
        case 1: std::memcpy(dib + x0 / 8, src, (static_cast<size_t>(count) + 7) / 8); break;
        case 2: {
            uint8_t* d = dib + x0 / 2;
            size_t pairs = (static_cast<size_t>(count) + 1) / 2;
            for (size_t i = 0; i < pairs; ++i) {
                unsigned b = src[i / 2];
                if (i & 1) b <<= 4;
                d[i] = static_cast<uint8_t>((b >> 2 & 0x30) | (b >> 4 & 0x03));
            }
            break;
        }
        default: break;
    }
}

void TiffRowWriter::WriteGrey(const uint8_t* s, uint32_t count, int samples, int plane, uint8_t* d) const {
    if (m_f.planar && plane != 0) {
        for (uint32_t x = 0; x < count; ++x) d[x] = Over(d[x], s[x]);
        return;
    }
    const uint8_t* lut = m_f.lut;
    const int a = m_f.planar || m_f.associated ? -1 : m_f.alphaSample;
    if (a < 0) {
        for (uint32_t x = 0; x < count; ++x, s += samples) d[x] = lut[s[0]];
    } else {
        for (uint32_t x = 0; x < count; ++x, s += samples) d[x] = Over(lut[s[0]], s[a]);
    }
}

void TiffRowWriter::WriteRgb(const uint8_t* s, uint32_t count, int samples, int plane, uint8_t* d) const {
    if (m_f.planar) {
        if (plane < 3) {
            uint8_t* p = d + (2 - plane);
            if (m_f.cmyk)
                for (uint32_t x = 0; x < count; ++x, p += 3) *p = static_cast<uint8_t>(255 - s[x]);
            else
                for (uint32_t x = 0; x < count; ++x, p += 3) *p = s[x];
        } else {
            // Alpha, or the black ink of CMYK, scales the colours already written.
            for (uint32_t x = 0; x < count; ++x, d += 3) {
                unsigned a = m_f.cmyk ? 255u - s[x] : s[x];
                d[0] = Over(d[0], a);
                d[1] = Over(d[1], a);
                d[2] = Over(d[2], a);
            }
        }
        return;
    }
    if (m_f.cmyk) {
        for (uint32_t x = 0; x < count; ++x, s += samples, d += 3) {
            unsigned k = 255u - s[3];
            d[0] = Over(255u - s[2], k);
            d[1] = Over(255u - s[1], k);
            d[2] = Over(255u - s[0], k);
        }
        return;
    }
    const int a = m_f.associated ? -1 : m_f.alphaSample;
    if (a >= 0) {
        for (uint32_t x = 0; x < count; ++x, s += samples, d += 3) {
            unsigned alpha = s[a];
            d[0] = Over(s[2], alpha);
            d[1] = Over(s[1], alpha);
            d[2] = Over(s[0], alpha);
        }
    } else {
        for (uint32_t x = 0; x < count; ++x, s += samples, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
}

}  // namespace imglib
