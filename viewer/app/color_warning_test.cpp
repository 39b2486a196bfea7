#include "color_warning.h"

#include <gtest/gtest.h>

#include <map>

namespace viewer {
namespace {

int ColorsOf(std::map<int, int> caps) {
    return DesktopColors([&caps](int index) { return caps[index]; });
}

TEST(ColorWarningTest, PaletteDisplaysReportTheirPaletteSize) {
    EXPECT_EQ(ColorsOf({{kRasterCaps, 0x100 | 0x8}, {kSizePalette, 256}, {kNumColors, 20}}), 256);
    EXPECT_EQ(ColorsOf({{kRasterCaps, 0x8}, {kSizePalette, 256}, {kNumColors, 16}}), 16);
    EXPECT_EQ(ColorsOf({{kRasterCaps, 0}, {kNumColors, -1}}), -1);
}

TEST(ColorWarningTest, OnlySixteenOr256ColoursWithTheWarningOn) {
    EXPECT_TRUE(ColorWarningDue(1, 16));
    EXPECT_TRUE(ColorWarningDue(1, 256));
    EXPECT_TRUE(ColorWarningDue(-7, 256));  // any value but 0 is on
    EXPECT_FALSE(ColorWarningDue(0, 256));
    for (int colors : {-1, 2, 15, 17, 20, 255, 257, 65536}) EXPECT_FALSE(ColorWarningDue(1, colors));
}

TEST(ColorWarningTest, TextNamesTheColours) {
    EXPECT_EQ(ColorWarningText(256),
              "256 color desktop detected.\n\nThis program requires a minimum of 32K\n desktop "
              "colors to function optimally.\n\nDo you want to keep this warning enabled?");
}

}  // namespace
}  // namespace viewer
