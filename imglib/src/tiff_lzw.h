// TIFF LZW: 9- to 12-bit codes, 256 clears the table and 257 ends the data.
// Two bit orders exist: the TIFF 6.0 one (most significant bit first, code
// width grows one code early) and the older one (least significant bit
// first, no early change), told apart by the first code, which must be a
// clear. Output is produced in pieces of any size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_reader.h"

namespace imglib {

class LzwDecoder {
public:
    void Start(Bytes in);
    // Writes up to n bytes to out; fewer only at the end of the data or at
    // a damaged code, after which every call returns 0.
    size_t Read(uint8_t* out, size_t n);
    bool OldStyle() const { return !m_msbFirst; }

private:
    enum : int { kClear = 256, kEnd = 257, kFirstFree = 258, kMaxCodes = 4096 };

    template <bool kMsbFirst>
    size_t ReadCodes(uint8_t* out, size_t produced, size_t n);

    void Reset();
    // Writes the string of `code` (length len) to out by walking its prefixes.
    void WriteString(int code, size_t len, uint8_t* out) const;

    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_bitPos = 0;  // next code's first bit
    bool m_msbFirst = true;
    int m_early = 1;

    int m_width = 9;
    int m_next = kFirstFree;
    int m_prev = -1;
    bool m_done = false;

    // Bytes handed out before the current call, and where in that stream
    // the previous code's string began: a string already written to the
    // caller's buffer is copied from there instead of walked byte by byte.
    uint64_t m_total = 0;
    uint64_t m_prevAt = 0;

    // A string that did not fit the caller's buffer, waiting to be copied.
    size_t m_pendingPos = 0;
    size_t m_pendingLen = 0;

    // One table entry in one place: a code touches a single cache line.
    struct Entry {
        uint64_t at;  // where the string last appeared whole in the stream
        uint16_t prefix;
        uint16_t length;
        uint8_t suffix;
        uint8_t first;
    };
    Entry m_table[kMaxCodes];
    uint8_t m_pending[kMaxCodes];
};

}  // namespace imglib
