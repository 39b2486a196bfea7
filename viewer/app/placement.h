// The main window's placement at start: the stored "App Window" rectangle
// clamped to the desktop, and the rule that the default rectangle is centred.
#pragma once

#include <cstdint>

namespace viewer {

struct DesktopRect {
    int32_t left, top, right, bottom;
};

struct Placement {
    int32_t left, top, width, height;
    bool centre;  // the result is the default 0, 0, 300 x 300: centre it
};

// top and left outside the desktop become 0; a width or height below 0 or
// beyond the desktop's right or bottom coordinate becomes 300; then the
// window is moved in so that it does not pass the right or bottom edge.
Placement ClampPlacement(int32_t top, int32_t left, int32_t width, int32_t height,
                         const DesktopRect& desktop);

// The left and top that centre a window of this size on the desktop.
void CentreOn(const DesktopRect& desktop, int32_t width, int32_t height, int32_t* left,
              int32_t* top);

}  // namespace viewer
