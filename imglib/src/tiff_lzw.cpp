#include "tiff_lzw.h"

#include <cstring>

namespace imglib {

void LzwDecoder::Start(Bytes in) {
    m_data = in.data;
    m_size = in.size;
    m_pos = 0;
    m_bits = 0;
    m_bitCount = 0;
    // A clear code written least significant bit first starts 0x00 0bxxxxxxx1;
    // most significant bit first it starts 0x80.
    m_msbFirst = !(in.size >= 2 && in.data[0] == 0 && (in.data[1] & 1));
    m_early = m_msbFirst ? 1 : 0;
    m_done = false;
    m_pendingPos = m_pendingLen = 0;
    for (int i = 0; i < 256; ++i) {
        m_prefix[i] = 0;
        m_length[i] = 1;
        m_suffix[i] = static_cast<uint8_t>(i);
        m_first[i] = static_cast<uint8_t>(i);
    }
    Reset();
}

void LzwDecoder::Reset() {
    m_width = 9;
    m_next = kFirstFree;
    m_prev = -1;
}

int LzwDecoder::NextCode() {
    if (m_bitCount < m_width) {
        // Refill whole bytes; 56 bits keep room for one more byte.
        while (m_bitCount <= 56 && m_pos < m_size) {
            uint64_t b = m_data[m_pos++];
            if (m_msbFirst) m_bits = m_bits << 8 | b;
            else m_bits |= b << m_bitCount;
            m_bitCount += 8;
        }
        if (m_bitCount < m_width) return -1;
    }
    int code;
    if (m_msbFirst) {
        code = static_cast<int>(m_bits >> (m_bitCount - m_width)) & ((1 << m_width) - 1);
    } else {
        code = static_cast<int>(m_bits & ((1u << m_width) - 1));
        m_bits >>= m_width;
    }
    m_bitCount -= m_width;
    return code;
}

void LzwDecoder::WriteString(int code, size_t len, uint8_t* out) const {
    uint8_t* p = out + len - 1;
    while (code >= 256) {
        *p-- = m_suffix[code];
        code = m_prefix[code];
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
    while (produced < n && !m_done) {
        int code = NextCode();
        if (code < 0 || code == kEnd) {
            m_done = true;
            break;
        }
        if (code == kClear) {
            Reset();
            continue;
        }
        if (m_prev < 0) {
            // Right after a clear only a literal makes sense.
            if (code >= 256) {
                m_done = true;
                break;
            }
            out[produced++] = static_cast<uint8_t>(code);
            m_prev = code;
            continue;
        }
        int stringCode = code;
        if (code >= m_next) {
            // The one code an encoder may use before the decoder has it: the
            // previous string plus its own first byte.
            if (code > m_next || m_next >= kMaxCodes) {
                m_done = true;
                break;
            }
        }
        if (m_next < kMaxCodes) {
            uint8_t first = code < m_next ? m_first[code] : m_first[m_prev];
            m_prefix[m_next] = static_cast<uint16_t>(m_prev);
            m_suffix[m_next] = first;
            m_first[m_next] = m_first[m_prev];
            m_length[m_next] = static_cast<uint16_t>(m_length[m_prev] + 1);
            ++m_next;
            if (m_next + m_early >= (1 << m_width) && m_width < 12) ++m_width;
        }
        size_t len = m_length[stringCode];
        if (len <= n - produced) {
            if (len == 1) out[produced] = static_cast<uint8_t>(stringCode);
            else WriteString(stringCode, len, out + produced);
            produced += len;
        } else {
            WriteString(stringCode, len, m_pending);
            size_t take = n - produced;
            std::memcpy(out + produced, m_pending, take);
            produced += take;
            m_pendingPos = take;
            m_pendingLen = len;
        }
        m_prev = code;
    }
    return produced;
}

}  // namespace imglib
