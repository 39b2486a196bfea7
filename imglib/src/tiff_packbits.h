// PackBits: a header byte n, then n + 1 literal bytes (0..127) or one byte
// repeated 1 - n times (-127..-1); -128 is padding. Output in pieces.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_reader.h"

namespace imglib {

class PackBitsDecoder {
public:
    void Start(Bytes in) {
        m_in = in;
        m_pos = 0;
        m_literal = 0;
        m_repeat = 0;
    }
    // Writes up to n bytes; fewer only when the data runs out.
    size_t Read(uint8_t* out, size_t n);

private:
    Bytes m_in;
    size_t m_pos = 0;
    size_t m_literal = 0;  // literal bytes still to copy
    size_t m_repeat = 0;   // copies of m_value still to write
    uint8_t m_value = 0;
};

}  // namespace imglib
