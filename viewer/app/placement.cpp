#include "placement.h"

#include "settings_table.h"

namespace viewer {

Placement ClampPlacement(int32_t top, int32_t left, int32_t width, int32_t height,
                         const DesktopRect& desktop) {
    using namespace settings;
    if (top < desktop.top || top > desktop.bottom) top = kAppTop.defaultValue;
    if (left < desktop.left || left > desktop.right) left = kAppLeft.defaultValue;
    if (width < 0 || width > desktop.right) width = kAppWidth.defaultValue;
    if (height < 0 || height > desktop.bottom) height = kAppHeight.defaultValue;
    // 64-bit sums: the stored values are anything a registry can hold.
    if (int64_t{left} + width > desktop.right) left = desktop.right - width;
    if (int64_t{top} + height > desktop.bottom) top = desktop.bottom - height;
    bool isDefault = left == kAppLeft.defaultValue && top == kAppTop.defaultValue &&
                     width == kAppWidth.defaultValue && height == kAppHeight.defaultValue;
    return Placement{left, top, width, height, isDefault};
}

void CentreOn(const DesktopRect& desktop, int32_t width, int32_t height, int32_t* left,
              int32_t* top) {
    *left = static_cast<int32_t>(desktop.left + (int64_t{desktop.right} - desktop.left - width) / 2);
    *top = static_cast<int32_t>(desktop.top + (int64_t{desktop.bottom} - desktop.top - height) / 2);
}

}  // namespace viewer
