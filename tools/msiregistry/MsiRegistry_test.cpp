#include "tools/msiregistry/MsiRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/Text.h"

namespace sealwing::tools {
namespace {

using Kind = RegistryRow::Kind;

std::wstring ReadResource(const char* name) {
    std::ifstream file(std::string(SEALWING_RESOURCES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return platform::WideFromUtf8(bytes.str());
}

std::vector<RegistryRow> OfKind(const std::vector<RegistryRow>& rows, Kind kind) {
    std::vector<RegistryRow> found;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(found),
                 [&](const RegistryRow& row) { return row.kind == kind; });
    return found;
}

// The package's values are what the per-user registration writes, value for value, with the package's reference
// to the DLL where the registration has the DLL's path; the package's root stands for the user's hive.
TEST(MsiRegistry, ScriptValuesAreThePerUserRegistrations) {
    const std::wstring script = ReadResource("SealwingAddin.rgs");
    const std::vector<RegistryRow> rows = RowsFromRegistrarScript(script, L"[#SealwingDll]");

    const registrar::ParseResult parsed = registrar::ParseScript(script, {{L"MODULE", L"[#SealwingDll]"}});
    ASSERT_TRUE(parsed.Ok());
    std::vector<RegistryRow> expected;
    for (const registrar::Operation& operation :
         registrar::PlanScript(parsed.script, {registrar::Mode::Register, true})) {
        if (operation.kind != registrar::Operation::Kind::SetValue) continue;
        ASSERT_EQ(operation.key.root, registrar::Root::CurrentUser);
        RegistryRow row{Kind::Value, RegistryRoot::UserOrMachine, operation.key.path, operation.value.name, false, L""};
        if (const auto* number = std::get_if<std::uint32_t>(&operation.value.data)) {
            row.isNumber = true;
            row.text = std::to_wstring(*number);
        } else {
            row.text = std::get<std::wstring>(operation.value.data);
        }
        expected.push_back(row);
    }
    EXPECT_EQ(OfKind(rows, Kind::Value), expected);
    EXPECT_EQ(expected.size(), 14u);  // the class's 7, the ProgIDs' 4, Outlook's entry's 3: the fixture is whole
}

TEST(MsiRegistry, KeysTheRegistrationRemovesAreRemovedOnUninstallAndNeverRemovedOnesGetNoRow) {
    const std::vector<RegistryRow> rows = RowsFromRegistrarScript(ReadResource("SealwingAddin.rgs"), L"[#Dll]");
    const std::wstring clsid = L"Software\\Classes\\CLSID\\{D5CCAD9E-B3AB-402C-B633-78A9489DCA1B}";
    std::vector<std::wstring> removed;
    for (const RegistryRow& row : OfKind(rows, Kind::RemoveKeyTree)) removed.push_back(row.key);
    EXPECT_EQ(removed, (std::vector<std::wstring>{L"Software\\Classes\\Sealwing.SealwingAddin.1",
                                                  L"Software\\Classes\\Sealwing.SealwingAddin", clsid,
                                                  L"Software\\Microsoft\\Office\\Outlook\\Addins\\Sealwing."
                                                  L"SealwingAddin"}));
    const std::vector<RegistryRow> created = OfKind(rows, Kind::CreateKey);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].key, clsid + L"\\Programmable");
    for (const RegistryRow& row : rows) {
        EXPECT_NE(row.key, L"Software\\Classes\\CLSID") << "the classes' CLSID key is never removed";
        EXPECT_NE(row.key, L"Software\\Microsoft\\Office\\Outlook\\Addins") << "Outlook's list is never removed";
        EXPECT_EQ(row.root, RegistryRoot::UserOrMachine);
    }
}

TEST(MsiRegistry, ScriptTextsAreLiteralsAndTheModuleIsAReference) {
    const std::vector<RegistryRow> rows = RowsFromRegistrarScript(
        L"HKCR { NoRemove Outer { Key[1] = s '#[%MODULE%]' { val Count = d '0x10' } } }\n"
        L"HKCU { NoRemove Software { Mine = s 'x' } }",
        L"[#Dll]");
    const std::wstring key = L"Software\\Classes\\Outer\\Key[\\[]1[\\]]";
    EXPECT_EQ(OfKind(rows, Kind::Value),
              (std::vector<RegistryRow>{
                  {Kind::Value, RegistryRoot::UserOrMachine, key, L"", false, L"##[\\[][#Dll][\\]]"},
                  {Kind::Value, RegistryRoot::UserOrMachine, key, L"Count", true, L"16"},
                  {Kind::Value, RegistryRoot::CurrentUser, L"Software\\Mine", L"", false, L"x"},
              }));
}

TEST(MsiRegistry, AnEmptyForceRemoveKeyIsCreatedAndRemoved) {
    const std::vector<RegistryRow> rows = RowsFromRegistrarScript(L"HKCR { ForceRemove Marker }", L"");
    EXPECT_EQ(rows, (std::vector<RegistryRow>{{Kind::CreateAndRemoveKey, RegistryRoot::UserOrMachine,
                                               L"Software\\Classes\\Marker", L"", false, L""}}));
}

TEST(MsiRegistry, ScriptThatDoesNotParseIsAnError) {
    EXPECT_THROW(RowsFromRegistrarScript(L"HKCR { Key = s 'x' ", L""), std::runtime_error);
    EXPECT_THROW(RowsFromRegistrarScript(L"HKCR { Key = s '%OTHER%' }", L""), std::runtime_error);
}

TEST(MsiRegistry, TypeLibraryOfTheAddinsIdl) {
    const TypeLibFacts facts = ReadIdl(ReadResource("SealwingLib.idl"));
    EXPECT_EQ(facts.name, L"SealwingLib");
    EXPECT_EQ(facts.libid, L"{21C78960-4070-40EE-841D-7C478B12A219}");
    EXPECT_EQ(facts.major, 1u);
    EXPECT_EQ(facts.minor, 0u);
    EXPECT_EQ(facts.helpString, L"SealwingLib");
    ASSERT_EQ(facts.interfaces.size(), 1u);
    EXPECT_EQ(facts.interfaces[0].name, L"IRibbonCallback");
    EXPECT_EQ(facts.interfaces[0].iid, L"{CE895442-9981-4315-AA85-4B9A5C7739D8}");
    EXPECT_FALSE(facts.interfaces[0].dispatchOnly);

    // What registering the type library writes, as Windows writes it (regsvr32's keys under Wine, less Wine's
    // disk-image flag, are compared by scripts/test-msi-wine.sh).
    const std::wstring version = L"Software\\Classes\\TypeLib\\{21C78960-4070-40EE-841D-7C478B12A219}\\1.0";
    const std::wstring interface = L"Software\\Classes\\Interface\\{CE895442-9981-4315-AA85-4B9A5C7739D8}";
    const std::wstring automation = L"{00020424-0000-0000-C000-000000000046}";
    const auto row = [](Kind kind, std::wstring key, std::wstring name = L"", std::wstring text = L"") {
        return RegistryRow{kind, RegistryRoot::UserOrMachine, std::move(key), std::move(name), false, std::move(text)};
    };
    EXPECT_EQ(RowsFromTypeLib(facts, L"[#Dll]", L"[DIR]", L"win64"),
              (std::vector<RegistryRow>{
                  row(Kind::Value, version, L"", L"SealwingLib"),
                  row(Kind::Value, version + L"\\FLAGS", L"", L"0"),
                  row(Kind::Value, version + L"\\0\\win64", L"", L"[#Dll]"),
                  row(Kind::Value, version + L"\\HELPDIR", L"", L"[DIR]"),
                  row(Kind::RemoveKeyTree, version),
                  row(Kind::Value, interface, L"", L"IRibbonCallback"),
                  row(Kind::Value, interface + L"\\ProxyStubClsid", L"", automation),
                  row(Kind::Value, interface + L"\\ProxyStubClsid32", L"", automation),
                  row(Kind::Value, interface + L"\\TypeLib", L"", L"{21C78960-4070-40EE-841D-7C478B12A219}"),
                  row(Kind::Value, interface + L"\\TypeLib", L"Version", L"1.0"),
                  row(Kind::RemoveKeyTree, interface),
              }));
}

TEST(MsiRegistry, IdlDeclarationsThatRegisteringWritesAndTheOnesItSkips) {
    const TypeLibFacts facts = ReadIdl(
        L"/* [uuid(00000000-0000-0000-0000-000000000000)] library Commented {} */\n"
        L"[object, uuid(11111111-1111-1111-1111-111111111111)] interface IPlain : IUnknown { HRESULT F([in] int); };\n"
        L"[uuid(aaaaaaaa-2222-2222-2222-222222222222), oleautomation] interface IAuto : IUnknown {};\n"
        L"[uuid(33333333-3333-3333-3333-333333333333), version(2.12), lcid(0x409), hidden, restricted]\n"
        L"library Lib { [uuid(44444444-4444-4444-4444-444444444444)] dispinterface DEvents { properties: methods: };"
        L" };\n");
    EXPECT_EQ(facts.name, L"Lib");
    EXPECT_EQ(facts.helpString, L"");
    EXPECT_EQ(facts.flags, 5u);
    EXPECT_EQ(facts.lcid, 0x409u);
    ASSERT_EQ(facts.interfaces.size(), 2u);
    EXPECT_EQ(facts.interfaces[0].iid, L"{AAAAAAAA-2222-2222-2222-222222222222}");
    EXPECT_EQ(facts.interfaces[1].name, L"DEvents");
    EXPECT_TRUE(facts.interfaces[1].dispatchOnly);

    // Versions and locales are written in hexadecimal; without a help string the library's name describes it.
    const std::vector<RegistryRow> rows = RowsFromTypeLib(facts, L"f", L"d", L"win32");
    EXPECT_EQ(rows[0].key, L"Software\\Classes\\TypeLib\\{33333333-3333-3333-3333-333333333333}\\2.c");
    EXPECT_EQ(rows[0].text, L"Lib");
    EXPECT_EQ(rows[1].text, L"5");
    EXPECT_EQ(rows[2].key, L"Software\\Classes\\TypeLib\\{33333333-3333-3333-3333-333333333333}\\2.c\\409\\win32");
    const auto events = std::find_if(rows.begin(), rows.end(), [](const RegistryRow& row) {
        return row.key == L"Software\\Classes\\Interface\\{44444444-4444-4444-4444-444444444444}\\ProxyStubClsid32";
    });
    ASSERT_NE(events, rows.end());
    EXPECT_EQ(events->text, L"{00020420-0000-0000-C000-000000000046}");

    EXPECT_THROW(ReadIdl(L"[uuid(1)] interface I : IDispatch {};"), std::runtime_error);
    EXPECT_THROW(ReadIdl(L"[version(1.0)] library NoUuid {};"), std::runtime_error);
}

TEST(MsiRegistry, FormattedLiterals) {
    struct Case {
        std::wstring_view text;
        bool isValue;
        std::wstring_view literal;
    };
    for (const Case& c : {
             Case{L"{D5CCAD9E-B3AB-402C-B633-78A9489DCA1B}", true, L"{D5CCAD9E-B3AB-402C-B633-78A9489DCA1B}"},
             Case{L"[ProgramFilesFolder]", true, L"[\\[]ProgramFilesFolder[\\]]"},
             Case{L"#3", true, L"##3"},
             Case{L"#3", false, L"#3"},
             Case{L"a]b[", false, L"a[\\]]b[\\[]"},
         }) {
        EXPECT_EQ(FormattedLiteral(c.text, c.isValue), c.literal) << platform::Utf8FromWide(c.text);
    }
}

TEST(MsiRegistry, WixIncludeWritesOneEscapedElementPerRow) {
    const std::string include = WixInclude(
        {
            {Kind::Value, RegistryRoot::UserOrMachine, L"K\\\"<&>", L"", false, L"a\u00e9"},
            {Kind::Value, RegistryRoot::CurrentUser, L"K", L"N", true, L"3"},
            {Kind::CreateKey, RegistryRoot::UserOrMachine, L"K\\E", L"", false, L""},
            {Kind::RemoveKeyTree, RegistryRoot::UserOrMachine, L"K", L"", false, L""},
            {Kind::CreateAndRemoveKey, RegistryRoot::UserOrMachine, L"M", L"", false, L""},
        },
        "header");
    EXPECT_EQ(include,
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- header -->\n"
              "<Include xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
              "  <RegistryValue Root=\"HKMU\" Key=\"K\\&quot;&lt;&amp;&gt;\" Type=\"string\" Value=\"a\xc3\xa9\" />\n"
              "  <RegistryValue Root=\"HKCU\" Key=\"K\" Name=\"N\" Type=\"integer\" Value=\"3\" />\n"
              "  <RegistryValue Root=\"HKMU\" Key=\"K\\E\" Name=\"+\" Type=\"string\" />\n"
              "  <RegistryValue Root=\"HKMU\" Key=\"K\" Name=\"-\" Type=\"string\" />\n"
              "  <RegistryValue Root=\"HKMU\" Key=\"M\" Name=\"*\" Type=\"string\" />\n"
              "</Include>\n");
}

}  // namespace
}  // namespace sealwing::tools
