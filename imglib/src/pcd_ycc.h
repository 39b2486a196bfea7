// Kodak PhotoYCC to 8-bit RGB, as Kodak gives it for displays with
// CCIR 709 primaries:
//   L  = 1.3584 * Y
//   C1 = 2.2179 * (Cb - 156)
//   C2 = 1.8215 * (Cr - 137)
//   R = L + C2,  G = L - 0.194 * C1 - 0.509 * C2,  B = L + C1
// The results run to 346 (PhotoYCC keeps highlights above reference
// white, which lands near 247); a display shows them clipped to 255.
#pragma once

#include <cstdint>

namespace imglib {

class PcdYccTables {
public:
    static const PcdYccTables& Get();

    // Converts one pixel to blue, green, red.
    void ToBgr(unsigned y, unsigned c1, unsigned c2, uint8_t* bgr) const {
        int32_t l = m_luma[y];
        bgr[0] = Clip(l + m_blue[c1]);
        bgr[1] = Clip(l + m_greenC1[c1] + m_greenC2[c2]);
        bgr[2] = Clip(l + m_red[c2]);
    }

private:
    PcdYccTables();
    static constexpr int kShift = 16;
    static uint8_t Clip(int32_t v) {
        if (v <= 0) return 0;
        v = (v + (1 << (kShift - 1))) >> kShift;
        return static_cast<uint8_t>(v > 255 ? 255 : v);
    }

    int32_t m_luma[256];
    int32_t m_red[256];      // from C2
    int32_t m_greenC1[256];
    int32_t m_greenC2[256];
    int32_t m_blue[256];     // from C1
};

}  // namespace imglib
