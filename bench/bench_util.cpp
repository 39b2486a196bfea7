#include "bench_util.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace bench {

std::vector<uint8_t> SyntheticPhoto(int width, int height, uint32_t seed) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    uint32_t state = seed * 2654435761u + 1;
    auto noise = [&state]() {  // xorshift: cheap and repeatable
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<int>(state % 13) - 6;
    };
    struct Blob {
        float x, y, r, cr, cg, cb;
    };
    const Blob blobs[] = {{0.3f, 0.4f, 0.18f, 220, 60, 40},  {0.7f, 0.3f, 0.12f, 40, 180, 90},
                          {0.55f, 0.75f, 0.22f, 60, 90, 210}, {0.15f, 0.8f, 0.08f, 240, 220, 80},
                          {0.85f, 0.7f, 0.1f, 160, 60, 170}};
    for (int y = 0; y < height; ++y) {
        float fy = static_cast<float>(y) / height;
        uint8_t* row = &rgb[static_cast<size_t>(y) * width * 3];
        for (int x = 0; x < width; ++x) {
            float fx = static_cast<float>(x) / width;
            // Sky-to-ground lighting with a fine texture.
            float r = 90 + 120 * (1 - fy) + 10 * std::sin(fx * 90.0f);
            float g = 110 + 90 * (1 - fy) + 8 * std::sin((fx + fy) * 70.0f);
            float b = 150 + 80 * (1 - fy) * fx;
            for (const Blob& o : blobs) {
                float dx = fx - o.x, dy = (fy - o.y) * height / width;
                float d = std::sqrt(dx * dx + dy * dy) / o.r;
                if (d < 1.2f) {
                    float a = d < 0.9f ? 1.0f : (1.2f - d) / 0.3f;  // soft edge
                    float shade = 1.0f - 0.4f * d;
                    r = r * (1 - a) + o.cr * shade * a;
                    g = g * (1 - a) + o.cg * shade * a;
                    b = b * (1 - a) + o.cb * shade * a;
                }
            }
            row[3 * x] = static_cast<uint8_t>(std::clamp(static_cast<int>(r) + noise(), 0, 255));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(static_cast<int>(g) + noise(), 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(static_cast<int>(b) + noise(), 0, 255));
        }
    }
    return rgb;
}

DibPtr SyntheticPhotoDib(int width, int height, uint32_t seed) {
    std::vector<uint8_t> rgb = SyntheticPhoto(width, height, seed);
    // A 24-bit BMP in memory, decoded by the library: the DIB is then
    // allocated exactly as the viewer's would be.
    uint32_t stride = ((width * 24 + 31) / 32) * 4;
    std::vector<uint8_t> bmp(54 + static_cast<size_t>(stride) * height, 0);
    auto put32 = [&bmp](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = &rgb[static_cast<size_t>(y) * width * 3];
        uint8_t* dst = &bmp[54 + static_cast<size_t>(height - 1 - y) * stride];
        for (int x = 0; x < width; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    return DibPtr(DecodeImageBytes(bmp.data(), bmp.size(), "synthetic.bmp"));
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) return NAN;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        double d = static_cast<double>(a[i]) - b[i];
        sum += d * d;
    }
    if (sum == 0) return INFINITY;
    return 10.0 * std::log10(255.0 * 255.0 / (sum / static_cast<double>(a.size())));
}

}  // namespace bench
