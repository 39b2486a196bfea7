#include "settings.h"

#include "settings_rules.h"
#include "settings_table.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

// The one current key of the process. A std::string, so that no selected
// path, however long, can overrun a fixed buffer.
std::string g_currentKey;

// The current key, opened (and created when missing) for all access, and
// closed again when the scope ends.
class CurrentKey {
public:
    CurrentKey() {
        if (g_currentKey.empty()) return;  // never the root of HKEY_CURRENT_USER
        if (RegCreateKeyExA(HKEY_CURRENT_USER, g_currentKey.c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &m_hKey,
                            nullptr) != ERROR_SUCCESS)
            m_hKey = nullptr;
    }
    ~CurrentKey() {
        if (m_hKey) RegCloseKey(m_hKey);
    }
    CurrentKey(const CurrentKey&) = delete;
    CurrentKey& operator=(const CurrentKey&) = delete;

    HKEY get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

// Copies text into buffer, cut to fit, always terminated (bufferSize > 0).
void CopyCut(char* buffer, size_t bufferSize, const char* text) {
    size_t n = text ? strlen(text) : 0;
    if (n >= bufferSize) n = bufferSize - 1;
    if (n) memcpy(buffer, text, n);
    buffer[n] = '\0';
}

}  // namespace

void SelectSettingsKey(const char* keyPath) {
    g_currentKey = keyPath ? keyPath : "";
}

const char* CurrentSettingsKey() {
    return g_currentKey.c_str();
}

int32_t ReadSettingNumber(const char* value, int32_t defaultValue) {
    CurrentKey key;
    if (!key.get()) return defaultValue;
    DWORD type = 0;
    DWORD number = 0;
    DWORD size = sizeof(number);
    LONG rc = RegQueryValueExA(key.get(), value, nullptr, &type,
                               reinterpret_cast<BYTE*>(&number), &size);
    // A string, a binary block or a short DWORD where a number is expected
    // reads as missing rather than as whatever bytes happen to be there.
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(number))
        return defaultValue;
    return static_cast<int32_t>(number);
}

bool WriteSettingNumber(const char* value, int32_t number) {
    CurrentKey key;
    if (!key.get()) return false;
    DWORD data = static_cast<DWORD>(number);
    return RegSetValueExA(key.get(), value, 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&data), sizeof(data)) == ERROR_SUCCESS;
}

char* ReadSettingString(const char* value, char* buffer, size_t bufferSize,
                        const char* defaultValue) {
    if (!buffer || bufferSize == 0) return buffer;
    CurrentKey key;
    if (!key.get()) {
        CopyCut(buffer, bufferSize, defaultValue);
        return buffer;
    }
    // The registry writes at most `size` bytes; a stored text that needs
    // more comes back as ERROR_MORE_DATA and is read as missing.
    DWORD type = 0;
    DWORD size = bufferSize > MAXDWORD ? MAXDWORD : static_cast<DWORD>(bufferSize);
    LONG rc = RegQueryValueExA(key.get(), value, nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer), &size);
    if (rc != ERROR_SUCCESS || type != REG_SZ || size > bufferSize) {
        CopyCut(buffer, bufferSize, defaultValue);
        return buffer;
    }
    // Stored with its zero: the text ends there. Stored without it: it
    // needs one more byte, which must still lie inside the buffer.
    if (size > 0 && memchr(buffer, '\0', size)) return buffer;
    if (size < bufferSize) {
        buffer[size] = '\0';
        return buffer;
    }
    CopyCut(buffer, bufferSize, defaultValue);  // the text fills the buffer, no room for its zero
    return buffer;
}

bool WriteSettingString(const char* value, const char* text) {
    CurrentKey key;
    if (!key.get()) return false;
    if (!text) text = "";
    size_t length = strlen(text);
    if (length > MAXDWORD - 1) return false;
    return RegSetValueExA(key.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(length)) == ERROR_SUCCESS;
}

namespace {

// The saver's "list", or the viewer's when its own is empty; true when the
// viewer's section supplied it. Leaves the saver's key selected.
bool ReadSaverList(char* list, size_t listSize) {
    SelectSettingsKey(settings::kSaverKey);
    ReadSettingString(settings::kSaverList.name, list, listSize, settings::kSaverList.defaultValue);
    if (!list || listSize == 0 || list[0] != '\0') return false;
    SelectSettingsKey(settings::kViewerSlideshowKey);
    ReadSettingString(settings::kList.name, list, listSize, settings::kList.defaultValue);
    SelectSettingsKey(settings::kSaverKey);
    return true;
}

// The viewer's "delay" read through the raw routines, the saver's key
// selected again afterwards.
int32_t ReadViewerDelay(int32_t defaultValue) {
    SelectSettingsKey(settings::kViewerSlideshowKey);
    int32_t delay = ReadSettingNumber(settings::kDelay.name, defaultValue);
    SelectSettingsKey(settings::kSaverKey);
    return delay;
}

}  // namespace

void ReadSaverStartSettings(char* list, size_t listSize, int32_t* delay) {
    bool fallback = ReadSaverList(list, listSize);
    *delay = fallback ? ReadViewerDelay(settings::kDelay.defaultValue)
                      : ReadSettingNumber(settings::kSaverDelay.name, settings::kSaverDelay.defaultValue);
}

void ReadSaverDialogSettings(char* list, size_t listSize, int32_t* delay) {
    ReadSaverList(list, listSize);
    int32_t own = ReadSettingNumber(settings::kSaverDialogDelay.name,
                                    settings::kSaverDialogDelay.defaultValue);
    int32_t viewer = settings::SaverDelayMissing(own)
                         ? ReadViewerDelay(settings::kViewerDelayForSaverDialog.defaultValue)
                         : 0;
    *delay = settings::SaverDialogDelay(own, viewer);
}
