#include "settings_rules.h"

#include <cstring>

namespace settings {

int32_t DelayFromFieldText(const char* text) {
    if (!text || text[0] == '\0') return kDelay.defaultValue;
    const char* p = text;
    const char* end = text + strnlen(text, kDelayFieldMax);
    // atoi's blanks: the C locale's isspace set.
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    // Saturate well above the range, so that a long run of digits stays out
    // of range instead of overflowing.
    int64_t number = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        number = number * 10 + (*p - '0');
        if (number > 1000000) number = 1000000;
    }
    if (negative) number = -number;
    return kDelay.Apply(static_cast<int32_t>(number));
}

std::string DefaultSlideShowFile(const char* programPath) {
    if (!programPath) return kDefaultListName;
    const char* lastBackslash = strrchr(programPath, '\\');
    if (!lastBackslash) return kDefaultListName;
    return std::string(programPath, lastBackslash + 1) + kDefaultListName;
}

bool SaverDelayMissing(int32_t saverDelayRead) {
    return saverDelayRead == kSaverDialogDelay.defaultValue;
}

int32_t SaverDialogDelay(int32_t saverDelayRead, int32_t viewerDelayRead) {
    int32_t delay = SaverDelayMissing(saverDelayRead) ? viewerDelayRead : saverDelayRead;
    return kSaverDialogDelay.Apply(delay);
}

int32_t SaverRefreshDelay(int32_t stored) {
    return kSaverRefreshDelay.Apply(stored);
}

int32_t ViewerDelay(int32_t stored) {
    return kDelay.Apply(stored);
}

}  // namespace settings
