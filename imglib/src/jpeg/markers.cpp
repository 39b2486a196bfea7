#include "jpeg/markers.h"

#include <cstring>

#include "byte_reader.h"
#include "jpeg/orientation.h"

namespace imglib::jpeg {

const uint8_t kNaturalOrder[80] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33,
    40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36,
    29, 22, 15, 23, 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54,
    47, 55, 62, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63,
};

namespace {

int CeilDiv(int64_t a, int64_t b) { return static_cast<int>((a + b - 1) / b); }

}  // namespace

Status ParseFrame(uint8_t marker, const uint8_t* seg, size_t len, Frame* f) {
    if (marker != kSof0 && marker != kSof1 && marker != kSof2)
        return Status::Unsupported;  // lossless, hierarchical, arithmetic coding
    ByteReader r(Bytes{seg, len}, true);
    int precision = r.U8();
    f->height = r.U16();
    f->width = r.U16();
    f->count = r.U8();
    if (r.Failed() || precision != 8) return Status::Unsupported;
    // A height of 0 would come later in a DNL segment; not read here.
    if (f->width == 0 || f->height == 0) return Status::Unsupported;
    if (f->count != 1 && f->count != 3 && f->count != 4) return Status::Unsupported;
    f->progressive = marker == kSof2;
    f->hmax = f->vmax = 1;
    for (int i = 0; i < f->count; ++i) {
        Component& c = f->comp[i];
        c.id = r.U8();
        int hv = r.U8();
        c.tq = r.U8();
        c.h = hv >> 4;
        c.v = hv & 15;
        if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.tq > 3) return Status::Unsupported;
        for (int j = 0; j < i; ++j)
            if (f->comp[j].id == c.id) return Status::Unsupported;
        if (f->count == 1) c.h = c.v = 1;  // one component: its MCU is one block anyway
        if (c.h > f->hmax) f->hmax = c.h;
        if (c.v > f->vmax) f->vmax = c.v;
    }
    if (r.Failed()) return Status::Unsupported;
    f->mcusX = CeilDiv(f->width, 8 * f->hmax);
    f->mcusY = CeilDiv(f->height, 8 * f->vmax);
    for (int i = 0; i < f->count; ++i) {
        Component& c = f->comp[i];
        c.width = CeilDiv(int64_t(f->width) * c.h, f->hmax);
        c.height = CeilDiv(int64_t(f->height) * c.v, f->vmax);
        c.blocksW = CeilDiv(c.width, 8);
        c.blocksH = CeilDiv(c.height, 8);
        c.paddedW = f->mcusX * c.h;
        c.paddedH = f->mcusY * c.v;
    }
    return Status::Ok;
}

bool ParseQuant(const uint8_t* seg, size_t len, Tables* t) {
    ByteReader r(Bytes{seg, len}, true);
    while (!r.AtEnd()) {
        int pq = r.U8();
        int tq = pq & 15;
        bool wide = (pq >> 4) != 0;
        if ((pq >> 4) > 1 || tq > 3) return false;
        QuantTable& q = t->quant[tq];
        for (int i = 0; i < 64; ++i) {
            int v = wide ? r.U16() : r.U8();
            q.q[kNaturalOrder[i]] = static_cast<int16_t>(v > kCoefLimit ? kCoefLimit : v);
        }
        if (r.Failed()) return false;
        q.defined = true;
    }
    return true;
}

bool ParseHuffman(const uint8_t* seg, size_t len, Tables* t) {
    ByteReader r(Bytes{seg, len}, true);
    while (!r.AtEnd()) {
        int tc = r.U8();
        int th = tc & 15;
        tc >>= 4;
        uint8_t counts[16];
        r.Read(counts, 16);
        if (r.Failed() || tc > 1 || th > 3) return false;
        size_t total = 0;
        for (uint8_t n : counts) total += n;
        const uint8_t* symbols = r.Here();
        HuffTable& table = tc == 0 ? t->dc[th] : t->ac[th];
        if (!BuildHuffTable(counts, symbols, r.Remaining(), &table)) return false;
        r.Skip(total);
    }
    return true;
}

