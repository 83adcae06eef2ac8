// The options dialog as the user meets it on Windows: the real COptionsDlg, run by the user-interface adapter from
// template 230 in this program's resources (resources/Dialogs.rc), over the simulated Outlook served through
// IDispatch and wrapped by the object-model adapter, as the DLL meets Outlook. The settings go through the Windows
// registry adapter into a subtree of the test's own, and the standing checks through WinHTTP to the local service
// that scripts/run-windows-tests.sh starts for this program (options/win32/OptionsService.seed: a free and a pro
// account); the program trusts that service's test CA for its run only. A thread timer plays the user on the real
// windows; what the shell would open is recorded instead of starting a browser.

#include "platform/win32/Win32Headers.h"
#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "addin/ProcessState.h"
#include "diagnostics/Log.h"
#include "dialogs/ImapWarningDialogTemplate.h"
#include "options/OptionsDialog.h"
#include "options/OptionsDialogTemplate.h"
#include "outlook/win32/dispatch/WrapApplication.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/win32/Win32ActivationContext.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32TempFolder.h"
#include "platform/win32/Win32UserInterface.h"
#include "platform/win32/WinHttp.h"
#include "platform/win32/testdata/DialogInspection.h"
#include "platform/win32/testdata/LocalServiceTestMain.h"
#include "service/ServiceOperations.h"
#include "settings/SettingsStore.h"
#include "sim/SimOutlook.h"
#include "sim/win32/ServeObjects.h"

namespace sealwing::options {
namespace {

using namespace platform::win32::testing;

// The add-in's manifest, compiled into the test program with the add-in's dialogs.
constexpr WORD kDialogsManifest = 2;
constexpr const wchar_t* kRegistryRoot = L"Software\\SealwingOptionsTests";
constexpr const wchar_t* kFree = L"ann@example.com";  // POP3; a free account on the service
constexpr const wchar_t* kPro = L"bob@example.com";   // IMAP; a pro account on the service

const std::wstring kCaption(kOptionsCaption);
const std::wstring kNoticeCaption(dialogs::kImapWarningDialogTemplate.caption);

HINSTANCE TestModule() { return ::GetModuleHandleW(nullptr); }

HWND Item(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }
bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(Item(dialog, id)) != FALSE; }
bool Checked(HWND dialog, int id) { return ::SendMessageW(Item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<std::wstring> ComboTexts(HWND dialog, int id) {
    std::vector<std::wstring> texts;
    const LRESULT count = ::SendMessageW(Item(dialog, id), CB_GETCOUNT, 0, 0);
    for (LRESULT at = 0; at < count; ++at) {
        std::wstring text(static_cast<std::size_t>(::SendMessageW(Item(dialog, id), CB_GETLBTEXTLEN, at, 0)) + 1,
                          L'\0');
        text.resize(static_cast<std::size_t>(
            ::SendMessageW(Item(dialog, id), CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(text.data()))));
        texts.push_back(text);
    }
    return texts;
}

int ComboChoice(HWND dialog, int id) { return static_cast<int>(::SendMessageW(Item(dialog, id), CB_GETCURSEL, 0, 0)); }

std::wstring ChosenText(HWND dialog, int id) {
    const std::vector<std::wstring> texts = ComboTexts(dialog, id);
    const int chosen = ComboChoice(dialog, id);
    return chosen >= 0 && chosen < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(chosen)] : L"";
}

// A choice made in a drop-down list: the list shows it, and tells its dialog that the choice changed.
void Pick(HWND dialog, int id, int index) {
    ::SendMessageW(Item(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(dialog, id)));
}

// The address of link `index` of a link control, as the control parsed its markup.
std::wstring LinkAddress(HWND dialog, int id, int index) {
    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = index;
    if (!::SendMessageW(Item(dialog, id), LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item))) return L"(none)";
    return item.szUrl;
}

// The keyboard on a link control: coming into focus gives its first link the focus, Enter follows it.
void FollowFirstLink(HWND dialog, int id) {
    const HWND links = Item(dialog, id);
    ::SetFocus(::GetNextDlgTabItem(dialog, links, FALSE));
    ::SetFocus(links);
    ::SendMessageW(links, WM_KEYDOWN, VK_RETURN, 1);
}

// The caption of the dialog's group box; empty when it has none.
std::wstring GroupBoxText(HWND dialog) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, 16);
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        if (::lstrcmpiW(className, L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX) return WindowText(child);
    }
    return {};
}

