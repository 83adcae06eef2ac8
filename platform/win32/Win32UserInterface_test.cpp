#include "platform/win32/Win32UserInterface.h"

#include <commctrl.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "dialogs/LoginDialogTemplate.h"
#include "platform/win32/Win32ActivationContext.h"
#include "platform/win32/Win32DialogMailbox.h"
#include "platform/win32/Win32TempFolder.h"
#include "platform/win32/testdata/DialogAdapterTestIds.h"
#include "platform/win32/testdata/DialogInspection.h"

namespace sealwing::platform {
namespace {

using namespace win32::testing;

using dialogs::kLoginFieldId;
using dialogs::kLoginPromptId;
using dialogs::kPasswordFieldId;
using dialogs::kSavePasswordId;

// The add-in's manifest, compiled into the test program with the add-in's dialogs (resources/Dialogs.rc).
constexpr WORD kDialogsManifest = 2;
constexpr UINT_PTR kScriptTimer = 77;
// A broken adapter fails the test instead of hanging it: past its script, the dialog is ended after this many
// ticks. A count, not a timing: a working run ends long before.
constexpr int kGiveUpTicks = 3000;
constexpr int kGaveUp = 99;
constexpr COLORREF kRed = RGB(255, 0, 0);

HINSTANCE TestModule() { return ::GetModuleHandleW(nullptr); }

// Keystrokes as the edit control receives them from the keyboard.
void Type(HWND dialog, int id, std::wstring_view text) {
    const HWND edit = ::GetDlgItem(dialog, id);
    for (const wchar_t character : text) ::SendMessageW(edit, WM_CHAR, character, 1);
}

class TestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A dialog's behaviour for the tests: what it does is given as functions, what reached it is recorded. Opening
// starts the test's script, which plays the user on the real window: every tick of a timer runs its next step.
class ScriptedDialog final : public Dialog {
public:
    using Step = std::function<void(HWND)>;

    explicit ScriptedDialog(const DialogTemplate& dialogTemplate) : template_(dialogTemplate) {}
    ~ScriptedDialog() override {
        if (playing_ == this) playing_ = nullptr;
    }
    ScriptedDialog(const ScriptedDialog&) = delete;
    ScriptedDialog& operator=(const ScriptedDialog&) = delete;

    std::vector<Step> script;
    std::function<void(DialogView&)> onOpen;
    std::function<std::optional<int>(DialogView&, int)> onCommand;
    std::function<std::optional<int>(DialogView&, int, std::intptr_t)> onPosted;

    HWND window = nullptr;
    DWORD uiThread = 0;
    std::shared_ptr<DialogMailbox> mailbox;
    std::vector<int> commands;
    int closes = 0;
    std::vector<std::pair<int, std::intptr_t>> posts;
    bool postedOffTheUiThread = false;
    std::vector<std::pair<int, std::wstring>> links;

    const DialogTemplate& Template() const override { return template_; }

    void OnOpen(DialogView& view, const std::shared_ptr<DialogMailbox>& box) override {
        window = reinterpret_cast<HWND>(view.Window());
        uiThread = ::GetCurrentThreadId();
        mailbox = box;
        if (onOpen) onOpen(view);
        playing_ = this;
        ::SetTimer(window, kScriptTimer, 10, &Tick);
    }

    std::optional<int> OnCommand(DialogView& view, int controlId) override {
        commands.push_back(controlId);
        if (onCommand) return onCommand(view, controlId);
        return controlId == kDialogOk ? std::optional<int>(kDialogOk) : std::nullopt;
    }

    std::optional<int> OnClose(DialogView&) override {
        ++closes;
        return kDialogCancel;
    }

    void OnLink(DialogView&, int controlId, std::wstring_view address) override {
        links.emplace_back(controlId, std::wstring(address));
    }

