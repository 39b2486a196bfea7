// Pixel-exact agreement with the reference JPEG decoder (integer IDCT,
// triangular upsampling, JFIF colour): the corpus references, and files
// that the test makes with cjpeg and decodes with djpeg when both are
// installed.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "jpeg/markers.h"
#include "jpeg/orientation.h"
#include "test_support.h"

namespace imglib::test {
namespace {

// The EXIF orientation a file carries, 1 when none.
int FileOrientation(const std::vector<uint8_t>& f) {
    size_t pos = 2;
    while (pos + 4 <= f.size() && f[pos] == 0xFF) {
        uint8_t code = f[pos + 1];
        size_t len = size_t(f[pos + 2]) << 8 | f[pos + 3];
        if (code == jpeg::kSos || len < 2) break;
        if (code == jpeg::kApp1 && len >= 8 && pos + 2 + len <= f.size() &&
            std::string(reinterpret_cast<const char*>(&f[pos + 4]), 6) == std::string("Exif\0\0", 6)) {
            int o = jpeg::ParseExifOrientation(&f[pos + 10], len - 8);
            if (o) return o;
        }
        pos += 2 + len;
    }
    return 1;
}

// The reference as it should be shown: its pixels moved by the orientation.
RgbImage Orient(const RgbImage& in, int orientation) {
    jpeg::Placement p{orientation, in.width, in.height};
    RgbImage out;
    bool swap = jpeg::SwapsAxes(orientation);
    out.width = swap ? in.height : in.width;
    out.height = swap ? in.width : in.height;
    out.rgb.resize(in.rgb.size());
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            int dx, dy;
            p.Map(x, y, &dx, &dy);
            for (int c = 0; c < 3; ++c) out.rgb[(size_t(dy) * out.width + dx) * 3 + c] = in.rgb[(size_t(y) * in.width + x) * 3 + c];
        }
    return out;
}

TEST(JpegExact, CorpusMatchesReference) {
    std::string dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "corpus not present";
    DIR* d = opendir((dir + "/jpg").c_str());
    ASSERT_NE(d, nullptr);
    std::vector<std::string> names;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".jpg") == 0) names.push_back(n);
    }
    closedir(d);
    ASSERT_FALSE(names.empty());
    for (const std::string& n : names) {
        SCOPED_TRACE(n);
        auto bytes = ReadFileBytes(dir + "/jpg/" + n);
        DibPtr dib = DecodeBytes(bytes, n.c_str());
        ASSERT_TRUE(dib) << "code " << GetLastImgLibError();
        RgbImage got, want;
        ASSERT_TRUE(ToRgb(dib.get(), &got));
        ASSERT_TRUE(ReadPngRgb(dir + "/ref/jpg/" + n + ".png", &want));
        // The references keep the stored pixel order; we turn the picture.
        int o = FileOrientation(bytes);
        if (o != 1) want = Orient(want, o);
        EXPECT_EQ(MaxDifference(got, want), 0) << "orientation " << o << ", mean " << MeanDifference(got, want);
    }
}

// --- Files made with cjpeg, compared with djpeg -------------------------

bool HaveTools() { return std::system("command -v cjpeg >/dev/null 2>&1 && command -v djpeg >/dev/null 2>&1") == 0; }

class TempDir {
public:
    TempDir() {
        char templ[] = "/tmp/jpeg_exact_XXXXXX";
        if (mkdtemp(templ)) m_path = templ;
    }
    ~TempDir() {
        if (!m_path.empty()) std::system(("rm -rf '" + m_path + "'").c_str());
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// A picture with smooth gradients, hard edges, saturated colours and noise.
void WriteSyntheticPpm(const std::string& path, int w, int h) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << w << " " << h << "\n255\n";
    uint32_t seed = 12345u + w * 31u + h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            int noise = int(seed >> 27) - 16;
            int r = (x * 255) / (w > 1 ? w - 1 : 1);
            int g = ((x / 5 + y / 3) % 2) ? 230 : 20;
            int b = (y * 255) / (h > 1 ? h - 1 : 1) + noise;
            if ((x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < (w * h) / 8) r = 255 - r, g = 128;
            auto c = [](int v) { return char(v < 0 ? 0 : v > 255 ? 255 : v); };
            out << c(r) << c(g) << c(b);
        }
}

// Reads djpeg's P5 or P6 output as RGB.
bool ReadPnm(const std::string& path, RgbImage* img) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval;
    in >> magic >> img->width >> img->height >> maxval;
    in.get();
    if (!in || maxval != 255 || (magic != "P5" && magic != "P6")) return false;
    size_t n = size_t(img->width) * img->height;
    std::vector<uint8_t> raw(n * (magic == "P6" ? 3 : 1));
    in.read(reinterpret_cast<char*>(raw.data()), raw.size());
    if (!in) return false;
    if (magic == "P6") {
        img->rgb = raw;
    } else {
        img->rgb.resize(n * 3);
        for (size_t i = 0; i < n; ++i) img->rgb[3 * i] = img->rgb[3 * i + 1] = img->rgb[3 * i + 2] = raw[i];
    }
    return true;
}

struct Case {
    int w, h;
    std::string options;
};

