// Bounds-checked reading of a byte span. A read past the end yields zeros
// and sets a sticky failure flag, so decoders can read a header in one go
// and check once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace imglib {

struct Bytes {
    const uint8_t* data = nullptr;
    size_t size = 0;

    Bytes Sub(size_t offset, size_t length) const {
        if (offset > size) return Bytes{data + size, 0};
        if (length > size - offset) length = size - offset;
        return Bytes{data + offset, length};
    }
    Bytes From(size_t offset) const { return Sub(offset, SIZE_MAX); }
};

class ByteReader {
public:
    explicit ByteReader(Bytes bytes, bool bigEndian = false)
        : m_bytes(bytes), m_bigEndian(bigEndian) {}

    size_t Pos() const { return m_pos; }
    size_t Size() const { return m_bytes.size; }
    size_t Remaining() const { return m_pos < m_bytes.size ? m_bytes.size - m_pos : 0; }
    bool Failed() const { return m_failed; }
    bool AtEnd() const { return m_pos >= m_bytes.size; }
    void SetBigEndian(bool big) { m_bigEndian = big; }
    bool BigEndian() const { return m_bigEndian; }

    // Moves to an absolute offset; beyond the end fails.
    bool Seek(size_t pos) {
        if (pos > m_bytes.size) {
            m_failed = true;
            m_pos = m_bytes.size;
            return false;
        }
        m_pos = pos;
        return true;
    }
    bool Skip(size_t n) {
        if (n > Remaining()) {
            m_failed = true;
            m_pos = m_bytes.size;
            return false;
        }
        m_pos += n;
        return true;
    }

    uint8_t U8() {
        if (m_pos >= m_bytes.size) {
            m_failed = true;
            return 0;
        }
        return m_bytes.data[m_pos++];
    }
    uint16_t U16() {
        uint8_t a = U8(), b = U8();
        return m_bigEndian ? static_cast<uint16_t>(a << 8 | b) : static_cast<uint16_t>(b << 8 | a);
    }
    uint32_t U32() {
        uint32_t a = U16(), b = U16();
        return m_bigEndian ? (a << 16 | b) : (b << 16 | a);
    }
    int16_t S16() { return static_cast<int16_t>(U16()); }
    int32_t S32() { return static_cast<int32_t>(U32()); }

    // Copies up to n bytes; returns how many were available. A short read fails.
    size_t Read(void* out, size_t n) {
        size_t avail = Remaining();
        size_t take = n < avail ? n : avail;
        if (take) std::memcpy(out, m_bytes.data + m_pos, take);
        m_pos += take;
        if (take < n) m_failed = true;
        return take;
    }
    // Pointer to the next n bytes, or null (and failure) if fewer remain.
    const uint8_t* Take(size_t n) {
        if (n > Remaining()) {
            m_failed = true;
            m_pos = m_bytes.size;
            return nullptr;
        }
        const uint8_t* p = m_bytes.data + m_pos;
        m_pos += n;
        return p;
    }
    const uint8_t* Here() const { return m_bytes.data + (m_pos < m_bytes.size ? m_pos : m_bytes.size); }

private:
    Bytes m_bytes;
    size_t m_pos = 0;
    bool m_bigEndian;
    bool m_failed = false;
};

}  // namespace imglib
