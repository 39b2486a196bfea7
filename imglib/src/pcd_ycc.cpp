#include "pcd_ycc.h"

#include <cmath>

namespace imglib {

PcdYccTables::PcdYccTables() {
    const double one = 1 << kShift;
    for (int i = 0; i < 256; ++i) {
        double c1 = 2.2179 * (i - 156);
        double c2 = 1.8215 * (i - 137);
        // Luma carries the rounding half, so each sum floors to the nearest level.
        m_luma[i] = static_cast<int32_t>(std::lround((1.3584 * i + 0.5) * one));
        m_blue[i] = static_cast<int32_t>(std::lround(c1 * one));
        m_greenC1[i] = static_cast<int32_t>(std::lround(-0.194 * c1 * one));
        m_greenC2[i] = static_cast<int32_t>(std::lround(-0.509 * c2 * one));
        m_red[i] = static_cast<int32_t>(std::lround(c2 * one));
    }
    for (int i = 0; i < 1280; ++i) {
        int v = i - kClipBias;
        m_clip[i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

const PcdYccTables& PcdYccTables::Get() {
    static const PcdYccTables tables;
    return tables;
}

}  // namespace imglib
