#include "addin/RegistrarScript.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace sealwing::registrar {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

const std::map<std::wstring, std::wstring> kReplacements{{L"MODULE", L"C:\\Program Files\\Parcelon\\Sealwing.dll"},
                                                         {L"APPID", L"{D4BF8D75-B74D-4F17-9882-829D99087A76}"}};

std::wstring ReadResource(const char* name) {
    std::ifstream file(std::string(SEALWING_RESOURCES_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(file.good()) << name;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    const std::string text = bytes.str();
    return std::wstring(text.begin(), text.end());  // the scripts are ASCII
}

Script Parsed(const std::wstring& text) {
    ParseResult result = ParseScript(text, kReplacements);
    EXPECT_TRUE(result.Ok()) << std::string(result.error.begin(), result.error.end());
    return result.script;
}

std::wstring RootName(Root root) {
    switch (root) {
        case Root::ClassesRoot:
            return L"HKCR";
        case Root::LocalMachine:
            return L"HKLM";
        case Root::CurrentUser:
            return L"HKCU";
    }
    return L"?";
}

// One line per operation, so a whole plan compares as a readable list.
std::vector<std::string> Lines(const std::vector<Operation>& plan) {
    std::vector<std::string> lines;
    for (const Operation& operation : plan) {
        std::wstring line;
        const std::wstring where =
            RootName(operation.key.root) + (operation.key.path.empty() ? L"" : L"\\" + operation.key.path);
        switch (operation.kind) {
            case Operation::Kind::CreateKey:
                line = L"create " + where;
                break;
            case Operation::Kind::DeleteTree:
                line = L"delete " + where;
                break;
            case Operation::Kind::DeleteKeyIfEmpty:
                line = L"delete-if-empty " + where;
                break;
            case Operation::Kind::SetValue:
                line = L"set " + where + L" [" + operation.value.name + L"] = ";
                if (const auto* text = std::get_if<std::wstring>(&operation.value.data)) {
                    line += L"'" + *text + L"'";
                } else {
                    line += std::to_wstring(std::get<std::uint32_t>(operation.value.data));
                }
                break;
        }
        lines.emplace_back(line.begin(), line.end());
    }
    return lines;
}

// Every key and value the class script writes, with the class key and Programmable removed before they are written.
std::vector<std::string> RegisterLines(const std::string& classes, const std::string& addins) {
    const std::string clsid = classes + "\\CLSID\\{D5CCAD9E-B3AB-402C-B633-78A9489DCA1B}";
    const std::string addin = addins + "\\Software\\Microsoft\\Office\\Outlook\\Addins\\Sealwing.SealwingAddin";
    const std::string hklmBase = addins;
    return {
        "create " + classes + "\\Sealwing.SealwingAddin.1",
        "set " + classes + "\\Sealwing.SealwingAddin.1 [] = 'SealwingAddin Class'",
        "create " + classes + "\\Sealwing.SealwingAddin.1\\CLSID",
        "set " + classes + "\\Sealwing.SealwingAddin.1\\CLSID [] = '{D5CCAD9E-B3AB-402C-B633-78A9489DCA1B}'",
        "create " + classes + "\\Sealwing.SealwingAddin",
        "set " + classes + "\\Sealwing.SealwingAddin [] = 'SealwingAddin Class'",
        "create " + classes + "\\Sealwing.SealwingAddin\\CurVer",
        "set " + classes + "\\Sealwing.SealwingAddin\\CurVer [] = 'Sealwing.SealwingAddin.1'",
        "create " + classes + "\\CLSID",
        "delete " + clsid,
        "create " + clsid,
        "set " + clsid + " [] = 'SealwingAddin Class'",
        "create " + clsid + "\\ProgID",
        "set " + clsid + "\\ProgID [] = 'Sealwing.SealwingAddin.1'",
        "create " + clsid + "\\VersionIndependentProgID",
        "set " + clsid + "\\VersionIndependentProgID [] = 'Sealwing.SealwingAddin'",
        "delete " + clsid + "\\Programmable",
        "create " + clsid + "\\Programmable",
        "create " + clsid + "\\InprocServer32",
        "set " + clsid + "\\InprocServer32 [] = 'C:\\Program Files\\Parcelon\\Sealwing.dll'",
        "set " + clsid + "\\InprocServer32 [ThreadingModel] = 'Apartment'",
        "create " + clsid + "\\TypeLib",
        "set " + clsid + "\\TypeLib [] = '{21C78960-4070-40EE-841D-7C478B12A219}'",
        "create " + clsid + "\\Version",
        "set " + clsid + "\\Version [] = '1.0'",
        "create " + hklmBase + "\\Software",
        "create " + hklmBase + "\\Software\\Microsoft",
        "create " + hklmBase + "\\Software\\Microsoft\\Office",
        "create " + hklmBase + "\\Software\\Microsoft\\Office\\Outlook",
        "create " + hklmBase + "\\Software\\Microsoft\\Office\\Outlook\\Addins",
        "create " + addin,
        "set " + addin + " [Description] = 'Parcelon for Microsoft Outlook'",
        "set " + addin + " [FriendlyName] = 'Parcelon for Microsoft Outlook'",
        "set " + addin + " [LoadBehavior] = 3",
    };
}

// Only the add-in's own keys go; CLSID and the four keys above the add-in entry stay.
std::vector<std::string> UnregisterLines(const std::string& classes, const std::string& addins) {
    return {
        "delete " + classes + "\\Sealwing.SealwingAddin.1",
        "delete " + classes + "\\Sealwing.SealwingAddin",
        "delete " + classes + "\\CLSID\\{D5CCAD9E-B3AB-402C-B633-78A9489DCA1B}",
        "delete " + addins + "\\Software\\Microsoft\\Office\\Outlook\\Addins\\Sealwing.SealwingAddin",
    };
}

TEST(RegistrarScript, ClassScriptPlansEveryKeyPerMachineAndPerUser) {
    const Script script = Parsed(ReadResource("SealwingAddin.rgs"));
    EXPECT_THAT(Lines(PlanScript(script, {Mode::Register, false})), ElementsAreArray(RegisterLines("HKCR", "HKLM")));
    EXPECT_THAT(Lines(PlanScript(script, {Mode::Unregister, false})),
                ElementsAreArray(UnregisterLines("HKCR", "HKLM")));
    // Per user: the classes under the user's classes key, and Outlook's add-in entry under the user's hive too.
    EXPECT_THAT(Lines(PlanScript(script, {Mode::Register, true})),
                ElementsAreArray(RegisterLines("HKCU\\Software\\Classes", "HKCU")));
    EXPECT_THAT(Lines(PlanScript(script, {Mode::Unregister, true})),
                ElementsAreArray(UnregisterLines("HKCU\\Software\\Classes", "HKCU")));
}

TEST(RegistrarScript, AppIdScriptWritesAndRemovesNothing) {
    const Script script = Parsed(ReadResource("SealwingApp.rgs"));
    ASSERT_EQ(script.roots.size(), 1u);
    EXPECT_EQ(script.roots[0].root, Root::ClassesRoot);
    EXPECT_TRUE(PlanScript(script, {Mode::Register, false}).empty());
    EXPECT_TRUE(PlanScript(script, {Mode::Unregister, true}).empty());
}

TEST(RegistrarScript, RemovableKeyHoldingAKeptKeyIsRemovedOnlyWhenEmpty) {
    const Script script = Parsed(LR"(HKEY_CURRENT_USER { Outer { NoRemove Kept { Inner } Other } })");
    EXPECT_THAT(Lines(PlanScript(script, {Mode::Unregister, false})),
                ElementsAreArray(std::vector<std::string>{"delete HKCU\\Outer\\Kept\\Inner",
                                                          "delete HKCU\\Outer\\Other", "delete-if-empty HKCU\\Outer"}));
}

TEST(RegistrarScript, ParsesQuotingReplacementsAndNumbers) {
    const Script script = Parsed(
        LR"(hklm {
        'Key With Spaces' = s 'it''s %MODULE% at 100%%'
        { val Hex = d '0x1F' val Decimal = d '4294967295' val 'Quoted Name' = s '' } })");
    EXPECT_THAT(Lines(PlanScript(script, {Mode::Register, false})),
                ElementsAreArray(std::vector<std::string>{
                    "create HKLM\\Key With Spaces",
                    "set HKLM\\Key With Spaces [] = 'it's C:\\Program Files\\Parcelon\\Sealwing.dll at 100%'",
                    "set HKLM\\Key With Spaces [Hex] = 31",
                    "set HKLM\\Key With Spaces [Decimal] = 4294967295",
                    "set HKLM\\Key With Spaces [Quoted Name] = ''",
                }));
}

TEST(RegistrarScript, RejectsMalformedScriptsWithTheLine) {
    struct Case {
        const wchar_t* text;
        const char* message;
    };
    const Case cases[] = {
        {L"HKCR { Key = s '%UNKNOWN%' }", "no replacement for %UNKNOWN%"},
        {L"HKCR { Key = s 'open }", "unterminated quoted text"},
        {L"HKXX { }", "unknown root key 'HKXX'"},
        {L"HKCR {\n Key {\n", "unexpected end of script"},
        {L"HKCR {\n\n Key { val N = d 'x12' } }", "line 3: 'x12' is not a number"},
        {L"HKCR { Key { val N = d '4294967296' } }", "is not a number"},
        {L"HKCR { Key = b '00' }", "unsupported value type 'b'"},
        {L"HKCR { val N = s 'x' }", "a value needs a key"},
        {L"HKCR { Key = s 'x' { } } }", "unknown root key '}'"},
    };
    for (const Case& c : cases) {
        const ParseResult result = ParseScript(c.text, kReplacements);
        const std::string error(result.error.begin(), result.error.end());
        EXPECT_FALSE(result.Ok()) << c.message;
        EXPECT_THAT(error, HasSubstr(c.message));
    }
}

}  // namespace
}  // namespace sealwing::registrar
