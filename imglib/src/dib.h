// The packed DIB under construction. Decoders size it once, after checking
// the file's dimensions against the limits, then fill rows top to bottom.
// The pixels start zeroed, so a decoder that stops early never exposes
// uninitialised memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imglib.h"
#include "status.h"

namespace imglib {

// Largest image we agree to hold. A 32-bit process could not map more than
// this contiguously anyway; a 64-bit one gets the same limit so that both
// builds answer the same file the same way.
constexpr int32_t kMaxDimension = 1 << 18;
constexpr size_t kMaxDibBytes = size_t(1) << 30;

struct Rgb {
    uint8_t r, g, b;
};

// Checks width x height at bitCount bits per pixel against the limits.
// Ok, Unsupported for zero or negative sizes, Memory when too large.
Status CheckDibSize(int64_t width, int64_t height, int bitCount, size_t* bytes = nullptr);

class Dib {
public:
    Dib() = default;
    ~Dib();
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
    Dib(Dib&& other) noexcept;
    Dib& operator=(Dib&& other) noexcept;

    // Allocates a zeroed DIB. bitCount is 1, 4, 8 (with `colors` palette
    // entries, 1..256) or 24 (colors must be 0).
    Status Create(int32_t width, int32_t height, int bitCount, int colors = 0);

    bool Empty() const { return m_block == nullptr; }
    int32_t Width() const { return m_header ? m_header->biWidth : 0; }
    int32_t Height() const { return m_header ? m_header->biHeight : 0; }
    int BitCount() const { return m_header ? m_header->biBitCount : 0; }
    size_t Stride() const { return m_stride; }
    int Colors() const { return m_header ? static_cast<int>(m_header->biClrUsed) : 0; }

    // Row y counted from the top of the picture.
    uint8_t* Row(int32_t y) { return m_bits + static_cast<size_t>(m_header->biHeight - 1 - y) * m_stride; }
    // Palette entry i as blue, green, red, reserved.
    uint8_t* PaletteEntry(int i) { return m_block + 40 + 4 * static_cast<size_t>(i); }
    void SetPaletteEntry(int i, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = PaletteEntry(i);
        p[0] = b;
        p[1] = g;
        p[2] = r;
        p[3] = 0;
    }

    PDIB Header() { return m_header; }
    // Hands the block to the caller (free with DIBFree).
    PDIB Release();

private:
    uint8_t* m_block = nullptr;
    PDIB m_header = nullptr;
    uint8_t* m_bits = nullptr;
    size_t m_stride = 0;
};

// Allocation shared with DIBFree, so every block the library returns is
// released the same way.
uint8_t* AllocateDibBlock(size_t bytes);
void FreeDibBlock(void* block);

}  // namespace imglib
