// Overflow-checked size arithmetic for dimensions read from files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imglib {

inline bool CheckedMul(size_t a, size_t b, size_t* out) {
    if (a != 0 && b > SIZE_MAX / a) return false;
    *out = a * b;
    return true;
}
inline bool CheckedAdd(size_t a, size_t b, size_t* out) {
    if (b > SIZE_MAX - a) return false;
    *out = a + b;
    return true;
}
// a * b + c
inline bool CheckedMulAdd(size_t a, size_t b, size_t c, size_t* out) {
    size_t m;
    return CheckedMul(a, b, &m) && CheckedAdd(m, c, out);
}

}  // namespace imglib