    std::optional<int> OnPosted(DialogView& view, int message, std::intptr_t value) override {
        posts.emplace_back(message, value);
        if (::GetCurrentThreadId() != uiThread) postedOffTheUiThread = true;
        return onPosted ? onPosted(view, message, value) : std::nullopt;
    }

private:
    static void CALLBACK Tick(HWND window, UINT, UINT_PTR, DWORD) {
        ScriptedDialog* self = playing_;
        if (self == nullptr || self->window != window) return;
        if (self->step_ < self->script.size()) {
            self->script[self->step_++](window);
        } else if (++self->idleTicks_ > kGiveUpTicks) {
            ::EndDialog(window, kGaveUp);
        }
    }

    static inline ScriptedDialog* playing_ = nullptr;
    const DialogTemplate& template_;
    std::size_t step_ = 0;
    int idleTicks_ = 0;
};

class Win32UserInterfaceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(manifest_.Valid()) << "error " << manifest_.Error(); }

    Win32UserInterface& Ui() { return ui_; }

private:
    Win32ActivationContext manifest_{TestModule(), kDialogsManifest};
    Win32UserInterface ui_{TestModule(), manifest_.Get()};
};

// What the login dialog's window showed, read by the script from the real controls.
struct LoginWindowState {
    std::wstring caption;
    bool topmost = false;
    std::wstring prompt;
    std::wstring login;
    bool passwordHidden = false;
    bool tickedAtOpen = true;
    int redPixelsInPrompt = -1;
    bool screenshotSaved = false;
};

