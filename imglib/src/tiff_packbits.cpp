#include "tiff_packbits.h"

#include <cstring>

namespace imglib {

size_t PackBitsDecoder::Read(uint8_t* out, size_t n) {
    size_t produced = 0;
    while (produced < n) {
        if (m_repeat) {
            size_t take = m_repeat < n - produced ? m_repeat : n - produced;
            std::memset(out + produced, m_value, take);
            produced += take;
            m_repeat -= take;
            continue;
        }
        if (m_literal) {
            size_t take = m_literal < n - produced ? m_literal : n - produced;
            size_t avail = m_in.size - m_pos;
            if (take > avail) {
                // Cut short: keep what is there and stop for good.
                take = avail;
                m_literal = take;
            }
            if (take == 0) break;
            std::memcpy(out + produced, m_in.data + m_pos, take);
            m_pos += take;
            produced += take;
            m_literal -= take;
            continue;
        }
        if (m_pos >= m_in.size) break;
        int8_t header = static_cast<int8_t>(m_in.data[m_pos++]);
        if (header >= 0) {
            m_literal = static_cast<size_t>(header) + 1;
        } else if (header != -128) {
            if (m_pos >= m_in.size) break;
            m_value = m_in.data[m_pos++];
            m_repeat = static_cast<size_t>(1 - header);
        }
    }
    return produced;
}

}  // namespace imglib
