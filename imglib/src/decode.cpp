#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "decoders.h"
#include "imglib.h"

namespace imglib {
namespace {

thread_local int t_lastError = IMGLIB_OK;

bool HasExtension(const char* name, const char* ext) {
    if (!name) return false;
    const char* dot = std::strrchr(name, '.');
    if (!dot) return false;
    const char* slash = std::strrchr(name, '\\');
    const char* fslash = std::strrchr(name, '/');
    if ((slash && slash > dot) || (fslash && fslash > dot)) return false;
    for (++dot; *dot && *ext; ++dot, ++ext)
        if (std::tolower(static_cast<unsigned char>(*dot)) != *ext) return false;
    return *dot == 0 && *ext == 0;
}

bool StartsWith(Bytes in, const char* sig, size_t n) {
    return in.size >= n && std::memcmp(in.data, sig, n) == 0;
}

}  // namespace

Format SniffFormat(Bytes in, const char* name) {
    if (StartsWith(in, "\xFF\xD8\xFF", 3)) return Format::Jpeg;
    if (StartsWith(in, "II*\0", 4) || StartsWith(in, "MM\0*", 4)) return Format::Tiff;
    if (StartsWith(in, "II+\0", 4) || StartsWith(in, "MM\0+", 4)) return Format::Tiff;  // BigTIFF
    if (StartsWith(in, "\x59\xA6\x6A\x95", 4)) return Format::SunRaster;
    if (StartsWith(in, "BM", 2) || StartsWith(in, "BA", 2)) return Format::Bmp;
    if (in.size >= 2048 + 7 && std::memcmp(in.data + 2048, "PCD_IPI", 7) == 0) return Format::Pcd;
    // PCX: manufacturer 10, a known version, encoding 0 or 1.
    if (in.size >= 128 && in.data[0] == 0x0A && in.data[1] <= 5 && in.data[1] != 1 && in.data[2] <= 1)
        return Format::Pcx;
    if (HasExtension(name, "tga")) return Format::Tga;
    if (HasExtension(name, "pcd")) return Format::Pcd;
    if (HasExtension(name, "dib") || HasExtension(name, "bmp") || HasExtension(name, "rle"))
        return Format::Bmp;  // bare BITMAPINFO without a file header
    // A TGA 2.0 file names itself in its footer.
    if (in.size >= 26 && std::memcmp(in.data + in.size - 18, "TRUEVISION-XFILE.", 17) == 0) return Format::Tga;
    return Format::Unknown;
}

Status Decode(Bytes in, const char* name, Dib* out) {
    switch (SniffFormat(in, name)) {
        case Format::Bmp: return DecodeBmp(in, out);
        case Format::Pcx: return DecodePcx(in, out);
        case Format::Tga: return DecodeTga(in, out);
        case Format::Tiff: return DecodeTiff(in, out);
        case Format::SunRaster: return DecodeSunRaster(in, out);
        case Format::Pcd: return DecodePcd(in, out);
        case Format::Jpeg: return DecodeJpeg(in, out);
        case Format::Unknown: break;
    }
    return Status::Unsupported;
}

void SetLastError(Status s) { t_lastError = static_cast<int>(s); }

}  // namespace imglib

using imglib::Status;

int GetLastImgLibError() { return imglib::t_lastError; }

PDIB DecodeImageBytes(const uint8_t* data, size_t size, const char* name) {
    if (!data && size) {
        imglib::SetLastError(Status::BadPointer);
        return nullptr;
    }
    imglib::Dib dib;
    Status s = imglib::Decode(imglib::Bytes{data, size}, name, &dib);
    if (s == Status::Ok && dib.Empty()) s = Status::Unsupported;
    imglib::SetLastError(s);
    return s == Status::Ok ? dib.Release() : nullptr;
}

PDIB ReadFileIntoDIB(const char* path) {
    if (!path) {
        imglib::SetLastError(Status::BadPointer);
        return nullptr;
    }
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        imglib::SetLastError(Status::Read);
        return nullptr;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> guard(f, &std::fclose);
    std::vector<uint8_t> bytes;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long end = std::ftell(f);
        if (end > 0) {
            if (static_cast<unsigned long>(end) > imglib::kMaxDibBytes) {
                imglib::SetLastError(Status::Memory);
                return nullptr;
            }
            bytes.reserve(static_cast<size_t>(end));
        }
        std::fseek(f, 0, SEEK_SET);
    }
    // Read in chunks rather than trusting the size: it may change under us.
    uint8_t chunk[1 << 16];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (bytes.size() + n > imglib::kMaxDibBytes) {
            imglib::SetLastError(Status::Memory);
            return nullptr;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    if (std::ferror(f)) {
        imglib::SetLastError(Status::Read);
        return nullptr;
    }
    return DecodeImageBytes(bytes.data(), bytes.size(), path);
}

void DIBFree(PDIB dib) { imglib::FreeDibBlock(dib); }
