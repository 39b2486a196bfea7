#include "dib.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "checked.h"

namespace imglib {

Status CheckDibSize(int64_t width, int64_t height, int bitCount, size_t* bytes) {
    if (width <= 0 || height <= 0) return Status::Unsupported;
    if (width > kMaxDimension || height > kMaxDimension) return Status::Memory;
    size_t stride = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    size_t total;
    if (!CheckedMulAdd(stride, static_cast<size_t>(height), 40 + 4 * 256, &total) || total > kMaxDibBytes)
        return Status::Memory;
    if (bytes) *bytes = total;
    return Status::Ok;
}

uint8_t* AllocateDibBlock(size_t bytes) { return static_cast<uint8_t*>(std::calloc(1, bytes)); }

void FreeDibBlock(void* block) { std::free(block); }

Dib::~Dib() { FreeDibBlock(m_block); }

Dib::Dib(Dib&& other) noexcept
    : m_block(std::exchange(other.m_block, nullptr)),
      m_header(std::exchange(other.m_header, nullptr)),
      m_bits(std::exchange(other.m_bits, nullptr)),
      m_stride(std::exchange(other.m_stride, 0)) {}

Dib& Dib::operator=(Dib&& other) noexcept {
    if (this != &other) {
        FreeDibBlock(m_block);
        m_block = std::exchange(other.m_block, nullptr);
        m_header = std::exchange(other.m_header, nullptr);
        m_bits = std::exchange(other.m_bits, nullptr);
        m_stride = std::exchange(other.m_stride, 0);
    }
    return *this;
}

Status Dib::Create(int32_t width, int32_t height, int bitCount, int colors) {
    bool paletted = bitCount == 1 || bitCount == 4 || bitCount == 8;
    if (!(paletted || bitCount == 24)) return Status::BadPointer;
    if (paletted ? (colors < 1 || colors > (1 << bitCount)) : colors != 0) return Status::BadPointer;
    Status s = CheckDibSize(width, height, bitCount);
    if (s != Status::Ok) return s;
    size_t stride = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    size_t bits = stride * static_cast<size_t>(height);
    size_t total = 40 + 4 * static_cast<size_t>(colors) + bits;
    uint8_t* block = AllocateDibBlock(total);
    if (!block) return Status::Memory;
    FreeDibBlock(m_block);
    m_block = block;
    m_header = reinterpret_cast<PDIB>(block);
    m_header->biSize = 40;
    m_header->biWidth = width;
    m_header->biHeight = height;
    m_header->biPlanes = 1;
    m_header->biBitCount = static_cast<uint16_t>(bitCount);
    m_header->biCompression = 0;  // BI_RGB
    m_header->biSizeImage = static_cast<uint32_t>(bits);
    m_header->biXPelsPerMeter = 0;
    m_header->biYPelsPerMeter = 0;
    m_header->biClrUsed = static_cast<uint32_t>(colors);
    m_header->biClrImportant = 0;
    m_bits = block + 40 + 4 * static_cast<size_t>(colors);
    m_stride = stride;
    return Status::Ok;
}

PDIB Dib::Release() {
    PDIB h = m_header;
    m_block = nullptr;
    m_header = nullptr;
    m_bits = nullptr;
    m_stride = 0;
    return h;
}

}  // namespace imglib
