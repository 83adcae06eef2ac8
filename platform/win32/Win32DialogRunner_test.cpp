#include "platform/win32/Win32DialogRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32ActivationContext.h"
#include "platform/win32/testdata/DialogRunnerTestIds.h"

namespace sealwing::platform {
namespace {

constexpr UINT_PTR kScriptTimer = 1;
// A broken runner fails the test instead of hanging it: past its script, the controller ends the dialog itself
// after this many ticks. A count, not a timing: a working run ends long before.
constexpr int kGiveUpTicks = 3000;
constexpr INT_PTR kGaveUp = 99;
constexpr UINT kWorkerDone = WM_USER + 1;
constexpr UINT kWorkerAsks = WM_USER + 2;

HINSTANCE TestModule() { return ::GetModuleHandleW(nullptr); }

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[256] = {};
    ::GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

void Click(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

enum class ThrowIn { Nothing, Init, Command, Message };

// Plays the user: every tick of its timer runs the next step of its script. Records what the runner gave it.
class ScriptedController : public DialogController {
public:
    using Step = std::function<void(HWND)>;

    std::vector<Step> script;
    ThrowIn throwIn = ThrowIn::Nothing;
    int closesToRefuse = 0;

    bool initialised = false;
    HWND ownerSeen = nullptr;
    bool ownerEnabledMeanwhile = true;
    std::wstring typedAtOk;
    std::vector<int> commands;
    int closes = 0;
    bool threw = false;
    int callsAfterThrow = 0;

    bool OnInit(HWND dialog) override {
        Enter();
        initialised = true;
        ownerSeen = ::GetWindow(dialog, GW_OWNER);
        if (ownerSeen != nullptr) ownerEnabledMeanwhile = ::IsWindowEnabled(ownerSeen) != FALSE;
        ::SetTimer(dialog, kScriptTimer, 10, nullptr);
        if (throwIn == ThrowIn::Init) Throw();
        return true;
    }

    std::optional<INT_PTR> OnCommand(HWND dialog, int controlId, int notifyCode) override {
        Enter();
        commands.push_back(controlId);
        if (controlId != IDOK || notifyCode != BN_CLICKED) return std::nullopt;
        if (throwIn == ThrowIn::Command) Throw();
        typedAtOk = ItemText(dialog, SEALWING_TEST_NAME_EDIT);
        return IDOK;
    }

    std::optional<INT_PTR> OnClose(HWND) override {
        Enter();
        ++closes;
        if (closesToRefuse > 0) {
            --closesToRefuse;
            return std::nullopt;
        }
        return IDCANCEL;
    }

    std::optional<INT_PTR> OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override {
        Enter();
        if (message == WM_TIMER && wParam == kScriptTimer) {
            if (throwIn == ThrowIn::Message) Throw();
            if (step_ < script.size()) {
                script[step_++](dialog);
            } else if (++idleTicks_ > kGiveUpTicks) {
                ::EndDialog(dialog, kGaveUp);
            }
            return 0;
        }
        return OnOtherMessage(dialog, message, wParam, lParam);
    }

protected:
    virtual std::optional<INT_PTR> OnOtherMessage(HWND, UINT, WPARAM, LPARAM) { return std::nullopt; }

private:
    void Enter() {
        if (threw) ++callsAfterThrow;
    }
    [[noreturn]] void Throw() {
        threw = true;
        throw std::runtime_error("controller failed");
    }

    std::size_t step_ = 0;
    int idleTicks_ = 0;
};

// A plain top-level window to own the dialogs, as an Outlook window does.
class OwnerWindow {
public:
    OwnerWindow()
        : window_(::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                    TestModule(), nullptr)) {}
    ~OwnerWindow() {
        if (window_ != nullptr) ::DestroyWindow(window_);
    }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND Get() const { return window_; }

private:
    HWND window_;
};

TEST(Win32DialogRunnerTest, TheScriptTypesAndClicksOkAndTheControllerReadsTheTextAtOk) {
    OwnerWindow owner;
    ASSERT_NE(owner.Get(), nullptr);
    ScriptedController controller;
    controller.script = {
        [](HWND dialog) { ::SetDlgItemTextW(dialog, SEALWING_TEST_NAME_EDIT, L"typed by the test"); },
        [](HWND dialog) { Click(dialog, IDOK); },
    };

    const DialogRunResult run = Win32DialogRunner(TestModule()).Run(SEALWING_TEST_DIALOG, owner.Get(), controller);

    ASSERT_TRUE(run.Ended()) << "error " << run.error;
    EXPECT_EQ(run.result, IDOK);
    EXPECT_EQ(controller.typedAtOk, L"typed by the test");
    EXPECT_EQ(controller.ownerSeen, owner.Get());
    EXPECT_FALSE(controller.ownerEnabledMeanwhile);
    EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
    EXPECT_EQ(controller.closes, 0);
}

struct CancelWay {
    const char* name;
    ScriptedController::Step step;
};

class Win32DialogRunnerCancelTest : public testing::TestWithParam<CancelWay> {};

TEST_P(Win32DialogRunnerCancelTest, EndsWithIdCancelThroughOnCloseAlone) {
    ScriptedController controller;
    controller.script = {GetParam().step};

    const DialogRunResult run = Win32DialogRunner(TestModule()).Run(SEALWING_TEST_DIALOG, nullptr, controller);

    ASSERT_TRUE(run.Ended()) << "error " << run.error;
    EXPECT_EQ(run.result, IDCANCEL);
    EXPECT_EQ(controller.closes, 1);
    EXPECT_EQ(std::count(controller.commands.begin(), controller.commands.end(), IDCANCEL), 0)
        << "IDCANCEL must not reach OnCommand";
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Win32DialogRunnerCancelTest,
    testing::Values(CancelWay{"CancelButton", [](HWND dialog) { Click(dialog, IDCANCEL); }},
                    // A key the user presses goes through the modal loop's IsDialogMessage, which makes it IDCANCEL.
                    CancelWay{"EscapeKey",
                              [](HWND dialog) {
                                  const HWND edit = ::GetDlgItem(dialog, SEALWING_TEST_NAME_EDIT);
                                  ::SetFocus(edit);
                                  ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
                              }},
                    CancelWay{"CloseBox", [](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const testing::TestParamInfo<CancelWay>& info) { return std::string(info.param.name); });

TEST(Win32DialogRunnerTest, OnCloseCanRefuseAndTheDialogStaysUsable) {
    ScriptedController controller;
    controller.closesToRefuse = 1;
    controller.script = {
        [](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [](HWND dialog) { ::SetDlgItemTextW(dialog, SEALWING_TEST_NAME_EDIT, L"still open"); },
        [](HWND dialog) { Click(dialog, IDOK); },
    };

    const DialogRunResult run = Win32DialogRunner(TestModule()).Run(SEALWING_TEST_DIALOG, nullptr, controller);

    ASSERT_TRUE(run.Ended()) << "error " << run.error;
    EXPECT_EQ(run.result, IDOK);
    EXPECT_EQ(controller.closes, 1);
    EXPECT_EQ(controller.typedAtOk, L"still open");
}

class Win32DialogRunnerThrowTest : public testing::TestWithParam<ThrowIn> {};

TEST_P(Win32DialogRunnerThrowTest, AThrowingControllerEndsTheDialogWithTheFailureAndItsException) {
    ScriptedController controller;
    controller.throwIn = GetParam();
    controller.script = {[](HWND dialog) { Click(dialog, IDOK); }};

    const DialogRunResult run = Win32DialogRunner(TestModule()).Run(SEALWING_TEST_DIALOG, nullptr, controller);

    EXPECT_FALSE(run.Ended());
    EXPECT_EQ(run.result, kDialogFailed);
    EXPECT_EQ(run.error, kDialogControllerThrew);
    ASSERT_TRUE(run.exception);
    EXPECT_THROW(std::rethrow_exception(run.exception), std::runtime_error);
    EXPECT_TRUE(controller.threw);
    EXPECT_EQ(controller.callsAfterThrow, 0) << "the runner kept calling a controller that had failed";
}

INSTANTIATE_TEST_SUITE_P(Places, Win32DialogRunnerThrowTest,
                         testing::Values(ThrowIn::Init, ThrowIn::Command, ThrowIn::Message),
                         [](const testing::TestParamInfo<ThrowIn>& info) {
                             switch (info.param) {
                                 case ThrowIn::Init:
                                     return std::string("OnInit");
                                 case ThrowIn::Command:
                                     return std::string("OnCommand");
                                 case ThrowIn::Message:
                                     return std::string("OnMessage");
                                 case ThrowIn::Nothing:
                                     break;
                             }
                             return std::string("Nothing");
                         });

// A worker thread asks the dialog a question (sent: the answer travels through DWLP_MSGRESULT) and then reports
// that it is done (posted), as the login dialog's request thread will.
class WorkerController final : public ScriptedController {
public:
    std::thread worker;
    DWORD dialogThread = 0;
    DWORD hookThread = 0;
    LRESULT answerSeenByWorker = 0;
    WPARAM doneValue = 0;

    bool OnInit(HWND dialog) override {
        const bool focus = ScriptedController::OnInit(dialog);
        dialogThread = ::GetCurrentThreadId();
        worker = std::thread([this, dialog] {
            answerSeenByWorker = ::SendMessageW(dialog, kWorkerAsks, 0, 0);
            ::PostMessageW(dialog, kWorkerDone, 7, 0);
        });
        return focus;
    }

protected:
    std::optional<INT_PTR> OnOtherMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) override {
        if (message == kWorkerAsks) return 1234;
        if (message != kWorkerDone) return std::nullopt;
        hookThread = ::GetCurrentThreadId();
        doneValue = wParam;
        ::EndDialog(dialog, 5);
        return 0;
    }
};

TEST(Win32DialogRunnerTest, AWorkersMessagesReachTheHookOnTheDialogsThread) {
    WorkerController controller;

    const DialogRunResult run = Win32DialogRunner(TestModule()).Run(SEALWING_TEST_DIALOG, nullptr, controller);
    if (controller.worker.joinable()) controller.worker.join();

    ASSERT_TRUE(run.Ended()) << "error " << run.error;
    EXPECT_EQ(run.result, 5);
    EXPECT_EQ(controller.doneValue, 7u);
    EXPECT_EQ(controller.hookThread, controller.dialogThread);
    EXPECT_EQ(controller.answerSeenByWorker, 1234);
}

// WM_CTLCOLOR* answer with the brush itself, not through DWLP_MSGRESULT: the red notice of the login dialog relies
// on it.
class ColourController final : public ScriptedController {
public:
    HBRUSH brush = ::GetSysColorBrush(COLOR_HIGHLIGHT);

protected:
    std::optional<INT_PTR> OnOtherMessage(HWND, UINT message, WPARAM, LPARAM lParam) override {
        if (message != WM_CTLCOLORSTATIC ||
            ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != SEALWING_TEST_NAME_LABEL) {
            return std::nullopt;
        }
        return reinterpret_cast<INT_PTR>(brush);
    }
};

TEST(Win32DialogRunnerTest, AColourAnswerIsTheBrushItself) {
    ColourController controller;
    LRESULT answer = 0;
    controller.script = {[&answer](HWND dialog) {
        const HWND label = ::GetDlgItem(dialog, SEALWING_TEST_NAME_LABEL);
        const HDC context = ::GetDC(label);
        answer = ::SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                                reinterpret_cast<LPARAM>(label));
        ::ReleaseDC(label, context);
        Click(dialog, IDOK);
    }};

    const DialogRunResult run = Win32DialogRunner(TestModule()).Run(SEALWING_TEST_DIALOG, nullptr, controller);

    ASSERT_TRUE(run.Ended()) << "error " << run.error;
    EXPECT_EQ(answer, reinterpret_cast<LRESULT>(controller.brush));
}

TEST(Win32DialogRunnerTest, ADialogThatCannotBeMadeFailsWithTheReasonAndNeverCallsTheController) {
    HWND deadOwner = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, TestModule(), nullptr);
    ASSERT_NE(deadOwner, nullptr);
    ::DestroyWindow(deadOwner);
    const struct {
        const char* name;
        int templateId;
        HWND owner;
    } cases[] = {
        {"missing template", 4242, nullptr},
        {"destroyed owner", SEALWING_TEST_DIALOG, deadOwner},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedController controller;
        const DialogRunResult run = Win32DialogRunner(TestModule()).Run(c.templateId, c.owner, controller);
        EXPECT_FALSE(run.Ended());
        EXPECT_EQ(run.result, kDialogFailed);
        EXPECT_NE(run.error, kDialogControllerThrew);
        EXPECT_FALSE(run.exception);
        EXPECT_FALSE(controller.initialised);
    }
}

// Records the activation context that is current while the dialog is created.
class ContextController final : public ScriptedController {
public:
    HANDLE contextAtInit = INVALID_HANDLE_VALUE;

