#include "placement.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

constexpr DesktopRect kDesktop{0, 0, 1024, 768};

void ExpectPlacement(const Placement& p, int32_t left, int32_t top, int32_t width,
                     int32_t height, bool centre) {
    EXPECT_EQ(p.left, left);
    EXPECT_EQ(p.top, top);
    EXPECT_EQ(p.width, width);
    EXPECT_EQ(p.height, height);
    EXPECT_EQ(p.centre, centre);
}

TEST(PlacementTest, WindowPassingTheRightOrBottomEdgeIsMovedIn) {
    ExpectPlacement(ClampPlacement(10, 900, 400, 200, kDesktop), 624, 10, 400, 200, false);
    ExpectPlacement(ClampPlacement(700, 10, 200, 300, kDesktop), 10, 468, 200, 300, false);
    ExpectPlacement(ClampPlacement(0, 0, 1024, 768, kDesktop), 0, 0, 1024, 768, false);
}

TEST(PlacementTest, ValuesOutsideTheDesktopAreReplaced) {
    // A width beyond the desktop's right becomes 300; left stays as stored.
    ExpectPlacement(ClampPlacement(20, 30, 5000, 200, kDesktop), 30, 20, 300, 200, false);
    // ... or is moved in when 300 no longer fits.
    ExpectPlacement(ClampPlacement(20, 900, 5000, 200, kDesktop), 724, 20, 300, 200, false);
    ExpectPlacement(ClampPlacement(-5, 1025, -1, 769, kDesktop), 0, 0, 300, 300, true);
    ExpectPlacement(ClampPlacement(INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN, kDesktop), 0, 0,
                    300, 300, true);
    // The edges themselves are inside.
    ExpectPlacement(ClampPlacement(768, 1024, 0, 0, kDesktop), 1024, 768, 0, 0, false);
}

TEST(PlacementTest, OnlyTheExactDefaultIsCentred) {
    ExpectPlacement(ClampPlacement(0, 0, 300, 300, kDesktop), 0, 0, 300, 300, true);
    ExpectPlacement(ClampPlacement(0, 1, 300, 300, kDesktop), 1, 0, 300, 300, false);
    ExpectPlacement(ClampPlacement(0, 0, 300, 301, kDesktop), 0, 0, 300, 301, false);
    int32_t left = 0, top = 0;
    CentreOn(kDesktop, 300, 300, &left, &top);
    EXPECT_EQ(left, 362);
    EXPECT_EQ(top, 234);
}

TEST(PlacementTest, DesktopNotAtTheOrigin) {
    DesktopRect shifted{-100, 50, 924, 818};
    ExpectPlacement(ClampPlacement(40, -150, 300, 300, shifted), 0, 0, 300, 300, true);
    ExpectPlacement(ClampPlacement(60, -50, 300, 300, shifted), -50, 60, 300, 300, false);
}

}  // namespace
}  // namespace viewer
