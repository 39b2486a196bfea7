// The checks behind the fuzz targets, header-only so that the regression
// test replays saved inputs through exactly the same code. Each check
// returns "" when the library kept its contract, else what went wrong;
// the sanitizers catch the rest (every output byte is read).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "decoders.h"
#include "dib.h"
#include "dib_rgb.h"
#include "imglib.h"

namespace imglib::fuzz {

inline volatile unsigned g_sink = 0;  // keeps the reads of CheckDib

// Reads the whole block of a returned DIB and checks that it can be drawn.
inline std::string CheckDib(const ImgDibHeader* dib) {
    if (dib->biSize != 40) return "biSize is not 40";
    if (dib->biWidth <= 0 || dib->biHeight <= 0) return "empty or top-down DIB";
    if (dib->biPlanes != 1) return "biPlanes is not 1";
    int bpp = dib->biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return "bit count " + std::to_string(bpp);
    if (bpp <= 8 ? (dib->biClrUsed == 0 || dib->biClrUsed > (1u << bpp)) : dib->biClrUsed != 0)
        return "biClrUsed " + std::to_string(dib->biClrUsed) + " at " + std::to_string(bpp) + " bits";
    size_t bytes = 40 + 4 * static_cast<size_t>(dib->biClrUsed) + DibStride(dib) * static_cast<size_t>(dib->biHeight);
    const volatile uint8_t* p = reinterpret_cast<const uint8_t*>(dib);
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum += p[i];  // out-of-block reads trip AddressSanitizer
    g_sink = sum;
    // A 1-bit DIB of a few hundred megabytes is legal but would expand to
    // gigabytes of RGB; the byte walk above already proved the block.
    if (static_cast<uint64_t>(dib->biWidth) * static_cast<uint64_t>(dib->biHeight) > (uint64_t(1) << 24)) return "";
    std::vector<uint8_t> rgb;
    if (!DibToRgb(dib, &rgb)) return "DibToRgb refused the DIB";
    return "";
}

// The extensions the last input byte chooses from: every type, including
// the ones only recognised by name (TGA, PCD, bare DIB), and no name at all.
inline const char* const* FuzzNames(size_t* count) {
    static const char* const names[] = {"f.bmp", "f.pcx", "f.tga", "f.tif", "f.dib", "f.rle",
                                        "f.ras", "f.pcd", "f.jpg", nullptr, "f.txt"};
    *count = sizeof names / sizeof names[0];
    return names;
}

// DecodeImageBytes, with the name chosen by the input's last byte.
inline std::string DecodeAny(const uint8_t* data, size_t size) {
    const char* name = nullptr;
    if (size > 0) {
        size_t count;
        const char* const* names = FuzzNames(&count);
        name = names[data[size - 1] % count];
        --size;
    }
    PDIB dib = DecodeImageBytes(data, size, name);
    if (!dib) {
        int code = GetLastImgLibError();
        if (code != IMGLIB_ERR_READ && code != IMGLIB_ERR_MEMORY && code != IMGLIB_ERR_UNSUPPORTED)
            return "failure with code " + std::to_string(code);
        return "";
    }
    std::string problem = CheckDib(dib);
    DIBFree(dib);
    return problem;
}

// The decoder for one type, called directly (no sniffing in front of it).
using DecoderFn = Status (*)(Bytes, Dib*);
inline DecoderFn DecoderNamed(const std::string& type) {
    if (type == "bmp") return DecodeBmp;
    if (type == "pcx") return DecodePcx;
    if (type == "tga") return DecodeTga;
    if (type == "tif") return DecodeTiff;
    if (type == "ras") return DecodeSunRaster;
    if (type == "pcd") return DecodePcd;
    if (type == "jpg") return DecodeJpeg;
    return nullptr;
}

inline std::string DecodeAs(DecoderFn decode, const uint8_t* data, size_t size) {
    Dib dib;
    Status s = decode(Bytes{data, size}, &dib);
    if (s != Status::Ok || dib.Empty()) return "";
    return CheckDib(dib.Header());
}

// ReduceDIB on a small DIB that the input describes: its first bytes choose
// width, height, colours, dithering and the source's bit count; the rest
// fills the colour table and the pixels.
inline std::string Reduce(const uint8_t* data, size_t size) {
    uint8_t head[6] = {};
    std::memcpy(head, data, size < sizeof head ? size : sizeof head);
    size_t used = size < sizeof head ? size : sizeof head;
    int width = 1 + head[0] % 64, height = 1 + head[1] % 64;
    int colors = 2 + head[2] % 255, dither = head[3] & 1;
    static const int kBits[] = {24, 8, 4, 1};
    int bits = kBits[head[4] % 4];
    int entries = bits == 24 ? 0 : 1 + head[5] % (1 << bits);

    Dib dib;
    if (dib.Create(width, height, bits, entries) != Status::Ok) return "Dib::Create failed";
    const uint8_t* rest = data + used;
    size_t restSize = size - used, pos = 0;
    auto next = [&]() -> uint8_t { return restSize ? rest[pos++ % restSize] : 0; };
    for (int i = 0; i < entries; ++i) {
        uint8_t r = next(), g = next(), b = next();
        dib.SetPaletteEntry(i, r, g, b);
    }
    for (int y = 0; y < height; ++y) {
        uint8_t* row = dib.Row(y);
        for (size_t x = 0; x < dib.Stride(); ++x) row[x] = next();
    }

    PDIB source = dib.Header();
    PDIB reduced = ReduceDIB(source, colors, dither);
    if (!reduced) return "";
    std::string problem = CheckDib(reduced);
    if (problem.empty() && (reduced->biClrUsed == 0 || reduced->biClrUsed > static_cast<uint32_t>(colors)))
        problem = std::to_string(reduced->biClrUsed) + " colours for " + std::to_string(colors) + " asked";
    if (problem.empty() && (reduced->biWidth != width || reduced->biHeight != height)) problem = "size changed";
    if (reduced != source) DIBFree(reduced);
    return problem;
}

// Replays a saved input through the check its file name starts with:
// "decode-", "reduce-", or a type ("bmp-", "tga-", ...).
inline std::string Replay(const std::string& fileName, const uint8_t* data, size_t size) {
    std::string check = fileName.substr(0, fileName.find('-'));
    if (check == "decode") return DecodeAny(data, size);
    if (check == "reduce") return Reduce(data, size);
    if (DecoderFn decode = DecoderNamed(check)) return DecodeAs(decode, data, size);
    return "no check named \"" + check + "\"";
}

}  // namespace imglib::fuzz
