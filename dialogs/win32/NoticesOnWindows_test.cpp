// The notices as the user meets them on Windows: the real CErrorDlg, CAccountRequiredDlg, CIMAPWarningDlg,
// CNewVersionDlg and CAboutDlg, run by the user-interface adapter from templates 216, 213, 223, 211 and 215 in this
// program's resources (resources/Dialogs.rc). A thread timer plays the user on the real windows: clicks, the keyboard
// on the link controls, a mouse press on the link the About text's rich-edit control detected. What the shell would
// open is recorded instead of starting a browser.

#include "platform/win32/Win32Headers.h"
#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "addin/ProcessState.h"
#include "diagnostics/Log.h"
#include "diagnostics/LogViewerDialogTemplate.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/AboutDialogTemplate.h"
#include "dialogs/AccountRequiredDialog.h"
#include "dialogs/AccountRequiredDialogTemplate.h"
#include "dialogs/ErrorDialog.h"
#include "dialogs/ErrorDialogTemplate.h"
#include "dialogs/ImapWarningDialog.h"
#include "dialogs/ImapWarningDialogTemplate.h"
#include "dialogs/NewVersionDialog.h"
#include "dialogs/NewVersionDialogTemplate.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/win32/Win32ActivationContext.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32TempFolder.h"
#include "platform/win32/Win32UiThread.h"
#include "platform/win32/Win32UserInterface.h"
#include "platform/win32/testdata/DialogInspection.h"
#include "settings/SettingsStore.h"

namespace sealwing::dialogs {
namespace {

using namespace platform::win32::testing;

// The add-in's manifest, compiled into the test program with the add-in's dialogs.
constexpr WORD kDialogsManifest = 2;
constexpr int kGaveUp = DialogPlayer::kGaveUp;
// The registry subtree the About dialog's reset works in, deleted afterwards.
constexpr const wchar_t* kRegistryRoot = L"Software\\SealwingNoticeTests";

const std::wstring kNoticeCaption(kErrorDialogTemplate.caption);
const std::wstring kViewerCaption(diagnostics::kLogViewerDialogTemplate.caption);

HINSTANCE TestModule() { return ::GetModuleHandleW(nullptr); }

void PressEscape(HWND dialog) { ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 1); }

// The address of link `index` of a link control, as the control parsed its markup.
std::wstring LinkAddress(HWND dialog, int id, int index) {
    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = index;
    if (!::SendMessageW(::GetDlgItem(dialog, id), LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item))) return L"(none)";
    return item.szUrl;
}

// The keyboard on a link control: coming into focus gives its first link the focus, Tab moves to the next one, Enter
// follows it.
void FollowLink(HWND dialog, int id, int index) {
    const HWND links = ::GetDlgItem(dialog, id);
    ::SetFocus(::GetNextDlgTabItem(dialog, links, FALSE));
    ::SetFocus(links);
    for (int at = 0; at < index; ++at) ::SendMessageW(links, WM_KEYDOWN, VK_TAB, 1);
    ::SendMessageW(links, WM_KEYDOWN, VK_RETURN, 1);
}

// A left-button press on `text` where a rich-edit control shows it.
bool PressOnRichText(HWND dialog, int id, const wchar_t* text) {
    const HWND edit = ::GetDlgItem(dialog, id);
    FINDTEXTEXW find{};
    find.chrg = {0, -1};
    find.lpstrText = text;
    const LRESULT at = ::SendMessageW(edit, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
    if (at < 0) return false;
    POINTL point{};
    ::SendMessageW(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), at + 2);
    const LPARAM where = MAKELPARAM(point.x + 1, point.y + 2);
    ::SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, where);
    ::SendMessageW(edit, WM_LBUTTONUP, 0, where);
    return true;
}

