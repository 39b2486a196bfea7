// The raw settings routines of both programs: one current key under
// HKEY_CURRENT_USER per process, and five calls over it. Each call opens the
// key (creating it when missing), does one query or one set, and closes it
// again, so nothing is cached and another process's writes are seen at once.
//
// The viewer's framework reaches its own sections through the profile
// operations instead; these routines serve the screen saver and the viewer's
// editor in editor mode. Key paths and value names are in settings_table.h.
#pragma once

#include <cstddef>
#include <cstdint>

// Makes keyPath (relative to HKEY_CURRENT_USER, e.g. settings::kSaverKey) the
// current key until the next selection. Until a key has been selected, and
// after an empty or null path, reads give their defaults and writes fail:
// nothing is ever written into the root of HKEY_CURRENT_USER.
void SelectSettingsKey(const char* keyPath);

// The current key path ("" when none is selected).
const char* CurrentSettingsKey();

// A REG_DWORD of 4 bytes, as a signed number; defaultValue when the key
// cannot be opened, the value is missing, or it is not a 4-byte REG_DWORD.
int32_t ReadSettingNumber(const char* value, int32_t defaultValue);

// Stores number as a REG_DWORD; false when the key cannot be opened or the
// set fails (callers may ignore it).
bool WriteSettingNumber(const char* value, int32_t number);

// Reads a REG_SZ into buffer (bufferSize bytes, the terminating zero
// included) and returns buffer. Stored strings with and without their
// terminating zero are both accepted. The default is copied instead when the
// key cannot be opened, the value is missing or not a REG_SZ, or the text and
// its zero do not fit; a default longer than the buffer is cut to fit. The
// buffer is always zero-terminated and never written beyond bufferSize
// (bufferSize 0: nothing is written). A null default counts as "".
char* ReadSettingString(const char* value, char* buffer, size_t bufferSize,
                        const char* defaultValue);

// Stores text as a REG_SZ, handing the registry the text's length without
// the terminating zero (a null text counts as ""). The system itself (NT and
// Wine alike) adds the zero when it follows the counted bytes in memory, so
// the stored value normally ends up with it; every reader accepts both.
bool WriteSettingString(const char* value, const char* text);

// The screen saver's two readings of its slide show, each of which falls
// back to the viewer's "Slideshow" section when its own "list" is empty and
// ends with the screen saver's key selected again. list receives the path
// (listSize bytes, cut as ReadSettingString cuts), delay the seconds.
//
// At start: its own "delay" (default 5), or with the fallback the viewer's
// "delay" (default 5); either as stored, without a range check.
void ReadSaverStartSettings(char* list, size_t listSize, int32_t* delay);

// In its configuration dialog, on opening: the "list" as above; its own
// "delay", else the viewer's, else 5, replaced by 5 outside 0 to 999.
void ReadSaverDialogSettings(char* list, size_t listSize, int32_t* delay);
