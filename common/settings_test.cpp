// The raw settings routines against the real (Wine) registry. Each test
// works under its own key below a scratch root, removed when it ends.
#include "settings.h"
#include "settings_table.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr const char kRoot[] = "Software\\Quillmere\\SettingsTest";

class RawSettings : public ::testing::Test {
protected:
    void SetUp() override {
        m_key = std::string(kRoot) + "\\" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        SelectSettingsKey(m_key.c_str());
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kRoot);
        SelectSettingsKey(nullptr);
    }

    bool KeyExists(const std::string& path) {
        HKEY h;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        RegCloseKey(h);
        return true;
    }

    // Stores raw bytes under the test key, bypassing the routines.
    void SetRaw(const char* value, DWORD type, const void* data, DWORD size) {
        HKEY h;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(h, value, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(h);
    }

    // Type and byte count of a stored value, read back in its wide form
    // (what the registry holds, without the ANSI conversion).
    bool QueryRaw(const char* value, DWORD* type, DWORD* size) {
        HKEY h;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        wchar_t name[256];
        MultiByteToWideChar(CP_ACP, 0, value, -1, name, 256);
        LONG rc = RegQueryValueExW(h, name, nullptr, type, nullptr, size);
        RegCloseKey(h);
        return rc == ERROR_SUCCESS;
    }

    std::string m_key;
};

TEST_F(RawSettings, WriteCreatesTheMissingKey) {
    ASSERT_FALSE(KeyExists(m_key));
    EXPECT_TRUE(WriteSettingNumber("delay", 7));
    EXPECT_TRUE(KeyExists(m_key));
    EXPECT_EQ(ReadSettingNumber("delay", 5), 7);
}

TEST_F(RawSettings, WriteCreatesMissingKeysOnTheWay) {
    std::string deep = m_key + "\\a\\b";
    SelectSettingsKey(deep.c_str());
    EXPECT_TRUE(WriteSettingString("list", "c:\\x.lst"));
    EXPECT_TRUE(KeyExists(deep));
}

TEST_F(RawSettings, NumberRoundTripIsSigned) {
    EXPECT_TRUE(WriteSettingNumber("n", -1));
    EXPECT_EQ(ReadSettingNumber("n", 5), -1);
    EXPECT_TRUE(WriteSettingNumber("n", 1000));
    EXPECT_EQ(ReadSettingNumber("n", 5), 1000);
    DWORD type = 0, size = 0;
    ASSERT_TRUE(QueryRaw("n", &type, &size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
}

TEST_F(RawSettings, MissingNumberGivesTheDefault) {
    EXPECT_EQ(ReadSettingNumber("delay", 10000), 10000);
    WriteSettingNumber("other", 1);
    EXPECT_EQ(ReadSettingNumber("delay", 100002), 100002);
}

TEST_F(RawSettings, StringWhereANumberIsExpectedGivesTheDefault) {
    SetRaw("delay", REG_SZ, "7", 2);
    EXPECT_EQ(ReadSettingNumber("delay", 5), 5);
    const BYTE blob[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    SetRaw("blob", REG_BINARY, blob, sizeof(blob));
    EXPECT_EQ(ReadSettingNumber("blob", 5), 5);
    SetRaw("short", REG_BINARY, blob, 4);  // four bytes, but not a DWORD
    EXPECT_EQ(ReadSettingNumber("short", 5), 5);
}

TEST_F(RawSettings, StringRoundTrip) {
    EXPECT_TRUE(WriteSettingString("list", "c:\\shows\\a.lst"));
    char buf[261];
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), "x"), "c:\\shows\\a.lst");
    EXPECT_TRUE(WriteSettingString("list", ""));
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), "x"), "");
}

TEST_F(RawSettings, WriteStringHandsTheLengthWithoutTheZero) {
    // The routine passes strlen bytes. The registry (NT and Wine alike)
    // appends the zero itself when it follows the counted bytes, so the
    // stored value holds the text and at most that one zero, nothing else.
    ASSERT_TRUE(WriteSettingString("list", "abc"));
    DWORD type = 0, size = 0;
    ASSERT_TRUE(QueryRaw("list", &type, &size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(size == 3 * sizeof(wchar_t) || size == 4 * sizeof(wchar_t)) << size;
    char buf[8];
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), ""), "abc");
}

TEST_F(RawSettings, ReadsStringsStoredWithoutTheirZero) {
    // "abcX" with a count of 3: the byte after the counted ones is not a
    // zero, so the registry stores exactly three characters.
    SetRaw("list", REG_SZ, "abcX", 3);
    DWORD type = 0, size = 0;
    ASSERT_TRUE(QueryRaw("list", &type, &size));
    ASSERT_EQ(size, 3 * sizeof(wchar_t));
    char buf[8];
    memset(buf, '#', sizeof(buf));
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), "dflt"), "abc");
    char exact[4];  // room for the three bytes and the added zero
    memset(exact, '#', sizeof(exact));
    EXPECT_STREQ(ReadSettingString("list", exact, sizeof(exact), "d"), "abc");
}

