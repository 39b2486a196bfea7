// Sun raster byte encoding (type 2): 0x80 is the escape. 0x80 0x00 is one
// literal 0x80; 0x80 n v is n + 1 copies of v; any other byte is itself.
// Runs may cross row ends, so the reader keeps its place between rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace imglib {

class SunRleReader {
public:
    SunRleReader(const uint8_t* data, const uint8_t* end) : m_p(data), m_end(end) {}

    // Writes up to `count` bytes to `dst`; fewer only when the data ends.
    size_t Fill(uint8_t* dst, size_t count) {
        size_t done = 0;
        while (done < count) {
            if (m_left) {
                size_t n = count - done < m_left ? count - done : m_left;
                std::memset(dst + done, m_value, n);
                m_left -= n;
                done += n;
                continue;
            }
            // Literal stretch: copy up to the next escape in one go.
            const uint8_t* stop = m_p + (count - done < static_cast<size_t>(m_end - m_p) ? count - done : m_end - m_p);
            const uint8_t* esc = static_cast<const uint8_t*>(std::memchr(m_p, 0x80, static_cast<size_t>(stop - m_p)));
            const uint8_t* lit = esc ? esc : stop;
            size_t n = static_cast<size_t>(lit - m_p);
            std::memcpy(dst + done, m_p, n);
            m_p += n;
            done += n;
            if (!esc) {
                if (m_p >= m_end) break;
                continue;
            }
            if (m_end - m_p < 2) return Finish(done);
            uint8_t runLength = m_p[1];
            if (runLength == 0) {
                dst[done++] = 0x80;
                m_p += 2;
                continue;
            }
            if (m_end - m_p < 3) return Finish(done);
            m_value = m_p[2];
            m_left = static_cast<size_t>(runLength) + 1;
            m_p += 3;
        }
        return done;
    }

private:
    size_t Finish(size_t done) {
        m_p = m_end;
        return done;
    }

    const uint8_t* m_p;
    const uint8_t* m_end;
    size_t m_left = 0;
    uint8_t m_value = 0;
};

}  // namespace imglib
