#include "quantize_histogram.h"

#include <algorithm>
#include <cstring>

namespace imglib {

ColorHistogram::ColorHistogram() : m_cells(size_t(1) << 18) {}

void ColorHistogram::AddBgrRow(const uint8_t* p, size_t pixels) {
    Cell* cells = m_cells.data();
    for (size_t x = 0; x < pixels; ++x, p += 3) {
        unsigned b = p[0], g = p[1], r = p[2];
        Cell& c = cells[((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2)];
        c.count++;
        c.r += r & 3;
        c.g += g & 3;
        c.b += b & 3;
    }
}

std::vector<ColorPoint> ColorHistogram::Points() const {
    std::vector<ColorPoint> out;
    for (size_t i = 0; i < m_cells.size(); ++i) {
        const Cell& c = m_cells[i];
        if (!c.count) continue;
        float n = static_cast<float>(c.count);
        ColorPoint pt;
        pt.r = static_cast<float>((i >> 12) << 2) + static_cast<float>(c.r) / n;
        pt.g = static_cast<float>(((i >> 6) & 63) << 2) + static_cast<float>(c.g) / n;
        pt.b = static_cast<float>((i & 63) << 2) + static_cast<float>(c.b) / n;
        pt.count = c.count;
        out.push_back(pt);
    }
    return out;
}

DistinctColors::DistinctColors(int limit) : m_limit(std::min(limit, 256)) {
    std::memset(m_keys, 0, sizeof m_keys);
}

bool DistinctColors::Insert(uint32_t rgb) {
    size_t i = Hash(rgb);
    while (m_keys[i]) {
        if (m_keys[i] == rgb + 1) return true;
        i = (i + 1) & (kSlots - 1);
    }
    if (m_count == m_limit) {
        m_overflow = true;
        return false;
    }
    m_keys[i] = rgb + 1;
    m_index[i] = static_cast<uint16_t>(m_count);
    m_colors[m_count++] = rgb;
    return true;
}

bool DistinctColors::AddBgrRow(const uint8_t* p, size_t pixels) {
    if (m_overflow) return false;
    uint32_t last = 0xFFFFFFFF;
    for (size_t x = 0; x < pixels; ++x, p += 3) {
        uint32_t rgb = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        if (rgb == last) continue;  // runs are common; skip the probe
        last = rgb;
        if (!Insert(rgb)) return false;
    }
    return true;
}

void DistinctColors::Sort() {
    std::sort(m_colors, m_colors + m_count);
    for (int i = 0; i < m_count; ++i) {
        size_t s = Hash(m_colors[i]);
        while (m_keys[s] != m_colors[i] + 1) s = (s + 1) & (kSlots - 1);
        m_index[s] = static_cast<uint16_t>(i);
    }
}

int DistinctColors::Index(uint32_t rgb) const {
    size_t i = Hash(rgb);
    while (m_keys[i] && m_keys[i] != rgb + 1) i = (i + 1) & (kSlots - 1);
    return m_keys[i] ? m_index[i] : 0;
}

}  // namespace imglib
