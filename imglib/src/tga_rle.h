// TGA run-length packets. A packet may run on into the next row (TGA 1.0
// writers do this), so the reader keeps its place between rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace imglib {

class TgaRleReader {
public:
    TgaRleReader(const uint8_t* data, const uint8_t* end, int pixelBytes)
        : m_p(data), m_end(end), m_pixelBytes(static_cast<size_t>(pixelBytes)) {}

    // Writes up to `count` pixels to `dst`; fewer only when the data ends.
    size_t Fill(uint8_t* dst, size_t count) {
        const size_t pb = m_pixelBytes;
        size_t done = 0;
        while (done < count) {
            if (m_left == 0 && !NextPacket()) break;
            size_t n = count - done < m_left ? count - done : m_left;
            uint8_t* out = dst + done * pb;
            if (m_run) {
                FillRun(out, n);
            } else {
                size_t avail = static_cast<size_t>(m_end - m_p) / pb;
                if (n > avail) {
                    std::memcpy(out, m_p, avail * pb);
                    m_p = m_end;
                    m_left = 0;
                    return done + avail;
                }
                std::memcpy(out, m_p, n * pb);
                m_p += n * pb;
            }
            m_left -= n;
            done += n;
        }
        return done;
    }

private:
    bool NextPacket() {
        if (m_p >= m_end) return false;
        uint8_t head = *m_p++;
        m_left = (head & 0x7Fu) + 1;
        m_run = (head & 0x80) != 0;
        if (m_run) {
            if (static_cast<size_t>(m_end - m_p) < m_pixelBytes) {
                m_p = m_end;
                m_left = 0;
                return false;
            }
            std::memcpy(m_value, m_p, m_pixelBytes);
            m_p += m_pixelBytes;
        }
        return true;
    }

    void FillRun(uint8_t* out, size_t n) {
        switch (m_pixelBytes) {
            case 1:
                std::memset(out, m_value[0], n);
                break;
            case 2:
                for (size_t i = 0; i < n; ++i, out += 2) out[0] = m_value[0], out[1] = m_value[1];
                break;
            case 3:
                for (size_t i = 0; i < n; ++i, out += 3) out[0] = m_value[0], out[1] = m_value[1], out[2] = m_value[2];
                break;
            default: {
                uint32_t v;
                std::memcpy(&v, m_value, 4);
                for (size_t i = 0; i < n; ++i, out += 4) std::memcpy(out, &v, 4);
                break;
            }
        }
    }

    const uint8_t* m_p;
    const uint8_t* m_end;
    size_t m_pixelBytes;
    size_t m_left = 0;
    bool m_run = false;
    uint8_t m_value[4] = {};
};

}  // namespace imglib
