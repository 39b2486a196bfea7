// Prints our decode time of each file, best of N, as "<ms>\t<file>" ("-"
// when the file does not decode). tools/bench-compare.sh sets it beside
// other decoders. Usage: bench_decode_file [-n N] FILE...
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_util.h"

int main(int argc, char** argv) {
    int runs = 5;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "-n") == 0) {
        runs = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: bench_decode_file [-n N] FILE...\n");
        return 64;
    }
    int failures = 0;
    for (int i = first; i < argc; ++i) {
        // The whole load as the viewer does it, reading the file included.
        bool ok = true;
        double ms = bench::BestMs(runs, [&] {
            bench::DibPtr dib(ReadFileIntoDIB(argv[i]));
            ok = ok && dib != nullptr;
        });
        if (ok) {
            std::printf("%.1f\t%s\n", ms, argv[i]);
        } else {
            std::printf("-\t%s\n", argv[i]);
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
