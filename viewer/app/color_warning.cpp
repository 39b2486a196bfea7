#include "color_warning.h"

#include <cstdio>

namespace viewer {

int DesktopColors(const std::function<int(int index)>& getDeviceCaps) {
    bool palette = (getDeviceCaps(kRasterCaps) & kRasterCapsPalette) != 0;
    return getDeviceCaps(palette ? kSizePalette : kNumColors);
}

bool ColorWarningDue(int32_t setting, int colors) {
    return setting != 0 && (colors == 16 || colors == 256);
}

std::string ColorWarningText(int colors) {
    char text[260];
    std::snprintf(text, sizeof text,
                  "%d color desktop detected.\n\nThis program requires a minimum of 32K\n"
                  " desktop colors to function optimally.\n\nDo you want to keep this "
                  "warning enabled?",
                  colors);
    return text;
}

}  // namespace viewer
