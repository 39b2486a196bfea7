// Helpers shared by the benchmarks and the timing programs.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imglib.h"

namespace bench {

struct DibDeleter {
    void operator()(ImgDibHeader* dib) const { DIBFree(dib); }
};
using DibPtr = std::unique_ptr<ImgDibHeader, DibDeleter>;

// A deterministic stand-in for a photograph, top-down RGB: smooth lighting,
// a few soft-edged shapes and sensor-like noise, so that colour reduction
// and run-length coding meet the same difficulties as with real pictures.
std::vector<uint8_t> SyntheticPhoto(int width, int height, uint32_t seed = 1);

// The same picture as a 24-bit packed DIB.
DibPtr SyntheticPhotoDib(int width, int height, uint32_t seed = 1);

std::vector<uint8_t> ReadFileBytes(const std::string& path);

// Peak signal-to-noise ratio in dB of two RGB buffers of equal size
// (infinity when they are equal).
double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

// Best wall-clock time of `runs` calls of fn, in milliseconds.
template <typename Fn>
double BestMs(int runs, Fn&& fn) {
    double best = INFINITY;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        fn();
        std::chrono::duration<double, std::milli> d = std::chrono::steady_clock::now() - t0;
        if (d.count() < best) best = d.count();
    }
    return best;
}

}  // namespace bench
