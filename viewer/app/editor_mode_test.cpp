#include "editor_mode.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

EditorModeParams Parse(const std::string& line) {
    return ParseEditorCommandLine(line.c_str(), "c:\\current\\");
}

TEST(EditorModeTest, ScreenSaverLineStartsEditorMode) {
    EditorModeParams p = Parse("c:\\lumora\\lumora.exe /e c:\\shows\\a.lst 7");
    EXPECT_TRUE(p.editorMode);
    EXPECT_EQ(p.listPath, "c:\\shows\\a.lst");
    EXPECT_EQ(p.delay, 7);
    EXPECT_EQ(p.editorDirectory, "c:\\shows\\");

    EditorModeParams bare = Parse("lumora.exe\t/e  a.lst   999  ");
    EXPECT_TRUE(bare.editorMode);
    EXPECT_EQ(bare.delay, 999);
    EXPECT_EQ(bare.editorDirectory, "c:\\current\\");
}

TEST(EditorModeTest, DelayOutsideOneTo999BecomesFive) {
    EXPECT_EQ(Parse("v.exe /e a.lst 0").delay, 5);
    EXPECT_EQ(Parse("v.exe /e a.lst 1000").delay, 5);
    EXPECT_EQ(Parse("v.exe /e a.lst -3").delay, 5);
    EXPECT_EQ(Parse("v.exe /e a.lst 99999999999999999999").delay, 5);
    EXPECT_EQ(Parse("v.exe /e a.lst 1").delay, 1);
    // Like %d: a sign and the leading digits; the rest is ignored.
    EXPECT_EQ(Parse("v.exe /e a.lst +12x").delay, 12);
    EXPECT_TRUE(Parse("v.exe /e a.lst 12x").editorMode);
}

TEST(EditorModeTest, OtherLinesStartNormally) {
    for (const char* line : {"v.exe", "v.exe /e", "v.exe /e a.lst", "v.exe /E a.lst 7",
                             "v.exe -e a.lst 7", "v.exe /e a.lst x7", "v.exe /e a.lst -",
                             "v.exe /ex a.lst 7", "", "   "}) {
        EditorModeParams p = Parse(line);
        EXPECT_FALSE(p.editorMode) << line;
        EXPECT_EQ(p.listPath, "") << line;
    }
    EXPECT_FALSE(ParseEditorCommandLine(nullptr, "").editorMode);
}

TEST(EditorModeTest, QuotedFieldsHoldBlanks) {
    EditorModeParams p =
        Parse("\"C:\\Program Files\\Lumora\\Lumora.exe\" /e \"c:\\my shows\\a b.lst\" 9");
    EXPECT_TRUE(p.editorMode);
    EXPECT_EQ(p.listPath, "c:\\my shows\\a b.lst");
    EXPECT_EQ(p.editorDirectory, "c:\\my shows\\");
    EXPECT_EQ(p.delay, 9);
    // Quotes may enclose part of a field; an unclosed quote runs to the end.
    EXPECT_EQ(Parse("c:\\\"program files\"\\v.exe /e c:\\\"a b\"\\c.lst 3").listPath,
              "c:\\a b\\c.lst");
    EXPECT_FALSE(Parse("\"c:\\program files\\v.exe /e a.lst 3").editorMode);
    // Unquoted, a blank in the path splits it and the fields no longer fit.
    EXPECT_FALSE(Parse("C:\\Program Files\\Lumora\\Lumora.exe /e c:\\a.lst 7").editorMode);
}

TEST(EditorModeTest, OverlongFieldsStartNormally) {
    std::string longPath = "c:\\" + std::string(256, 'x');  // 259 characters: fits
    EXPECT_TRUE(Parse("v.exe /e " + longPath + " 7").editorMode);
    EXPECT_FALSE(Parse("v.exe /e " + longPath + "y 7").editorMode);
    EXPECT_FALSE(Parse(std::string(300, 'v') + " /e a.lst 7").editorMode);
    EditorModeParams huge = Parse("v.exe /e a.lst " + std::string(100000, '7'));
    EXPECT_TRUE(huge.editorMode);  // the number saturates: outside the range
    EXPECT_EQ(huge.delay, 5);
}

}  // namespace
}  // namespace viewer