class OptionsOnWindowsTest : public ::testing::Test {
protected:
    OptionsOnWindowsTest() {
        ForgetTestHive();  // what a run that was stopped half-way left
        ResetProcessState();
        NewRun();
        diagnostics::OpenThreadLog(L"Main");
        outlook_.AddAccount({.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = kFree});
        outlook_.AddAccount({.type = outlook::olImap, .displayName = L"Work", .smtpAddress = kPro});
    }
    ~OptionsOnWindowsTest() override {
        ResetProcessState();
        ForgetTestHive();
    }

    // The test's own part of the user's hive goes with it: the Wine prefix outlives the run.
    static void ForgetTestHive() { platform::Win32Registry().DeleteKey(kRegistryRoot); }

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(manifest_.Valid()) << "error " << manifest_.Error();
    }
    void TearDown() override { ::CoUninitialize(); }

    // What a new run of Outlook knows: the registry, and no cached record. The standing check is wired as the
    // add-in wires it.
    static void NewRun() {
        settings::SettingsStore::Instance().ResetForTests();
        settings::SettingsStore::Instance().SetStandingCheck(&service::IsProAccount);
    }

    // Outlook's Application as the DLL receives it: served through IDispatch and wrapped by the adapter.
    outlook::Ref<outlook::Application> Application() {
        const auto served = sim::win32::ServeObject(outlook_.Application());
        return std::dynamic_pointer_cast<outlook::Application>(outlook::win32::WrapApplication(served.Get()));
    }

    // Opens the dialog while the user plays the steps; every step must have run.
    int Open(std::wstring_view preselected, std::vector<DialogStep> steps) {
        DialogPlayer user(std::move(steps));
        const int result = COptionsDlg().Open(Application(), preselected, owner_.Get());
        EXPECT_TRUE(user.Finished()) << "the dialogs ended before the user was done";
        return result;
    }

    static std::optional<std::uint32_t> Stored(const wchar_t* email, const wchar_t* value) {
        return platform::TheRegistry().ReadDword(std::wstring(settings::kProductKey) + L"\\" + email, value);
    }

    platform::Win32ActivationContext manifest_{TestModule(), kDialogsManifest};
    UserInterfaceRecordingLinks ui_{TestModule(), manifest_.Get()};
    OwnerWindow owner_;

private:
    platform::Win32TempFolder temp_;
    platform::Win32FileSystem files_{temp_.At(L"roaming"), temp_.At(L"local")};
    platform::Win32Registry registry_{kRegistryRoot};
    platform::win32::WinHttp http_;
    platform::ManualClock clock_{1796871845};
    sim::SimOutlook outlook_{sim::SimOptions{.majorVersion = 14}, clock_};
    platform::ScopedPlatform platform_{[this] {
        platform::Platform record = outlook_.PlatformWith({.files = files_, .registry = registry_, .http = &http_});
        record.ui = &ui_;
        return record;
    }()};
};

