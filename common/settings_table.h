// Every setting of both programs, declared once: where it lives, its
// default, and the range its readers accept. Readers replace a value
// outside the range by the replacement given (usually the default).
#pragma once

#include <cstdint>

namespace settings {

// Registry roots, relative to HKEY_CURRENT_USER.
constexpr const char kCompany[] = "Quillmere";  // the viewer's SetRegistryKey
constexpr const char kViewerName[] = "Lumora";
constexpr const char kViewerKey[] = "Software\\Quillmere\\Lumora";
constexpr const char kViewerSlideshowKey[] = "Software\\Quillmere\\Lumora\\Slideshow";
constexpr const char kSaverKey[] = "Software\\Quillmere\\Nocturo";

// Sections of the viewer's key.
constexpr const char kSlideshow[] = "Slideshow";
constexpr const char kAppWindow[] = "App Window";
constexpr const char kImageWindow[] = "Image Window";
constexpr const char kDirectory[] = "Directory";
constexpr const char kDesktop[] = "Desktop";

struct NumberSetting {
    const char* section;  // null for the screen saver's own key
    const char* name;
    int32_t defaultValue;
    bool ranged;
    int32_t min, max;     // inclusive; used only when ranged
    int32_t replacement;  // what an out-of-range value becomes

    int32_t Apply(int32_t stored) const {
        return ranged && (stored < min || stored > max) ? replacement : stored;
    }
};

struct StringSetting {
    const char* section;
    const char* name;
    const char* defaultValue;
};

// Viewer, section "Slideshow".
constexpr StringSetting kList{kSlideshow, "list", ""};
constexpr NumberSetting kDelay{kSlideshow, "delay", 5, true, 0, 999, 5};
constexpr NumberSetting kRepeat{kSlideshow, "repeat", 1, false, 0, 0, 0};
constexpr NumberSetting kDisplayName{kSlideshow, "display name", 0, false, 0, 0, 0};
constexpr NumberSetting kDisplayRandom{kSlideshow, "display random", 0, false, 0, 0, 0};
constexpr NumberSetting kFilePreview{kSlideshow, "file preview", 1, false, 0, 0, 0};
constexpr NumberSetting kSlidePreview{kSlideshow, "slide preview", 0, false, 0, 0, 0};
constexpr StringSetting kHome{kSlideshow, "home", ""};
// The player's own default for "list": the text "0" means no slide show.
constexpr const char kPlayerNoList[] = "0";

// Viewer, section "App Window": the main frame's outer rectangle. The
// clamping against the desktop belongs to the main frame.
constexpr NumberSetting kAppTop{kAppWindow, "top", 0, false, 0, 0, 0};
constexpr NumberSetting kAppLeft{kAppWindow, "left", 0, false, 0, 0, 0};
constexpr NumberSetting kAppWidth{kAppWindow, "width", 300, false, 0, 0, 0};
constexpr NumberSetting kAppHeight{kAppWindow, "height", 300, false, 0, 0, 0};

// Viewer, section "Image Window". "top" and "left" are checked against the
// desktop rectangle by the image window.
constexpr NumberSetting kImageTop{kImageWindow, "top", 0, false, 0, 0, 0};
constexpr NumberSetting kImageLeft{kImageWindow, "left", 0, false, 0, 0, 0};
constexpr NumberSetting kAspectLock{kImageWindow, "aspect lock", 0, false, 0, 0, 0};

// Viewer, section "Directory"; the default is the Windows directory.
constexpr StringSetting kLastDirectory{kDirectory, "last directory", ""};

// Viewer, section "Desktop".
constexpr NumberSetting kColorWarning{kDesktop, "color warning", 1, false, 0, 0, 0};

// Screen saver key (values directly in the key).
constexpr StringSetting kSaverList{nullptr, "list", ""};
constexpr NumberSetting kSaverDelay{nullptr, "delay", 5, false, 0, 0, 0};
constexpr NumberSetting kSaverDisplayName{nullptr, "display name", 0, false, 0, 0, 0};

// The screen saver's configuration dialog reads "delay" with marker defaults
// that tell a missing value from a stored one: on opening, its own "delay"
// with 10000 and, when that marker comes back, the viewer's "Slideshow"
// "delay" with 100002; the result is kept only when 0 to 999, else 5. On the
// refresh command (49876) and the Edit command its own "delay" counts only
// when 1 to 999, else 5. (The saver's playback uses kSaverDelay, unranged.)
constexpr NumberSetting kSaverDialogDelay{nullptr, "delay", 10000, true, 0, 999, 5};
constexpr NumberSetting kViewerDelayForSaverDialog{kSlideshow, "delay", 100002, true, 0, 999, 5};
constexpr NumberSetting kSaverRefreshDelay{nullptr, "delay", 5, true, 1, 999, 5};

}  // namespace settings
