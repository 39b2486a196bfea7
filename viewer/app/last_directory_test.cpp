#include "last_directory.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

constexpr uint32_t kA = 1u << 0, kC = 1u << 2, kD = 1u << 3, kZ = 1u << 25;

TEST(LastDirectoryTest, ValidDirectoryIsLowerCasedWithOneTrailingBackslash) {
    EXPECT_EQ(ValidateLastDirectory("d:\\photos", kC | kD), "d:\\photos\\");
    EXPECT_EQ(ValidateLastDirectory("D:\\Photos\\", kC | kD), "d:\\photos\\");
    EXPECT_EQ(ValidateLastDirectory("Z:\\", kZ), "z:\\");
    EXPECT_EQ(ValidateLastDirectory("a:\\x", kA), "a:\\x\\");
}

TEST(LastDirectoryTest, MissingDriveTooShortOrTooLongGivesC) {
    EXPECT_EQ(ValidateLastDirectory("d:\\photos", kC), "C:\\");
    EXPECT_EQ(ValidateLastDirectory("x", kC | kD), "C:\\");
    EXPECT_EQ(ValidateLastDirectory("d:", kC | kD), "C:\\");
    EXPECT_EQ(ValidateLastDirectory("\\\\server\\share", kC | kD), "C:\\");
    EXPECT_EQ(ValidateLastDirectory("d:\\" + std::string(256, 'x'), kC | kD),
              "d:\\" + std::string(256, 'x') + "\\");  // 259 characters: kept
    EXPECT_EQ(ValidateLastDirectory("d:\\" + std::string(257, 'x'), kC | kD), "C:\\");
    // Characters that are no drive letter name a bit modulo 32 like letters.
    EXPECT_EQ(ValidateLastDirectory("1:\\dir", kC | kD), "C:\\");
}

TEST(LastDirectoryTest, EmptyStaysEmpty) {
    EXPECT_EQ(ValidateLastDirectory("", 0), "");
}

TEST(LastDirectoryTest, FallbackIsKeptEvenWithoutDriveC) {
    // "C:\" is checked like any other value; there is nothing better to give.
    EXPECT_EQ(ValidateLastDirectory("q:\\gone", kD), "C:\\");
}

}  // namespace
}  // namespace viewer