TEST_F(OptionsOnWindowsTest, ItListsTheAccountsSavesAChoiceInTheRegistryAndTheNextRunShowsIt) {
    struct Seen {
        HWND owner = nullptr;
        std::vector<std::wstring> accounts;
        int chosenAccount = -1;
        std::wstring groupBox;
        std::wstring freeLink;
        bool freeAlert = true;
        bool freeDestruct = true;
        bool freeCopyMe = false;
        std::wstring freeDestructText;
        std::size_t destructChoices = 0;
        std::wstring proStanding;
        bool proAlert = false;
        bool proDestruct = false;
        bool saveAfterChoosing = false;
        HWND options = nullptr;
        HWND warningOwner = nullptr;
        bool placeChecked = false;
        bool screenshotsSaved = false;
    } seen;
    const int saved =
        Open(L"", {
                      {kCaption,
                       [&](HWND dialog) {
                           seen.options = dialog;
                           seen.owner = ::GetWindow(dialog, GW_OWNER);
                           seen.accounts = ComboTexts(dialog, kAccountChooserId);
                           seen.chosenAccount = ComboChoice(dialog, kAccountChooserId);
                           seen.groupBox = GroupBoxText(dialog);
                           seen.freeLink = LinkAddress(dialog, kStandingId, 0);
                           seen.freeAlert = Enabled(dialog, kAlertId);
                           seen.freeDestruct = Enabled(dialog, kDestructId) || Enabled(dialog, kDestructLabelId);
                           seen.freeCopyMe = Enabled(dialog, kCopyMeId) && Enabled(dialog, kPlaceInSentId);
                           seen.freeDestructText = ChosenText(dialog, kDestructId);
                           seen.destructChoices = ComboTexts(dialog, kDestructId).size();
                           seen.screenshotsSaved = SavePng(Capture(dialog), ArtefactPath(L"options-real.png"));
                           FollowFirstLink(dialog, kStandingId);
                           Pick(dialog, kAccountChooserId, 1);
                       }},
                      {kCaption,
                       [&](HWND dialog) {
                           seen.proStanding = ItemText(dialog, kStandingId);
                           seen.proAlert = Enabled(dialog, kAlertId);
                           seen.proDestruct = Enabled(dialog, kDestructId) && Enabled(dialog, kDestructLabelId);
                           Pick(dialog, kDestructId, 6);
                           Click(dialog, kAlertId);
                           seen.saveAfterChoosing = Enabled(dialog, kSaveSettingsId);
                           // The IMAP warning opens from the dialog's own loop.
                           PostClick(dialog, kPlaceInSentId);
                       }},
                      {kNoticeCaption,
                       [&](HWND warning) {
                           seen.warningOwner = ::GetWindow(warning, GW_OWNER);
                           Click(warning, dialogs::kImapWarningDontShowId);
                           Click(warning, IDOK);
                       }},
                      {kCaption,
                       [&](HWND dialog) {
                           seen.placeChecked = Checked(dialog, kPlaceInSentId);
                           seen.screenshotsSaved =
                               SavePng(Capture(dialog), ArtefactPath(L"options-pro-real.png")) && seen.screenshotsSaved;
                           Click(dialog, kSaveSettingsId);
                       }},
                  });

    EXPECT_EQ(saved, kOptionsSaved);
    EXPECT_EQ(reinterpret_cast<platform::WindowHandle>(seen.owner), owner_.Get());
    EXPECT_EQ(seen.accounts, (std::vector<std::wstring>{kFree, kPro}));
    EXPECT_EQ(seen.chosenAccount, 0);
    EXPECT_EQ(seen.groupBox, L"Settings for user");
    EXPECT_EQ(seen.freeLink, L"https://service.parcelon.example/about/features");
    EXPECT_FALSE(seen.freeAlert);
    EXPECT_FALSE(seen.freeDestruct);
    EXPECT_TRUE(seen.freeCopyMe);
    EXPECT_EQ(seen.freeDestructText, L"in 7 days");
    EXPECT_EQ(seen.destructChoices, 11u);
    EXPECT_EQ(ui_.opened, std::vector<std::wstring>{L"https://service.parcelon.example/about/features"});
    EXPECT_NE(seen.proStanding.find(L"Thank you for using Parcelon Pro."), std::wstring::npos);
    EXPECT_TRUE(seen.proAlert);
    EXPECT_TRUE(seen.proDestruct);
    EXPECT_TRUE(seen.saveAfterChoosing);
    EXPECT_EQ(seen.warningOwner, seen.options);
    EXPECT_TRUE(seen.placeChecked);
    EXPECT_TRUE(seen.screenshotsSaved);
    EXPECT_EQ(Stored(kPro, L"Alert"), 1u);
    EXPECT_EQ(Stored(kPro, L"CC"), 0u);
    EXPECT_EQ(Stored(kPro, L"Place"), 1u);
    EXPECT_EQ(Stored(kPro, L"Destruct"), 30u);
    EXPECT_EQ(Stored(kPro, L"IMAPWarning"), 0u);
    EXPECT_FALSE(Stored(kFree, L"Destruct"));

    NewRun();
    int chosenAccount = -1;
    std::wstring destructText;
    bool alertChecked = false;
    bool saveEnabled = true;
    // Enter, with no default button among the controls, is the dialog manager's OK.
    const int entered = Open(kPro, {{kCaption, [&](HWND dialog) {
                                         chosenAccount = ComboChoice(dialog, kAccountChooserId);
                                         destructText = ChosenText(dialog, kDestructId);
                                         alertChecked = Checked(dialog, kAlertId);
                                         saveEnabled = Enabled(dialog, kSaveSettingsId);
                                         ::PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 1);
                                     }}});
    EXPECT_EQ(entered, platform::kDialogOk);
    EXPECT_EQ(chosenAccount, 1);
    EXPECT_EQ(destructText, L"in 30 days");
    EXPECT_TRUE(alertChecked);
    EXPECT_FALSE(saveEnabled);
}

}  // namespace
}  // namespace sealwing::options

int main(int argc, char** argv) {
    return sealwing::platform::win32::testing::RunTestsAgainstLocalService(argc, argv, "sealwing_options_tests");
}
