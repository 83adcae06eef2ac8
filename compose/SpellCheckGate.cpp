#include "compose/SpellCheckGate.h"

#include <optional>
#include <string>

#include "diagnostics/Log.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/UserInterface.h"

namespace sealwing::compose {
namespace {

// Outlook keeps the setting under its own version's key; a version without one has nothing to honour.
const wchar_t* SpellingKey(int outlookMajorVersion) {
    switch (outlookMajorVersion) {
        case 11:
            return L"Software\\Microsoft\\Office\\11.0\\Outlook\\Options\\Spelling";
        case 12:
            return L"Software\\Microsoft\\Office\\12.0\\Outlook\\Options\\Spelling";
        case 14:
            return L"Software\\Microsoft\\Office\\14.0\\Outlook\\Options\\Spelling";
        default:
            return nullptr;
    }
}

// Outlook 2003's own editor has no Word document, and asking for it may fail outright.
outlook::Ref<outlook::WordDocument> WordDocumentOf(outlook::Inspector& inspector) {
    try {
        return inspector.WordEditor();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
        return nullptr;
    }
}

}  // namespace

bool PassSpellCheckGate(int outlookMajorVersion, platform::WindowHandle owner, outlook::Inspector& inspector) {
    platform::AssertUiThread(__func__);
    const wchar_t* key = SpellingKey(outlookMajorVersion);
    if (key == nullptr) return true;
    auto& registry = platform::TheRegistry();
    if (!registry.KeyExists(key)) {
        diagnostics::LogWrite(L"Failed to open spelling registry key\n");
        return true;
    }
    const std::optional<std::uint32_t> check = registry.ReadDword(key, L"Check");
    if (!check) {
        diagnostics::LogWrite(L"Failed to query spelling registry key\n");
        return true;
    }
    if (*check == 0) return true;

    diagnostics::LogScope scope(L"Spell check in effect");
    const outlook::Ref<outlook::WordDocument> document = WordDocumentOf(inspector);
    if (!document) {
        diagnostics::LogWrite(L"Failed to retrieve Word Document for spelling\n");
        return true;
    }
    document->CheckSpelling();
    return platform::TheUserInterface().ShowMessageBox(platform::MessageBoxRequest{
               .owner = owner,
               .text = L"Spell checking has been complete. Proceed with sending message?",
               .caption = L"Parcelon for Microsoft Outlook",
               .icon = platform::MessageBoxIcon::Question,
               .buttons = platform::MessageBoxButtons::YesNo,
               .taskModal = owner == platform::kNoWindow,
           }) == platform::DialogResult::Yes;
}

}  // namespace sealwing::compose
