#include "quantize_nearest.h"

#include <algorithm>

namespace imglib {

NearestColor::NearestColor() : m_cache(size_t(1) << kCacheBits, 0xFFFFFFFF), m_cellStart(32768, kUnbuilt) {}

void NearestColor::SetPalette(const Rgb* colors, int count) {
    m_count = std::clamp(count, 1, 256);
    for (int i = 0; i < m_count; ++i) {
        m_colors[i] = count > 0 ? colors[i] : Rgb{0, 0, 0};
        m_r[i] = m_colors[i].r;
        m_g[i] = m_colors[i].g;
        m_b[i] = m_colors[i].b;
        m_r16[i] = m_colors[i].r;
        m_g16[i] = m_colors[i].g;
        m_b16[i] = m_colors[i].b;
    }
    std::fill(m_cache.begin(), m_cache.end(), 0xFFFFFFFF);
    std::fill(m_cellStart.begin(), m_cellStart.end(), kUnbuilt);
    m_pool.clear();
}

uint32_t NearestColor::Build(unsigned cell) {
    const int16_t lr = int16_t((cell >> 10) << 3), lg = int16_t(((cell >> 5) & 31) << 3), lb = int16_t((cell & 31) << 3);
    int32_t nearD[256], farD[256];
    // 16-bit lanes, straight loops and a trip count in whole vectors, so
    // that the compiler vectorises this even at -O2: it runs once for every
    // cell an image touches. Entries past m_count are computed but unused.
    const int padded = (m_count + 15) & ~15;
    for (int i = 0; i < padded; ++i) {
        int16_t dr = int16_t(m_r16[i] - lr), dg = int16_t(m_g16[i] - lg), db = int16_t(m_b16[i] - lb);
        uint16_t nr = uint16_t(std::max<int16_t>(std::max<int16_t>(int16_t(-dr), int16_t(dr - 7)), 0));
        uint16_t ng = uint16_t(std::max<int16_t>(std::max<int16_t>(int16_t(-dg), int16_t(dg - 7)), 0));
        uint16_t nb = uint16_t(std::max<int16_t>(std::max<int16_t>(int16_t(-db), int16_t(db - 7)), 0));
        uint16_t fr = uint16_t(std::max<int16_t>(dr, int16_t(7 - dr)));
        uint16_t fg = uint16_t(std::max<int16_t>(dg, int16_t(7 - dg)));
        uint16_t fb = uint16_t(std::max<int16_t>(db, int16_t(7 - db)));
        nearD[i] = int32_t(uint16_t(nr * nr)) + int32_t(uint16_t(ng * ng)) + int32_t(uint16_t(nb * nb));
        farD[i] = int32_t(uint16_t(fr * fr)) + int32_t(uint16_t(fg * fg)) + int32_t(uint16_t(fb * fb));
    }
    int32_t bound = *std::min_element(farD, farD + m_count);
    uint32_t at = static_cast<uint32_t>(m_pool.size());
    m_pool.push_back(0);
    for (int i = 0; i < m_count; ++i)
        if (nearD[i] <= bound) m_pool.push_back((static_cast<uint32_t>(nearD[i]) << 8) | static_cast<uint32_t>(i));
    std::sort(m_pool.begin() + at + 1, m_pool.end());
    m_pool[at] = static_cast<uint32_t>(m_pool.size() - at - 1);
    m_cellStart[cell] = at;
    return at;
}

}  // namespace imglib
