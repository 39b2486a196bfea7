#include "tiff_ifd.h"

#include <cstring>

namespace imglib {

unsigned TiffDirectory::TypeSize(uint16_t type) {
    switch (type) {
        case 1: case 2: case 6: case 7: return 1;   // BYTE, ASCII, SBYTE, UNDEFINED
        case 3: case 8: return 2;                   // SHORT, SSHORT
        case 4: case 9: case 11: case 13: return 4; // LONG, SLONG, FLOAT, IFD
        case 5: case 10: case 12: return 8;         // RATIONAL, SRATIONAL, DOUBLE
        case 16: case 17: case 18: return 8;        // LONG8, SLONG8, IFD8 (BigTIFF)
        default: return 0;
    }
}

Status TiffDirectory::Read(Bytes file) {
    m_file = file;
    m_fields.clear();
    if (file.size < 8) return Status::Unsupported;
    if (file.data[0] == 'I' && file.data[1] == 'I') m_bigEndian = false;
    else if (file.data[0] == 'M' && file.data[1] == 'M') m_bigEndian = true;
    else return Status::Unsupported;

    ByteReader r(file, m_bigEndian);
    r.Skip(2);
    uint16_t version = r.U16();
    bool big;
    uint64_t ifd;
    if (version == 42) {
        big = false;
        ifd = r.U32();
    } else if (version == 43) {
        // BigTIFF: 8-byte offsets, announced by an offset size of 8.
        big = true;
        if (r.U16() != 8 || r.U16() != 0) return Status::Unsupported;
        uint64_t lo = r.U32(), hi = r.U32();
        ifd = m_bigEndian ? (lo << 32 | hi) : (hi << 32 | lo);
    } else {
        return Status::Unsupported;
    }
    if (r.Failed() || ifd >= file.size) return Status::Unsupported;

    r.Seek(static_cast<size_t>(ifd));
    uint64_t entries;
    if (big) {
        uint64_t lo = r.U32(), hi = r.U32();
        entries = m_bigEndian ? (lo << 32 | hi) : (hi << 32 | lo);
    } else {
        entries = r.U16();
    }
    if (r.Failed()) return Status::Unsupported;
    const unsigned entrySize = big ? 20 : 12;
    const unsigned valueField = big ? 8 : 4;
    // A count past the end of the file is cut to the entries that are there.
    uint64_t fit = r.Remaining() / entrySize;
    if (entries > fit) entries = fit;
    for (uint64_t i = 0; i < entries; ++i) {
        size_t at = r.Pos();
        TiffField f;
        f.tag = r.U16();
        f.type = r.U16();
        if (big) {
            uint64_t lo = r.U32(), hi = r.U32();
            f.count = m_bigEndian ? (lo << 32 | hi) : (hi << 32 | lo);
        } else {
            f.count = r.U32();
        }
        size_t valuePos = r.Pos();
        uint64_t valueOffset;
        if (big) {
            uint64_t lo = r.U32(), hi = r.U32();
            valueOffset = m_bigEndian ? (lo << 32 | hi) : (hi << 32 | lo);
        } else {
            valueOffset = r.U32();
        }
        r.Seek(at + entrySize);
        unsigned size = TypeSize(f.type);
        // Only the tags this decoder reads are kept; the rest may be anything.
        if (size == 0 || f.tag < kTagImageWidth || f.tag > kTagSampleFormat || Find(f.tag)) continue;
        f.offset = f.count <= valueField && f.count * size <= valueField ? valuePos : valueOffset;
        if (f.offset >= file.size) f.count = 0;
        else if (f.count > (file.size - f.offset) / size) f.count = (file.size - f.offset) / size;
        m_fields.push_back(f);
    }
    return Status::Ok;
}

const TiffField* TiffDirectory::Find(uint16_t tag) const {
    for (const TiffField& f : m_fields)
        if (f.tag == tag) return &f;
    return nullptr;
}

uint64_t TiffDirectory::Value(const TiffField& f, uint64_t i) const {
    if (i >= f.count) return 0;
    unsigned size = TypeSize(f.type);
    ByteReader r(m_file, m_bigEndian);
    r.Seek(static_cast<size_t>(f.offset + i * size));
    switch (f.type) {
        case 1: case 2: case 7: return r.U8();
        case 6: { int8_t v = static_cast<int8_t>(r.U8()); return v < 0 ? 0 : v; }
        case 3: return r.U16();
        case 8: { int16_t v = r.S16(); return v < 0 ? 0 : v; }
        case 4: case 13: return r.U32();
        case 9: { int32_t v = r.S32(); return v < 0 ? 0 : v; }
        case 5: {
            uint32_t num = r.U32(), den = r.U32();
            return den ? num / den : 0;
        }
        case 10: {
            int32_t num = r.S32(), den = r.S32();
            return den > 0 && num > 0 ? static_cast<uint64_t>(num / den) : 0;
        }
        case 11: {
            uint32_t bits = r.U32();
            float v;
            std::memcpy(&v, &bits, 4);
            return v >= 1 && v < 1.8e19f ? static_cast<uint64_t>(v) : 0;
        }
        case 12: {
            uint64_t a = r.U32(), b = r.U32();
            uint64_t bits = m_bigEndian ? (a << 32 | b) : (b << 32 | a);
            double v;
            std::memcpy(&v, &bits, 8);
            return v >= 1 && v < 1.8e19 ? static_cast<uint64_t>(v) : 0;
        }
        case 16: case 18: {
            uint64_t a = r.U32(), b = r.U32();
            return m_bigEndian ? (a << 32 | b) : (b << 32 | a);
        }
        case 17: {
            uint64_t a = r.U32(), b = r.U32();
            uint64_t v = m_bigEndian ? (a << 32 | b) : (b << 32 | a);
            return v >> 63 ? 0 : v;
        }
        default: return 0;
    }
}

uint64_t TiffDirectory::Get(uint16_t tag, uint64_t fallback) const {
    const TiffField* f = Find(tag);
    return f && f->count ? Value(*f, 0) : fallback;
}

}  // namespace imglib
