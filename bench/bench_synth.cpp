// Writes the synthetic photo of the benchmarks as a binary PPM, for
// tools/bench.sh to turn into each image type.
// Usage: bench_synth OUT.ppm [WIDTH HEIGHT]   (default 4000 x 3000)
#include <cstdio>
#include <cstdlib>

#include "bench_util.h"
#include "imgconv.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: bench_synth OUT.ppm [WIDTH HEIGHT]\n");
        return 64;
    }
    int w = argc == 4 ? std::atoi(argv[2]) : 4000, h = argc == 4 ? std::atoi(argv[3]) : 3000;
    if (w <= 0 || h <= 0 || w > 20000 || h > 20000) {
        std::fprintf(stderr, "bench_synth: bad size\n");
        return 64;
    }
    return imgconv::WritePpm(argv[1], w, h, bench::SyntheticPhoto(w, h)) ? 0 : 74;
}
