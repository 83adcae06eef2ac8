// The login dialog as Outlook's user meets it on Windows: the real CCredentialsDlg, run by the user-interface adapter
// from template 204 in this program's resources (resources/Dialogs.rc), over a credentials file protected by the
// data-protection service. A thread timer plays the user on the real window: keystrokes, clicks, Escape, the close box.

#include "platform/win32/Win32Headers.h"
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "addin/ProcessState.h"
#include "diagnostics/Log.h"
#include "dialogs/LoginDialog.h"
#include "dialogs/LoginDialogTemplate.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/UiThread.h"
#include "platform/win32/Win32ActivationContext.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32SecretProtection.h"
#include "platform/win32/Win32TempFolder.h"
#include "platform/win32/Win32UiThread.h"
#include "platform/win32/Win32UserInterface.h"
#include "platform/win32/testdata/DialogInspection.h"
#include "settings/PasswordCache.h"
#include "settings/PasswordStorage.h"

namespace sealwing::dialogs {
namespace {

using namespace platform::win32::testing;

constexpr const wchar_t* kAnn = L"ann@example.com";
constexpr const wchar_t* kBob = L"bob@example.com";
// The add-in's manifest, compiled into the test program with the add-in's dialogs.
constexpr WORD kDialogsManifest = 2;
// Past its steps, a dialog still open is ended with kGaveUp after this many ticks, so a broken dialog fails the test
// instead of hanging it. A count, not a timing: a working run ends long before.
constexpr int kGiveUpTicks = 3000;
constexpr int kGaveUp = 99;
constexpr COLORREF kRed = RGB(255, 0, 0);

HINSTANCE TestModule() { return ::GetModuleHandleW(nullptr); }

using Step = std::function<void(HWND)>;

BOOL CALLBACK FindLoginDialog(HWND window, LPARAM result) {
    wchar_t className[16] = {};
    wchar_t caption[32] = {};
    ::GetClassNameW(window, className, 16);
    ::GetWindowTextW(window, caption, 32);
    if (std::wstring_view(className) != L"#32770" || !::IsWindowVisible(window) ||
        std::wstring_view(caption) != kLoginDialogTemplate.caption) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

// The login dialog once it shows: a visible dialog window of this thread with the login caption.
HWND ShownLoginDialog() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindLoginDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Plays the user on the login dialog: each tick of a thread timer of the UI-thread port, which the dialog's modal
// loop serves, runs the next step on the window once it shows.
class UserAtTheDialog {
public:
    explicit UserAtTheDialog(std::vector<Step> steps) : steps_(std::move(steps)) {
        timer_ = platform::TheUiThread().SetTimer(10, [this](platform::TimerId) { Tick(); });
    }
    ~UserAtTheDialog() { platform::TheUiThread().KillTimer(timer_); }
    UserAtTheDialog(const UserAtTheDialog&) = delete;
    UserAtTheDialog& operator=(const UserAtTheDialog&) = delete;

    bool Ready() const { return timer_ != 0; }
    bool Finished() const { return next_ == steps_.size(); }

private:
    void Tick() {
        if (window_ == nullptr || !::IsWindow(window_)) window_ = ShownLoginDialog();
        if (window_ == nullptr) return;
        if (next_ < steps_.size()) {
            steps_[next_++](window_);
        } else if (++idleTicks_ > kGiveUpTicks) {
            ::EndDialog(window_, kGaveUp);
        }
    }

    std::vector<Step> steps_;
    platform::TimerId timer_ = 0;
    HWND window_ = nullptr;
    std::size_t next_ = 0;
    int idleTicks_ = 0;
};

// Keystrokes as the edit control receives them from the keyboard, over all it holds, as after Ctrl+A.
void TypeOver(HWND dialog, int id, std::wstring_view text) {
    const HWND edit = ::GetDlgItem(dialog, id);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const wchar_t character : text) ::SendMessageW(edit, WM_CHAR, character, 1);
}

// What the dialog showed, read from the real controls.
struct Shown {
    std::wstring prompt;
    std::wstring login;
    std::wstring password;
    bool ticked = false;
};

Step Read(Shown& shown) {
    return [&shown](HWND dialog) {
        shown.prompt = ItemText(dialog, kLoginPromptId);
        shown.login = ItemText(dialog, kLoginFieldId);
        shown.password = ItemText(dialog, kPasswordFieldId);
        shown.ticked = ::IsDlgButtonChecked(dialog, kSavePasswordId) == BST_CHECKED;
    };
}

class LoginDialogOnWindowsTest : public ::testing::Test {
protected:
    LoginDialogOnWindowsTest()
        : files_(temp_.At(L"roaming"), temp_.At(L"local")),
          platform_(platform::Platform{
              .clock = &clock_, .files = &files_, .secrets = &secrets_, .uiThread = &uiThread_, .ui = &ui_}) {
        ResetProcessState();
        diagnostics::OpenThreadLog(L"Main");
    }
    ~LoginDialogOnWindowsTest() override { ResetProcessState(); }

