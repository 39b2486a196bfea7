// TIFF: the first image of the file, in strips or tiles, uncompressed,
// PackBits, LZW or Deflate, bilevel, grey, palette, RGB and CMYK.
#include <algorithm>
#include <vector>

#include "decoders.h"
#include "tiff_codec.h"
#include "tiff_ifd.h"
#include "tiff_rows.h"

namespace imglib {
namespace {

enum Photometric : uint32_t {
    kMinIsWhite = 0,
    kMinIsBlack = 1,
    kRgb = 2,
    kPalette = 3,
    kSeparated = 5,
};

// Wider pixels than this are no picture this viewer could show.
constexpr uint64_t kMaxSamples = 16;
// Rows are decoded in bands of about this many bytes (at least one row).
constexpr size_t kBandBytes = size_t(1) << 18;

struct TiffLayout {
    uint32_t width = 0, height = 0;
    uint32_t compression = kCompressNone;
    uint32_t photometric = kMinIsBlack;
    uint32_t predictor = 1;
    bool reverseBits = false;
    TiffPixelFormat format;
    // A chunk is a strip (chunkWidth = width) or a tile.
    uint32_t chunkWidth = 0, chunkHeight = 0;
    uint64_t across = 0, down = 0;
    const TiffField* offsets = nullptr;
    const TiffField* counts = nullptr;
};

Status ReadSampleLayout(const TiffDirectory& dir, TiffLayout* t) {
    TiffPixelFormat& f = t->format;
    uint64_t samples = dir.Get(kTagSamplesPerPixel, 1);
    if (samples == 0 || samples > kMaxSamples) return Status::Unsupported;
    f.samples = static_cast<int>(samples);
    const TiffField* bits = dir.Find(kTagBitsPerSample);
    uint64_t bps = bits && bits->count ? dir.Value(*bits, 0) : 1;
    // Samples of different widths are not something this decoder unpacks.
    for (uint64_t i = 1; bits && i < bits->count && i < samples; ++i)
        if (dir.Value(*bits, i) != bps) return Status::Unsupported;
    if (bps != 1 && bps != 2 && bps != 4 && bps != 8 && bps != 16) return Status::Unsupported;
    f.bitsPerSample = static_cast<int>(bps);
    uint64_t sampleFormat = dir.Get(kTagSampleFormat, 1);
    if (sampleFormat != 1 && sampleFormat != 4) return Status::Unsupported;  // signed or floating point
    f.planar = samples > 1 && dir.Get(kTagPlanarConfig, 1) == 2;
    f.bigEndian = dir.BigEndian();
    return Status::Ok;
}

Status ReadColorLayout(const TiffDirectory& dir, TiffLayout* t) {
    TiffPixelFormat& f = t->format;
    t->photometric = static_cast<uint32_t>(dir.Get(kTagPhotometric, f.samples >= 3 ? kRgb : kMinIsBlack));
    int colorSamples;
    switch (t->photometric) {
        case kMinIsWhite:
        case kMinIsBlack:
            colorSamples = 1;
            break;
        case kPalette:
            if (f.bitsPerSample > 8) return Status::Unsupported;
            colorSamples = 1;
            break;
        case kRgb:
            if (f.bitsPerSample < 8) return Status::Unsupported;
            colorSamples = 3;
            break;
        case kSeparated:
            // Only the usual CMYK ink set at 8 bits.
            if (f.bitsPerSample != 8 || dir.Get(kTagInkSet, 1) != 1) return Status::Unsupported;
            colorSamples = 4;
            f.cmyk = true;
            break;
        default:
            return Status::Unsupported;  // YCbCr, CIE Lab, transparency masks, ...
    }
    if (f.samples < colorSamples) return Status::Unsupported;
    if (f.samples > colorSamples && f.bitsPerSample >= 8 && !f.cmyk) {
        // The first extra sample is alpha when it says so (1 associated, 2 not).
        uint64_t extra = dir.Get(kTagExtraSamples, 0);
        if (extra == 1 || extra == 2) {
            f.alphaSample = colorSamples;
            f.associated = extra == 1;
        }
    }
    bool useAlpha = f.alphaSample >= 0 && !f.associated;
    if (f.cmyk || t->photometric == kRgb) {
        f.output = TiffOutput::Rgb;
    } else if (f.bitsPerSample <= 8 && (f.samples == 1 || (f.planar && !useAlpha))) {
        f.output = TiffOutput::Index;
    } else {
        f.output = TiffOutput::Grey;
    }
    return Status::Ok;
}

Status ReadChunkLayout(const TiffDirectory& dir, TiffLayout* t) {
    t->compression = static_cast<uint32_t>(dir.Get(kTagCompression, kCompressNone));
    if (!TiffCodec::Supports(t->compression)) return Status::Unsupported;
    t->predictor = static_cast<uint32_t>(dir.Get(kTagPredictor, 1));
    if (t->predictor != 1) {
        if (t->predictor != 2 || t->format.bitsPerSample < 8) return Status::Unsupported;
    }
    t->reverseBits = dir.Get(kTagFillOrder, 1) == 2;
    uint64_t tileWidth = dir.Get(kTagTileWidth, 0), tileLength = dir.Get(kTagTileLength, 0);
    if (tileWidth || tileLength) {
        // Tiles are a multiple of 16 wide, so every tile starts on a byte.
        if (tileWidth == 0 || tileLength == 0 || tileWidth % 16 != 0) return Status::Unsupported;
        if (tileWidth > kMaxDimension || tileLength > kMaxDimension) return Status::Memory;
        t->chunkWidth = static_cast<uint32_t>(tileWidth);
        t->chunkHeight = static_cast<uint32_t>(tileLength);
        t->offsets = dir.Find(kTagTileOffsets);
        t->counts = dir.Find(kTagTileByteCounts);
    } else {
        uint64_t rows = dir.Get(kTagRowsPerStrip, t->height);
        if (rows == 0 || rows > t->height) rows = t->height;
        t->chunkWidth = t->width;
        t->chunkHeight = static_cast<uint32_t>(rows);
        t->offsets = dir.Find(kTagStripOffsets);
        t->counts = dir.Find(kTagStripByteCounts);
    }
    if (!t->offsets || t->offsets->count == 0) return Status::Unsupported;
    t->across = (t->width + uint64_t(t->chunkWidth) - 1) / t->chunkWidth;
    t->down = (t->height + uint64_t(t->chunkHeight) - 1) / t->chunkHeight;
    // Rows are decoded across the whole chunk, so tiles far wider than the
    // picture multiply the work; refuse layouts that would take far longer
    // than the picture itself (the products stay below 2^63).
    const TiffPixelFormat& f = t->format;
    const uint64_t planes = f.planar ? f.samples : 1;
    const uint64_t pixelBits = uint64_t(f.planar ? 1 : f.samples) * f.bitsPerSample;
    const uint64_t work = t->across * planes * t->height * ((t->chunkWidth * pixelBits + 7) / 8);
    const uint64_t picture = planes * t->height * ((t->width * pixelBits + 7) / 8);
    if (work > 4 * picture + (uint64_t(64) << 20)) return Status::Unsupported;
    return Status::Ok;
}

Status ReadLayout(const TiffDirectory& dir, TiffLayout* t) {
    uint64_t width = dir.Get(kTagImageWidth, 0), height = dir.Get(kTagImageLength, 0);
    if (width == 0 || height == 0) return Status::Unsupported;
    if (width > kMaxDimension || height > kMaxDimension) return Status::Memory;
    t->width = static_cast<uint32_t>(width);
    t->height = static_cast<uint32_t>(height);
    Status s = ReadSampleLayout(dir, t);
    if (s == Status::Ok) s = ReadColorLayout(dir, t);
    if (s == Status::Ok) s = ReadChunkLayout(dir, t);
    return s;
}

// Colour table of an indexed DIB, and the lookup of a grey one.
Status SetColors(const TiffDirectory& dir, TiffLayout* t, Dib* dib) {
    TiffPixelFormat& f = t->format;
    const int entries = dib->Colors();
    if (t->photometric == kPalette) {
        const TiffField* map = dir.Find(kTagColorMap);
        const uint64_t n = uint64_t(1) << f.bitsPerSample;
        if (!map || map->count < 3 * n) return Status::Unsupported;
        for (int i = 0; i < entries; ++i) {
            dib->SetPaletteEntry(i, Colour16To8(static_cast<unsigned>(dir.Value(*map, i))),
                                 Colour16To8(static_cast<unsigned>(dir.Value(*map, n + i))),
                                 Colour16To8(static_cast<unsigned>(dir.Value(*map, 2 * n + i))));
        }
        for (int i = 0; i < 256; ++i) f.lut[i] = static_cast<uint8_t>(i);
        return Status::Ok;
    }
    const bool invert = t->photometric == kMinIsWhite;
    if (f.output == TiffOutput::Index) {
        const int maxValue = (1 << f.bitsPerSample) - 1;
        for (int i = 0; i < entries; ++i) {
            int v = i > maxValue ? 0 : i * 255 / maxValue;
            if (invert) v = 255 - v;
            dib->SetPaletteEntry(i, v, v, v);
        }
    } else {
        // The DIB holds the grey itself; the table maps the file's value to it.
        const int maxValue = f.bitsPerSample >= 8 ? 255 : (1 << f.bitsPerSample) - 1;
        for (int i = 0; i < 256; ++i) {
            int v = i > maxValue ? 255 : i * 255 / maxValue;
            f.lut[i] = static_cast<uint8_t>(invert ? 255 - v : v);
            dib->SetPaletteEntry(i, i, i, i);
        }
    }
    return Status::Ok;
}

Status CreateDib(const TiffDirectory& dir, TiffLayout* t, Dib* out) {
    const TiffPixelFormat& f = t->format;
    int bitCount = 24, colors = 0;
    if (f.output == TiffOutput::Index) {
        bitCount = f.bitsPerSample == 2 ? 4 : f.bitsPerSample;
        colors = 1 << f.bitsPerSample;
    } else if (f.output == TiffOutput::Grey) {
        bitCount = 8;
        colors = t->photometric == kPalette ? 1 << f.bitsPerSample : 256;
    }
    Status s = out->Create(static_cast<int32_t>(t->width), static_cast<int32_t>(t->height), bitCount, colors);
    if (s == Status::Ok && colors) s = SetColors(dir, t, out);
    return s;
}

class ChunkDecoder {
public:
    ChunkDecoder(const TiffDirectory& dir, Bytes file, const TiffLayout& t, Dib* dib)
        : m_dir(dir), m_file(file), m_t(t), m_dib(dib), m_writer(t.format) {}