TEST_F(RawSettings, ReadsStringsStoredWithTheirZero) {
    SetRaw("list", REG_SZ, "abc", 4);
    char buf[8];
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), "dflt"), "abc");
    char exact[4];
    EXPECT_STREQ(ReadSettingString("list", exact, sizeof(exact), "d"), "abc");
}

TEST_F(RawSettings, TooLongStringGivesTheDefault) {
    WriteSettingString("list", "0123456789");
    struct Guarded {
        char buf[8];
        char guard[8];
    } g;
    memset(&g, '#', sizeof(g));
    EXPECT_STREQ(ReadSettingString("list", g.buf, sizeof(g.buf), "dflt"), "dflt");
    for (char c : g.guard) EXPECT_EQ(c, '#');
    // The text without its zero would fit exactly, with it not: the default.
    WriteSettingString("seven", "0123456");
    char seven[7];
    EXPECT_STREQ(ReadSettingString("seven", seven, sizeof(seven), "d"), "d");
    SetRaw("raw7", REG_SZ, "0123456X", 7);
    EXPECT_STREQ(ReadSettingString("raw7", seven, sizeof(seven), "d"), "d");
}

TEST_F(RawSettings, A261ByteBufferTakes260Characters) {
    std::string longest(260, 'p');
    WriteSettingString("list", longest.c_str());
    char buf[261];
    EXPECT_EQ(std::string(ReadSettingString("list", buf, sizeof(buf), "d")), longest);
    WriteSettingString("list", (longest + "q").c_str());
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), "d"), "d");
}

TEST_F(RawSettings, MissingStringGivesTheDefault) {
    char buf[16];
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), "fallback"), "fallback");
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), nullptr), "");
}

TEST_F(RawSettings, NumberWhereAStringIsExpectedGivesTheDefault) {
    WriteSettingNumber("list", 0x00636261);  // "abc\0" as bytes
    char buf[16];
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), "d"), "d");
}

TEST_F(RawSettings, DefaultIsCutToTheBuffer) {
    struct Guarded {
        char buf[4];
        char guard[8];
    } g;
    memset(&g, '#', sizeof(g));
    EXPECT_STREQ(ReadSettingString("missing", g.buf, sizeof(g.buf), "longdefault"), "lon");
    for (char c : g.guard) EXPECT_EQ(c, '#');
    char one[1] = {'#'};
    EXPECT_STREQ(ReadSettingString("missing", one, 1, "x"), "");
    char untouched = '#';
    EXPECT_EQ(ReadSettingString("missing", &untouched, 0, "x"), &untouched);
    EXPECT_EQ(untouched, '#');
}

TEST_F(RawSettings, SelectAndReselect) {
    std::string a = m_key + "\\A";
    std::string b = m_key + "\\B";
    SelectSettingsKey(a.c_str());
    WriteSettingNumber("delay", 1);
    WriteSettingString("list", "a.lst");
    SelectSettingsKey(b.c_str());
    EXPECT_STREQ(CurrentSettingsKey(), b.c_str());
    EXPECT_EQ(ReadSettingNumber("delay", 5), 5);
    WriteSettingNumber("delay", 2);
    SelectSettingsKey(a.c_str());
    EXPECT_EQ(ReadSettingNumber("delay", 5), 1);
    char buf[16];
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), ""), "a.lst");
    SelectSettingsKey(b.c_str());
    EXPECT_EQ(ReadSettingNumber("delay", 5), 2);
}

TEST_F(RawSettings, ReadsSeeOtherWritersAtOnce) {
    // Nothing is cached: a value changed behind the routines' back is read.
    WriteSettingNumber("delay", 1);
    DWORD seven = 7;
    SetRaw("delay", REG_DWORD, &seven, sizeof(seven));
    EXPECT_EQ(ReadSettingNumber("delay", 5), 7);
}

TEST_F(RawSettings, NoKeySelectedNeverTouchesTheRoot) {
    SelectSettingsKey(nullptr);
    EXPECT_STREQ(CurrentSettingsKey(), "");
    EXPECT_FALSE(WriteSettingNumber("lumora-root-test", 1));
    EXPECT_FALSE(WriteSettingString("lumora-root-test", "x"));
    EXPECT_EQ(ReadSettingNumber("lumora-root-test", 9), 9);
    char buf[4];
    EXPECT_STREQ(ReadSettingString("lumora-root-test", buf, sizeof(buf), "d"), "d");
    SelectSettingsKey("");
    EXPECT_FALSE(WriteSettingNumber("lumora-root-test", 1));
    EXPECT_NE(RegQueryValueExA(HKEY_CURRENT_USER, "lumora-root-test", nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
}

TEST_F(RawSettings, KeyThatCannotBeOpenedGivesDefaultsAndFailures) {
    // A non-volatile key cannot be created below a volatile one.
    std::string volatileKey = m_key + "\\volatile";
    HKEY h;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, volatileKey.c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(h);
    std::string bad = volatileKey + "\\child";
    SelectSettingsKey(bad.c_str());
    EXPECT_FALSE(WriteSettingNumber("delay", 1));
    EXPECT_EQ(ReadSettingNumber("delay", 5), 5);
    char buf[8];
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), "d"), "d");
}