    void SetUp() override {
        ASSERT_TRUE(manifest_.Valid()) << "error " << manifest_.Error();
        ASSERT_TRUE(uiThread_.Created());
    }

    // Shows the dialog while the user plays the steps; every step must have run.
    static int ShowPlaying(CCredentialsDlg& dialog, std::vector<Step> steps,
                           platform::WindowHandle owner = platform::kNoWindow) {
        UserAtTheDialog user(std::move(steps));
        EXPECT_TRUE(user.Ready());
        const int result = dialog.Show(owner);
        EXPECT_TRUE(user.Finished()) << "the dialog ended before the user was done";
        return result;
    }

    // User and password pairs, which a failure prints readably.
    using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
    static void Save(const Entries& entries) {
        settings::CredentialList list;
        for (const auto& [user, password] : entries) list.Add(user, password);
        settings::SavePasswordStorage(list);
    }
    static Entries SavedEntries() {
        settings::CredentialList list;
        settings::LoadPasswordStorage(list);
        Entries entries;
        for (const settings::Credential& entry : list.Entries()) entries.emplace_back(entry.user, entry.password);
        return entries;
    }
    static std::optional<std::wstring> Cached(const wchar_t* user) {
        return settings::PasswordCache::Instance().FindPassword(user);
    }
    // The protected blob changes with every write, so equal bytes mean the file was not written.
    std::string FileBytes() { return files_.ReadFile(settings::PasswordStoragePath()).bytes; }

private:
    platform::Win32TempFolder temp_;
    platform::Win32FileSystem files_;
    platform::Win32SecretProtection secrets_;
    platform::ManualClock clock_;
    platform::Win32UiThread uiThread_;
    platform::Win32ActivationContext manifest_{TestModule(), kDialogsManifest};
    platform::Win32UserInterface ui_{TestModule(), manifest_.Get()};
    platform::ScopedPlatform platform_;
};

TEST_F(LoginDialogOnWindowsTest, ASavedPasswordOpensFilledAndTickedAndUntickingKeepsItForTheLoginOnly) {
    Save({{kBob, L"bobs"}, {kAnn, L"saved pw"}});
    CCredentialsDlg dialog(kAnn, 0);
    OwnerWindow owner;
    Shown shown;
    ColourAnswer prompt;
    const int result = ShowPlaying(dialog,
                                   {
                                       Read(shown),
                                       [&prompt](HWND window) { prompt = AskColour(window, kLoginPromptId); },
                                       [](HWND window) { Click(window, kSavePasswordId); },
                                       [](HWND window) { Click(window, IDOK); },
                                   },
                                   owner.Get());

    EXPECT_EQ(result, platform::kDialogOk);
    EXPECT_EQ(shown.prompt, kLoginPromptText);
    EXPECT_NE(prompt.textColour, kRed) << "the prompt is red without a failed attempt";
    EXPECT_EQ(shown.login, kAnn);
    EXPECT_EQ(shown.password, L"saved pw");
    EXPECT_TRUE(shown.ticked);
    EXPECT_EQ(Cached(kAnn), std::optional<std::wstring>(L"saved pw"));
    EXPECT_EQ(SavedEntries(), (Entries{{kBob, L"bobs"}}));
}

TEST_F(LoginDialogOnWindowsTest, ANonAsciiPasswordTypedOverTheCachedOneAndTickedIsSavedToTheFile) {
    const std::wstring typed = L"p\u00e4ss w\u00f6rd \u20ac\u4e2d\u6587 &<\">";
    settings::PasswordCache::Instance().SetPassword(kAnn, L"cached");
    CCredentialsDlg dialog(kAnn, 0);
    Shown shown;
    const int result = ShowPlaying(dialog, {
                                               Read(shown),
                                               [&typed](HWND window) { TypeOver(window, kPasswordFieldId, typed); },
                                               [](HWND window) { Click(window, kSavePasswordId); },
                                               [](HWND window) { Click(window, IDOK); },
                                           });

    EXPECT_EQ(result, platform::kDialogOk);
    EXPECT_EQ(shown.password, L"cached");
    EXPECT_FALSE(shown.ticked) << "a cached password is not offered for saving";
    EXPECT_EQ(Cached(kAnn), std::optional<std::wstring>(typed));
    EXPECT_EQ(SavedEntries(), (Entries{{kAnn, typed}}));
}

TEST_F(LoginDialogOnWindowsTest, CancelEscapeAndTheCloseBoxEndWithTwoAndChangeNothing) {
    Save({{kAnn, L"saved pw"}});
    const std::string fileBefore = FileBytes();
    ASSERT_FALSE(fileBefore.empty());
    const std::vector<std::pair<const char*, Step>> ways = {
        {"Cancel", [](HWND window) { Click(window, IDCANCEL); }},
        // A key goes through the modal loop, whose dialog manager makes Escape a Cancel.
        {"Escape",
         [](HWND window) {
             const HWND edit = ::GetDlgItem(window, kPasswordFieldId);
             ::SetFocus(edit);
             ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
         }},
        {"close box", [](HWND window) { ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& [name, way] : ways) {
        SCOPED_TRACE(name);
        CCredentialsDlg dialog(kAnn, 0);
        const int result = ShowPlaying(dialog, {
                                                   [](HWND window) { TypeOver(window, kPasswordFieldId, L"typed"); },
                                                   [](HWND window) { Click(window, kSavePasswordId); },
                                                   way,
                                               });

        EXPECT_EQ(result, platform::kDialogCancel);
        EXPECT_EQ(Cached(kAnn), std::nullopt);
        EXPECT_TRUE(FileBytes() == fileBefore) << "the credentials file was written";
    }
}

TEST_F(LoginDialogOnWindowsTest, AFailedAttemptShowsTheIncorrectPasswordNoticeInRed) {
    Save({{kAnn, L"saved pw"}});
    CCredentialsDlg dialog(kAnn, 1);
    Shown shown;
    ColourAnswer notice;
    ColourAnswer loginField;
    int redInNotice = -1;
    int redInPasswordLabelAndField = -1;
    bool screenshotSaved = false;
    const int result = ShowPlaying(
        dialog, {
                    Read(shown),
                    [&](HWND window) {
                        notice = AskColour(window, kLoginPromptId);
                        loginField = AskColour(window, kLoginFieldId);
                    },
                    [&](HWND window) {
                        const Picture picture = Capture(window);
                        redInNotice = picture.RedPixels(ControlArea(window, kLoginPromptId));
                        const RECT field = ControlArea(window, kPasswordFieldId);
                        redInPasswordLabelAndField = picture.RedPixels(RECT{0, field.top, picture.width, field.bottom});
                        screenshotSaved = SavePng(picture, ArtefactPath(L"login-dialog-real.png"));
                    },
                    [](HWND window) { Click(window, IDCANCEL); },
                });

    EXPECT_EQ(result, platform::kDialogCancel);
    EXPECT_EQ(shown.prompt, kPasswordIncorrectText);
    EXPECT_EQ(shown.password, L"saved pw");
    EXPECT_EQ(notice.textColour, kRed);
    EXPECT_EQ(notice.backgroundMode, TRANSPARENT);
    EXPECT_EQ(notice.brush, reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
    EXPECT_NE(loginField.textColour, kRed) << "only the notice is red";
    EXPECT_GT(redInNotice, 20) << "the notice was not painted red";
    EXPECT_EQ(redInPasswordLabelAndField, 0);
    EXPECT_TRUE(screenshotSaved);
}

}  // namespace
}  // namespace sealwing::dialogs
