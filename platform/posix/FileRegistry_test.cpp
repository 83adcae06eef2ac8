#include "platform/posix/FileRegistry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Text.h"
#include "platform/posix/RegistryFileFormat.h"
#include "platform/posix/TempFolder.h"

namespace sealwing::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::wstring kAddinKey = L"Software\\Parcelon\\Outlook addin";

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class FileRegistryTest : public ::testing::Test {
protected:
    std::string File() const { return temp_.Narrow() + "/registry.txt"; }
    std::wstring WideFile() const { return WideFromUtf8(File()); }
    void WriteFile(const std::string& bytes) const { std::ofstream(File(), std::ios::binary) << bytes; }

    TempFolder temp_;
};

TEST_F(FileRegistryTest, NamesMatchWithoutRegardToCaseAndKeepTheirFirstCase) {
    FileRegistry registry(WideFile());
    ASSERT_TRUE(registry.CreateKey(kAddinKey));
    EXPECT_TRUE(registry.CreateKey(L"SOFTWARE\\parcelon\\OUTLOOK ADDIN\\Sub"));
    EXPECT_TRUE(registry.KeyExists(L"software\\PARCELON"));
    EXPECT_THAT(registry.SubkeyNames(L"SOFTWARE"), ElementsAre(L"Parcelon"));
    EXPECT_THAT(registry.SubkeyNames(kAddinKey), ElementsAre(L"Sub"));

    EXPECT_TRUE(registry.WriteString(kAddinKey, L"ServerUrl", L"https://a.example/"));
    EXPECT_TRUE(registry.WriteString(L"software\\parcelon\\outlook addin", L"SERVERURL", L"https://b.example/"));
    EXPECT_THAT(registry.ValueNames(kAddinKey), ElementsAre(L"ServerUrl"));
    EXPECT_EQ(registry.ReadString(kAddinKey, L"serverurl"), L"https://b.example/");

    // Latin-1 letters fold too.
    EXPECT_TRUE(registry.CreateKey(L"Software\\\u00c9t\u00e9"));
    EXPECT_TRUE(registry.KeyExists(L"SOFTWARE\\\u00e9T\u00c9"));
}

TEST_F(FileRegistryTest, ValuesNeedAnExistingKeyAndKeepTheirType) {
    FileRegistry registry(WideFile());
    EXPECT_FALSE(registry.WriteDword(kAddinKey, L"Timeout", 30));
    EXPECT_FALSE(registry.WriteString(kAddinKey, L"Name", L"x"));
    EXPECT_FALSE(registry.KeyExists(kAddinKey));
    EXPECT_FALSE(std::filesystem::exists(File()));  // a refused write writes nothing

    ASSERT_TRUE(registry.CreateKey(kAddinKey));
    EXPECT_TRUE(registry.WriteDword(kAddinKey, L"Timeout", 30));
    EXPECT_TRUE(registry.WriteString(kAddinKey, L"Name", L"x"));
    EXPECT_EQ(registry.ReadDword(kAddinKey, L"Timeout"), 30u);
    EXPECT_EQ(registry.ReadString(kAddinKey, L"Timeout"), std::nullopt);
    EXPECT_EQ(registry.ReadDword(kAddinKey, L"Name"), std::nullopt);
    EXPECT_EQ(registry.ReadDword(kAddinKey, L"Missing"), std::nullopt);
    EXPECT_EQ(registry.ReadDword(L"Software\\Missing", L"Timeout"), std::nullopt);

    // Writing the other type replaces the value, as the registry does.
    EXPECT_TRUE(registry.WriteString(kAddinKey, L"Timeout", L"30"));
    EXPECT_EQ(registry.ReadDword(kAddinKey, L"Timeout"), std::nullopt);
    EXPECT_EQ(registry.ReadString(kAddinKey, L"Timeout"), L"30");

    EXPECT_TRUE(registry.DeleteValue(kAddinKey, L"TIMEOUT"));
    EXPECT_FALSE(registry.DeleteValue(kAddinKey, L"Timeout"));
    EXPECT_THAT(registry.ValueNames(kAddinKey), ElementsAre(L"Name"));
}

