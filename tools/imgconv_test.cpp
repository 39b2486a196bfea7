// imgconv end to end on small files written by the test: the PPM it writes,
// and the exit codes and messages of its failures.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imgconv.h"
#include "test_bmp.h"

namespace {

class ImgconvTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/imgconv_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        m_out = m_dir + "/out.ppm";
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::string path = m_dir + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }

    // Runs the tool; the messages it printed land in m_err.
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), "imgconv");
        std::vector<const char*> argv;
        for (const std::string& a : args) argv.push_back(a.c_str());
        std::FILE* err = std::tmpfile();
        int code = imgconv::Run(static_cast<int>(argv.size()), argv.data(), err);
        std::rewind(err);
        m_err.clear();
        char buf[512];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, err)) > 0) m_err.append(buf, n);
        std::fclose(err);
        return code;
    }

    // Reads a P6 file: width, height and the RGB bytes.
    static bool ReadPpm(const std::string& path, int* w, int* h, std::vector<uint8_t>* rgb) {
        std::ifstream in(path, std::ios::binary);
        std::string magic;
        int maxval;
        if (!(in >> magic >> *w >> *h >> maxval) || magic != "P6" || maxval != 255) return false;
        in.get();
        rgb->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return rgb->size() == static_cast<size_t>(*w) * *h * 3;
    }

    std::string m_dir, m_out, m_err;
};

TEST_F(ImgconvTest, WritesWhatTheViewerWouldDraw) {
    std::string in = Write("ramp.bmp", test_bmp::MakeBmp(5, 3, 24, 0));
    ASSERT_EQ(Run({in, m_out}), 0) << m_err;
    int w, h;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ReadPpm(m_out, &w, &h, &rgb));
    ASSERT_EQ(w, 5);
    ASSERT_EQ(h, 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t want[3];
            test_bmp::RampRgb(x, y, want);
            const uint8_t* got = &rgb[3 * (y * w + x)];
            EXPECT_EQ(got[0], want[0]) << x << "," << y;
            EXPECT_EQ(got[1], want[1]) << x << "," << y;
            EXPECT_EQ(got[2], want[2]) << x << "," << y;
        }
    }
}

TEST_F(ImgconvTest, ReduceLimitsTheColours) {
    std::string in = Write("ramp.bmp", test_bmp::MakeBmp(40, 30, 24, 0));
    ASSERT_EQ(Run({"--reduce", "4", in, m_out}), 0) << m_err;
    int w, h;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ReadPpm(m_out, &w, &h, &rgb));
    EXPECT_EQ(w, 40);
    std::vector<uint32_t> colours;
    for (size_t i = 0; i < rgb.size(); i += 3) colours.push_back(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    EXPECT_LE(colours.size(), 4u);
}

TEST_F(ImgconvTest, DecodingFailuresExitWithTheLibraryCode) {
    std::string text = Write("notes.bmp", {'h', 'e', 'l', 'l', 'o', '\n'});
    EXPECT_EQ(Run({text, m_out}), 7);
    EXPECT_EQ(m_err, text + ":\nUnsupported image type.\n");

    std::string missing = m_dir + "/missing.bmp";
    EXPECT_EQ(Run({missing, m_out}), 1);
    EXPECT_NE(m_err.find("cannot decode " + missing), std::string::npos) << m_err;
    EXPECT_NE(access(m_out.c_str(), F_OK), 0);  // nothing written
}

TEST_F(ImgconvTest, RefusesBadArguments) {
    std::string in = Write("ramp.bmp", test_bmp::MakeBmp(2, 2, 24, 0));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {in}, {in, m_out, "extra"}, {"--reduce", "1", in, m_out}, {"--reduce", "257", in, m_out},
             {"--reduce", "8x", in, m_out}, {"--bogus", in, m_out}}) {
        EXPECT_EQ(Run(args), imgconv::kExitUsage);
        EXPECT_NE(m_err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(Run({in, m_dir + "/no/such/dir/out.ppm"}), imgconv::kExitWrite);
}

}  // namespace
