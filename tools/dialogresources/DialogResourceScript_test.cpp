#include "tools/dialogresources/DialogResourceScript.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tools/dialogresources/DialogResources.h"

namespace sealwing::tools {
namespace {

using platform::ControlKind;
using platform::ControlTemplate;
using platform::DialogTemplate;

std::string CommittedScript() {
    const std::string path = std::string(SEALWING_RESOURCES_DIR) + "/Dialogs.rc";
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The DLL carries what the simulated Outlook shows.
TEST(DialogResourceScriptTest, TheCommittedScriptIsTheOneWrittenFromTheDescriptions) {
    EXPECT_EQ(CommittedScript(), DialogResourceScript(kDialogResources))
        << "resources/Dialogs.rc differs from the dialog descriptions; write it again with\n"
           "    build/native/bin/write-dialog-resources resources/Dialogs.rc";
}

TEST(DialogResourceScriptTest, TextsAreWrittenSoTheResourceCompilerReadsThemBack) {
    const ControlTemplate controls[] = {
        {7, ControlKind::Static, L"Say \"yes\"\tC:\\Mail\nCaf\u00e9", 1, 2, 3, 4},
        {platform::kDialogOk, ControlKind::DefaultButton, L"OK", 5, 6, 7, 8},
        {-1, ControlKind::GroupBox, L"Settings for \"Ann\"", 0, 1, 9, 10},
    };
    const DialogTemplate dialog{.id = 300, .caption = L"\u00c0 \"b\"", .width = 9, .height = 10, .controls = controls};
    const DialogTemplate* const dialogs[] = {&dialog};

    const std::string script = DialogResourceScript(dialogs);

    EXPECT_NE(script.find("\n300 DIALOGEX 0, 0, 9, 10\n"), std::string::npos) << script;
    EXPECT_NE(script.find("\nCAPTION \"\xc3\x80 \"\"b\"\"\"\n"), std::string::npos) << script;
    EXPECT_NE(script.find("\n    LTEXT \"Say \"\"yes\"\"\\tC:\\\\Mail\\nCaf\xc3\xa9\", 7, 1, 2, 3, 4\n"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("\n    DEFPUSHBUTTON \"OK\", IDOK, 5, 6, 7, 8\n"), std::string::npos) << script;
    EXPECT_NE(script.find("\n    GROUPBOX \"Settings for \"\"Ann\"\"\", -1, 0, 1, 9, 10\n"), std::string::npos)
        << script;
    EXPECT_EQ(script.find("EXSTYLE"), std::string::npos) << "only a topmost dialog has an extended style";
}

TEST(DialogResourceScriptTest, DescriptionsNoResourceCanHoldAreRefused) {
    const ControlTemplate twoFives[] = {{5, ControlKind::Button, L"A", 0, 0, 1, 1},
                                        {5, ControlKind::Button, L"B", 0, 0, 1, 1}};
    const ControlTemplate labels[] = {{-1, ControlKind::Static, L"A", 0, 0, 1, 1},
                                      {-1, ControlKind::Static, L"B", 0, 0, 1, 1}};
    const ControlTemplate bell[] = {{-1, ControlKind::Static, L"ring\a", 0, 0, 1, 1}};
    const DialogTemplate sharedControlId{.id = 301, .controls = twoFives};
    const DialogTemplate unaddressedLabels{.id = 301, .controls = labels};
    const DialogTemplate controlCharacter{.id = 302, .controls = bell};

    const DialogTemplate* const fine[] = {&unaddressedLabels};
    EXPECT_NO_THROW(DialogResourceScript(fine)) << "labels nobody addresses may share -1";
    const DialogTemplate* const refused[][2] = {
        {&sharedControlId, nullptr},
        {&unaddressedLabels, &unaddressedLabels},
        {&controlCharacter, nullptr},
    };
    for (const auto& dialogs : refused) {
        const std::span<const DialogTemplate* const> given(dialogs, dialogs[1] == nullptr ? 1 : 2);
        EXPECT_THROW(DialogResourceScript(given), std::invalid_argument) << "dialog " << dialogs[0]->id;
    }
}

}  // namespace
}  // namespace sealwing::tools
