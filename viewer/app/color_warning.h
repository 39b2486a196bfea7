// The colour-depth warning at a normal start: a display of exactly 16 or
// 256 colours is told that the viewer wants 32K colours or more.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace viewer {

// GetDeviceCaps indices and the palette bit of RASTERCAPS.
constexpr int kRasterCaps = 38;
constexpr int kSizePalette = 104;
constexpr int kNumColors = 24;
constexpr int kRasterCapsPalette = 0x100;

// The display's colours: the palette size on a palette display, else the
// number of colours (which a true-colour display gives as -1).
int DesktopColors(const std::function<int(int index)>& getDeviceCaps);

// setting: "Desktop"/"color warning".
bool ColorWarningDue(int32_t setting, int colors);

// The warning's text, cut at 259 characters.
std::string ColorWarningText(int colors);

}  // namespace viewer