    bool OnInit(HWND dialog) override {
        HANDLE current = nullptr;
        if (::GetCurrentActCtx(&current)) {
            contextAtInit = current;
            if (current != nullptr) ::ReleaseActCtx(current);
        }
        return ScriptedController::OnInit(dialog);
    }
};

HANDLE CurrentContext() {
    HANDLE current = nullptr;
    if (!::GetCurrentActCtx(&current)) return INVALID_HANDLE_VALUE;
    if (current != nullptr) ::ReleaseActCtx(current);
    return current;
}

TEST(Win32DialogRunnerTest, TheGivenActivationContextIsActiveWhileTheDialogIsMadeAndOnlyThen) {
    const Win32ActivationContext manifest(TestModule(), SEALWING_TEST_MANIFEST);
    ASSERT_TRUE(manifest.Valid()) << "error " << manifest.Error();
    const HANDLE before = CurrentContext();
    ASSERT_NE(before, manifest.Get());

    ContextController withContext;
    withContext.script = {[](HWND dialog) { Click(dialog, IDOK); }};
    const DialogRunResult run =
        Win32DialogRunner(TestModule(), manifest.Get()).Run(SEALWING_TEST_DIALOG, nullptr, withContext);
    ASSERT_TRUE(run.Ended()) << "error " << run.error;
    EXPECT_EQ(withContext.contextAtInit, manifest.Get());
    EXPECT_EQ(CurrentContext(), before);

    ContextController withoutContext;
    withoutContext.script = {[](HWND dialog) { Click(dialog, IDOK); }};
    ASSERT_TRUE(Win32DialogRunner(TestModule()).Run(SEALWING_TEST_DIALOG, nullptr, withoutContext).Ended());
    EXPECT_EQ(withoutContext.contextAtInit, before);
}

}  // namespace
}  // namespace sealwing::platform
