#include "test_support.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "dib_rgb.h"

namespace imglib::test {

std::string CorpusDir() {
    const char* env = std::getenv("LUMORA_CORPUS");
    std::string dir = env && *env ? env : "../shared/corpus";
    struct stat st;
    if (stat((dir + "/MANIFEST.tsv").c_str(), &st) != 0) return "";
    return dir;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ReadPngRgb(const std::string& path, RgbImage* out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    out->width = static_cast<int>(image.width);
    out->height = static_cast<int>(image.height);
    size_t n = static_cast<size_t>(out->width) * out->height;
    out->rgb.resize(n * 3);
    for (size_t i = 0; i < n; ++i) {
        for (int c = 0; c < 3; ++c) {
            if (alpha) {
                unsigned v = pixels[4 * i + c], a = pixels[4 * i + 3];
                out->rgb[3 * i + c] = static_cast<uint8_t>((v * a + 127) / 255);
            } else {
                out->rgb[3 * i + c] = pixels[3 * i + c];
            }
        }
    }
    return true;
}

DibPtr DecodeBytes(const std::vector<uint8_t>& bytes, const char* name) {
    return DibPtr(DecodeImageBytes(bytes.data(), bytes.size(), name));
}

bool ToRgb(const ImgDibHeader* dib, RgbImage* out) {
    if (!dib || !DibToRgb(dib, &out->rgb)) return false;
    out->width = dib->biWidth;
    out->height = dib->biHeight;
    return true;
}

Grid Pixels(const ImgDibHeader* dib) {
    RgbImage img;
    EXPECT_TRUE(ToRgb(dib, &img));
    Grid g(img.height, std::vector<uint32_t>(img.width));
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = &img.rgb[3 * (static_cast<size_t>(y) * img.width + x)];
            g[y][x] = uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
        }
    return g;
}

Grid Colours(const Grid& indices, const std::vector<uint32_t>& palette) {
    Grid g = indices;
    for (auto& row : g)
        for (auto& v : row) v = palette[v];
    return g;
}

int MaxDifference(const RgbImage& a, const RgbImage& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) return -1;
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) worst = std::max(worst, std::abs(int(a.rgb[i]) - int(b.rgb[i])));
    return worst;
}

double MeanDifference(const RgbImage& a, const RgbImage& b) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return -1;
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
    return sum / static_cast<double>(a.rgb.size());
}

}  // namespace imglib::test