    Status Init() { return m_codec.Init(m_t.compression, m_t.reverseBits); }

    // Decodes chunk `index` into the DIB; returns the bytes it yielded.
    size_t Decode(uint64_t index);

private:
    const TiffDirectory& m_dir;
    Bytes m_file;
    const TiffLayout& m_t;
    Dib* m_dib;
    TiffRowWriter m_writer;
    TiffCodec m_codec;
    std::vector<uint8_t> m_band;
};

size_t ChunkDecoder::Decode(uint64_t index) {
    const TiffPixelFormat& f = m_t.format;
    const uint64_t perPlane = m_t.across * m_t.down;
    const int plane = static_cast<int>(index / perPlane);
    if (!m_writer.PlaneUsed(plane)) return 0;
    const uint64_t within = index % perPlane;
    const uint32_t x0 = static_cast<uint32_t>(within % m_t.across) * m_t.chunkWidth;
    const uint32_t y0 = static_cast<uint32_t>(within / m_t.across) * m_t.chunkHeight;
    const uint32_t visibleWidth = std::min(m_t.chunkWidth, m_t.width - x0);
    const uint32_t visibleRows = std::min(m_t.chunkHeight, m_t.height - y0);

    const int samples = f.planar ? 1 : f.samples;
    const size_t rowBytes = (static_cast<size_t>(m_t.chunkWidth) * samples * f.bitsPerSample + 7) / 8;
    uint64_t offset = m_dir.Value(*m_t.offsets, index);
    if (offset >= m_file.size) return 0;
    uint64_t available = m_file.size - offset;
    uint64_t length = available;
    if (m_t.counts && index < m_t.counts->count) length = m_dir.Value(*m_t.counts, index);
    else if (m_t.compression == kCompressNone) length = uint64_t(rowBytes) * visibleRows;
    // No compression here grows data by half; a count far beyond the chunk's
    // own size only points at the rest of the file.
    length = std::min({length, available, 2 * uint64_t(rowBytes) * m_t.chunkHeight + 4096});
    m_codec.Start(m_file.Sub(static_cast<size_t>(offset), static_cast<size_t>(length)));

    const size_t bandRows = std::max<size_t>(1, std::min<size_t>(visibleRows, kBandBytes / rowBytes));
    if (m_band.size() < bandRows * rowBytes) m_band.resize(bandRows * rowBytes);
    size_t total = 0;
    for (uint32_t row = 0; row < visibleRows;) {
        size_t rows = std::min<size_t>(bandRows, visibleRows - row);
        size_t want = rows * rowBytes;
        size_t got = m_codec.Read(m_band.data(), want);
        total += got;
        size_t done = (got + rowBytes - 1) / rowBytes;
        // A row cut short keeps what arrived; the rest of it is black.
        if (got < done * rowBytes) std::fill(m_band.begin() + got, m_band.begin() + done * rowBytes, 0);
        for (size_t i = 0; i < done; ++i, ++row) {
            uint8_t* src = m_band.data() + i * rowBytes;
            if (m_t.predictor == 2)
                UndoHorizontalPredictor(src, m_t.chunkWidth, samples, f.bitsPerSample, f.bigEndian);
            m_writer.Write(src, x0, visibleWidth, plane, m_dib->Row(static_cast<int32_t>(y0 + row)));
        }
        if (got < want) break;
    }
    return total;
}

}  // namespace

Status DecodeTiff(Bytes in, Dib* out) {
    TiffDirectory dir;
    Status s = dir.Read(in);
    if (s != Status::Ok) return s;
    TiffLayout t;
    s = ReadLayout(dir, &t);
    if (s != Status::Ok) return s;

    Dib dib;
    s = CreateDib(dir, &t, &dib);
    if (s != Status::Ok) return s;
    ChunkDecoder chunks(dir, in, t, &dib);
    if ((s = chunks.Init()) != Status::Ok) return s;

    const uint64_t planes = t.format.planar ? static_cast<uint64_t>(t.format.samples) : 1;
    // Chunks without an offset are missing: they stay black, and the loop
    // never runs longer than the file has offsets.
    const uint64_t chunkCount = std::min(t.across * t.down * planes, t.offsets->count);
    for (uint64_t i = 0; i < chunkCount; ++i) {
        size_t got = chunks.Decode(i);
        // Without the first chunk there is nothing worth showing.
        if (i == 0 && got == 0) return Status::Unsupported;
    }
    *out = std::move(dib);
    return Status::Ok;
}

}  // namespace imglib
