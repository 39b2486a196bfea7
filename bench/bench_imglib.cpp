// Decode throughput per image type (megapixels per second) and ReduceDIB
// time. Our options come before Google Benchmark's own:
//   --corpus=DIR  sample folders by type (bmp/, tga/, ...), e.g. the public corpus
//   --large=DIR   large files, decoded one per benchmark (tools/bench.sh makes them)
#include <benchmark/benchmark.h>

#include <dirent.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "bench_util.h"

namespace {

struct Sample {
    std::string name;
    std::vector<uint8_t> bytes;
    double megapixels = 0;
};

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n[0] != '.' && n.find('.') != std::string::npos) names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Reads the files that decode; the size of each is taken from its first decode.
std::vector<Sample> LoadSamples(const std::string& dir, const std::vector<std::string>& names) {
    std::vector<Sample> out;
    for (const std::string& n : names) {
        Sample s{n, bench::ReadFileBytes(dir + "/" + n)};
        bench::DibPtr dib(DecodeImageBytes(s.bytes.data(), s.bytes.size(), n.c_str()));
        if (!dib) continue;
        s.megapixels = static_cast<double>(dib->biWidth) * dib->biHeight / 1e6;
        out.push_back(std::move(s));
    }
    return out;
}

void DecodeAll(benchmark::State& state, const std::vector<Sample>& samples) {
    double megapixels = 0;
    for (const Sample& s : samples) megapixels += s.megapixels;
    for (auto _ : state) {
        for (const Sample& s : samples) {
            bench::DibPtr dib(DecodeImageBytes(s.bytes.data(), s.bytes.size(), s.name.c_str()));
            benchmark::DoNotOptimize(dib.get());
        }
    }
    state.counters["MP/s"] = benchmark::Counter(megapixels, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["files"] = static_cast<double>(samples.size());
}

void RegisterCorpus(const std::string& dir) {
    for (const char* type : {"bmp", "pcx", "tga", "tif", "ras", "pcd", "jpg"}) {
        std::string sub = dir + "/" + type;
        auto samples = LoadSamples(sub, FilesIn(sub));
        if (samples.empty()) continue;
        benchmark::RegisterBenchmark((std::string("decode/corpus/") + type).c_str(),
                                     [samples](benchmark::State& st) { DecodeAll(st, samples); })
            ->Unit(benchmark::kMillisecond);
    }
}

void RegisterLarge(const std::string& dir) {
    for (const std::string& n : FilesIn(dir)) {
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".ppm") == 0) continue;  // the generator's output
        auto samples = LoadSamples(dir, {n});
        if (samples.empty()) continue;
        benchmark::RegisterBenchmark(("decode/large/" + n).c_str(),
                                     [samples](benchmark::State& st) { DecodeAll(st, samples); })
            ->Unit(benchmark::kMillisecond);
    }
}

// ReduceDIB on a synthetic photo: args are width, height, colours, dither.
void BM_Reduce(benchmark::State& state) {
    int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    int colors = static_cast<int>(state.range(2)), dither = static_cast<int>(state.range(3));
    bench::DibPtr source = bench::SyntheticPhotoDib(w, h);
    if (!source) {
        state.SkipWithError("cannot build the source DIB");
        return;
    }
    for (auto _ : state) {
        PDIB reduced = ReduceDIB(source.get(), colors, dither);
        if (!reduced) {
            state.SkipWithError("ReduceDIB failed");
            break;
        }
        if (reduced != source.get()) DIBFree(reduced);
    }
    state.counters["MP/s"] =
        benchmark::Counter(static_cast<double>(w) * h / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Reduce)
    ->ArgNames({"w", "h", "colors", "dither"})
    ->Args({640, 480, 256, 1})
    ->Args({640, 480, 256, 0})
    ->Args({640, 480, 16, 1})
    ->Args({4000, 3000, 256, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--corpus=", 9) == 0) RegisterCorpus(argv[i] + 9);
        else if (std::strncmp(argv[i], "--large=", 8) == 0) RegisterLarge(argv[i] + 8);
        else rest.push_back(argv[i]);
    }
    int n = static_cast<int>(rest.size());
    benchmark::Initialize(&n, rest.data());
    if (benchmark::ReportUnrecognizedArguments(n, rest.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
