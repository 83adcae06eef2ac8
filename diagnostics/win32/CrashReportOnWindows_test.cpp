// The crash report and the log viewer as the user meets them on Windows: the real CCrashReportDlg and CLogViewDlg, run
// by the user-interface adapter from templates 225 and 226 in this program's resources (resources/Dialogs.rc), and
// offered by a main log whose file, left by a crashed run, still says OPEN. A thread timer plays the user on the real
// windows; the save-file dialog's choice and the service's answer come from the test.

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
#include "diagnostics/CrashReport.h"
#include "diagnostics/CrashReportDialogTemplate.h"
#include "diagnostics/Log.h"
#include "diagnostics/LogViewer.h"
#include "diagnostics/LogViewerDialogTemplate.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/Platform.h"
#include "platform/win32/Win32ActivationContext.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32TempFolder.h"
#include "platform/win32/Win32UserInterface.h"
#include "platform/win32/testdata/DialogInspection.h"
#include "service/ServiceOperations.h"

namespace sealwing::diagnostics {
namespace {

using namespace platform::win32::testing;

// The add-in's manifest, compiled into the test program with the add-in's dialogs.
constexpr WORD kDialogsManifest = 2;
constexpr int kGaveUp = DialogPlayer::kGaveUp;

const std::wstring kCrashCaption(kCrashReportDialogTemplate.caption);
const std::wstring kViewerCaption(kLogViewerDialogTemplate.caption);

HINSTANCE TestModule() { return ::GetModuleHandleW(nullptr); }

// The texts of a dialog's controls in template order: the labels that no id reaches are read this way.
std::vector<std::wstring> ControlTexts(HWND dialog) {
    std::vector<std::wstring> texts;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(WindowText(child));
    }
    return texts;
}

// Escape as the keyboard delivers it to the focused control, which the dialog manager makes a Cancel.
void PressEscape(HWND dialog) {
    const HWND focus = ::GetFocus();
    ::PostMessageW(focus != nullptr && ::IsChild(dialog, focus) ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 1);
}

// The user-interface port of the DLL with two answers chosen by the test: the path the user picks in the save-file
// dialog, and message boxes, which are recorded and answered OK. Dialogs are the real ones.
class UserInterfaceWithChosenAnswers final : public platform::UserInterface {
public:
    UserInterfaceWithChosenAnswers(HINSTANCE module, HANDLE activationContext) : real_(module, activationContext) {}

    platform::DialogResult ShowMessageBox(const platform::MessageBoxRequest& request) override {
        boxes.push_back(request);
        return platform::DialogResult::Ok;
    }
    int RunDialog(platform::Dialog& dialog, platform::WindowHandle owner) override {
        return real_.RunDialog(dialog, owner);
    }
    std::optional<std::wstring> ChooseSaveFile(const platform::SaveFileRequest& request) override {
        saveRequests.push_back(request);
        return savePath;
    }
    void OpenLink(const std::wstring&) override {}

    std::optional<std::wstring> savePath;
    std::vector<platform::SaveFileRequest> saveRequests;
    std::vector<platform::MessageBoxRequest> boxes;

private:
    platform::Win32UserInterface real_;
};

// The service as far as the log report goes: records each form post and gives the chosen answer.
class ServiceStandIn final : public platform::Http {
public:
    struct FormPost {
        std::string path;
        std::vector<platform::HttpFormPart> parts;
    };

    platform::HttpProxySettings UserProxySettings() override { return {}; }
    platform::HttpReply Get(const platform::HttpTarget&, const platform::HttpCredentials&,
                            const platform::HttpProgress&, platform::Event*) override {
        return {.error = platform::kHttpCannotConnect};
    }
    platform::HttpReply Post(const platform::HttpTarget&, std::string_view, std::string_view,
                             const platform::HttpCredentials&, platform::Event*) override {
        return {.error = platform::kHttpCannotConnect};
    }
    platform::HttpReply PostForm(const platform::HttpTarget& target, const std::vector<platform::HttpFormPart>& parts,
                                 const platform::HttpCredentials&, platform::Event*) override {
        posts.push_back({target.path, parts});
        return answer;
    }

