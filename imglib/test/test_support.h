// Shared helpers of the image library's tests: the sample corpus, reference
// PNGs and comparison of decoded pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imglib.h"

namespace imglib::test {

struct DibDeleter {
    void operator()(ImgDibHeader* d) const { DIBFree(d); }
};
using DibPtr = std::unique_ptr<ImgDibHeader, DibDeleter>;

struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top-down, 3 bytes a pixel
};

// The corpus folder ("" when absent: tests then skip).
std::string CorpusDir();
std::vector<uint8_t> ReadFileBytes(const std::string& path);
// Reads a PNG as 8-bit RGB; alpha, if present, is composited over black.
bool ReadPngRgb(const std::string& path, RgbImage* out);
// Decodes bytes (name gives the extension) and expands to RGB.
DibPtr DecodeBytes(const std::vector<uint8_t>& bytes, const char* name = nullptr);
bool ToRgb(const ImgDibHeader* dib, RgbImage* out);
// Pixels as 0xRRGGBB, rows top to bottom: compact expected values in tests.
using Grid = std::vector<std::vector<uint32_t>>;
Grid Pixels(const ImgDibHeader* dib);  // a failed expansion fails the test
// An index grid turned into colours through a palette of 0xRRGGBB.
Grid Colours(const Grid& indices, const std::vector<uint32_t>& palette);

// Largest per-channel difference; -1 when the sizes differ.
int MaxDifference(const RgbImage& a, const RgbImage& b);
double MeanDifference(const RgbImage& a, const RgbImage& b);

// Little-endian writers for building fixture files in tests.
inline void Put8(std::vector<uint8_t>& v, unsigned x) { v.push_back(static_cast<uint8_t>(x)); }
inline void Put16(std::vector<uint8_t>& v, unsigned x) { Put8(v, x); Put8(v, x >> 8); }
inline void Put32(std::vector<uint8_t>& v, uint32_t x) { Put16(v, x & 0xFFFF); Put16(v, x >> 16); }
inline void Put16BE(std::vector<uint8_t>& v, unsigned x) { Put8(v, x >> 8); Put8(v, x); }
inline void Put32BE(std::vector<uint8_t>& v, uint32_t x) { Put16BE(v, x >> 16); Put16BE(v, x & 0xFFFF); }

}  // namespace imglib::test