class NoticesOnWindowsTest : public ::testing::Test {
protected:
    NoticesOnWindowsTest() {
        ResetProcessState();
        diagnostics::OpenThreadLog(L"Main");
    }
    ~NoticesOnWindowsTest() override {
        ResetProcessState();
        platform::Win32Registry().DeleteKey(kRegistryRoot);
    }

    void SetUp() override {
        ASSERT_TRUE(manifest_.Valid()) << "error " << manifest_.Error();
        ASSERT_TRUE(uiThread_.Created());
    }

    // Runs `show` while the user plays the steps; every step must have run.
    template <typename Show>
    static auto Playing(std::vector<DialogStep> steps, Show show) {
        DialogPlayer user(std::move(steps));
        auto result = show();
        EXPECT_TRUE(user.Finished()) << "the dialogs ended before the user was done";
        return result;
    }

    platform::Win32ActivationContext manifest_{TestModule(), kDialogsManifest};
    UserInterfaceRecordingLinks ui_{TestModule(), manifest_.Get()};

private:
    platform::Win32TempFolder temp_;
    platform::Win32FileSystem files_{temp_.At(L"roaming"), temp_.At(L"local")};
    platform::Win32Registry registry_{kRegistryRoot};
    platform::ManualClock clock_;
    platform::Win32UiThread uiThread_;
    platform::ScopedPlatform platform_{platform::Platform{
        .clock = &clock_, .files = &files_, .registry = &registry_, .uiThread = &uiThread_, .ui = &ui_}};
};

TEST_F(NoticesOnWindowsTest, TheErrorNoticeShowsTheServicesTextWithItsLinksAndOpensOnlyTheWebOne) {
    const std::wstring text =
        L"Your plan allows 5 recipients. <a href=\"https://service.parcelon.example/pro\">"
        L"Upgrade</a> or <a href=\"file:///C:/Windows/notepad.exe\">this</a>.";
    OwnerWindow owner;
    std::wstring heading;
    std::wstring first;
    std::wstring second;
    HWND ownedBy = nullptr;
    bool screenshotSaved = false;
    const int result = Playing(
        {
            {kNoticeCaption,
             [&](HWND dialog) {
                 heading = WindowText(::GetWindow(dialog, GW_CHILD));
                 first = LinkAddress(dialog, kErrorDetailsId, 0);
                 second = LinkAddress(dialog, kErrorDetailsId, 1);
                 ownedBy = ::GetWindow(dialog, GW_OWNER);
                 screenshotSaved = SavePng(Capture(dialog), ArtefactPath(L"error-notice-real.png"));
             }},
            {kNoticeCaption, [](HWND dialog) { FollowLink(dialog, kErrorDetailsId, 1); }},
            {kNoticeCaption, [](HWND dialog) { FollowLink(dialog, kErrorDetailsId, 0); }},
            {kNoticeCaption, [](HWND dialog) { Click(dialog, IDOK); }},
        },
        [&] { return CErrorDlg(text).Show(owner.Get()); });

    EXPECT_EQ(result, platform::kDialogOk);
    EXPECT_EQ(heading, kErrorHeading);
    EXPECT_EQ(first, L"https://service.parcelon.example/pro");
    EXPECT_EQ(second, L"file:///C:/Windows/notepad.exe");
    EXPECT_EQ(reinterpret_cast<platform::WindowHandle>(ownedBy), owner.Get());
    EXPECT_EQ(ui_.opened, std::vector<std::wstring>{L"https://service.parcelon.example/pro"});
    EXPECT_TRUE(screenshotSaved);
}