TEST_F(FileRegistryTest, MalformedKeyPathsAreRefused) {
    FileRegistry registry(WideFile());
    const std::wstring malformed[] = {L"\\Software", L"Software\\\\Parcelon", L"Bad\nName"};
    for (const auto& path : malformed) {
        EXPECT_FALSE(registry.CreateKey(path)) << Utf8FromWide(path);
        EXPECT_FALSE(registry.WriteDword(path, L"v", 1)) << Utf8FromWide(path);
    }
    EXPECT_THAT(registry.SubkeyNames(L""), IsEmpty());
    EXPECT_TRUE(registry.CreateKey(L"Software\\Parcelon\\"));  // one trailing separator is allowed
    EXPECT_TRUE(registry.KeyExists(L"Software\\Parcelon"));
}

// The registry allows 512 levels. A file nested far deeper, as a damaged or hostile one can be, is refused like any
// other damage: holding it would need as many nested calls to copy, write and free it.
TEST_F(FileRegistryTest, KeysNestAtMostFiveHundredTwelveLevelsInCallsAndInTheFile) {
    auto path = [](std::size_t levels) {
        std::wstring text = L"k";
        for (std::size_t level = 1; level < levels; ++level) text += L"\\k";
        return text;
    };
    {
        FileRegistry registry(WideFile());
        EXPECT_TRUE(registry.CreateKey(path(512)));
        EXPECT_FALSE(registry.CreateKey(path(513)));
        EXPECT_FALSE(registry.WriteDword(path(513), L"v", 1));
    }
    EXPECT_EQ(FileRegistry(WideFile()).LoadProblem(), L"");

    WriteFile("SealwingRegistry 1\n[" + Utf8FromWide(path(513)) + "]\n");
    EXPECT_NE(FileRegistry(WideFile()).LoadProblem().find(L"malformed key path"), std::wstring::npos);
    WriteFile("SealwingRegistry 1\n[" + Utf8FromWide(path(300000)) + "]\n");
    FileRegistry deep(WideFile());
    EXPECT_NE(deep.LoadProblem().find(L"malformed key path"), std::wstring::npos);
    EXPECT_THAT(deep.SubkeyNames(L""), IsEmpty());
}

TEST_F(FileRegistryTest, DeleteKeyRemovesTheWholeSubtreeOnly) {
    FileRegistry registry(WideFile());
    ASSERT_TRUE(registry.CreateKey(L"Software\\Parcelon\\Outlook addin\\Accounts\\a@example.com"));
    ASSERT_TRUE(registry.CreateKey(L"Software\\Other"));
    ASSERT_TRUE(registry.WriteDword(L"Software\\Parcelon\\Outlook addin\\Accounts", L"Count", 1));

    EXPECT_TRUE(registry.DeleteKey(L"software\\parcelon"));
    EXPECT_FALSE(registry.KeyExists(L"Software\\Parcelon"));
    EXPECT_FALSE(registry.KeyExists(L"Software\\Parcelon\\Outlook addin\\Accounts"));
    EXPECT_THAT(registry.SubkeyNames(L"Software"), ElementsAre(L"Other"));
    EXPECT_FALSE(registry.DeleteKey(L"Software\\Parcelon"));
    EXPECT_FALSE(registry.DeleteKey(L""));  // the hive's root stays

    // A recreated key starts empty.
    ASSERT_TRUE(registry.CreateKey(L"Software\\Parcelon\\Outlook addin\\Accounts"));
    EXPECT_THAT(registry.ValueNames(L"Software\\Parcelon\\Outlook addin\\Accounts"), IsEmpty());
}

