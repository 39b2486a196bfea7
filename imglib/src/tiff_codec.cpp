#include "tiff_codec.h"

#include <zlib.h>

#include <cstring>

namespace imglib {

struct TiffCodec::Inflater {
    z_stream z{};
    bool open = false;
    bool ended = false;
    ~Inflater() {
        if (open) inflateEnd(&z);
    }
};

TiffCodec::TiffCodec() = default;
TiffCodec::~TiffCodec() = default;

bool TiffCodec::Supports(uint32_t compression) {
    return compression == kCompressNone || compression == kCompressLzw || compression == kCompressDeflate ||
           compression == kCompressPackBits || compression == kCompressDeflateOld;
}

Status TiffCodec::Init(uint32_t compression, bool reverseBits) {
    m_compression = compression;
    m_reverse = reverseBits;
    switch (compression) {
        case kCompressNone:
        case kCompressPackBits:
            return Status::Ok;
        case kCompressLzw:
            m_lzw = std::make_unique<LzwDecoder>();
            return Status::Ok;
        case kCompressDeflate:
        case kCompressDeflateOld:
            m_inflater = std::make_unique<Inflater>();
            // Raw deflate: the zlib header is checked here and its checksum
            // skipped, which saves a pass over every decoded byte.
            if (inflateInit2(&m_inflater->z, -15) != Z_OK) return Status::Memory;
            m_inflater->open = true;
            return Status::Ok;
        default:
            return Status::Unsupported;
    }
}

void TiffCodec::Start(Bytes in) {
    if (m_reverse) {
        static const auto kReversed = [] {
            struct Table { uint8_t v[256]; } t{};
            for (int i = 0; i < 256; ++i) {
                int r = 0;
                for (int b = 0; b < 8; ++b)
                    if (i & (1 << b)) r |= 0x80 >> b;
                t.v[i] = static_cast<uint8_t>(r);
            }
            return t;
        }();
        m_reversed.resize(in.size);
        for (size_t i = 0; i < in.size; ++i) m_reversed[i] = kReversed.v[in.data[i]];
        in = Bytes{m_reversed.data(), m_reversed.size()};
    }
    m_in = in;
    m_pos = 0;
    switch (m_compression) {
        case kCompressLzw: m_lzw->Start(in); break;
        case kCompressPackBits: m_packBits.Start(in); break;
        case kCompressDeflate:
        case kCompressDeflateOld: {
            z_stream& z = m_inflater->z;
            inflateReset(&z);
            // Method 8, a window of at most 32K, no preset dictionary.
            const bool header = in.size >= 2 && (in.data[0] & 0x8F) == 0x08 && !(in.data[1] & 0x20) &&
                                (in.data[0] << 8 | in.data[1]) % 31 == 0;
            m_inflater->ended = !header;
            if (!header) break;
            z.next_in = const_cast<Bytef*>(in.data + 2);
            // Chunks larger than zlib's counter are read only as far as it reaches.
            z.avail_in = in.size - 2 > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uInt>(in.size - 2);
            break;
        }
        default: break;
    }
}

size_t TiffCodec::Read(uint8_t* out, size_t n) {
    switch (m_compression) {
        case kCompressNone: {
            size_t take = m_in.size - m_pos < n ? m_in.size - m_pos : n;
            if (take) std::memcpy(out, m_in.data + m_pos, take);
            m_pos += take;
            return take;
        }
        case kCompressLzw: return m_lzw->Read(out, n);
        case kCompressPackBits: return m_packBits.Read(out, n);
        case kCompressDeflate:
        case kCompressDeflateOld: {
            if (m_inflater->ended) return 0;
            z_stream& z = m_inflater->z;
            size_t produced = 0;
            while (produced < n) {
                size_t want = n - produced;
                z.next_out = out + produced;
                z.avail_out = want > 0x40000000u ? 0x40000000u : static_cast<uInt>(want);
                uInt before = z.avail_out;
                int rc = inflate(&z, Z_NO_FLUSH);
                produced += before - z.avail_out;
                if (rc != Z_OK) {
                    // Stream end, damage or no input left: keep what came out.
                    m_inflater->ended = true;
                    break;
                }
                if (before == z.avail_out && z.avail_in == 0) {
                    m_inflater->ended = true;
                    break;
                }
            }
            return produced;
        }
        default: return 0;
    }
}

void UndoHorizontalPredictor(uint8_t* row, size_t pixels, int samples, int bitsPerSample, bool bigEndian) {
    if (pixels < 2) return;
    size_t count = (pixels - 1) * static_cast<size_t>(samples);
    if (bitsPerSample == 8) {
        uint8_t* p = row + samples;
        if (samples == 1) {
            uint8_t acc = row[0];
            for (size_t i = 0; i < count; ++i) p[i] = acc = static_cast<uint8_t>(acc + p[i]);
        } else if (samples == 3) {
            for (size_t i = 0; i < count; i += 3) {
                p[i] = static_cast<uint8_t>(p[i] + p[i - 3]);
                p[i + 1] = static_cast<uint8_t>(p[i + 1] + p[i - 2]);
                p[i + 2] = static_cast<uint8_t>(p[i + 2] + p[i - 1]);
            }
        } else {
            for (size_t i = 0; i < count; ++i) p[i] = static_cast<uint8_t>(p[i] + p[i - samples]);
        }
    } else if (bitsPerSample == 16) {
        size_t step = 2 * static_cast<size_t>(samples);
        uint8_t* p = row + step;
        for (size_t i = 0; i < count; ++i, p += 2) {
            const uint8_t* q = p - step;
            if (bigEndian) {
                unsigned v = (p[0] << 8 | p[1]) + (q[0] << 8 | q[1]);
                p[0] = static_cast<uint8_t>(v >> 8);
                p[1] = static_cast<uint8_t>(v);
            } else {
                unsigned v = (p[1] << 8 | p[0]) + (q[1] << 8 | q[0]);
                p[0] = static_cast<uint8_t>(v);
                p[1] = static_cast<uint8_t>(v >> 8);
            }
        }
    }
}

}  // namespace imglib
