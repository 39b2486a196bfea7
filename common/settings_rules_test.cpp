#include "settings_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace settings {
namespace {

TEST(DelayFromFieldText, EmptyOrNullGivesFive) {
    EXPECT_EQ(DelayFromFieldText(""), 5);
    EXPECT_EQ(DelayFromFieldText(nullptr), 5);
}

TEST(DelayFromFieldText, NumbersInRangeStayAsTheyAre) {
    EXPECT_EQ(DelayFromFieldText("0"), 0);
    EXPECT_EQ(DelayFromFieldText("1"), 1);
    EXPECT_EQ(DelayFromFieldText("7"), 7);
    EXPECT_EQ(DelayFromFieldText("999"), 999);
    EXPECT_EQ(DelayFromFieldText("-0"), 0);
    EXPECT_EQ(DelayFromFieldText("+12"), 12);
    EXPECT_EQ(DelayFromFieldText("007"), 7);
}

TEST(DelayFromFieldText, OutOfRangeGivesFive) {
    EXPECT_EQ(DelayFromFieldText("1000"), 5);
    EXPECT_EQ(DelayFromFieldText("-1"), 5);
    EXPECT_EQ(DelayFromFieldText("-999"), 5);
    EXPECT_EQ(DelayFromFieldText("123456"), 5);
}

TEST(DelayFromFieldText, ReadsLikeAtoi) {
    EXPECT_EQ(DelayFromFieldText("abc"), 0);     // no digits: 0
    EXPECT_EQ(DelayFromFieldText(" "), 0);       // not empty, no digits
    EXPECT_EQ(DelayFromFieldText("12abc"), 12);  // leading digits only
    EXPECT_EQ(DelayFromFieldText("  \t42"), 42); // leading blanks skipped
    EXPECT_EQ(DelayFromFieldText("4 2"), 4);
    EXPECT_EQ(DelayFromFieldText("-"), 0);
    EXPECT_EQ(DelayFromFieldText("+-3"), 0);
    EXPECT_EQ(DelayFromFieldText("3.9"), 3);
}

TEST(DelayFromFieldText, HugeNumbersDoNotOverflow) {
    // atoi would overflow (undefined) and might wrap into the range.
    EXPECT_EQ(DelayFromFieldText("4294967301"), 5);   // 2^32 + 5
    EXPECT_EQ(DelayFromFieldText("99999999999999999999999999"), 5);
    EXPECT_EQ(DelayFromFieldText("-4294967296"), 5);
    EXPECT_EQ(DelayFromFieldText(std::string(300, '9').c_str()), 5);
}

TEST(DelayFromFieldText, ReadsNoMoreThanTheFieldHolds) {
    // 259 blanks then "42" straddling the 260-byte limit: only "4" counts.
    std::string text(259, ' ');
    text += "42";
    EXPECT_EQ(DelayFromFieldText(text.c_str()), 4);
    std::string beyond(260, ' ');
    beyond += "42";
    EXPECT_EQ(DelayFromFieldText(beyond.c_str()), 0);
}

TEST(DefaultSlideShowFile, CutAfterTheLastBackslash) {
    EXPECT_EQ(DefaultSlideShowFile("C:\\Programs\\Lumora\\LUMORA.EXE"),
              "C:\\Programs\\Lumora\\lumora.lst");
    EXPECT_EQ(DefaultSlideShowFile("c:\\lumora.exe"), "c:\\lumora.lst");
    EXPECT_EQ(DefaultSlideShowFile("c:\\dir\\"), "c:\\dir\\lumora.lst");
    EXPECT_EQ(DefaultSlideShowFile("\\\\server\\share\\v.exe"), "\\\\server\\share\\lumora.lst");
}

TEST(DefaultSlideShowFile, NoBackslashGivesTheBareName) {
    EXPECT_EQ(DefaultSlideShowFile("lumora.exe"), "lumora.lst");
    EXPECT_EQ(DefaultSlideShowFile("c:/dir/lumora.exe"), "lumora.lst");
    EXPECT_EQ(DefaultSlideShowFile(""), "lumora.lst");
    EXPECT_EQ(DefaultSlideShowFile(nullptr), "lumora.lst");
}

TEST(DefaultSlideShowFile, LongPathIsNotCut) {
    std::string dir = "c:\\" + std::string(250, 'd') + "\\";
    EXPECT_EQ(DefaultSlideShowFile((dir + "lumora.exe").c_str()), dir + "lumora.lst");
}

TEST(SaverDialogDelay, OwnValueWhenStored) {
    EXPECT_FALSE(SaverDelayMissing(7));
    EXPECT_EQ(SaverDialogDelay(7, 100002), 7);
    EXPECT_EQ(SaverDialogDelay(0, 3), 0);
    EXPECT_EQ(SaverDialogDelay(999, 3), 999);
}

TEST(SaverDialogDelay, OwnValueOutOfRangeGivesFive) {
    EXPECT_EQ(SaverDialogDelay(-1, 3), 5);
    EXPECT_EQ(SaverDialogDelay(1000, 3), 5);
}

TEST(SaverDialogDelay, MarkerFallsBackToTheViewersDelay) {
    EXPECT_EQ(kSaverDialogDelay.defaultValue, 10000);
    EXPECT_EQ(kViewerDelayForSaverDialog.defaultValue, 100002);
    EXPECT_TRUE(SaverDelayMissing(10000));
    EXPECT_EQ(SaverDialogDelay(10000, 12), 12);
    EXPECT_EQ(SaverDialogDelay(10000, 0), 0);
    EXPECT_EQ(SaverDialogDelay(10000, -4), 5);
    EXPECT_EQ(SaverDialogDelay(10000, 1000), 5);
}

TEST(SaverDialogDelay, NeitherStoredGivesFive) {
    EXPECT_EQ(SaverDialogDelay(kSaverDialogDelay.defaultValue,
                               kViewerDelayForSaverDialog.defaultValue),
              5);
}

TEST(SaverRefreshDelay, OneTo999) {
    EXPECT_EQ(SaverRefreshDelay(0), 5);
    EXPECT_EQ(SaverRefreshDelay(-3), 5);
    EXPECT_EQ(SaverRefreshDelay(1), 1);
    EXPECT_EQ(SaverRefreshDelay(999), 999);
    EXPECT_EQ(SaverRefreshDelay(1000), 5);
}

TEST(ViewerDelay, ZeroTo999) {
    EXPECT_EQ(ViewerDelay(0), 0);
    EXPECT_EQ(ViewerDelay(999), 999);
    EXPECT_EQ(ViewerDelay(1000), 5);
    EXPECT_EQ(ViewerDelay(-1), 5);
}

TEST(ApplyRange, UnrangedSettingsKeepTheStoredValue) {
    EXPECT_EQ(ApplyRange(kSaverDelay, 1000), 1000);   // playback: as stored
    EXPECT_EQ(ApplyRange(kSaverDelay, -1), -1);
    EXPECT_EQ(ApplyRange(kRepeat, 7), 7);
    EXPECT_EQ(ApplyRange(kAppWidth, -50), -50);       // clamped by the main frame
}

TEST(ApplyRange, RangedSettingsReplaceOutsideValues) {
    EXPECT_EQ(ApplyRange(kDelay, 1000), 5);
    EXPECT_EQ(ApplyRange(kDelay, 0), 0);
    EXPECT_EQ(ApplyRange(kSaverRefreshDelay, 0), 5);
}

TEST(SettingsTable, DefaultsAsSpecified) {
    EXPECT_EQ(kDelay.defaultValue, 5);
    EXPECT_EQ(kRepeat.defaultValue, 1);
    EXPECT_EQ(kDisplayName.defaultValue, 0);
    EXPECT_EQ(kDisplayRandom.defaultValue, 0);
    EXPECT_EQ(kFilePreview.defaultValue, 1);
    EXPECT_EQ(kSlidePreview.defaultValue, 0);
    EXPECT_EQ(kAppWidth.defaultValue, 300);
    EXPECT_EQ(kAppHeight.defaultValue, 300);
    EXPECT_EQ(kColorWarning.defaultValue, 1);
    EXPECT_EQ(kSaverDelay.defaultValue, 5);
    EXPECT_STREQ(kViewerSlideshowKey, "Software\\Quillmere\\Lumora\\Slideshow");
    EXPECT_STREQ(kSaverKey, "Software\\Quillmere\\Nocturo");
    EXPECT_STREQ(kAspectLock.name, "aspect lock");
    EXPECT_STREQ(kLastDirectory.name, "last directory");
}

}  // namespace
}  // namespace settings