TEST_F(NoticesOnWindowsTest, TheSendingSidesAccountNoticeHidesTheBoxAndCreateAccountOpensThePage) {
    std::wstring message;
    bool boxVisible = true;
    bool topmost = false;
    bool screenshotSaved = false;
    const bool ticked = Playing(
        {
            {kNoticeCaption,
             [&](HWND dialog) {
                 message = ItemText(dialog, kAccountRequiredMessageId);
                 boxVisible = ::IsWindowVisible(::GetDlgItem(dialog, kAccountRequiredDontShowId)) != FALSE;
                 topmost = (::GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
                 screenshotSaved = SavePng(Capture(dialog), ArtefactPath(L"account-required-sending-real.png"));
             }},
            {kNoticeCaption, [](HWND dialog) { Click(dialog, kCreateAccountId); }},
        },
        [] { return CAccountRequiredDlg(L"ann@example.com", true).Show(platform::kNoWindow); });

    EXPECT_FALSE(ticked);
    EXPECT_EQ(message, L"To send this encrypted message please first create a Parcelon account for ann@example.com.");
    EXPECT_FALSE(boxVisible);
    EXPECT_TRUE(topmost);
    EXPECT_TRUE(screenshotSaved);
    EXPECT_EQ(ui_.opened, std::vector<std::wstring>{L"https://service.parcelon.example/#/sender/ann@example.com"});
}

TEST_F(NoticesOnWindowsTest, TheReadingSidesAccountNoticeAndTheImapWarningAnswerWithTheirTickedBox) {
    bool screenshotSaved = false;
    const bool reading = Playing(
        {
            {kNoticeCaption,
             [&](HWND dialog) {
                 Click(dialog, kAccountRequiredDontShowId);
                 screenshotSaved = SavePng(Capture(dialog), ArtefactPath(L"account-required-reading-real.png"));
             }},
            {kNoticeCaption, &PressEscape},
        },
        [] { return CAccountRequiredDlg(L"ann@example.com", false).Show(platform::kNoWindow); });
    EXPECT_TRUE(reading);
    EXPECT_TRUE(screenshotSaved);
    EXPECT_TRUE(ui_.opened.empty()) << "closing opens nothing";

    std::vector<std::wstring> texts;
    const bool imap = Playing(
        {
            {kNoticeCaption,
             [&](HWND dialog) {
                 for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
                      child = ::GetWindow(child, GW_HWNDNEXT)) {
                     texts.push_back(WindowText(child));
                 }
                 Click(dialog, kImapWarningDontShowId);
                 SavePng(Capture(dialog), ArtefactPath(L"imap-warning-real.png"));
             }},
            {kNoticeCaption, [](HWND dialog) { Click(dialog, IDOK); }},
        },
        [] { return CIMAPWarningDlg().Show(platform::kNoWindow); });
    EXPECT_TRUE(imap);
    EXPECT_EQ(texts,
              (std::vector<std::wstring>{kImapWarningNote, L"Do not show this warning for this account again", L"OK"}));

    const bool untouched = Playing({{kNoticeCaption, [](HWND dialog) { Click(dialog, IDOK); }}},
                                   [] { return CIMAPWarningDlg().Show(platform::kNoWindow); });
    EXPECT_FALSE(untouched);
}

TEST_F(NoticesOnWindowsTest, TheNewVersionNoticeLinksTheReleaseNotesAndTheInstallerAndItsOkEndsIt) {
    const service::VersionInfo offered{.major = 1,
                                       .minor = 39,
                                       .info_url = L"https://service.parcelon.example/outlook/1.39.html",
                                       .binary_url = L"https://service.parcelon.example/outlook/setup.exe"};
    std::wstring info;
    std::wstring installer;
    bool screenshotSaved = false;
    const bool ended = Playing(
        {
            {kNoticeCaption,
             [&](HWND dialog) {
                 info = LinkAddress(dialog, kNewVersionTextId, 0);
                 installer = LinkAddress(dialog, kNewVersionTextId, 1);
                 screenshotSaved = SavePng(Capture(dialog), ArtefactPath(L"new-version-real.png"));
                 FollowLink(dialog, kNewVersionTextId, 1);
             }},
            {kNoticeCaption, [](HWND dialog) { Click(dialog, kNewVersionOkId); }},
        },
        [&] {
            CNewVersionDlg(offered).Show(platform::kNoWindow);
            return true;
        });

    EXPECT_TRUE(ended);
    EXPECT_EQ(info, offered.info_url);
    EXPECT_EQ(installer, offered.binary_url);
    EXPECT_EQ(ui_.opened, std::vector<std::wstring>{offered.binary_url});
    EXPECT_TRUE(screenshotSaved);
}

