// Decodes every sample of the public corpus and compares it with the
// reference decode. Skips when the corpus is not beside the checkout.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace imglib::test {
namespace {

struct Sample {
    std::string file;  // e.g. "bmp/pillow_x.bmp"
    std::string notes;
};

std::vector<Sample> ManifestEntries(const std::string& folder) {
    std::vector<Sample> out;
    std::string dir = CorpusDir();
    if (dir.empty()) return out;
    std::ifstream in(dir + "/MANIFEST.tsv");
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        std::string file = line.substr(0, tab);
        if (file.compare(0, folder.size() + 1, folder + "/") != 0) continue;
        size_t last = line.rfind('\t');
        out.push_back({file, last == std::string::npos ? "" : line.substr(last + 1)});
    }
    return out;
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

// Largest per-channel difference accepted against the reference.
int Tolerance(const std::string& folder) {
    if (folder == "pcd") return 255;  // no reference: PhotoYCC conversions differ between decoders
    return 1;  // the references themselves agree to within 1 between decoders
}

class CorpusTest : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusTest, DecodesAndMatchesReference) {
    std::string dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "corpus not present";
    const std::string folder = GetParam();
    auto samples = ManifestEntries(folder);
    ASSERT_FALSE(samples.empty());
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.file);
        bool optional = s.notes.find("optional") != std::string::npos;
        auto bytes = ReadFileBytes(dir + "/" + s.file);
        DibPtr dib = DecodeBytes(bytes, s.file.c_str());
        if (!dib) {
            EXPECT_TRUE(optional) << "failed with code " << GetLastImgLibError();
            continue;
        }
        RgbImage got;
        ASSERT_TRUE(ToRgb(dib.get(), &got));
        std::string refPath = dir + "/ref/" + s.file + ".png";
        if (!Exists(refPath)) continue;  // the source decoders disagree: decoding is enough
        // An EXIF-rotated JPEG is shown turned; its reference keeps the stored order (jpeg_exact_test).
        if (s.notes.find("reference is NOT rotated") != std::string::npos) continue;
        // utc32's fourth byte is declared undefined (TGA 2.0 type 2) and is all zero: the reference
        // composites it to black, we show the picture (tga_test compares it with utc24's).
        if (s.file == "tga/truevision_utc32.tga") continue;
        RgbImage want;
        ASSERT_TRUE(ReadPngRgb(refPath, &want));
        ASSERT_EQ(got.width, want.width);
        ASSERT_EQ(got.height, want.height);
        EXPECT_LE(MaxDifference(got, want), Tolerance(folder)) << "mean " << MeanDifference(got, want);
    }
}

// Every known-bad file is refused with a code, or decodes to a valid image;
// running under the sanitizers is what makes this test bite.
TEST(CorpusBadFiles, FailCleanly) {
    std::string dir = CorpusDir();
    if (dir.empty()) GTEST_SKIP() << "corpus not present";
    for (const Sample& s : ManifestEntries("bad")) {
        SCOPED_TRACE(s.file);
        auto bytes = ReadFileBytes(dir + "/" + s.file);
        DibPtr dib = DecodeBytes(bytes, s.file.c_str());
        if (dib) {
            RgbImage got;
            EXPECT_TRUE(ToRgb(dib.get(), &got));
        } else {
            int code = GetLastImgLibError();
            EXPECT_TRUE(code == IMGLIB_ERR_MEMORY || code == IMGLIB_ERR_UNSUPPORTED) << code;
        }
    }
}

// Formats are added here as their decoders land.
INSTANTIATE_TEST_SUITE_P(Formats, CorpusTest, ::testing::Values("bmp", "pcx", "tga", "tif", "ras", "pcd", "jpg"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace imglib::test
