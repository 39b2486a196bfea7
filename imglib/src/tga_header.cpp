#include "tga_header.h"

#include <cstring>

namespace imglib {
namespace {

constexpr size_t kHeaderSize = 18;
constexpr size_t kFooterSize = 26;
constexpr size_t kExtensionSize = 495;

bool ValidEntryBits(unsigned bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

}  // namespace

Status ParseTgaHeader(Bytes in, TgaHeader* h) {
    ByteReader r(in);
    h->idLength = r.U8();
    h->mapType = r.U8();
    h->imageType = r.U8();
    h->mapFirst = r.U16();
    h->mapLength = r.U16();
    h->mapEntryBits = r.U8();
    r.U16();  // x origin: screen placement only
    r.U16();  // y origin
    h->width = r.U16();
    h->height = r.U16();
    h->pixelBits = r.U8();
    h->descriptor = r.U8();
    if (r.Failed()) return Status::Unsupported;

    if (h->mapType > 1) return Status::Unsupported;
    // Bits 6-7 are interleaving in TGA 1.0 and reserved in 2.0; nobody
    // writes them, so a set bit means this is not a TGA file.
    if (h->descriptor & 0xC0) return Status::Unsupported;
    h->rle = (h->imageType & 8) != 0;
    unsigned kind = h->imageType & ~8u;
    if (h->imageType & ~11u) return Status::Unsupported;
    switch (kind) {
        case 1:  // colour-mapped
            if (h->mapType != 1 || h->mapLength == 0) return Status::Unsupported;
            if (h->pixelBits == 8) h->pixels = TgaPixels::Index8;
            else if (h->pixelBits == 16) h->pixels = TgaPixels::Index16;
            else return Status::Unsupported;
            break;
        case 2:  // true-colour
            if (h->pixelBits == 15 || h->pixelBits == 16) h->pixels = TgaPixels::Rgb16;
            else if (h->pixelBits == 24) h->pixels = TgaPixels::Bgr24;
            else if (h->pixelBits == 32) h->pixels = TgaPixels::Bgra32;
            else return Status::Unsupported;
            break;
        case 3:  // greyscale
            if (h->pixelBits == 8) h->pixels = TgaPixels::Grey8;
            else if (h->pixelBits == 16) h->pixels = TgaPixels::GreyAlpha16;
            else return Status::Unsupported;
            break;
        default:
            return Status::Unsupported;
    }
    h->pixelBytes = (h->pixelBits + 7) / 8;

    // A true-colour or grey file may still carry a colour map; it is skipped,
    // but its size must make sense to find the pixels.
    h->mapEntryBytes = 0;
    size_t mapBytes = 0;
    if (h->mapType == 1) {
        if (!ValidEntryBits(h->mapEntryBits)) return Status::Unsupported;
        h->mapEntryBytes = (h->mapEntryBits + 7) / 8;
        mapBytes = static_cast<size_t>(h->mapLength) * h->mapEntryBytes;
    }
    h->mapOffset = kHeaderSize + h->idLength;
    h->pixelOffset = h->mapOffset + mapBytes;
    if (h->pixelOffset > in.size) return Status::Unsupported;

    if (h->width == 0 || h->height == 0) return Status::Unsupported;
    h->topDown = (h->descriptor & 0x20) != 0;
    h->rightToLeft = (h->descriptor & 0x10) != 0;
    return Status::Ok;
}

int TgaAttributesType(Bytes in) {
    if (in.size < kHeaderSize + kFooterSize) return -1;
    const uint8_t* footer = in.data + in.size - kFooterSize;
    if (std::memcmp(footer + 8, "TRUEVISION-XFILE.", 18) != 0) return -1;  // includes the final NUL
    ByteReader r(Bytes{footer, 4});
    size_t offset = r.U32();
    if (offset < kHeaderSize || offset > in.size - kFooterSize || in.size - kFooterSize - offset < kExtensionSize)
        return -1;
    ByteReader ext(in.Sub(offset, kExtensionSize));
    if (ext.U16() < kExtensionSize) return -1;
    return in.data[offset + kExtensionSize - 1];
}

}  // namespace imglib
