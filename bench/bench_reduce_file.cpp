// Reduces a decoded file as the viewer does for a palette display and
// prints "<ms>\t<psnr dB>" (time best of N, the decode not counted); with
// OUT.ppm also writes the reduced picture.
// Usage: bench_reduce_file [-n N] [-c COLOURS] FILE [OUT.ppm]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_util.h"
#include "dib_rgb.h"
#include "imgconv.h"

int main(int argc, char** argv) {
    int runs = 3, colors = 256;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        if (std::strcmp(argv[i], "-n") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "-c") == 0) colors = std::atoi(argv[i + 1]);
    }
    if (i >= argc || colors < 2 || colors > 256) {
        std::fprintf(stderr, "usage: bench_reduce_file [-n N] [-c COLOURS] FILE [OUT.ppm]\n");
        return 64;
    }
    const char* path = argv[i];
    const char* out = i + 1 < argc ? argv[i + 1] : nullptr;
    bench::DibPtr dib(ReadFileIntoDIB(path));
    if (!dib) {
        std::fprintf(stderr, "bench_reduce_file: cannot decode %s (error %d)\n", path, GetLastImgLibError());
        return 1;
    }
    std::vector<uint8_t> original, reduced;
    imglib::DibToRgb(dib.get(), &original);

    bench::DibPtr result;
    bool failed = false;
    double ms = bench::BestMs(runs, [&] {
        PDIB r = ReduceDIB(dib.get(), colors, 1);
        failed = failed || !r;
        if (r && r != dib.get()) result.reset(r);
    });
    if (failed) {
        std::fprintf(stderr, "bench_reduce_file: ReduceDIB failed on %s\n", path);
        return 1;
    }
    const ImgDibHeader* shown = result ? result.get() : dib.get();
    imglib::DibToRgb(shown, &reduced);
    std::printf("%.1f\t%.2f\n", ms, bench::Psnr(original, reduced));
    if (out && !imgconv::WritePpm(out, shown->biWidth, shown->biHeight, reduced)) {
        std::fprintf(stderr, "bench_reduce_file: cannot write %s\n", out);
        return 74;
    }
    return 0;
}
