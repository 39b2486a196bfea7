// Replays every input the fuzzers saved in imglib/fuzz/regressions/ through
// the check that found it (imglib/fuzz/harness.h); the sanitizer build is
// what makes a regression show.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "../fuzz/harness.h"
#include "test_support.h"

namespace imglib::test {
namespace {

std::string RegressionDir() {
    if (const char* env = std::getenv("LUMORA_FUZZ_REGRESSIONS")) return env;
    std::string here = __FILE__;  // .../imglib/test/fuzz_regression_test.cpp
    return here.substr(0, here.rfind('/')) + "/../fuzz/regressions";
}

std::vector<std::string> SavedInputs(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name[0] == '.' || (name.size() > 3 && name.compare(name.size() - 3, 3, ".md") == 0)) continue;
            names.push_back(name);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FuzzRegression, SavedInputsKeepTheContract) {
    std::string dir = RegressionDir();
    std::vector<std::string> names = SavedInputs(dir);
    ASSERT_FALSE(names.empty() && ReadFileBytes(dir + "/README.md").empty()) << "no folder " << dir;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes = ReadFileBytes(dir + "/" + name);
        EXPECT_EQ(fuzz::Replay(name, bytes.data(), bytes.size()), "");
    }
}

// The harness itself: a misnamed file must not pass silently, and its DIB
// check must catch what the drawing code could not handle.
TEST(FuzzRegression, HarnessRejectsUnknownChecksAndBadDibs) {
    uint8_t one = 0;
    EXPECT_NE(fuzz::Replay("gif-crash-0", &one, 1), "");
    EXPECT_EQ(fuzz::Replay("decode-crash-0", &one, 0), "");

    Dib dib;
    ASSERT_EQ(dib.Create(3, 2, 8, 4), Status::Ok);
    EXPECT_EQ(fuzz::CheckDib(dib.Header()), "");
    dib.Header()->biClrUsed = 0;
    EXPECT_NE(fuzz::CheckDib(dib.Header()), "");
    dib.Header()->biClrUsed = 4;
    dib.Header()->biBitCount = 16;
    EXPECT_NE(fuzz::CheckDib(dib.Header()), "");
}

// The reduce check over the sizes and bit counts its first bytes choose.
TEST(FuzzRegression, ReduceCheckCoversEveryKindOfSource) {
    for (uint8_t kind = 0; kind < 4; ++kind) {
        for (uint8_t colors : {0, 14, 254}) {
            std::vector<uint8_t> input = {37, 5, colors, kind, kind, 200};
            for (int i = 0; i < 600; ++i) input.push_back(static_cast<uint8_t>(i * 37 + kind));
            SCOPED_TRACE(std::to_string(kind) + "/" + std::to_string(colors));
            EXPECT_EQ(fuzz::Replay("reduce-x", input.data(), input.size()), "");
        }
    }
}

}  // namespace
}  // namespace imglib::test
