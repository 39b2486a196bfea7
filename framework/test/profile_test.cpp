// The profile operations over HKEY_CURRENT_USER\Software\<company>\<app>.
#include <gtest/gtest.h>

#include "test_support.h"

namespace fwtest {
namespace {

constexpr char kCompany[] = "Quillmere Profile Test";
constexpr char kSectionPath[] = "Software\\Quillmere Profile Test\\ProfileApp\\New Section";

class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteCompanyKey(kCompany);
        app.SetRegistryKey(kCompany);
    }
    void TearDown() override { DeleteCompanyKey(kCompany); }

    // The raw value as the registry holds it.
    std::string RawValue(const char* entry, DWORD* type) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSectionPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<no key>";
        char data[64];
        DWORD size = sizeof data;
        LONG status = RegQueryValueExA(key, entry, nullptr, type, reinterpret_cast<BYTE*>(data),
                                       &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? std::string(data, size) : "<no value>";
    }
    void SetRaw(const char* entry, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSectionPath, 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, entry, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }

    CWinApp app{"ProfileApp"};
};

TEST_F(ProfileTest, WritesCreateMissingKeysAndStoreStringsWithTheirZero) {
    EXPECT_TRUE(app.WriteProfileString("New Section", "text", "abc"));
    DWORD type = 0;
    EXPECT_EQ(RawValue("text", &type), std::string("abc\0", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

    DeleteCompanyKey(kCompany);
    EXPECT_TRUE(app.WriteProfileInt("New Section", "number", -2));
    EXPECT_EQ(RawValue("number", &type), std::string("\xFE\xFF\xFF\xFF", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(ProfileTest, StringsReadBackWithOrWithoutTheirZero) {
    SetRaw("with", REG_SZ, "with zero", 10);
    SetRaw("without", REG_SZ, "no zero", 7);
    SetRaw("empty", REG_SZ, "", 0);
    EXPECT_EQ(app.GetProfileString("New Section", "with", "d"), "with zero");
    EXPECT_EQ(app.GetProfileString("New Section", "without", "d"), "no zero");
    EXPECT_EQ(app.GetProfileString("New Section", "empty", "d"), "");
    EXPECT_EQ(app.GetProfileString("New Section", "missing", "d"), "d");
    EXPECT_EQ(app.GetProfileString("Missing Section", "with", "d"), "d");
    DWORD number = 7;
    SetRaw("number", REG_DWORD, &number, 4);
    EXPECT_EQ(app.GetProfileString("New Section", "number", "d"), "d");

    std::string longText(5000, 'x');
    EXPECT_TRUE(app.WriteProfileString("New Section", "long", longText.c_str()));
    EXPECT_EQ(app.GetProfileString("New Section", "long", ""), longText);
}

TEST_F(ProfileTest, NumbersReadAsSigned32Bit) {
    EXPECT_TRUE(app.WriteProfileInt("New Section", "n", 1234));
    EXPECT_EQ(app.GetProfileInt("New Section", "n", 0), 1234);
    DWORD all = 0xFFFFFFFF;
    SetRaw("minus one", REG_DWORD, &all, 4);
    EXPECT_EQ(app.GetProfileInt("New Section", "minus one", 0), -1);
    EXPECT_EQ(app.GetProfileInt("New Section", "missing", 300), 300);
    EXPECT_EQ(app.GetProfileInt("Missing Section", "n", 5), 5);
    SetRaw("text", REG_SZ, "12", 3);
    EXPECT_EQ(app.GetProfileInt("New Section", "text", 9), 9);
    SetRaw("short", REG_BINARY, "\x01\x02", 2);
    EXPECT_EQ(app.GetProfileInt("New Section", "short", 9), 9);
}

TEST_F(ProfileTest, WithoutRegistryKeyReadsGiveDefaultsAndWritesFail) {
    CWinApp bare("ProfileApp");
    EXPECT_FALSE(bare.WriteProfileInt("New Section", "n", 1));
    EXPECT_FALSE(bare.WriteProfileString("New Section", "s", "x"));
    EXPECT_EQ(bare.GetProfileInt("New Section", "n", 42), 42);
    EXPECT_EQ(bare.GetProfileString("New Section", "s", "d"), "d");
}

}  // namespace
}  // namespace fwtest