    platform::HttpReply answer{.status = 200};
    std::vector<FormPost> posts;
};

class CrashReportOnWindowsTest : public ::testing::Test {
protected:
    CrashReportOnWindowsTest() {
        ResetProcessState();
        InstallCrashReportOffer(&service::UploadCrashReport);
    }
    ~CrashReportOnWindowsTest() override { ResetProcessState(); }

    void SetUp() override { ASSERT_TRUE(manifest_.Valid()) << "error " << manifest_.Error(); }

    // Leaves the main log as a run that crashed during an operation left it.
    void LeaveCrashedMainLog(const std::string& text) {
        ::CreateDirectoryW(temp_.At(L"local").c_str(), nullptr);
        ::CreateDirectoryW(temp_.At(L"local\\Parcelon").c_str(), nullptr);
        WriteFile(temp_.At(L"local\\Parcelon\\Main.log"), text);
    }

    static void WriteFile(const std::wstring& path, const std::string& bytes) {
        const platform::WriteResult written = platform::Files().ReplaceFile(path, bytes, platform::FileAccess::Default);
        ASSERT_TRUE(written.ok) << written.error;
    }
    static std::string ReadFile(const std::wstring& path) { return platform::Files().ReadFile(path).bytes; }

    // Opens the main log while the user plays the steps; every step must have run.
    static void OpenMainLogPlaying(std::vector<DialogStep> steps) {
        DialogPlayer user(std::move(steps));
        OpenThreadLog(L"Main");
        EXPECT_TRUE(user.Finished()) << "the dialogs ended before the user was done";
    }

    platform::Win32TempFolder temp_;
    ServiceStandIn service_;
    platform::Win32ActivationContext manifest_{TestModule(), kDialogsManifest};
    UserInterfaceWithChosenAnswers ui_{TestModule(), manifest_.Get()};

private:
    platform::Win32FileSystem files_{temp_.At(L"roaming"), temp_.At(L"local")};
    platform::ManualClock clock_;
    platform::ScopedPlatform platform_{
        platform::Platform{.clock = &clock_, .files = &files_, .http = &service_, .ui = &ui_}};
};

TEST_F(CrashReportOnWindowsTest, TheCrashedRunIsOfferedFromTemplate225AndSendUploadsItsLogAndReportsA500) {
    const std::string previous = "OPEN  \n===Main log\n2026-12-09 17:01:02 Log opened...\n";
    LeaveCrashedMainLog(previous);
    service_.answer = {.status = 500};
    std::vector<std::wstring> texts;
    HWND owner = reinterpret_cast<HWND>(1);
    bool sendIsDefault = false;
    bool screenshotSaved = false;

    OpenMainLogPlaying({
        {kCrashCaption,
         [&](HWND dialog) {
             texts = ControlTexts(dialog);
             owner = ::GetWindow(dialog, GW_OWNER);
             sendIsDefault = LOWORD(::SendMessageW(dialog, DM_GETDEFID, 0, 0)) == IDOK;
             screenshotSaved = SavePng(Capture(dialog), ArtefactPath(L"crash-report-real.png"));
         }},
        {kCrashCaption, [](HWND dialog) { PostClick(dialog, IDOK); }},
    });

    EXPECT_EQ(texts, (std::vector<std::wstring>{kCrashReportMessage, L"Send", L"Cancel", L"View content"}));
    EXPECT_EQ(owner, nullptr) << "the offer has no owner";
    EXPECT_TRUE(sendIsDefault);
    EXPECT_TRUE(screenshotSaved);
    ASSERT_EQ(service_.posts.size(), 1u);
    EXPECT_EQ(service_.posts[0].path, "secure/log/outlookEventReport");
    ASSERT_EQ(service_.posts[0].parts.size(), 1u);
    EXPECT_EQ(service_.posts[0].parts[0].name, "data");
    EXPECT_EQ(service_.posts[0].parts[0].bytes, previous);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text,
              L"There was an error while submitting logs to the server.The error code is 0. Server response code is "
              L"500. Please contact support");
    EXPECT_EQ(ui_.boxes[0].icon, platform::MessageBoxIcon::Error);
}