bool ParseRestart(const uint8_t* seg, size_t len, Tables* t) {
    if (len < 2) return false;
    t->restartInterval = seg[0] << 8 | seg[1];
    return true;
}

bool ParseScan(const uint8_t* seg, size_t len, const Frame& f, ScanHeader* s) {
    ByteReader r(Bytes{seg, len}, true);
    s->count = r.U8();
    if (s->count < 1 || s->count > f.count) return false;
    for (int i = 0; i < s->count; ++i) {
        int id = r.U8();
        int tables = r.U8();
        int index = -1;
        for (int j = 0; j < f.count; ++j)
            if (f.comp[j].id == id) index = j;
        if (index < 0) return false;
        for (int j = 0; j < i; ++j)
            if (s->comp[j] == index) return false;
        s->comp[i] = index;
        s->dc[i] = tables >> 4;
        s->ac[i] = tables & 15;
        if (s->dc[i] > 3 || s->ac[i] > 3) return false;
    }
    s->ss = r.U8();
    s->se = r.U8();
    int a = r.U8();
    s->ah = a >> 4;
    s->al = a & 15;
    return !r.Failed();
}

void ParseApp(uint8_t marker, const uint8_t* seg, size_t len, Tables* t) {
    if (marker == kApp0 && len >= 5 && std::memcmp(seg, "JFIF\0", 5) == 0) {
        t->jfif = true;
    } else if (marker == kApp14 && len >= 12 && std::memcmp(seg, "Adobe", 5) == 0) {
        t->adobe = true;
        t->adobeTransform = seg[11];
    } else if (marker == kApp1 && len >= 6 && std::memcmp(seg, "Exif\0\0", 6) == 0) {
        int o = ParseExifOrientation(seg + 6, len - 6);
        if (o) t->orientation = o;
    }
}

namespace {

// T.81 Annex K, Tables K.3 to K.6.
const uint8_t kDcLumaCounts[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
const uint8_t kDcChromaCounts[16] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
const uint8_t kDcSymbols[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const uint8_t kAcLumaCounts[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
const uint8_t kAcLumaSymbols[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07,
    0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0,
    0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28,
    0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49,
    0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,
    0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89,
    0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7,
    0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5,
    0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8,
    0xf9, 0xfa,
};
const uint8_t kAcChromaCounts[16] = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
const uint8_t kAcChromaSymbols[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71,
    0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0,
    0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26,
    0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48,
    0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68,
    0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87,
    0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5,
    0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
    0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
    0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8,
    0xf9, 0xfa,
};

}  // namespace

void LoadDefaultHuffman(Tables* t) {
    BuildHuffTable(kDcLumaCounts, kDcSymbols, sizeof kDcSymbols, &t->dc[0]);
    BuildHuffTable(kDcChromaCounts, kDcSymbols, sizeof kDcSymbols, &t->dc[1]);
    BuildHuffTable(kAcLumaCounts, kAcLumaSymbols, sizeof kAcLumaSymbols, &t->ac[0]);
    BuildHuffTable(kAcChromaCounts, kAcChromaSymbols, sizeof kAcChromaSymbols, &t->ac[1]);
}

ColorModel ChooseColorModel(const Frame& f, const Tables& t) {
    if (f.count == 1) return ColorModel::Gray;
    // Four: Adobe's transform 0 is plain CMYK, any other value YCCK.
    if (f.count == 4) return t.adobe && t.adobeTransform != 0 ? ColorModel::Ycck : ColorModel::Cmyk;
    // Three components: YCbCr unless Adobe says untransformed, or, with
    // neither JFIF nor Adobe, the component ids spell R, G, B.
    if (t.jfif) return ColorModel::YCbCr;
    if (t.adobe) return t.adobeTransform == 0 ? ColorModel::Rgb : ColorModel::YCbCr;
    if (f.comp[0].id == 'R' && f.comp[1].id == 'G' && f.comp[2].id == 'B') return ColorModel::Rgb;
    return ColorModel::YCbCr;
}

}  // namespace imglib::jpeg
