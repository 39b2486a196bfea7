// Turns decoded rows of a strip or tile into rows of the DIB: bit-packed
// indices copied as they are, greys and colours reduced to 8 bits a sample
// and composited over black when they carry an alpha channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imglib {

enum class TiffOutput {
    Index,  // 1, 2, 4 or 8-bit indices, one sample a pixel: copied bit for bit (2 bits widen to 4)
    Grey,   // one 8-bit value a pixel through a lookup table (grey or palette index)
    Rgb,    // 24-bit BGR from RGB or CMYK
};

struct TiffPixelFormat {
    TiffOutput output = TiffOutput::Index;
    int bitsPerSample = 8;   // 1, 2, 4, 8 or 16
    int samples = 1;         // samples a pixel in the file
    bool planar = false;     // one sample a chunk, chunks grouped by sample
    bool bigEndian = false;  // byte order of 16-bit samples
    bool cmyk = false;
    int alphaSample = -1;    // sample index of an alpha channel to composite, or -1
    bool associated = false; // the colours are already multiplied by alpha
    uint8_t lut[256] = {};   // Grey: 8-bit value of a sample to the DIB's value
};

// The 8 bits that stand for a 16-bit sample. Colour samples and colour
// maps keep their high byte, greys are rounded: both are what the common
// readers show, and a picture that a user compares should not shift by one.
inline uint8_t Colour16To8(unsigned v) { return static_cast<uint8_t>(v >> 8); }
inline uint8_t Grey16To8(unsigned v) { return static_cast<uint8_t>((v * 255u + 32767u) / 65535u); }

class TiffRowWriter {
public:
    explicit TiffRowWriter(const TiffPixelFormat& format) : m_f(format) {}

    // Whether the chunks of sample plane `plane` contribute to the picture.
    bool PlaneUsed(int plane) const;
    // Writes `count` pixels of `src` (one decoded chunk row holding sample
    // plane `plane`, or all samples when chunky) to `dib` from pixel x0.
    void Write(const uint8_t* src, uint32_t x0, uint32_t count, int plane, uint8_t* dib);

private:
    const uint8_t* To8Bit(const uint8_t* src, size_t values);
    void WriteIndex(const uint8_t* src, uint32_t x0, uint32_t count, uint8_t* dib) const;
    void WriteGrey(const uint8_t* s, uint32_t count, int samples, int plane, uint8_t* d) const;
    void WriteRgb(const uint8_t* s, uint32_t count, int samples, int plane, uint8_t* d) const;

    TiffPixelFormat m_f;
    std::vector<uint8_t> m_scratch;
};

}  // namespace imglib
