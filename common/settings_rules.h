// Window-free rules over the settings table: how the programs turn what the
// user typed or what the registry held into the values they use. They build
// natively, where the unit tests run, and in the Windows programs.
#pragma once

#include <cstdint>
#include <string>

#include "settings_table.h"

namespace settings {

// The text of a delay field (settings dialog OK, editor Save & Quit), read
// the way atoi reads it: leading blanks, an optional sign, the leading
// digits; no digits give 0. An empty (or null) text gives 5, and so does a
// number below 0 or above 999; 0 to 999 stay as they are. Only the first
// kDelayFieldMax bytes count, as the dialogs read no more. Unlike atoi, a
// number too large for an int cannot overflow: it is simply above 999.
constexpr int kDelayFieldMax = 260;
int32_t DelayFromFieldText(const char* text);

// The default slide show file (editor opening): the program file's path cut
// after its last backslash, followed by "lumora.lst"; a path without a
// backslash (or none at all) gives the bare name. Not lower-cased here.
constexpr const char kDefaultListName[] = "lumora.lst";
std::string DefaultSlideShowFile(const char* programPath);

// The screen saver's configuration dialog, on opening: its own "delay" is
// read with the marker default kSaverDialogDelay.defaultValue (10000); when
// the marker comes back, the viewer's "delay" is read with the marker
// default kViewerDelayForSaverDialog.defaultValue (100002). Whatever results
// is replaced by 5 when below 0 or 1000 and above.
bool SaverDelayMissing(int32_t saverDelayRead);
int32_t SaverDialogDelay(int32_t saverDelayRead, int32_t viewerDelayRead);

// The configuration dialog's refresh command (49876) and Edit command: a
// stored delay below 1 or above 999 becomes 5.
int32_t SaverRefreshDelay(int32_t stored);

// The viewer's readers of "Slideshow"/"delay": below 0 or above 999 gives 5.
int32_t ViewerDelay(int32_t stored);

// Range replacement through the table: the value as stored when the setting
// has no range or the value lies inside it, else the setting's replacement.
inline int32_t ApplyRange(const NumberSetting& setting, int32_t stored) {
    return setting.Apply(stored);
}

}  // namespace settings
