// Exact nearest palette colour (squared RGB distance) in a few steps: the
// colour cube is cut into 32^3 cells of 8^3 colours, and for each cell that
// is asked for we keep, built on first use, the palette entries that can be
// nearest to some colour inside it. Everything else is ruled out because
// its closest point in the cell is farther than some entry's farthest one.
#pragma once

#include <cstdint>
#include <vector>

#include "dib.h"

namespace imglib {

class NearestColor {
public:
    NearestColor();
    // 1..256 entries; forgets every cell built for the previous palette.
    void SetPalette(const Rgb* colors, int count);

    int Count() const { return m_count; }
    const Rgb& Color(int i) const { return m_colors[i]; }

    // Index of the entry nearest to (r, g, b), each 0..255; ties go to the
    // lower index.
    int Find(int r, int g, int b) {
        unsigned cell = (unsigned(r >> 3) << 10) | (unsigned(g >> 3) << 5) | unsigned(b >> 3);
        uint32_t at = m_cellStart[cell];
        if (at == kUnbuilt) at = Build(cell);
        const uint32_t* list = m_pool.data() + at;
        const uint32_t* end = list + 1 + list[0];
        int best = 0, bestDist = INT32_MAX;
        // Candidates come nearest-to-the-cell first: once one cannot come
        // closer than the best so far, neither can the rest.
        for (++list; list != end; ++list) {
            if (static_cast<int>(*list >> 8) > bestDist) break;
            int c = *list & 255;
            int d = Distance(c, r, g, b);
            if (d < bestDist || (d == bestDist && c < best)) {
                bestDist = d;
                best = c;
            }
        }
        return best;
    }

    // Find behind a direct-mapped cache of recent answers: images repeat
    // their colours, and most pixels are answered by one look-up.
    int FindCached(int r, int g, int b) {
        uint32_t rgb = (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
        uint32_t& slot = m_cache[(rgb * 0x9E3779B1u) >> (32 - kCacheBits)];
        // Empty slots read as white with index 255, so white bypasses the cache.
        if ((slot >> 8) == rgb && rgb != 0xFFFFFF) return slot & 255;
        int k = Find(r, g, b);
        slot = (rgb << 8) | uint32_t(k);
        return k;
    }

private:
    static constexpr int kCacheBits = 16;
    static constexpr uint32_t kUnbuilt = 0xFFFFFFFF;
    int Distance(int i, int r, int g, int b) const {
        int dr = r - m_r[i], dg = g - m_g[i], db = b - m_b[i];
        return dr * dr + dg * dg + db * db;
    }
    uint32_t Build(unsigned cell);

    int m_count = 0;
    Rgb m_colors[256];
    int32_t m_r[256], m_g[256], m_b[256];
    int16_t m_r16[256] = {}, m_g16[256] = {}, m_b16[256] = {};
    std::vector<uint32_t> m_cache;      // colour << 8 | index
    std::vector<uint32_t> m_cellStart;  // 32768 offsets into m_pool
    // Per built cell: the candidate count, then per candidate its squared
    // distance to the cell shifted left by 8 plus its index, ascending.
    std::vector<uint32_t> m_pool;
};

}  // namespace imglib
