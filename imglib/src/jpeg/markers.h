// JPEG headers: the frame (SOFn), scan (SOS), table (DQT, DHT, DRI) and
// application (APP0 JFIF, APP1 Exif, APP14 Adobe) segments, T.81 Annex B.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/huffman.h"
#include "status.h"

namespace imglib::jpeg {

constexpr int kMaxComponents = 4;
// Largest dequantised coefficient the IDCT takes; keeps its 32-bit
// arithmetic from overflowing on damaged data. Real data stays far below.
constexpr int kCoefLimit = 16383;

// Marker codes (the byte after 0xFF).
enum Marker : uint8_t {
    kSof0 = 0xC0, kSof1 = 0xC1, kSof2 = 0xC2, kSof3 = 0xC3,
    kDht = 0xC4, kSof5 = 0xC5, kSof15 = 0xCF, kDac = 0xCC,
    kRst0 = 0xD0, kRst7 = 0xD7, kSoi = 0xD8, kEoi = 0xD9, kSos = 0xDA,
    kDqt = 0xDB, kDnl = 0xDC, kDri = 0xDD,
    kApp0 = 0xE0, kApp1 = 0xE1, kApp14 = 0xEE, kCom = 0xFE,
};

// Zig-zag position -> natural (row-major) position. Entries 64..79 absorb
// the overshoot of damaged run lengths into the last coefficient.
extern const uint8_t kNaturalOrder[80];

struct QuantTable {
    bool defined = false;
    int16_t q[64];  // natural order, each at most kCoefLimit
};

struct Component {
    int id = 0;
    int h = 1, v = 1;  // sampling factors
    int tq = 0;        // quantisation table selector
    int width = 0, height = 0;    // samples, before upsampling
    int blocksW = 0, blocksH = 0;  // blocks holding those samples
    int paddedW = 0, paddedH = 0;  // blocks in whole MCUs
};

struct Frame {
    bool progressive = false;
    int width = 0, height = 0;
    int count = 0;
    Component comp[kMaxComponents];
    int hmax = 1, vmax = 1;
    int mcusX = 0, mcusY = 0;  // MCUs of an interleaved scan
};

struct ScanHeader {
    int count = 0;
    int comp[kMaxComponents];  // indices into Frame::comp
    int dc[kMaxComponents], ac[kMaxComponents];
    int ss = 0, se = 63, ah = 0, al = 0;
};

enum class ColorModel { Gray, YCbCr, Rgb, Cmyk, Ycck };

// What the segments before and between the scans tell.
struct Tables {
    QuantTable quant[4];
    HuffTable dc[4], ac[4];
    int restartInterval = 0;
    bool jfif = false;
    bool adobe = false;
    int adobeTransform = 0;
    int orientation = 1;  // EXIF orientation, 1..8
};

// Segment parsers. `seg` is the segment after its length field.
// Unsupported for a frame type or precision this decoder does not read.
Status ParseFrame(uint8_t marker, const uint8_t* seg, size_t len, Frame* f);
bool ParseQuant(const uint8_t* seg, size_t len, Tables* t);
bool ParseHuffman(const uint8_t* seg, size_t len, Tables* t);
bool ParseRestart(const uint8_t* seg, size_t len, Tables* t);
bool ParseScan(const uint8_t* seg, size_t len, const Frame& f, ScanHeader* s);
void ParseApp(uint8_t marker, const uint8_t* seg, size_t len, Tables* t);

// Loads T.81 Annex K's typical tables into slots 0 and 1 (luminance,
// chrominance); files that leave out DHT (Motion JPEG) rely on them.
void LoadDefaultHuffman(Tables* t);

ColorModel ChooseColorModel(const Frame& f, const Tables& t);

}  // namespace imglib::jpeg