TEST_F(FileRegistryTest, EveryChangeIsInTheFileForTheNextInstance) {
    {
        FileRegistry registry(WideFile());
        ASSERT_TRUE(registry.CreateKey(kAddinKey));
        ASSERT_TRUE(registry.CreateKey(L"Software\\Empty key"));
        ASSERT_TRUE(registry.CreateKey(L"Software\\Gone"));
        ASSERT_TRUE(registry.WriteDword(kAddinKey, L"Timeout", 0xFFFFFFFF));
        ASSERT_TRUE(registry.WriteString(kAddinKey, L"", L"the default value"));
        ASSERT_TRUE(registry.WriteString(kAddinKey, L"Gone", L"x"));
        ASSERT_TRUE(registry.CreateKey(L""));
        ASSERT_TRUE(registry.WriteDword(L"", L"AtTheRoot", 7));
        ASSERT_TRUE(registry.DeleteValue(kAddinKey, L"Gone"));
        ASSERT_TRUE(registry.DeleteKey(L"Software\\Gone"));
    }
    EXPECT_EQ(std::filesystem::status(File()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    FileRegistry reloaded(WideFile());
    EXPECT_EQ(reloaded.LoadProblem(), L"");
    EXPECT_THAT(reloaded.SubkeyNames(L"Software"), ElementsAre(L"Empty key", L"Parcelon"));
    EXPECT_THAT(reloaded.ValueNames(kAddinKey), ElementsAre(L"Timeout", L""));
    EXPECT_EQ(reloaded.ReadDword(kAddinKey, L"Timeout"), 0xFFFFFFFFu);
    EXPECT_EQ(reloaded.ReadString(kAddinKey, L""), L"the default value");
    EXPECT_EQ(reloaded.ReadDword(L"", L"AtTheRoot"), 7u);
}

TEST_F(FileRegistryTest, AnyTextRoundTripsThroughTheFile) {
    const std::wstring texts[] = {
        L"",
        L"say \"hi\"",
        L"C:\\Users\\me\\",
        L"line one\nline two\r\n\ttabbed",
        L"caf\u00e9 \u20ac \U0001F600",
        L"\u007f\u0001 control",
        std::wstring(L"nul\0inside", 10),
        std::wstring(L"lone ") + static_cast<wchar_t>(0xD800) + L" surrogate",
        L"\\u{41} looks like an escape",
        L"[Not a key]",
    };
    {
        FileRegistry registry(WideFile());
        ASSERT_TRUE(registry.CreateKey(kAddinKey));
        int number = 0;
        for (const auto& text : texts) {
            ASSERT_TRUE(registry.WriteString(kAddinKey, L"value " + std::to_wstring(number), text));
            ASSERT_TRUE(registry.WriteString(kAddinKey, text + L" as a name", L"v" + std::to_wstring(number)));
            ++number;
        }
    }
    FileRegistry reloaded(WideFile());
    ASSERT_EQ(reloaded.LoadProblem(), L"");
    int number = 0;
    for (const auto& text : texts) {
        EXPECT_EQ(reloaded.ReadString(kAddinKey, L"value " + std::to_wstring(number)), text) << number;
        EXPECT_EQ(reloaded.ReadString(kAddinKey, text + L" as a name"), L"v" + std::to_wstring(number)) << number;
        ++number;
    }
}

TEST_F(FileRegistryTest, KeyNamesWithBracketsAndNonAsciiSurviveTheFile) {
    const std::wstring key = L"Software\\[x] \u00e9\u4e2d ] \"q\"\\ end]";
    {
        FileRegistry registry(WideFile());
        ASSERT_TRUE(registry.CreateKey(key));
        ASSERT_TRUE(registry.WriteDword(key, L"v", 1));
    }
    FileRegistry reloaded(WideFile());
    EXPECT_EQ(reloaded.LoadProblem(), L"");
    EXPECT_THAT(reloaded.SubkeyNames(L"Software"), ElementsAre(L"[x] \u00e9\u4e2d ] \"q\""));
    EXPECT_EQ(reloaded.ReadDword(key, L"v"), 1u);
}

TEST_F(FileRegistryTest, TheFileIsReadableText) {
    FileRegistry registry(WideFile());
    ASSERT_TRUE(registry.CreateKey(kAddinKey));
    ASSERT_TRUE(registry.WriteDword(kAddinKey, L"Timeout", 0x1f));
    ASSERT_TRUE(registry.WriteString(kAddinKey, L"Path", L"C:\\x \"y\"\n"));
    ASSERT_TRUE(registry.CreateKey(kAddinKey + L"\\Empty"));
    // Keys with values and empty leaves have lines; the keys above them come back from their paths.
    EXPECT_EQ(Slurp(File()),
              "SealwingRegistry 1\n"
              "\n[Software\\Parcelon\\Outlook addin]\n"
              "\"Timeout\"=dword:0000001f\n"
              "\"Path\"=\"C:\\\\x \\\"y\\\"\\n\"\n"
              "\n[Software\\Parcelon\\Outlook addin\\Empty]\n");
    FileRegistry reloaded(WideFile());
    EXPECT_THAT(reloaded.SubkeyNames(L"Software"), ElementsAre(L"Parcelon"));
    EXPECT_THAT(reloaded.SubkeyNames(kAddinKey), ElementsAre(L"Empty"));
}

TEST_F(FileRegistryTest, AHandEditedFileWithCrLfAndCommentsLoads) {
    WriteFile("SealwingRegistry 1\r\n; settings\r\n[Software\\Parcelon]\r\n\"A\"=dword:1F\r\n\"B\"=\"x\"\r\n");
    FileRegistry registry(WideFile());
    EXPECT_EQ(registry.LoadProblem(), L"");
    EXPECT_EQ(registry.ReadDword(L"Software\\Parcelon", L"a"), 0x1fu);
    EXPECT_EQ(registry.ReadString(L"Software\\Parcelon", L"b"), L"x");
    EXPECT_TRUE(registry.KeyExists(L"Software"));
}

TEST_F(FileRegistryTest, AMissingOrEmptyFileIsAnEmptyHiveWithoutProblem) {
    FileRegistry missing(WideFile());
    EXPECT_EQ(missing.LoadProblem(), L"");
    WriteFile("");
    FileRegistry empty(WideFile());
    EXPECT_EQ(empty.LoadProblem(), L"");
    EXPECT_THAT(empty.SubkeyNames(L""), IsEmpty());
}

TEST_F(FileRegistryTest, ACorruptFileStartsEmptyAndIsSetAsideAtTheFirstChange) {
    const std::string corruptFiles[] = {
        "not a registry\n",
        "SealwingRegistry 1\n\"value before any key\"=dword:1\n",
        "SealwingRegistry 1\n[Software\n",
        "SealwingRegistry 1\n[Software\\\\Double]\n",
        "SealwingRegistry 1\n[Software]\n\"v\"=dword:123456789\n",
        "SealwingRegistry 1\n[Software]\n\"v\"=dword:\n",
        "SealwingRegistry 1\n[Software]\n\"v\"=\"unterminated\n",
        "SealwingRegistry 1\n[Software]\n\"v\"=\"bad \\q escape\"\n",
        "SealwingRegistry 1\n[Software]\n\"v\"=\"bad \\u{zz} escape\"\n",
        "SealwingRegistry 1\n[Software]\n\"v\"=\"x\" trailing\n",
        "SealwingRegistry 1\n[Software]\ngarbage\n",
        "SealwingRegistry 1\n[Software]\n\"v\"=\"\xff\xfe\"\n",
    };
    for (const auto& content : corruptFiles) {
        SCOPED_TRACE(content);
        std::filesystem::remove(File() + ".corrupt");
        WriteFile(content);

        FileRegistry registry(WideFile());
        EXPECT_NE(registry.LoadProblem().find(L"Registry file " + WideFile()), std::wstring::npos);
        EXPECT_NE(registry.LoadProblem().find(WideFile() + L".corrupt"), std::wstring::npos);
        EXPECT_FALSE(registry.KeyExists(L"Software"));  // nothing half-read
        EXPECT_EQ(Slurp(File()), content);              // reading alone changes nothing

        ASSERT_TRUE(registry.CreateKey(L"Software\\New"));
        EXPECT_EQ(Slurp(File() + ".corrupt"), content);
        EXPECT_TRUE(FileRegistry(WideFile()).KeyExists(L"Software\\New"));
    }
}

TEST_F(FileRegistryTest, SettingAsideNeverOverwritesAnEarlierCopy) {
    WriteFile("first damage");
    std::filesystem::copy_file(File(), File() + ".corrupt");
    WriteFile("second damage");
    FileRegistry registry(WideFile());
    ASSERT_TRUE(registry.CreateKey(L"Software"));
    ASSERT_TRUE(registry.CreateKey(L"Software\\Again"));  // only the first change sets the file aside

    EXPECT_EQ(Slurp(File() + ".corrupt"), "first damage");
    EXPECT_EQ(Slurp(File() + ".corrupt.2"), "second damage");
    EXPECT_FALSE(std::filesystem::exists(File() + ".corrupt.3"));
}

TEST_F(FileRegistryTest, AFileThatCannotBeReadIsReportedAndKept) {
    std::filesystem::create_directory(File());  // a folder in its place: it opens, but reading it fails
    std::ofstream(File() + "/inside") << "kept";
    FileRegistry registry(WideFile());
    EXPECT_NE(registry.LoadProblem().find(L"cannot read it"), std::wstring::npos);
    ASSERT_TRUE(registry.CreateKey(L"Software"));
    EXPECT_EQ(Slurp(File() + ".corrupt/inside"), "kept");
    EXPECT_TRUE(FileRegistry(WideFile()).KeyExists(L"Software"));
}

TEST_F(FileRegistryTest, AFailedWriteKeepsTheHiveAsItWas) {
    FileRegistry registry(WideFromUtf8(temp_.Narrow() + "/missing folder/registry.txt"));
    EXPECT_FALSE(registry.CreateKey(kAddinKey));
    EXPECT_FALSE(registry.KeyExists(L"Software"));
}

}  // namespace
}  // namespace sealwing::platform
