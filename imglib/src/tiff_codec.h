// Decompression of one strip or tile, produced in pieces so that only a
// band of rows is held at a time. Bits stored least significant first
// (FillOrder 2) are turned round before decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "byte_reader.h"
#include "status.h"
#include "tiff_lzw.h"
#include "tiff_packbits.h"

namespace imglib {

enum TiffCompression : uint32_t {
    kCompressNone = 1,
    kCompressLzw = 5,
    kCompressDeflate = 8,
    kCompressPackBits = 32773,
    kCompressDeflateOld = 32946,
};

class TiffCodec {
public:
    TiffCodec();
    ~TiffCodec();
    TiffCodec(const TiffCodec&) = delete;
    TiffCodec& operator=(const TiffCodec&) = delete;

    static bool Supports(uint32_t compression);
    // Unsupported for a compression this decoder does not read.
    Status Init(uint32_t compression, bool reverseBits);
    // Starts on the compressed bytes of one chunk; they must outlive Read.
    void Start(Bytes in);
    // Writes up to n bytes; fewer when the chunk's data ends or is damaged.
    size_t Read(uint8_t* out, size_t n);

private:
    struct Inflater;

    uint32_t m_compression = kCompressNone;
    bool m_reverse = false;
    Bytes m_in;
    size_t m_pos = 0;  // uncompressed data only
    std::vector<uint8_t> m_reversed;
    std::unique_ptr<LzwDecoder> m_lzw;
    PackBitsDecoder m_packBits;
    std::unique_ptr<Inflater> m_inflater;
};

// Undoes horizontal differencing (predictor 2) in one row of `pixels`
// pixels of `samples` samples each, 8 or 16 bits a sample.
void UndoHorizontalPredictor(uint8_t* row, size_t pixels, int samples, int bitsPerSample, bool bigEndian);

}  // namespace imglib
