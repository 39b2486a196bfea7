// imgconv: decodes an image file as the viewer does and writes what the
// viewer would draw as a binary PPM. The command-line front end lives in
// imgconv_main.cpp; this is the part the tests call.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace imgconv {

// Exit codes besides the library's error codes (1, 3, 5, 7).
constexpr int kExitUsage = 64;
constexpr int kExitWrite = 74;

// Runs `imgconv [--reduce N] INPUT OUTPUT.ppm`; messages go to `err`.
// Returns 0, the library's error code when decoding fails, or one of the
// codes above.
int Run(int argc, const char* const* argv, std::FILE* err);

// Writes top-down RGB triples as a binary PPM (P6, maxval 255).
bool WritePpm(const char* path, int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace imgconv