TEST(JpegExact, CjpegFilesMatchDjpeg) {
    if (!HaveTools()) GTEST_SKIP() << "cjpeg/djpeg not installed";
    TempDir tmp;
    ASSERT_FALSE(tmp.Path().empty());
    std::vector<Case> cases;
    const char* samplings[] = {"1x1", "2x1", "2x2", "1x2", "4x1", "4x2", "1x4", "2x4", "3x1", "3x2", "2x2,1x1,2x1", "4x1,2x1,1x1", "2x2,2x1,1x2"};
    for (const char* s : samplings) {
        cases.push_back({67, 45, std::string("-sample ") + s});
        cases.push_back({67, 45, std::string("-progressive -sample ") + s});
    }
    const char* extras[] = {"-restart 1", "-restart 3B", "-progressive -restart 1 -sample 2x2",
                            "-progressive -restart 5B -sample 2x1", "-grayscale", "-grayscale -progressive",
                            "-rgb", "-quality 100", "-quality 5", "-optimize -sample 2x2"};
    for (const char* e : extras) cases.push_back({67, 45, e});
    const Case odd[] = {{1, 1, "-sample 2x2"},  {1, 23, "-sample 2x2"}, {31, 1, "-sample 2x1"},
                        {31, 1, "-progressive"}, {17, 9, "-sample 2x2"}, {17, 9, "-progressive -sample 2x2"},
                        {33, 33, "-sample 2x2"}, {33, 33, "-sample 1x2"}, {2, 2, "-sample 2x2"},
                        {3, 5, "-sample 2x1"},   {130, 70, "-sample 2x2 -restart 2"}};
    for (const Case& c : odd) cases.push_back(c);

    for (const Case& c : cases) {
        std::string tag = std::to_string(c.w) + "x" + std::to_string(c.h) + " " + c.options;
        SCOPED_TRACE(tag);
        std::string src = tmp.Path() + "/in.ppm", jpg = tmp.Path() + "/t.jpg", ref = tmp.Path() + "/ref.pnm";
        WriteSyntheticPpm(src, c.w, c.h);
        ASSERT_EQ(std::system(("cjpeg " + c.options + " '" + src + "' > '" + jpg + "'").c_str()), 0);
        ASSERT_EQ(std::system(("djpeg -pnm '" + jpg + "' > '" + ref + "'").c_str()), 0);
        RgbImage want, got;
        ASSERT_TRUE(ReadPnm(ref, &want));
        DibPtr dib = DecodeBytes(ReadFileBytes(jpg), "t.jpg");
        ASSERT_TRUE(dib) << "code " << GetLastImgLibError();
        ASSERT_TRUE(ToRgb(dib.get(), &got));
        EXPECT_EQ(MaxDifference(got, want), 0) << "mean " << MeanDifference(got, want);
        // Greyscale files come out as 8-bit palette DIBs.
        EXPECT_EQ(dib->biBitCount, c.options.find("-grayscale") != std::string::npos ? 8 : 24);
    }
}

// Scan scripts of our own: successive approximation (DC in two steps, AC
// in bands refined bit by bit) with EOB runs cut by restart intervals, and
// a sequential file with one scan per component.
TEST(JpegExact, ScanScriptsMatchDjpeg) {
    if (!HaveTools()) GTEST_SKIP() << "cjpeg/djpeg not installed";
    TempDir tmp;
    ASSERT_FALSE(tmp.Path().empty());
    const std::string refine =
        "0,1,2: 0-0, 0, 2;\n0,1,2: 0-0, 2, 1;\n0,1,2: 0-0, 1, 0;\n"
        "0: 1-5, 0, 2;\n0: 6-63, 0, 2;\n1: 1-63, 0, 1;\n2: 1-63, 0, 1;\n"
        "0: 1-63, 2, 1;\n0: 1-63, 1, 0;\n1: 1-63, 1, 0;\n2: 1-63, 1, 0;\n";
    const std::string perComponent = "0;\n1;\n2;\n";
    const std::pair<const std::string*, const char*> runs[] = {
        {&refine, ""}, {&refine, "-restart 2B"}, {&refine, "-restart 1"}, {&perComponent, ""}, {&perComponent, "-restart 3B"}};
    for (const auto& run : runs) {
        SCOPED_TRACE(*run.first + run.second);
        std::string scans = tmp.Path() + "/scans.txt";
        std::ofstream(scans) << *run.first;
        std::string src = tmp.Path() + "/in.ppm", jpg = tmp.Path() + "/t.jpg", ref = tmp.Path() + "/ref.pnm";
        WriteSyntheticPpm(src, 75, 50);
        ASSERT_EQ(std::system(("cjpeg -quality 95 -sample 2x2 -scans '" + scans + "' " + run.second + " '" + src +
                               "' > '" + jpg + "'").c_str()),
                  0);
        ASSERT_EQ(std::system(("djpeg -pnm '" + jpg + "' > '" + ref + "'").c_str()), 0);
        RgbImage want, got;
        ASSERT_TRUE(ReadPnm(ref, &want));
        DibPtr dib = DecodeBytes(ReadFileBytes(jpg), "t.jpg");
        ASSERT_TRUE(dib);
        ASSERT_TRUE(ToRgb(dib.get(), &got));
        EXPECT_EQ(MaxDifference(got, want), 0) << "mean " << MeanDifference(got, want);
    }
}

}  // namespace
}  // namespace imglib::test