ScriptedDialog::Step ReadLoginWindow(LoginWindowState& state) {
    return [&state](HWND dialog) {
        state.caption.resize(64);
        state.caption.resize(static_cast<std::size_t>(::GetWindowTextW(dialog, state.caption.data(), 64)));
        state.topmost = (::GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        state.prompt = ItemText(dialog, kLoginPromptId);
        state.login = ItemText(dialog, kLoginFieldId);
        state.passwordHidden = ::SendMessageW(::GetDlgItem(dialog, kPasswordFieldId), EM_GETPASSWORDCHAR, 0, 0) != 0;
        state.tickedAtOpen = ::IsDlgButtonChecked(dialog, kSavePasswordId) == BST_CHECKED;
    };
}

ScriptedDialog::Step Screenshot(LoginWindowState& state, const wchar_t* name) {
    return [&state, name](HWND dialog) {
        const Picture picture = Capture(dialog);
        state.redPixelsInPrompt = picture.RedPixels(ControlArea(dialog, kLoginPromptId));
        state.screenshotSaved = SavePng(picture, ArtefactPath(name));
    };
}

// What OK read through the view.
struct LoginAtOk {
    std::wstring login;
    std::wstring password;
    bool save = false;
};

void ReadAtOk(ScriptedDialog& dialog, LoginAtOk& atOk) {
    dialog.onCommand = [&atOk](DialogView& view, int controlId) -> std::optional<int> {
        if (controlId != kDialogOk) return std::nullopt;
        atOk.login = view.Text(kLoginFieldId);
        atOk.password = view.Text(kPasswordFieldId);
        atOk.save = view.IsChecked(kSavePasswordId);
        return kDialogOk;
    };
}

TEST_F(Win32UserInterfaceTest, TheLoginDialogRunsFromItsTemplateAndOkHandsTheTypedPasswordAndTickToTheLogic) {
    OwnerWindow owner;
    ScriptedDialog dialog(dialogs::kLoginDialogTemplate);
    dialog.onOpen = [](DialogView& view) { view.SetText(kLoginFieldId, L"alice@example.com"); };
    LoginAtOk atOk;
    ReadAtOk(dialog, atOk);
    LoginWindowState shown;
    dialog.script = {
        ReadLoginWindow(shown),
        [](HWND window) { Type(window, kPasswordFieldId, L"s3cr\u00e9t \"&<x>"); },
        [](HWND window) { Click(window, kSavePasswordId); },
        Screenshot(shown, L"login-dialog.png"),
        [](HWND window) { Click(window, IDOK); },
    };

    const int result = Ui().RunDialog(dialog, owner.Get());

    EXPECT_EQ(result, kDialogOk);
    EXPECT_EQ(shown.caption, L"Parcelon Login");
    EXPECT_TRUE(shown.topmost);
    EXPECT_EQ(shown.prompt, dialogs::kLoginPromptText);
    EXPECT_EQ(shown.login, L"alice@example.com");
    EXPECT_TRUE(shown.passwordHidden);
    EXPECT_FALSE(shown.tickedAtOpen);
    EXPECT_EQ(shown.redPixelsInPrompt, 0) << "the prompt is drawn in red without the notice";
    EXPECT_TRUE(shown.screenshotSaved);
    EXPECT_EQ(atOk.login, L"alice@example.com");
    EXPECT_EQ(atOk.password, L"s3cr\u00e9t \"&<x>");
    EXPECT_TRUE(atOk.save);
    EXPECT_EQ(dialog.commands, (std::vector<int>{kSavePasswordId, kDialogOk}));
    EXPECT_EQ(dialog.closes, 0);
    EXPECT_TRUE(::IsWindowEnabled(reinterpret_cast<HWND>(owner.Get())));
    EXPECT_FALSE(::IsWindow(dialog.window));
}

TEST_F(Win32UserInterfaceTest, CancelReachesOnCloseAloneAndEndsWithTwo) {
    ScriptedDialog dialog(dialogs::kLoginDialogTemplate);
    LoginAtOk atOk;
    ReadAtOk(dialog, atOk);
    dialog.script = {
        [](HWND window) { Type(window, kPasswordFieldId, L"typed"); },
        [](HWND window) { Click(window, IDCANCEL); },
    };

    const int result = Ui().RunDialog(dialog, kNoWindow);

    EXPECT_EQ(result, kDialogCancel);
    EXPECT_EQ(dialog.closes, 1);
    EXPECT_TRUE(dialog.commands.empty());
    EXPECT_TRUE(atOk.password.empty());
}

TEST_F(Win32UserInterfaceTest, TheIncorrectPasswordNoticeIsDrawnRedWithoutBrushUntilItsColourIsTakenAway) {
    ScriptedDialog dialog(dialogs::kLoginDialogTemplate);
    dialog.onOpen = [](DialogView& view) {
        view.SetText(kLoginFieldId, L"alice@example.com");
        view.SetText(kLoginPromptId, dialogs::kPasswordIncorrectText);
        view.SetTextColour(kLoginPromptId, Rgb{255, 0, 0});
    };
    // Ticking the box stands in for whatever makes a dialog take a colour away.
    dialog.onCommand = [](DialogView& view, int controlId) -> std::optional<int> {
        if (controlId == kSavePasswordId) view.SetTextColour(kLoginPromptId, std::nullopt);
        return std::nullopt;
    };
    LoginWindowState shown;
    ColourAnswer notice;
    ColourAnswer loginField;
    ColourAnswer noticeAfter;
    dialog.script = {
        ReadLoginWindow(shown),
        [&](HWND window) {
            notice = AskColour(window, kLoginPromptId);
            loginField = AskColour(window, kLoginFieldId);
        },
        [](HWND window) { Type(window, kPasswordFieldId, L"again"); },
        Screenshot(shown, L"login-dialog-incorrect.png"),
        [](HWND window) { Click(window, kSavePasswordId); },
        [&](HWND window) { noticeAfter = AskColour(window, kLoginPromptId); },
        [](HWND window) { Click(window, IDCANCEL); },
    };

    ASSERT_EQ(Ui().RunDialog(dialog, kNoWindow), kDialogCancel);

    EXPECT_EQ(shown.prompt, dialogs::kPasswordIncorrectText);
    EXPECT_EQ(notice.textColour, kRed);
    EXPECT_EQ(notice.backgroundMode, TRANSPARENT);
    EXPECT_EQ(notice.brush, reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
    EXPECT_NE(loginField.textColour, kRed) << "only the notice is red";
    EXPECT_NE(loginField.brush, reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
    EXPECT_GT(shown.redPixelsInPrompt, 20) << "the notice was not painted red";
    EXPECT_TRUE(shown.screenshotSaved);
    EXPECT_NE(noticeAfter.textColour, kRed);
    EXPECT_NE(noticeAfter.brush, reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)));
}

TEST_F(Win32UserInterfaceTest, AWorkersPostsReachOnPostedOnTheUiThreadInOrderAndNoneAfterTheEnd) {
    ScriptedDialog dialog(dialogs::kLoginDialogTemplate);
    std::thread worker;
    const std::intptr_t widest = INTPTR_MAX - 1;
    dialog.onOpen = [&](DialogView&) {
        std::shared_ptr<DialogMailbox> mailbox = dialog.mailbox;
        worker = std::thread([mailbox, widest] {
            mailbox->Post(1, 10);
            mailbox->Post(-2, widest);
            mailbox->Post(3, 0);
        });
    };
    // The third post ends the dialog through End, and then by its result, which wins; the post it sends itself
    // meanwhile is queued before the end and must not reach it.
    dialog.onPosted = [&dialog](DialogView& view, int message, std::intptr_t) -> std::optional<int> {
        if (message != 3) return std::nullopt;
        dialog.mailbox->Post(4, 0);
        view.End(9);
        return 7;
    };

    const int result = Ui().RunDialog(dialog, kNoWindow);
    worker.join();

    EXPECT_EQ(result, 7);
    const std::vector<std::pair<int, std::intptr_t>> expected = {{1, 10}, {-2, widest}, {3, 0}};
    EXPECT_EQ(dialog.posts, expected);
    EXPECT_FALSE(dialog.postedOffTheUiThread);
    const auto mailbox = std::dynamic_pointer_cast<Win32DialogMailbox>(dialog.mailbox);
    ASSERT_NE(mailbox, nullptr);
    EXPECT_FALSE(mailbox->IsOpen()) << "posts after the end would still go out";
    dialog.mailbox->Post(5, 0);
    EXPECT_EQ(dialog.posts.size(), 3u);
}

TEST_F(Win32UserInterfaceTest, WhatTheDialogThrowsIsRethrownOnceItsWindowIsGone) {
    OwnerWindow owner;
    ScriptedDialog dialog(dialogs::kLoginDialogTemplate);
    dialog.onCommand = [](DialogView&, int) -> std::optional<int> { throw TestError("the logic failed"); };
    dialog.script = {[](HWND window) { Click(window, IDOK); }};

    EXPECT_THROW(Ui().RunDialog(dialog, owner.Get()), TestError);

    EXPECT_FALSE(::IsWindow(dialog.window));
    EXPECT_TRUE(::IsWindowEnabled(reinterpret_cast<HWND>(owner.Get())));
    const auto mailbox = std::dynamic_pointer_cast<Win32DialogMailbox>(dialog.mailbox);
    ASSERT_NE(mailbox, nullptr);
    EXPECT_FALSE(mailbox->IsOpen());
}

TEST_F(Win32UserInterfaceTest, AControlTheWindowLacksIsAMistakeThatReachesTheCaller) {
    ScriptedDialog dialog(dialogs::kLoginDialogTemplate);
    dialog.onOpen = [](DialogView& view) { view.SetText(4242, L"nowhere"); };

    EXPECT_THROW(Ui().RunDialog(dialog, kNoWindow), std::logic_error);
}

TEST_F(Win32UserInterfaceTest, ADialogWithoutTemplateFailsWithoutCallingTheLogic) {
    constexpr DialogTemplate kMissing{.id = 4242};
    ScriptedDialog dialog(kMissing);
    bool opened = false;
    dialog.onOpen = [&opened](DialogView&) { opened = true; };

    ::SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(Ui().RunDialog(dialog, kNoWindow), kDialogFailed);
    EXPECT_NE(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(opened);
}

// The adapter's test dialog (testdata/DialogAdapterTest.rc), as its behaviour knows it.
constexpr std::array<ControlTemplate, 8> kAdapterControls = {{
    {SEALWING_ADAPTER_LABEL, ControlKind::Static, L"Label", 7, 7, 200, 10},
    {SEALWING_ADAPTER_EDIT, ControlKind::Edit, L"", 7, 20, 200, 14},
    {SEALWING_ADAPTER_COMBO, ControlKind::ComboBox, L"", 7, 38, 120, 60},
    {SEALWING_ADAPTER_PROGRESS, ControlKind::Progress, L"", 7, 56, 200, 10},
    {SEALWING_ADAPTER_LINK, ControlKind::Link, L"Read <a href=\"https://example.com/help\">the help</a>", 7, 72, 200,
     10},
    {SEALWING_ADAPTER_APPLY, ControlKind::Button, L"Apply", 7, 99, 50, 14},
    {kDialogOk, ControlKind::DefaultButton, L"OK", 109, 99, 50, 14},
    {kDialogCancel, ControlKind::Button, L"Cancel", 163, 99, 50, 14},
}};
constexpr DialogTemplate kAdapterDialog{.id = SEALWING_ADAPTER_DIALOG,
                                        .caption = L"Dialog adapter test",
                                        .width = 220,
                                        .height = 120,
                                        .controls = kAdapterControls};

TEST_F(Win32UserInterfaceTest, TheViewWorksEachKindOfControlAndEachKindOfEventReachesTheLogic) {
    const std::wstring longText(5000, L'x');
    std::wstring longTextRead;
    int chosenAtOpen = -2;
    int chosenAtPick = -2;
    ScriptedDialog dialog(kAdapterDialog);
    dialog.onOpen = [&](DialogView& view) {
        view.SetText(SEALWING_ADAPTER_EDIT, longText);
        longTextRead = view.Text(SEALWING_ADAPTER_EDIT);
        view.SetChoices(SEALWING_ADAPTER_COMBO, {L"one", L"two", L"three"});
        view.Choose(SEALWING_ADAPTER_COMBO, 1);
        chosenAtOpen = view.Chosen(SEALWING_ADAPTER_COMBO);
        view.SetProgressRange(SEALWING_ADAPTER_PROGRESS, 200);
        view.SetProgress(SEALWING_ADAPTER_PROGRESS, 50);
        view.SetEnabled(SEALWING_ADAPTER_APPLY, false);
        view.SetVisible(SEALWING_ADAPTER_LABEL, false);
    };
    dialog.onCommand = [&](DialogView& view, int controlId) -> std::optional<int> {
        if (controlId == SEALWING_ADAPTER_COMBO) {
            chosenAtPick = view.Chosen(SEALWING_ADAPTER_COMBO);
            view.SetEnabled(SEALWING_ADAPTER_APPLY, true);
            view.SetVisible(SEALWING_ADAPTER_LABEL, true);
        }
        if (controlId == SEALWING_ADAPTER_APPLY) view.End(5);
        return std::nullopt;
    };
    struct {
        LRESULT choices = 0;
        std::wstring secondChoice;
        int progressMaximum = 0;
        LRESULT progress = 0;
        bool applyEnabled = true;
        bool labelVisible = true;
        bool applyEnabledAfterPick = false;
        bool labelVisibleAfterPick = false;
    } seen;
    dialog.script = {
        [&seen](HWND window) {
            const HWND combo = ::GetDlgItem(window, SEALWING_ADAPTER_COMBO);
            seen.choices = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
            seen.secondChoice.resize(static_cast<std::size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, 1, 0)) + 1);
            seen.secondChoice.resize(static_cast<std::size_t>(
                ::SendMessageW(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(seen.secondChoice.data()))));
            const HWND progress = ::GetDlgItem(window, SEALWING_ADAPTER_PROGRESS);
            seen.progressMaximum = static_cast<int>(::SendMessageW(progress, PBM_GETRANGE, FALSE, 0));
            seen.progress = ::SendMessageW(progress, PBM_GETPOS, 0, 0);
            seen.applyEnabled = ::IsWindowEnabled(::GetDlgItem(window, SEALWING_ADAPTER_APPLY)) != FALSE;
            seen.labelVisible = ::IsWindowVisible(::GetDlgItem(window, SEALWING_ADAPTER_LABEL)) != FALSE;
        },
        // Typing makes the edit notify its parent; that is no command.
        [](HWND window) { Type(window, SEALWING_ADAPTER_EDIT, L"typed"); },
        // The user picks the third choice: the combo box selects it and tells its parent.
        [](HWND window) {
            const HWND combo = ::GetDlgItem(window, SEALWING_ADAPTER_COMBO);
            ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
            ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(SEALWING_ADAPTER_COMBO, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(combo));
        },
        [&seen](HWND window) {
            seen.applyEnabledAfterPick = ::IsWindowEnabled(::GetDlgItem(window, SEALWING_ADAPTER_APPLY)) != FALSE;
            seen.labelVisibleAfterPick = ::IsWindowVisible(::GetDlgItem(window, SEALWING_ADAPTER_LABEL)) != FALSE;
        },
        // The link, from the keyboard: focused, then Enter.
        [](HWND window) {
            const HWND link = ::GetDlgItem(window, SEALWING_ADAPTER_LINK);
            ::SetFocus(link);
            ::SendMessageW(link, WM_KEYDOWN, VK_RETURN, 1);
        },
        [](HWND window) { Click(window, SEALWING_ADAPTER_APPLY); },
    };

    const int result = Ui().RunDialog(dialog, kNoWindow);

    EXPECT_EQ(result, 5) << "End from a command";
    EXPECT_EQ(longTextRead, longText);
    EXPECT_EQ(chosenAtOpen, 1);
    EXPECT_EQ(seen.choices, 3);
    EXPECT_EQ(seen.secondChoice, L"two");
    EXPECT_EQ(seen.progressMaximum, 200);
    EXPECT_EQ(seen.progress, 50);
    EXPECT_FALSE(seen.applyEnabled);
    EXPECT_FALSE(seen.labelVisible);
    EXPECT_EQ(chosenAtPick, 2);
    EXPECT_TRUE(seen.applyEnabledAfterPick);
    EXPECT_TRUE(seen.labelVisibleAfterPick);
    EXPECT_EQ(dialog.links,
              (std::vector<std::pair<int, std::wstring>>{{SEALWING_ADAPTER_LINK, L"https://example.com/help"}}));
    EXPECT_EQ(dialog.commands, (std::vector<int>{SEALWING_ADAPTER_COMBO, SEALWING_ADAPTER_APPLY}));
}