TEST_F(CrashReportOnWindowsTest, ViewContentShowsTheLogWithCarriageReturnsOverTheOfferAndSaveAsWritesItAsReceived) {
    // 0xE9 is a letter of the ANSI code page, which the viewer shows as that code page reads it.
    const std::string previous = "OPEN  \n===Main log\nCaf\xE9 line\n\nlast line";
    LeaveCrashedMainLog(previous);
    const std::wstring savedPath = temp_.At(L"activity.txt");
    WriteFile(savedPath, std::string(5000, 'x'));
    ui_.savePath = savedPath;
    HWND crash = nullptr;
    HWND viewerOwner = nullptr;
    std::wstring viewerText;
    LONG editStyle = 0;
    HWND viewer = nullptr;
    bool crashBackAfterViewer = false;
    bool viewerScreenshotSaved = false;

    OpenMainLogPlaying({
        {kCrashCaption,
         [&](HWND dialog) {
             crash = dialog;
             PostClick(dialog, kViewReportId);
         }},
        {kViewerCaption,
         [&](HWND dialog) {
             viewer = dialog;
             viewerOwner = ::GetWindow(dialog, GW_OWNER);
             viewerText = ItemText(dialog, kLogTextId);
             editStyle = ::GetWindowLongW(::GetDlgItem(dialog, kLogTextId), GWL_STYLE);
             viewerScreenshotSaved = SavePng(Capture(dialog), ArtefactPath(L"log-viewer-real.png"));
             PostClick(dialog, kSaveLogId);
         }},
        {kViewerCaption, [](HWND dialog) { PostClick(dialog, IDOK); }},
        {kCrashCaption,
         [&](HWND dialog) {
             crashBackAfterViewer = dialog == crash && !::IsWindow(viewer);
             PostClick(dialog, IDCANCEL);
         }},
    });

    wchar_t e = 0;
    ASSERT_EQ(::MultiByteToWideChar(CP_ACP, 0, "\xE9", 1, &e, 1), 1);
    EXPECT_EQ(viewerText, L"OPEN  \r\n===Main log\r\nCaf" + std::wstring(1, e) + L" line\r\n\r\nlast line");
    EXPECT_EQ(viewerOwner, crash);
    EXPECT_EQ(editStyle & (ES_MULTILINE | ES_READONLY | WS_VSCROLL), ES_MULTILINE | ES_READONLY | WS_VSCROLL);
    EXPECT_TRUE(crashBackAfterViewer);
    EXPECT_TRUE(viewerScreenshotSaved);
    EXPECT_EQ(ReadFile(savedPath), previous) << "the file holds the text as the viewer received it";
    ASSERT_EQ(ui_.saveRequests.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(ui_.saveRequests[0].owner), viewer);
    EXPECT_EQ(ui_.saveRequests[0].filterName, L"Text files(*.txt)");
    EXPECT_EQ(ui_.saveRequests[0].filterPattern, L"*.txt");
    EXPECT_EQ(ui_.saveRequests[0].defaultExtension, L"txt");
    EXPECT_TRUE(service_.posts.empty()) << "Cancel sends nothing";
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(CrashReportOnWindowsTest, CloseEscapeAndTheCloseBoxEndTheViewerWithZeroAndEscapeDropsTheOffer) {
    const std::vector<std::pair<const char*, std::function<void(HWND)>>> ways = {
        {"Close", [](HWND dialog) { PostClick(dialog, IDOK); }},
        {"Escape", &PressEscape},
        {"close box", [](HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    const std::string text = "one\ntwo\n";
    for (const auto& [name, way] : ways) {
        SCOPED_TRACE(name);
        CLogViewDlg viewer(text);
        DialogPlayer user({{kViewerCaption, way}});
        EXPECT_EQ(viewer.Show(platform::kNoWindow), 0);
        EXPECT_TRUE(user.Finished());
    }

    CCrashReportDlg offer(text);
    DialogPlayer user({{kCrashCaption, &PressEscape}});
    EXPECT_EQ(offer.Show(), platform::kDialogCancel);
    EXPECT_TRUE(user.Finished());
    EXPECT_TRUE(service_.posts.empty());
}

}  // namespace
}  // namespace sealwing::diagnostics
