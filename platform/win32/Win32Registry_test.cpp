#include "platform/win32/Win32Registry.h"

#include "platform/win32/Win32Headers.h"
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Text.h"

namespace sealwing::platform {
namespace {

// Every test works in a subtree of its own under HKCU and removes it afterwards.
class Win32RegistryTest : public ::testing::Test {
protected:
    static std::wstring UniqueRoot() {
        static unsigned sequence = 0;
        return L"Software\\SealwingTests\\" + HexW(::GetCurrentProcessId()) + L"-" + HexW(::GetTickCount()) + L"-" +
               HexW(++sequence);
    }

    void SetUp() override { ASSERT_TRUE(hive_.CreateKey(rootPath_)); }
    void TearDown() override {
        hive_.DeleteKey(rootPath_);
        hive_.DeleteKey(L"Software\\SealwingTests");
    }

    const std::wstring rootPath_ = UniqueRoot();
    Win32Registry hive_;
    Win32Registry registry_{rootPath_};
};

TEST_F(Win32RegistryTest, NamesCompareWithoutCaseAndKeepTheirCreatedCase) {
    ASSERT_TRUE(registry_.CreateKey(L"Parcelon\\Outlook addin"));
    EXPECT_TRUE(registry_.KeyExists(L"PARCELON\\outlook ADDIN"));
    ASSERT_TRUE(registry_.WriteString(L"parcelon\\OUTLOOK addin", L"ServerName", L"mail.example.com"));
    EXPECT_EQ(registry_.ReadString(L"Parcelon\\Outlook Addin", L"SERVERNAME"), L"mail.example.com");
    ASSERT_TRUE(registry_.WriteDword(L"Parcelon\\Outlook addin", L"servername", 7));  // the same value, new type
    EXPECT_EQ(registry_.ReadDword(L"Parcelon\\Outlook addin", L"ServerName"), 7u);

    EXPECT_EQ(registry_.SubkeyNames(L""), std::vector<std::wstring>{L"Parcelon"});
    EXPECT_EQ(registry_.SubkeyNames(L"parcelon"), std::vector<std::wstring>{L"Outlook addin"});
    EXPECT_EQ(registry_.ValueNames(L"Parcelon\\Outlook addin"), std::vector<std::wstring>{L"ServerName"});
    // The root is a prefix below HKCU, so the same key is reached through the hive.
    EXPECT_EQ(hive_.ReadDword(rootPath_ + L"\\Parcelon\\Outlook addin", L"ServerName"), 7u);
}

TEST_F(Win32RegistryTest, WritingIntoAMissingKeyFailsAndCreatesNothing) {
    EXPECT_FALSE(registry_.WriteString(L"Missing", L"Name", L"x"));
    EXPECT_FALSE(registry_.WriteDword(L"Missing\\Deeper", L"Name", 1));
    EXPECT_FALSE(registry_.KeyExists(L"Missing"));
    EXPECT_TRUE(registry_.SubkeyNames(L"").empty());
    EXPECT_FALSE(registry_.DeleteValue(L"Missing", L"Name"));
    EXPECT_TRUE(registry_.SubkeyNames(L"Missing").empty());
    EXPECT_TRUE(registry_.ValueNames(L"Missing").empty());
}

TEST_F(Win32RegistryTest, ReadsAnswerNothingForMissingValuesAndOtherTypes) {
    ASSERT_TRUE(registry_.CreateKey(L"Key"));
    ASSERT_TRUE(registry_.WriteString(L"Key", L"Text", L"12"));
    ASSERT_TRUE(registry_.WriteDword(L"Key", L"Number", 0xFFFFFFFFu));
    ASSERT_TRUE(registry_.WriteString(L"Key", L"Empty", L""));
    EXPECT_EQ(registry_.ReadDword(L"Key", L"Number"), 0xFFFFFFFFu);
    EXPECT_EQ(registry_.ReadString(L"Key", L"Empty"), L"");
    EXPECT_EQ(registry_.ReadDword(L"Key", L"Text"), std::nullopt);
    EXPECT_EQ(registry_.ReadString(L"Key", L"Number"), std::nullopt);
    EXPECT_EQ(registry_.ReadString(L"Key", L"Missing"), std::nullopt);
    EXPECT_EQ(registry_.ReadDword(L"Missing", L"Number"), std::nullopt);

    // Other writers may store a string without its NUL, or with several.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, (rootPath_ + L"\\Key").c_str(), 0, KEY_SET_VALUE, &key), 0);
    const wchar_t bare[] = L"abc";
    ::RegSetValueExW(key, L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(bare), 3 * sizeof(wchar_t));
    const wchar_t padded[] = L"abc\0\0";
    ::RegSetValueExW(key, L"Padded", 0, REG_SZ, reinterpret_cast<const BYTE*>(padded), 6 * sizeof(wchar_t));
    const wchar_t expandable[] = L"%TEMP%";
    ::RegSetValueExW(key, L"Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expandable), sizeof(expandable));
    ::RegCloseKey(key);
    EXPECT_EQ(registry_.ReadString(L"Key", L"Bare"), L"abc");
    EXPECT_EQ(registry_.ReadString(L"Key", L"Padded"), L"abc");
    EXPECT_EQ(registry_.ReadString(L"Key", L"Expand"), std::nullopt);

    EXPECT_TRUE(registry_.DeleteValue(L"key", L"TEXT"));
    EXPECT_FALSE(registry_.DeleteValue(L"Key", L"Text"));
    EXPECT_EQ(registry_.ReadString(L"Key", L"Text"), std::nullopt);
}

TEST_F(Win32RegistryTest, DeleteKeyRemovesTheWholeTreeAndOnlyIt) {
    ASSERT_TRUE(registry_.CreateKey(L"Tree\\A\\Deep\\Deeper"));
    ASSERT_TRUE(registry_.CreateKey(L"Tree\\B"));
    ASSERT_TRUE(registry_.CreateKey(L"Sibling"));
    ASSERT_TRUE(registry_.WriteDword(L"Tree\\A\\Deep", L"Value", 1));
    ASSERT_TRUE(registry_.WriteDword(L"Tree", L"Value", 1));

    EXPECT_TRUE(registry_.DeleteKey(L"TREE"));
    EXPECT_FALSE(registry_.KeyExists(L"Tree"));
    EXPECT_TRUE(registry_.KeyExists(L"Sibling"));
    EXPECT_FALSE(registry_.DeleteKey(L"Tree"));
    EXPECT_FALSE(registry_.DeleteKey(L""));  // never the root itself
    EXPECT_TRUE(registry_.KeyExists(L""));

    auto names = registry_.SubkeyNames(L"");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, std::vector<std::wstring>{L"Sibling"});
}

}  // namespace
}  // namespace sealwing::platform
