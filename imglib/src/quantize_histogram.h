// The colour statistics a reduction starts from: a fixed-size histogram of
// 6 bits a channel, and the image's exact colours while there are few.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imglib {

// A weighted colour: the mean of the pixels of one histogram cell.
struct ColorPoint {
    float r, g, b;
    uint32_t count;
};

class ColorHistogram {
public:
    // Allocates the 4 MiB of cells (throws std::bad_alloc).
    ColorHistogram();

    void AddBgrRow(const uint8_t* bgr, size_t pixels);
    // The non-empty cells in index order.
    std::vector<ColorPoint> Points() const;

private:
    // Each cell keeps its pixel count and, per channel, the sum of the two
    // low bits that the cell index drops: exact means without 64-bit sums
    // (3 * count stays below 2^32 for any image the size limits allow).
    struct Cell {
        uint32_t count, r, g, b;
    };
    std::vector<Cell> m_cells;
};

// The distinct colours of an image, tracked until there are more than a
// limit (at most 256). Open addressing in a fixed table of 1024 slots.
class DistinctColors {
public:
    explicit DistinctColors(int limit);

    // False once the image has shown more than `limit` colours; later calls
    // are then ignored.
    bool AddBgrRow(const uint8_t* bgr, size_t pixels);
    bool Overflowed() const { return m_overflow; }
    int Count() const { return m_count; }
    // Colour i as 0xRRGGBB, in ascending order after Sort.
    uint32_t Color(int i) const { return m_colors[i]; }
    // Orders the colours and numbers them; Index then finds each one.
    void Sort();
    // Palette index of a colour that was added (after Sort).
    int Index(uint32_t rgb) const;

private:
    static size_t Hash(uint32_t rgb) { return (rgb * 2654435761u) >> 22; }
    bool Insert(uint32_t rgb);

    static constexpr size_t kSlots = 1024;
    uint32_t m_keys[kSlots];     // colour + 1; 0 marks an empty slot
    uint16_t m_index[kSlots];
    uint32_t m_colors[256];
    int m_limit;
    int m_count = 0;
    bool m_overflow = false;
};

}  // namespace imglib
