#include "imgconv.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "dib_rgb.h"
#include "image_error_text.h"
#include "imglib.h"

namespace imgconv {
namespace {

struct DibDeleter {
    void operator()(ImgDibHeader* dib) const { DIBFree(dib); }
};
using DibPtr = std::unique_ptr<ImgDibHeader, DibDeleter>;

int Usage(std::FILE* err) {
    std::fputs("usage: imgconv [--reduce N] INPUT OUTPUT.ppm\n"
               "  Decodes INPUT as the viewer does and writes the picture as a binary PPM.\n"
               "  --reduce N  first reduce to at most N colours (2..256), as for a palette display.\n",
               err);
    return kExitUsage;
}

// The message the viewer would show for the code, or a plain line for the
// codes it keeps quiet about.
void ReportDecodeFailure(std::FILE* err, const char* path, int code) {
    if (const char* format = ImgLibErrorFormat(code)) {
        char text[kImageMessageSize];
        FormatPathMessage(text, sizeof text, format, path);
        std::fprintf(err, "%s\n", text);
    } else {
        std::fprintf(err, "imgconv: cannot decode %s (error %d)\n", path, code);
    }
}

}  // namespace

bool WritePpm(const char* path, int width, int height, const std::vector<uint8_t>& rgb) {
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) return false;
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fprintf(f, "P6\n%d %d\n255\n", width, height) > 0 &&
              std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
    return std::fclose(f) == 0 && ok;
}

int Run(int argc, const char* const* argv, std::FILE* err) {
    int colors = 0;
    const char* input = nullptr;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--reduce") == 0 && i + 1 < argc) {
            char* end = nullptr;
            long n = std::strtol(argv[++i], &end, 10);
            if (*end || n < 2 || n > 256) return Usage(err);
            colors = static_cast<int>(n);
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return Usage(err);
        } else if (!input) {
            input = argv[i];
        } else if (!output) {
            output = argv[i];
        } else {
            return Usage(err);
        }
    }
    if (!input || !output) return Usage(err);

    DibPtr dib(ReadFileIntoDIB(input));
    if (!dib) {
        int code = GetLastImgLibError();
        ReportDecodeFailure(err, input, code);
        return code ? code : 1;
    }
    if (colors) {
        PDIB reduced = ReduceDIB(dib.get(), colors, 1);
        if (!reduced) {
            std::fprintf(err, "imgconv: cannot reduce %s to %d colours\n", input, colors);
            return 1;
        }
        if (reduced != dib.get()) dib.reset(reduced);
    }
    std::vector<uint8_t> rgb;
    if (!imglib::DibToRgb(dib.get(), &rgb)) {
        std::fprintf(err, "imgconv: %s decoded to a DIB that cannot be drawn\n", input);
        return 1;
    }
    if (!WritePpm(output, dib->biWidth, dib->biHeight, rgb)) {
        std::fprintf(err, "imgconv: cannot write %s\n", output);
        return kExitWrite;
    }
    return 0;
}

}  // namespace imgconv
