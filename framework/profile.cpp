// The profile operations of CWinApp. Each opens the section's key, does one
// query or set, and closes the key again: nothing is cached, so another
// process's writes are seen at once.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "handles.h"
#include "win_app.h"

void CWinApp::SetRegistryKey(const char* lpszRegistryKey) {
    m_strRegistryKey = lpszRegistryKey ? lpszRegistryKey : "";
    m_pszRegistryKey = m_strRegistryKey.empty() ? nullptr : m_strRegistryKey.c_str();
}

std::string CWinApp::SectionKeyPath(const char* section) const {
    if (!m_pszRegistryKey || !section) return {};
    return "Software\\" + m_strRegistryKey + "\\" + m_strAppName + "\\" + section;
}

int CWinApp::GetProfileInt(const char* section, const char* entry, int nDefault) {
    std::string path = SectionKeyPath(section);
    fw::UniqueRegKey key;
    if (path.empty() || RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ,
                                      key.receive()) != ERROR_SUCCESS)
        return nDefault;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return nDefault;
    return static_cast<int>(static_cast<int32_t>(value));
}

std::string CWinApp::GetProfileString(const char* section, const char* entry,
                                      const char* lpszDefault) {
    std::string fallback = lpszDefault ? lpszDefault : "";
    std::string path = SectionKeyPath(section);
    fw::UniqueRegKey key;
    if (path.empty() || RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ,
                                      key.receive()) != ERROR_SUCCESS)
        return fallback;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), entry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return fallback;
    // One byte more than stored: a value written without its terminating
    // zero still reads as a terminated text.
    std::vector<char> buffer(size + 1, '\0');
    if (RegQueryValueExA(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return fallback;
    buffer[std::min<size_t>(size, buffer.size() - 1)] = '\0';
    return std::string(buffer.data());
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int nValue) {
    std::string path = SectionKeyPath(section);
    fw::UniqueRegKey key;
    if (path.empty() || !entry ||
        RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        return FALSE;
    DWORD value = static_cast<DWORD>(nValue);
    return RegSetValueExA(key.get(), entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
    std::string path = SectionKeyPath(section);
    fw::UniqueRegKey key;
    if (path.empty() || !entry || !value ||
        RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        return FALSE;
    // The stored length counts the terminating zero.
    DWORD size = static_cast<DWORD>(strlen(value) + 1);
    return RegSetValueExA(key.get(), entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          size) == ERROR_SUCCESS;
}
