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

    // The chroma terms of one 2 x 2 block, in fixed point.
    struct Chroma {
        int32_t blue, green, red;
    };
    Chroma Terms(unsigned c1, unsigned c2) const {
        return {m_blue[c1], m_greenC1[c1] + m_greenC2[c2], m_red[c2]};
    }
    // One pixel as blue, green, red.
    void ToBgr(unsigned y, const Chroma& c, uint8_t* bgr) const {
        int32_t l = m_luma[y];
        bgr[0] = Clip(l + c.blue);
        bgr[1] = Clip(l + c.green);
        bgr[2] = Clip(l + c.red);
    }

private:
    PcdYccTables();
    static constexpr int kShift = 12;
    // Every sum lies within 1.3584 * 255 + 2.2179 * 99 (566) above and
    // 2.2179 * 156 (346) below zero; the clip table covers -512..767.
    static constexpr int kClipBias = 512;
    uint8_t Clip(int32_t v) const { return m_clip[(v >> kShift) + kClipBias]; }

    int32_t m_luma[256];
    int32_t m_red[256];  // from C2
    int32_t m_greenC1[256];
    int32_t m_greenC2[256];
    int32_t m_blue[256];  // from C1
    uint8_t m_clip[1280];
};

}  // namespace imglib