// --- The save-file dialog -------------------------------------------------------------------------------------------

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM found) {
    auto* wanted = reinterpret_cast<std::pair<HWND, HWND>*>(found);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (std::wstring_view(className) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
    if (::GetWindow(window, GW_OWNER) != wanted->first) return TRUE;
    wanted->second = window;
    return FALSE;
}

// Plays the user on the common save-file dialog that `owner` owns: each tick of a thread timer, which the dialog's
// modal loop serves, runs the next step once the dialog shows. Past the steps, a dialog still open (an overwrite
// prompt would keep it so) is cancelled after a while, so the run ends without the path.
class UserAtTheSaveDialog {
public:
    using Step = std::function<void(HWND)>;

    UserAtTheSaveDialog(HWND owner, std::vector<Step> steps) : owner_(owner), steps_(std::move(steps)) {
        playing_ = this;
        timer_ = ::SetTimer(nullptr, 0, 10, &Tick);
    }
    ~UserAtTheSaveDialog() {
        ::KillTimer(nullptr, timer_);
        playing_ = nullptr;
    }
    UserAtTheSaveDialog(const UserAtTheSaveDialog&) = delete;
    UserAtTheSaveDialog& operator=(const UserAtTheSaveDialog&) = delete;

    bool Finished() const { return next_ == steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        UserAtTheSaveDialog* self = playing_;
        if (self == nullptr) return;
        std::pair<HWND, HWND> found{self->owner_, nullptr};
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindOwnedDialog, reinterpret_cast<LPARAM>(&found));
        if (found.second == nullptr) return;
        if (self->next_ < self->steps_.size()) {
            self->steps_[self->next_++](found.second);
        } else if (++self->idleTicks_ > kGiveUpTicks) {
            ::EnumThreadWindows(::GetCurrentThreadId(), &DismissPrompt, reinterpret_cast<LPARAM>(found.second));
            ::PostMessageW(found.second, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    }

    // Any other dialog of the thread, such as a prompt over the save dialog, is answered No.
    static BOOL CALLBACK DismissPrompt(HWND window, LPARAM saveDialog) {
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        if (window != reinterpret_cast<HWND>(saveDialog) && std::wstring_view(className) == L"#32770" &&
            ::IsWindowVisible(window)) {
            ::EndDialog(window, IDNO);
        }
        return TRUE;
    }

    static inline UserAtTheSaveDialog* playing_ = nullptr;
    HWND owner_;
    std::vector<Step> steps_;
    UINT_PTR timer_ = 0;
    std::size_t next_ = 0;
    int idleTicks_ = 0;
};

// The file-name field: an edit in some versions of the dialog, a combo box with an edit in others.
HWND FileNameField(HWND dialog) {
    const HWND edit = ::GetDlgItem(dialog, edt1);
    return edit != nullptr ? edit : ::GetDlgItem(dialog, cmb13);
}

UserAtTheSaveDialog::Step TypeName(const std::wstring& name) {
    return [name](HWND dialog) { ::SetWindowTextW(FileNameField(dialog), name.c_str()); };
}

UserAtTheSaveDialog::Step PressButton(int id) {
    return [id](HWND dialog) {
        const HWND button = ::GetDlgItem(dialog, id);
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    };
}

TEST_F(Win32UserInterfaceTest, TheSaveFileDialogOffersTheFilterAddsTheExtensionAndTakesAnExistingFileWithoutAsking) {
    Win32TempFolder folder;
    const std::wstring existing = folder.At(L"old.txt");
    {
        const HANDLE file =
            ::CreateFileW(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ::CloseHandle(file);
    }
    OwnerWindow owner;
    const SaveFileRequest request{.owner = owner.Get(),
                                  .filterName = L"Text files(*.txt)",
                                  .filterPattern = L"*.txt",
                                  .defaultExtension = L"txt"};
    const struct {
        const char* name;
        std::wstring typed;
        int button;
        std::optional<std::wstring> chosen;
    } cases[] = {
        {"a name without extension", folder.At(L"report"), IDOK, folder.At(L"report.txt")},
        {"an existing file", existing, IDOK, existing},
        {"cancelled", folder.At(L"report"), IDCANCEL, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring fileType;
        UserAtTheSaveDialog user(reinterpret_cast<HWND>(owner.Get()),
                                 {
                                     [&fileType](HWND dialog) {
                                         const HWND types = ::GetDlgItem(dialog, cmb1);
                                         fileType.resize(static_cast<std::size_t>(::GetWindowTextLengthW(types)) + 1);
                                         fileType.resize(static_cast<std::size_t>(::GetWindowTextW(
                                             types, fileType.data(), static_cast<int>(fileType.size()))));
                                     },
                                     TypeName(c.typed),
                                     PressButton(c.button),
                                 });

        const std::optional<std::wstring> chosen = Ui().ChooseSaveFile(request);

        EXPECT_TRUE(user.Finished());
        EXPECT_EQ(chosen, c.chosen);
        EXPECT_EQ(fileType, L"Text files(*.txt)");
    }
}

}  // namespace
}  // namespace sealwing::platform