TEST_F(RawSettings, LongKeyPathIsHeldWhole) {
    // The selected path is kept whole, whatever its length: here longer
    // than the 261-byte buffers the programs use for paths.
    std::string path = m_key;
    for (int i = 0; i < 2; ++i) path += "\\" + std::string(150, static_cast<char>('a' + i));
    SelectSettingsKey(path.c_str());
    EXPECT_EQ(std::string(CurrentSettingsKey()), path);
    // Wine refuses key paths this long, Windows takes them; either way the
    // read agrees with the write.
    bool written = WriteSettingNumber("delay", 3);
    EXPECT_EQ(ReadSettingNumber("delay", 5), written ? 3 : 5);
}

// The screen saver's readings, on the programs' real keys.
class SaverSettings : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillmere"); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillmere"); }

    static void Store(const char* key, const char* list, const int32_t* delay) {
        SelectSettingsKey(key);
        if (list) WriteSettingString("list", list);
        if (delay) WriteSettingNumber("delay", *delay);
    }

    char m_list[261];
    int32_t m_delay = -12345;
};

TEST_F(SaverSettings, StartWithNothingStored) {
    ReadSaverStartSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_STREQ(m_list, "");
    EXPECT_EQ(m_delay, 5);
    EXPECT_STREQ(CurrentSettingsKey(), settings::kSaverKey);
}

TEST_F(SaverSettings, StartUsesItsOwnValuesAsStored) {
    int32_t own = 1000, viewer = 3;
    Store(settings::kSaverKey, "c:\\saver.lst", &own);
    Store(settings::kViewerSlideshowKey, "c:\\viewer.lst", &viewer);
    ReadSaverStartSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_STREQ(m_list, "c:\\saver.lst");
    EXPECT_EQ(m_delay, 1000);  // no range check at start
}

TEST_F(SaverSettings, StartFallsBackToTheViewersShowAndDelay) {
    int32_t own = 9, viewer = -1;
    Store(settings::kSaverKey, "", &own);
    Store(settings::kViewerSlideshowKey, "c:\\viewer.lst", &viewer);
    SelectSettingsKey("Software\\Elsewhere");
    ReadSaverStartSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_STREQ(m_list, "c:\\viewer.lst");
    EXPECT_EQ(m_delay, -1);  // the viewer's, as stored, not the saver's own 9
    EXPECT_STREQ(CurrentSettingsKey(), settings::kSaverKey);

    Store(settings::kViewerSlideshowKey, "c:\\viewer.lst", nullptr);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, settings::kViewerSlideshowKey, "delay");
    ReadSaverStartSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_EQ(m_delay, 5);
}

TEST_F(SaverSettings, DialogDelayFallsBackThroughTheMarkers) {
    ReadSaverDialogSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_EQ(m_delay, 5);  // neither stored
    EXPECT_STREQ(CurrentSettingsKey(), settings::kSaverKey);

    int32_t viewer = 12;
    Store(settings::kViewerSlideshowKey, nullptr, &viewer);
    ReadSaverDialogSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_EQ(m_delay, 12);  // its own is missing: the viewer's
    EXPECT_STREQ(CurrentSettingsKey(), settings::kSaverKey);

    viewer = 1000;
    Store(settings::kViewerSlideshowKey, nullptr, &viewer);
    ReadSaverDialogSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_EQ(m_delay, 5);

    int32_t own = 0;
    Store(settings::kSaverKey, nullptr, &own);
    ReadSaverDialogSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_EQ(m_delay, 0);  // its own, 0 included
    own = -1;
    Store(settings::kSaverKey, nullptr, &own);
    ReadSaverDialogSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_EQ(m_delay, 5);
}

TEST_F(SaverSettings, DialogListFallsBackToTheViewers) {
    Store(settings::kViewerSlideshowKey, "c:\\viewer.lst", nullptr);
    ReadSaverDialogSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_STREQ(m_list, "c:\\viewer.lst");
    Store(settings::kSaverKey, "c:\\saver.lst", nullptr);
    ReadSaverDialogSettings(m_list, sizeof(m_list), &m_delay);
    EXPECT_STREQ(m_list, "c:\\saver.lst");
}

TEST(RawSettingsKeys, TheProgramsKeys) {
    SelectSettingsKey(settings::kSaverKey);
    EXPECT_TRUE(WriteSettingNumber("delay", 9));
    SelectSettingsKey(settings::kViewerSlideshowKey);
    EXPECT_TRUE(WriteSettingString("list", "c:\\v.lst"));
    SelectSettingsKey(settings::kSaverKey);
    EXPECT_EQ(ReadSettingNumber("delay", 5), 9);
    char buf[261];
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), ""), "");
    SelectSettingsKey(settings::kViewerSlideshowKey);
    EXPECT_STREQ(ReadSettingString("list", buf, sizeof(buf), ""), "c:\\v.lst");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillmere");
}

}  // namespace
