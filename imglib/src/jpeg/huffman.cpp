#include "jpeg/huffman.h"

namespace imglib::jpeg {

bool BuildHuffTable(const uint8_t counts[16], const uint8_t* symbols, size_t available, HuffTable* t) {
    size_t total = 0;
    for (int i = 0; i < 16; ++i) total += counts[i];
    if (total > 256 || total > available) return false;

    std::memset(t->fast, 0, sizeof t->fast);
    std::memset(t->fastAc, 0, sizeof t->fastAc);
    std::memcpy(t->symbols, symbols, total);

    // Canonical codes (T.81 C.2): each length continues from the previous
    // length's next code, shifted left by one.
    uint32_t code = 0;
    int index = 0;
    t->limit[0] = 0;
    for (int len = 1; len <= 16; ++len) {
        int n = counts[len - 1];
        t->offset[len] = index - static_cast<int>(code);
        if (code + n > (1u << len)) return false;  // more codes than the length holds
        for (int i = 0; i < n; ++i, ++code, ++index) {
            if (len > kFastBits) continue;
            int shift = kFastBits - len;
            uint32_t first = code << shift;
            for (uint32_t j = 0; j < (1u << shift); ++j)
                t->fast[first + j] = static_cast<uint16_t>(len << 8 | t->symbols[index]);
        }
        t->limit[len] = n ? code << (16 - len) : t->limit[len - 1];
        code <<= 1;
    }
    t->limit[17] = 0xFFFFFFFFu;  // a code that matches no length stops here

    // AC coefficients whose code and magnitude both fit in the look-up.
    for (uint32_t i = 0; i < (1u << kFastBits); ++i) {
        uint32_t e = t->fast[i];
        if (!e) continue;
        int len = static_cast<int>(e >> 8);
        int rs = static_cast<int>(e & 0xFF);
        int run = rs >> 4, size = rs & 15;
        if (size == 0 || len + size > kFastBits) continue;
        uint32_t bits = (i >> (kFastBits - len - size)) & ((1u << size) - 1);
        t->fastAc[i] = Extend(bits, size) * 256 + run * 16 + len + size;
    }
    t->defined = true;
    return true;
}

int BitReader::DecodeSlow(const HuffTable& t) {
    uint32_t c16 = Peek(16);
    int len = kFastBits + 1;
    while (c16 >= t.limit[len]) ++len;
    if (len > 16) {
        // No code matches: the data is damaged. Take 16 bits and call it 0.
        Skip(16);
        return 0;
    }
    Skip(len);
    int index = static_cast<int>(c16 >> (16 - len)) + t.offset[len];
    return t.symbols[index & 0xFF];
}

void BitReader::Refill() {
    if (!m_stopped) {
        // Fast path: eight bytes without a 0xFF go in as they are.
        while (m_bits <= 56 && m_pos + 8 <= m_size) {
            uint64_t w;
            std::memcpy(&w, m_data + m_pos, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            w = __builtin_bswap64(w);  // first byte on top
#endif
            uint64_t x = ~w;  // 0xFF bytes become zero bytes
            if ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) break;
            int n = (63 - m_bits) >> 3;
            int keep = m_bits + 8 * n;
            uint64_t add = w >> m_bits;
            add &= ~((uint64_t(1) << (64 - keep)) - 1);
            m_buf |= add;
            m_bits = keep;
            m_pos += n;
            if (m_bits >= 32) return;
        }
        while (m_bits <= 56) {
            if (m_pos >= m_size) {
                m_stopped = true;
                break;
            }
            uint8_t b = m_data[m_pos];
            if (b == 0xFF) {
                if (m_pos + 1 >= m_size || m_data[m_pos + 1] != 0x00) {
                    // A marker (or fill bytes before one): the segment ends here.
                    m_stopped = true;
                    break;
                }
                m_pos += 2;
            } else {
                ++m_pos;
            }
            m_buf |= uint64_t(b) << (56 - m_bits);
            m_bits += 8;
        }
        if (!m_stopped) return;
    }
    // Past the segment: zero bits, counted so that Overrun can tell.
    m_padding += 64 - m_bits;
    m_bits = 64;
}

size_t FindMarker(const uint8_t* data, size_t size, size_t pos) {
    while (pos + 1 < size) {
        const void* hit = std::memchr(data + pos, 0xFF, size - pos - 1);
        if (!hit) return size;
        pos = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data);
        uint8_t next = data[pos + 1];
        if (next != 0x00 && next != 0xFF) return pos;
        ++pos;  // stuffed zero, or a fill byte: the marker comes later
    }
    return size;
}

}  // namespace imglib::jpeg
