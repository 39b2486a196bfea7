// Huffman tables (T.81 Annex C) and the entropy-coded segment's bit reader
// (T.81 F.2.2.5: 0xFF is followed by a stuffed 0x00; any other byte after
// 0xFF is a marker, which ends the segment).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace imglib::jpeg {

// Codes of up to kFastBits bits are decoded with one table look-up.
constexpr int kFastBits = 10;

struct HuffTable {
    bool defined = false;
    // (code length << 8) | symbol for every kFastBits-bit prefix that starts
    // with a short code; 0 when the code is longer.
    uint16_t fast[1 << kFastBits];
    // For AC tables: the whole coefficient when code and magnitude bits fit
    // in kFastBits: value << 8 | run << 4 | bits used. 0 when not.
    int32_t fastAc[1 << kFastBits];
    // Canonical decoding of the longer codes: for each length, the largest
    // code (left-aligned to 16 bits, exclusive bound) and the offset into
    // `symbols`.
    uint32_t limit[18];
    int32_t offset[17];
    uint8_t symbols[256];
};

// Builds a table from DHT's sixteen counts and the symbols. False when the
// counts sum over 256 or assign more codes of a length than fit in it.
bool BuildHuffTable(const uint8_t counts[16], const uint8_t* symbols, size_t available, HuffTable* t);

// Reads the bits of one entropy-coded segment. At a marker or at the end of
// the data it supplies zero bits and counts them, so a decoder can run to
// the end of an MCU without checks and ask afterwards whether it read past
// the real data (Overrun).
class BitReader {
public:
    BitReader(const uint8_t* data, size_t size, size_t pos) : m_data(data), m_size(size), m_pos(pos) {}

    // Starts reading at `pos` with an empty buffer (after a restart marker).
    void Reset(size_t pos) {
        m_pos = pos;
        m_buf = 0;
        m_bits = 0;
        m_padding = 0;
        m_stopped = false;
    }

    // At least 32 bits are available after this.
    void Fill() {
        if (m_bits < 32) Refill();
    }
    uint32_t Peek(int n) const { return static_cast<uint32_t>(m_buf >> (64 - n)); }
    void Skip(int n) {
        m_buf <<= n;
        m_bits -= n;
    }
    // n in 0..16, with Fill done.
    uint32_t Bits(int n) {
        if (n == 0) return 0;
        uint32_t v = Peek(n);
        Skip(n);
        return v;
    }
    uint32_t Bit() {
        uint32_t v = static_cast<uint32_t>(m_buf >> 63);
        Skip(1);
        return v;
    }

    // Decodes one Huffman symbol (Fill done).
    int Decode(const HuffTable& t) {
        uint32_t e = t.fast[Peek(kFastBits)];
        if (e) {
            Skip(static_cast<int>(e >> 8));
            return static_cast<int>(e & 0xFF);
        }
        return DecodeSlow(t);
    }

    // Hot loops keep the buffer in locals the compiler can hold in
    // registers: Take it, work on it, Put it back before any other call.
    struct Cache {
        uint64_t buf;
        int bits;
        uint32_t Peek(int n) const { return static_cast<uint32_t>(buf >> (64 - n)); }
        void Skip(int n) {
            buf <<= n;
            bits -= n;
        }
        uint32_t Bits(int n) {
            if (n == 0) return 0;
            uint32_t v = Peek(n);
            Skip(n);
            return v;
        }
    };
    Cache Take() const { return Cache{m_buf, m_bits}; }
    void Put(const Cache& c) {
        m_buf = c.buf;
        m_bits = c.bits;
    }
    void Fill(Cache& c) {
        if (c.bits < 32) {
            Put(c);
            Refill();
            c = Take();
        }
    }
    int Decode(Cache& c, const HuffTable& t) {
        uint32_t e = t.fast[c.Peek(kFastBits)];
        if (e) {
            c.Skip(static_cast<int>(e >> 8));
            return static_cast<int>(e & 0xFF);
        }
        Put(c);
        int sym = DecodeSlow(t);
        c = Take();
        return sym;
    }

    // Zero bits were consumed beyond the segment's real data.
    bool Overrun() const { return m_bits < m_padding; }
    // The reader met a marker or the end of the data.
    bool Stopped() const { return m_stopped; }
    // Where the next unread byte is: the marker that stopped the reader, or
    // the first byte not yet loaded.
    size_t Position() const { return m_pos; }

private:
    void Refill();
    int DecodeSlow(const HuffTable& t);

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos;
    uint64_t m_buf = 0;  // next bit is the top bit
    int m_bits = 0;      // valid bits in m_buf, real and padding
    int m_padding = 0;   // zero bits supplied past the real data
    bool m_stopped = false;
};

// T.81 F.2.2.1 EXTEND: the s-bit magnitude v as a signed value.
inline int Extend(uint32_t v, int s) {
    return s == 0 ? 0 : (v < (1u << (s - 1)) ? static_cast<int>(v) - (1 << s) + 1 : static_cast<int>(v));
}

// Finds the next marker at or after pos: the offset of its 0xFF (the last
// of any fill bytes), or `size` when there is none.
size_t FindMarker(const uint8_t* data, size_t size, size_t pos);

}  // namespace imglib::jpeg
