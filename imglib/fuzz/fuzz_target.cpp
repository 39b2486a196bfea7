// libFuzzer driver, built once per check with LUMORA_FUZZ_CHECK set to its
// name: "decode" (DecodeImageBytes, the last byte choosing the extension),
// "reduce" (ReduceDIB), or a type ("bmp", "tga", ...) for one decoder alone.
#include <cstdio>
#include <cstdlib>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string check = LUMORA_FUZZ_CHECK "-";
    std::string problem = imglib::fuzz::Replay(check, data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s: contract broken: %s\n", LUMORA_FUZZ_CHECK, problem.c_str());
        std::abort();
    }
    return 0;
}