TEST_F(NoticesOnWindowsTest, AboutShowsTheProductAndVersionOpensItsLinksShowsTheLogAndResetsTheMappings) {
    settings::SettingsStore::Instance().SetMappedAddress(L"/o=Org/cn=ann", L"ann@example.com");
    std::wstring aboutText;
    bool resetVisibleAtFirst = false;
    bool resetVisibleAfter = true;
    bool pressedOnRichText = false;
    HWND about = nullptr;
    HWND viewerOwner = nullptr;
    bool screenshotSaved = false;
    std::vector<platform::WindowHandle> remappedOver;
    bool mappingGoneWhenRemapping = false;
    Playing(
        {
            {kNoticeCaption,
             [&](HWND dialog) {
                 about = dialog;
                 aboutText = ItemText(dialog, kAboutTextId);
                 resetVisibleAtFirst = ::IsWindowVisible(::GetDlgItem(dialog, kResetMappingsId)) != FALSE;
                 screenshotSaved = SavePng(Capture(dialog), ArtefactPath(L"about-real.png"));
                 pressedOnRichText = PressOnRichText(dialog, kAboutTextId, L"https://service.parcelon.example/");
                 FollowLink(dialog, kRegistrationLinkId, 0);
                 PostClick(dialog, kViewLogId);
             }},
            {kViewerCaption,
             [&](HWND dialog) {
                 viewerOwner = ::GetWindow(dialog, GW_OWNER);
                 PostClick(dialog, IDOK);
             }},
            {kNoticeCaption, [](HWND dialog) { Click(dialog, kResetMappingsId); }},
            {kNoticeCaption,
             [&](HWND dialog) {
                 resetVisibleAfter = ::IsWindowVisible(::GetDlgItem(dialog, kResetMappingsId)) != FALSE;
                 Click(dialog, IDOK);
             }},
        },
        [&] {
            CAboutDlg({.outlookVersion = 11,
                       .mapExchangeAccounts =
                           [&](platform::WindowHandle owner) {
                               remappedOver.push_back(owner);
                               mappingGoneWhenRemapping =
                                   settings::SettingsStore::Instance().CachedMappingCount() == 0 &&
                                   !platform::TheRegistry().KeyExists(settings::kMappingKey);
                           }})
                .Show(platform::kNoWindow);
            return true;
        });

    // The rich text shows as text: the product, and on the next line its version (a line ends with "\r" or "\r\n").
    aboutText = platform::ReplaceAll(aboutText, L"\r\n", L"\r");
    EXPECT_EQ(aboutText.find(L"Parcelon for Microsoft Outlook\rVersion: 1.38\r"), 0u)
        << platform::Utf8FromWide(aboutText);
    EXPECT_EQ(aboutText.find(L"rtf"), std::wstring::npos) << "the markup is not shown";
    EXPECT_TRUE(resetVisibleAtFirst);
    EXPECT_TRUE(pressedOnRichText);
    EXPECT_EQ(ui_.opened,
              (std::vector<std::wstring>{L"https://service.parcelon.example/", L"https://service.parcelon.example/"}));
    EXPECT_EQ(viewerOwner, about);
    EXPECT_EQ(remappedOver, std::vector<platform::WindowHandle>{reinterpret_cast<platform::WindowHandle>(about)});
    EXPECT_TRUE(mappingGoneWhenRemapping);
    EXPECT_FALSE(resetVisibleAfter);
    EXPECT_TRUE(screenshotSaved);
}

}  // namespace
}  // namespace sealwing::dialogs
