#include "tiff_lzw.h"

#include <cstring>

namespace imglib {
namespace {

// Each byte value followed by room for a 16-byte read.
const struct Literals {
    uint8_t v[256 + 16];
    Literals() {
        for (int i = 0; i < 256 + 16; ++i) v[i] = static_cast<uint8_t>(i);
    }
} kLiteralTable;
const uint8_t* const kLiterals = kLiteralTable.v;

// Eight bytes as one number, first byte most significant when the codes
// were packed that way.
template <bool kMsbFirst>
inline uint64_t Load64(const uint8_t* p) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t v;
    std::memcpy(&v, p, 8);
    return kMsbFirst ? __builtin_bswap64(v) : v;
#else
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= uint64_t(p[i]) << (kMsbFirst ? 56 - 8 * i : 8 * i);
    return v;
#endif
}

}  // namespace

void LzwDecoder::Start(Bytes in) {
    m_data = in.data;
    m_size = in.size;
    m_bitPos = 0;
    // A clear code written least significant bit first starts 0x00 0bxxxxxxx1;
    // most significant bit first it starts 0x80.
    m_msbFirst = !(in.size >= 2 && in.data[0] == 0 && (in.data[1] & 1));
    m_early = m_msbFirst ? 1 : 0;
    m_done = false;
    m_pendingPos = m_pendingLen = 0;
    m_total = m_prevAt = 0;
    for (int i = 0; i < 256; ++i) {
        m_table[i] = Entry{0, 0, 1, static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
    }
    Reset();
}

void LzwDecoder::Reset() {
    m_width = 9;
    m_next = kFirstFree;
    m_prev = -1;
}

void LzwDecoder::WriteString(int code, size_t len, uint8_t* out) const {
    uint8_t* p = out + len - 1;
    while (code >= 256) {
        *p-- = m_table[code].suffix;
        code = m_table[code].prefix;
    }
    *p = static_cast<uint8_t>(code);
}

size_t LzwDecoder::Read(uint8_t* out, size_t n) {
    size_t produced = 0;
    if (m_pendingPos < m_pendingLen) {
        size_t take = m_pendingLen - m_pendingPos;
        if (take > n) take = n;
        std::memcpy(out, m_pending + m_pendingPos, take);
        m_pendingPos += take;
        produced = take;
    }
    if (produced < n && !m_done) produced = m_msbFirst ? ReadCodes<true>(out, produced, n) : ReadCodes<false>(out, produced, n);
    m_total += produced;
    return produced;
}

// The state lives in locals while the loop runs: stores to `out` could
// otherwise alias every member and force them back to memory each time.
template <bool kMsbFirst>
size_t LzwDecoder::ReadCodes(uint8_t* out, size_t produced, size_t n) {
    const uint64_t base = m_total;  // stream position of out[0]
    const uint8_t* const data = m_data;
    const size_t size = m_size;
    const int early = m_early;
    size_t bitPos = m_bitPos;
    int width = m_width;
    int next = m_next;
    int prev = m_prev;
    uint64_t prevAt = m_prevAt;
    bool done = false;

    while (produced < n) {
        // Each code is cut from the eight bytes that hold its first bit; only
        // the last few bytes of the data need the careful path.
        const size_t byte = bitPos >> 3;
        uint64_t word;
        if (size >= 8 && byte <= size - 8) {
            word = Load64<kMsbFirst>(data + byte);
        } else {
            if ((size - byte) * 8 - (bitPos & 7) < static_cast<size_t>(width)) {
                done = true;
                break;
            }
            uint8_t tail[8] = {};
            std::memcpy(tail, data + byte, size - byte);
            word = Load64<kMsbFirst>(tail);
        }
        int code;
        if (kMsbFirst) code = static_cast<int>((word << (bitPos & 7)) >> (64 - width));
        else code = static_cast<int>((word >> (bitPos & 7)) & ((1u << width) - 1));
        bitPos += width;

        const uint64_t at = base + produced;
        // Literals and strings take the same path below, so that the one
        // unpredictable question (is this a literal?) costs no branch.
        if (static_cast<unsigned>(code - kClear) < 2 || prev < 0 || code > next ||
            (code == next && next >= kMaxCodes)) {
            if (code == kClear) {
                width = 9;
                next = kFirstFree;
                prev = -1;
                continue;
            }
            if (prev < 0 && code < 256) {
                out[produced++] = static_cast<uint8_t>(code);
                prev = code;
                prevAt = at;
                continue;
            }
            // The end; or damage: a string code right after a clear, or a
            // code beyond the one about to be made (the previous string plus
            // its own first byte, which an encoder may use a step early).
            done = true;
            break;
        }
        if (next < kMaxCodes) {
            const Entry& p = m_table[prev];
            Entry& e = m_table[next];
            e.at = prevAt;
            e.prefix = static_cast<uint16_t>(prev);
            e.length = static_cast<uint16_t>(p.length + 1);
            e.suffix = m_table[code < next ? code : prev].first;
            e.first = p.first;
            ++next;
            if (next + early >= (1 << width) && width < 12) ++width;
        }
        prev = code;
        prevAt = at;

        Entry& entry = m_table[code];
        const size_t len = entry.length;
        const uint64_t from = entry.at;
        entry.at = at;
        const size_t room = n - produced;
        uint8_t* d = out + produced;
        const bool inOut = from >= base;
        if (code < 256 || (inOut && len <= room)) {
            const uint8_t* src = code < 256 ? kLiterals + code : out + static_cast<size_t>(from - base);
            if (len <= 16 && room >= 16) {
                // One 16-byte load and store; the source may run into d, whose
                // bytes past len are overwritten later anyway.
                uint8_t chunk[16];
                std::memcpy(chunk, src, 16);
                std::memcpy(d, chunk, 16);
            } else {
                std::memcpy(d, src, len - 1);
            }
            // The last byte is the entry's own: right even for the early code,
            // whose source overlaps the string being written.
            d[len - 1] = entry.suffix;
            produced += len;
        } else if (len <= room) {
            WriteString(code, len, d);
            produced += len;
        } else {
            // Longer than the room left: the rest waits for the next call.
            WriteString(code, len, m_pending);
            std::memcpy(d, m_pending, room);
            m_pendingPos = room;
            m_pendingLen = len;
            produced = n;
        }
    }
    m_bitPos = bitPos;
    m_width = width;
    m_next = next;
    m_prev = prev;
    m_prevAt = prevAt;
    m_done = done;
    return produced;
}

}  // namespace imglib
