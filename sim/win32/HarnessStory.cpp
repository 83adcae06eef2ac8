#include "sim/win32/HarnessStory.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "compose/InspectorExtension.h"
#include "compose/RouterWindow.h"
#include "dialogs/AboutDialogTemplate.h"
#include "dialogs/LoginDialogTemplate.h"
#include "options/OptionsDialogTemplate.h"
#include "outlook/Mapi.h"
#include "platform/Clock.h"
#include "platform/Text.h"
#include "sim/SimAttachment.h"
#include "sim/SimAttachments.h"
#include "sim/SimCommandBar.h"
#include "sim/SimCommandBarControl.h"
#include "sim/SimCommandBarControls.h"
#include "sim/SimCommandBars.h"
#include "sim/SimExplorer.h"
#include "sim/SimFolder.h"
#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "sim/SimOutlook.h"
#include "sim/SimRecipient.h"
#include "sim/SimRecipients.h"
#include "sim/win32/AddinRibbon.h"
#include "sim/win32/EventForwarder.h"
#include "sim/win32/FrameWindows.h"
#include "sim/win32/HarnessPlatform.h"
#include "sim/win32/HarnessSupport.h"
#include "sim/win32/MessageBoxWatch.h"

namespace sealwing::sim::win32 {
namespace {

using namespace std::chrono_literals;
using outlook::Ref;

// Matches sim/win32/HarnessStoryService.seed.
constexpr const wchar_t* kUser = L"ann@example.com";
constexpr const wchar_t* kPassword = L"correct horse";
constexpr const wchar_t* kSecureMessageId = L"m-contract";
constexpr const wchar_t* kSubject = L"Budget 2027";
constexpr const wchar_t* kLoginCaption = L"Parcelon Login";
constexpr const wchar_t* kAddinCaption = L"Parcelon for Microsoft Outlook";
constexpr const char* kTooManyAttachments = "Maximum number of 20 attachments has been exceeded.";
// What the add-in lays over the reading pane (platform/win32/Win32WindowSystem.h).
constexpr const wchar_t* kAddinChildClass = L"SealwingChildWindow";

// The story's scene: the simulated Outlook, its real windows, the user at the DLL's dialogs, and the loaded add-in.
struct Scene {
    int version;
    SimOutlook& outlook;
    Ref<SimExplorer> inbox;
    FrameWindows& frames;
    MessageBoxWatch& boxes;
    Report& report;
    std::wstring serviceRecord;
};

std::string Joined(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : ", ") + part;
    return joined.empty() ? "nobody" : joined;
}

std::string Recipients(const Ref<SimMailItem>& item, outlook::RecipientType type) {
    std::vector<std::string> addresses;
    for (const auto& recipient : item->RecipientList()->List()) {
        if (recipient->Kind() != type) continue;
        addresses.push_back(Narrow(recipient->IsResolved() ? recipient->Address() : recipient->TypedName()));
    }
    return Joined(addresses);
}

std::string WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return Narrow(text);
}

Ref<SimCommandBarControl> ControlTagged(const Ref<SimCommandBar>& bar, const std::wstring& tag) {
    if (bar == nullptr) return nullptr;
    for (const auto& control : bar->ControlList()->List()) {
        if (control->CurrentTag() == tag) return control;
    }
    return nullptr;
}

// The item of the add-in's popup on the main window's "Parcelon" bar.
Ref<SimCommandBarControl> MainWindowMenuItem(const Scene& scene, const std::wstring& caption) {
    const auto bar = scene.inbox->Bars()->Bar(L"Parcelon");
    if (bar == nullptr || bar->ControlList()->List().empty()) return nullptr;
    const auto& popup = bar->ControlList()->List().front();
    if (popup->PopupControls() == nullptr) return nullptr;
    for (const auto& item : popup->PopupControls()->List()) {
        if (item->CurrentCaption() == caption) return item;
    }
    return nullptr;
}

// The compose window's button of the add-in: the "Standard" toolbar's button on 2003, the ribbon's control from
// 2007 on, whose callback the DLL runs by name with the window as the control's context.
bool PressInComposeWindow(Scene& scene, const Ref<SimInspector>& window, const std::wstring& tag,
                          const std::wstring& ribbonControl) {
    if (scene.version >= 12) return scene.outlook.ClickRibbonControl(window->FrameWindow(), ribbonControl);
    const auto button = ControlTagged(window->Bars()->Bar(L"Standard"), tag);
    if (button == nullptr) return false;
    scene.outlook.ClickControl(button);
    return true;
}

// Serves Outlook's thread until the compose window offers the add-in's button: on 2003 its toolbar button, which the
// add-in adds as the window opens; from 2007 the ribbon, there at once.
bool ComposeButtonReady(Scene& scene, const Ref<SimInspector>& window, const std::wstring& tag) {
    if (scene.version >= 12) return true;
    return PumpMessagesUntil([&] { return ControlTagged(window->Bars()->Bar(L"Standard"), tag) != nullptr; }, 10s);
}

// The request the service recorded whose first line starts with `requestLine` and whose text holds `part`.
std::string RecordedRequest(const std::wstring& folder, const std::string& requestLine, const std::string& part) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*.http").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string match;
    do {
        const std::string text = ReadText(folder + L"\\" + found.cFileName);
        if (text.starts_with(requestLine) && text.find(part) != std::string::npos) match = text;
    } while (match.empty() && FindNextFileW(search, &found));
    FindClose(search);
    return match;
}

void ForgetRecordedRequests(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*.http").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void CheckStartup(Scene& scene, const sealwing::win32::ComPtr<IUnknown>& addin) {
    Report& report = scene.report;
    // The version check's notice comes first: answered as the user would, out of the way of what follows.
    const bool announced = PumpMessagesUntil([&] { return !scene.boxes.Seen().empty(); }, 30s);
    report.Check(announced && scene.boxes.Seen().front().caption == kAddinCaption,
                 "start-up's version check announced the newer version; the notice was closed");
    if (scene.version >= 12) {
        IID ribbonIid{};
        IIDFromString(kRibbonExtensibilityIid, &ribbonIid);
        const auto ribbon = addin.As<IRibbonExtensibility>(ribbonIid);
        report.Check(static_cast<bool>(ribbon), "the add-in offers IRibbonExtensibility");
        if (ribbon) {
            const auto customUi = [&](const wchar_t* id, HRESULT& result) {
                BSTR xml = nullptr;
                BSTR name = SysAllocString(id);
                result = ribbon->GetCustomUI(name, &xml);
                SysFreeString(name);
                const std::wstring text = xml != nullptr ? std::wstring(xml, SysStringLen(xml)) : std::wstring();
                SysFreeString(xml);
                return text;
            };
            HRESULT result = S_OK;
            const std::wstring compose = customUi(L"Microsoft.Outlook.Mail.Compose", result);
            report.Check(result == S_OK && compose.find(L"onAction=\"Sealwing\"") != std::wstring::npos &&
                             compose.find(L"onAction=\"SealwingOptions\"") != std::wstring::npos &&
                             compose.find(L"id=\"SealwingButton\"") != std::wstring::npos,
                         "GetCustomUI(Microsoft.Outlook.Mail.Compose): the compose ribbon with Send Secure "
                         "(onAction=\"Sealwing\") and Options (" +
                             HexCode(result) + ", " + std::to_string(compose.size()) + " characters)");
            const std::wstring explorer = customUi(L"Microsoft.Outlook.Explorer", result);
            if (scene.version >= 14) {
                report.Check(result == S_OK && explorer.find(L"onAction=\"SealwingAbout\"") != std::wstring::npos,
                             "GetCustomUI(Microsoft.Outlook.Explorer): the main window's ribbon with About (" +
                                 HexCode(result) + ")");
            }
            const std::wstring unknown = customUi(L"Microsoft.Outlook.Mail.Read", result);
            report.Check(result == S_OK && unknown.empty(),
                         "GetCustomUI of a ribbon it has none for: " + HexCode(result) + " and no text");
        }
    }
    if (scene.version <= 12) {
        const bool configuration = MainWindowMenuItem(scene, L"Configuration") != nullptr;
        const bool about = MainWindowMenuItem(scene, L"About") != nullptr;
        report.Check(configuration && about,
                     "the main window's \"Parcelon\" command bar holds Configuration and About in its popup");
    }
}

// Send Secure refuses 21 attachments, then sends 20: the worker uploads, the router files the Sent copy and deletes
// the draft on Outlook's thread.
void ComposeAndSend(Scene& scene) {
    Report& report = scene.report;
    SimOutlook& outlook = scene.outlook;
    const auto draft = outlook.CreateMailItem();
    draft->SetSubject(kSubject);
    draft->SetBody(L"The budget and the site photos are attached.");
    draft->SetHTMLBody(L"<p>The <b>budget</b> and the site photos are attached.</p>");
    for (const wchar_t* address : {L"bob@example.com", L"carol@example.com"}) {
        const auto recipient = draft->Recipients()->Add(address);
        recipient->SetType(outlook::olTo);
        recipient->Resolve();
    }
    for (int photo = 1; photo <= 21; ++photo) {
        draft->AttachmentList()->AddNew(L"site-" + std::to_wstring(photo) + L".jpg", std::string(2'000, 'J'),
                                        outlook::olByValue);
    }
    const std::size_t journalBefore = outlook.Journal().size();
    const auto window = outlook.OpenInspector(draft);
    bool newInspector = false;
    for (std::size_t at = journalBefore; at < outlook.Journal().size(); ++at) {
        newInspector = newInspector || outlook.Journal()[at] == L"Fire InspectorsEvents.NewInspector";
    }
    report.Check(newInspector, "the compose window's NewInspector reached the add-in's sink");
    report.Check(ComposeButtonReady(scene, window, kSendButtonTag), "the compose window offers Send Secure");

    std::string loginFor;
    scene.boxes.AnswerBy(kLoginCaption, [&](HWND dialog) {
        loginFor = WindowText(GetDlgItem(dialog, dialogs::kLoginFieldId));
        SetDlgItemTextW(dialog, dialogs::kPasswordFieldId, kPassword);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    });
    const std::size_t seenBefore = scene.boxes.Seen().size();
    const bool pressed = PressInComposeWindow(scene, window, kSendButtonTag, L"SealwingButton");
    report.Check(pressed, scene.version >= 12 ? "Send Secure pressed: the ribbon's \"Sealwing\" callback ran"
                                              : "Send Secure pressed: the \"Sealwing send\" button's Click");
    PumpMessagesUntil([&] { return scene.boxes.Seen().size() >= seenBefore + 2; }, 20s);
    bool loggedIn = false;
    bool refused = false;
    for (std::size_t at = seenBefore; at < scene.boxes.Seen().size(); ++at) {
        const SeenMessageBox& box = scene.boxes.Seen()[at];
        report.Note("dialog \"" + Narrow(box.caption) + "\"" + (box.text.empty() ? "" : ": " + Narrow(box.text)));
        loggedIn = loggedIn || box.caption == kLoginCaption;
        refused = refused || Narrow(box.text) == kTooManyAttachments;
    }
    report.Check(loggedIn && loginFor == Narrow(kUser),
                 "the login dialog asked for the password of " + loginFor + "; the harness typed it and pressed OK");
    report.Check(refused, std::string("a message box said: ") + kTooManyAttachments);
    report.Check(!window->IsClosed(), "the compose window stayed open with 21 attachments");

    draft->AttachmentList()->Remove(static_cast<int>(draft->AttachmentList()->Size()));
    PressInComposeWindow(scene, window, kSendButtonTag, L"SealwingButton");
    report.Check(window->IsClosed(), "Send Secure with 20 attachments closed the compose window");
    const auto sentFolder = outlook.Folder(outlook::olFolderSentMail);
    const auto drafts = outlook.Folder(outlook::olFolderDrafts);
    const bool completed =
        PumpMessagesUntil([&] { return !sentFolder->Items().empty() && drafts->Items().empty(); }, 60s);
    const std::string request = RecordedRequest(scene.serviceRecord, "POST /rest/message.xml", Narrow(kSubject));
    report.Check(!request.empty() && request.find("bob@example.com") != std::string::npos &&
                     request.find("carol@example.com") != std::string::npos,
                 "the service received \"Budget 2027\" for bob@example.com and carol@example.com "
                 "(POST /rest/message.xml)");
    report.Check(
        Occurrences(request, "filename=\"site-") == 20,
        "the upload carries 20 attachments (" + std::to_string(Occurrences(request, "filename=\"site-")) + " found)");
    const std::wstring sentSubject = sentFolder->Items().empty()
                                         ? std::wstring()
                                         : sentFolder->Items().front()->Props().Text(outlook::mapi::PR_SUBJECT_W);
    report.Check(completed && sentFolder->Items().size() == 1 &&
                     sentSubject == std::wstring(compose::kSentCopyPrefix) + kSubject,
                 "the Sent folder holds the message's copy, made through MAPI (" +
                     std::to_string(sentFolder->Items().size()) + " item(s), subject \"" + Narrow(sentSubject) + "\")");
    report.Check(drafts->Items().empty(), "the draft was deleted from Drafts");
    scene.boxes.AnswerBy(kLoginCaption, nullptr);
}

// The real window the add-in lays its browser over: the reading pane's body window from 2007 on, its framing child
// on 2003.
HWND OverlayTarget(Scene& scene) {
    const platform::WindowHandle body = scene.outlook.ReadingPaneWindow(scene.inbox);
    if (scene.version >= 12) return scene.frames.MirrorOf(body);
    return scene.frames.MirrorOf(scene.outlook.Windows().Parent(body));
}

Ref<SimMailItem> ReadTheNotice(Scene& scene) {
    Report& report = scene.report;
    SimOutlook& outlook = scene.outlook;
    const auto notice = outlook.AddReceivedMail(
        {.subject = L"[Secure Message] Contract draft",
         .body = L"You have received a secure message.",
         .senderName = L"Carol",
         .senderAddress = L"carol@example.com",
         .to = {kUser, L"bob@example.com"},
         .transportHeaders =
             std::wstring(L"From: carol@example.com\r\nx-parcelon-message-id: ") + kSecureMessageId + L"\r\n"});
    outlook.DeliverNewMail({notice});
    outlook.Select(scene.inbox, {notice});
    report.Check(Recipients(notice, outlook::olCC) == "dave@example.com" &&
                     Recipients(notice, outlook::olTo).find("bob@example.com") != std::string::npos,
                 "the notice's recipients were refreshed from the service: To " + Recipients(notice, outlook::olTo) +
                     ", CC " + Recipients(notice, outlook::olCC));

    const HWND target = OverlayTarget(scene);
    report.Check(target != nullptr, "the reading pane has a real window under the main window's frame");
    if (target == nullptr) return notice;
    const std::wstring logPath = MainLogPath();
    // The readiness timer (100 ms) finds the browser made and renders the message.
    PumpMessagesUntil(
        [&] {
            return ReadText(logPath).find("Trying to render message " + Narrow(kSecureMessageId)) != std::string::npos;
        },
        10s);
    const HWND overlay = FindWindowExW(target, nullptr, kAddinChildClass, nullptr);
    RECT overlayRect{};
    RECT paneRect{};
    if (overlay != nullptr) {
        GetWindowRect(overlay, &overlayRect);
        GetClientRect(target, &paneRect);
        MapWindowPoints(target, nullptr, reinterpret_cast<POINT*>(&paneRect), 2);
    }
    report.Check(overlay != nullptr && EqualRect(&overlayRect, &paneRect),
                 "the add-in's browser window lies over the reading pane's " +
                     std::string(scene.version >= 12 ? "\"_WwB\"" : "framing") + " window, covering its client area");
    const HWND embedding = overlay != nullptr ? FindWindowExW(overlay, nullptr, L"Shell Embedding", nullptr) : nullptr;
    report.Check(embedding != nullptr, "the web-browser control's \"Shell Embedding\" window was made inside it");
    const std::string log = ReadText(logPath);
    report.Check(log.find("Secure message displayed") != std::string::npos, "log: Secure message displayed");
    report.Check(log.find("Trying to render message " + Narrow(kSecureMessageId)) != std::string::npos,
                 "log: Trying to render message " + Narrow(kSecureMessageId));
    return notice;
}

void ReplyAllAndForward(Scene& scene, const Ref<SimMailItem>& notice) {
    Report& report = scene.report;
    SimOutlook& outlook = scene.outlook;
    const auto reply = outlook.Respond(notice, ResponseKind::ReplyAll);
    report.Check(reply != nullptr, "Reply All opened a window");
    if (reply != nullptr) {
        // Outlook 2003's window is filled a moment after it was activated, by the add-in's body timer.
        const bool filled =
            PumpMessagesUntil([&] { return reply->HTMLBody().find(L"contract draft") != std::wstring::npos; }, 10s);
        const std::string to = Recipients(reply, outlook::olTo);
        report.Note("the reply: \"" + Narrow(reply->Subject()) + "\" to " + to + ", CC " +
                    Recipients(reply, outlook::olCC));
        report.Check(filled && reply->HTMLBody().find(L"-----Original Message-----") == std::wstring::npos,
                     "the Reply All window's body is the template filled with the downloaded original");
        report.Check(reply->Subject() == L"RE: Contract draft" && to.find("ann@") == std::string::npos,
                     "the reply is \"RE: Contract draft\", without the user's own address");
        if (reply->CurrentInspector() != nullptr) outlook.CloseInspector(reply->CurrentInspector());
    }

    const auto forward = outlook.Respond(notice, ResponseKind::Forward);
    report.Check(forward != nullptr, "Forward opened a window");
    if (forward == nullptr) return;
    const bool filled =
        PumpMessagesUntil([&] { return forward->HTMLBody().find(L"contract draft") != std::wstring::npos; }, 10s);
    std::vector<std::string> names;
    for (const auto& attachment : forward->AttachmentList()->List()) {
        names.push_back("\"" + Narrow(attachment->DisplayName()) + "\" (" + std::to_string(attachment->Bytes().size()) +
                        " bytes)");
    }
    report.Check(filled && forward->Subject() == L"FW: Contract draft",
                 "the forward \"" + Narrow(forward->Subject()) + "\" shows the filled template");
    report.Check(Joined(names) == "\"contract.pdf\" (38 bytes), \"fees.xlsx\" (20 bytes)",
                 "the forward carries the message's two attachments, downloaded: " + Joined(names));
    if (forward->CurrentInspector() != nullptr) outlook.CloseInspector(forward->CurrentInspector());
}

// Options from a compose window, About from the main window: each a real dialog of the DLL, closed as the user would.
void OptionsAndAbout(Scene& scene) {
    Report& report = scene.report;
    SimOutlook& outlook = scene.outlook;
    const auto window = outlook.OpenInspector(outlook.CreateMailItem());
    ComposeButtonReady(scene, window, kOptionsButtonTag);
    HWND optionsOwner = nullptr;
    bool optionsShown = false;
    scene.boxes.AnswerBy(options::kOptionsCaption, [&](HWND dialog) {
        optionsShown = GetDlgItem(dialog, options::kAccountChooserId) != nullptr;
        optionsOwner = GetWindow(dialog, GW_OWNER);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(options::kCloseOptionsId, BN_CLICKED), 0);
        return true;
    });
    const bool pressed = PressInComposeWindow(scene, window, kOptionsButtonTag, L"Options");
    PumpMessagesUntil([&] { return optionsShown; }, 10s);
    scene.boxes.AnswerBy(options::kOptionsCaption, nullptr);
    report.Check(pressed && optionsShown, "the compose window's Options opened the options dialog, closed again");
    report.Check(optionsOwner == scene.frames.For(window->FrameWindow()),
                 "the options dialog belongs to the compose window");
    outlook.CloseInspector(window);

    HWND aboutOwner = nullptr;
    bool aboutShown = false;
    scene.boxes.AnswerBy(kAddinCaption, [&](HWND dialog) {
        if (GetDlgItem(dialog, dialogs::kAboutTextId) != nullptr ||
            GetDlgItem(dialog, dialogs::kAboutRichTextId) != nullptr) {
            aboutShown = true;
            aboutOwner = GetWindow(dialog, GW_OWNER);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(dialogs::kCloseAboutId, BN_CLICKED), 0);
            return true;
        }
        const LRESULT defaultButton = SendMessageW(dialog, DM_GETDEFID, 0, 0);
        PostMessageW(dialog, WM_COMMAND,
                     MAKEWPARAM(HIWORD(defaultButton) == DC_HASDEFID ? LOWORD(defaultButton) : IDOK, BN_CLICKED), 0);
        return true;
    });
    bool picked = false;
    if (scene.version >= 14) {
        picked = outlook.ClickRibbonControl(scene.inbox->FrameWindow(), L"About");
    } else if (const auto item = MainWindowMenuItem(scene, L"About"); item != nullptr) {
        outlook.ClickControl(item);
        picked = true;
    }
    PumpMessagesUntil([&] { return aboutShown; }, 10s);
    scene.boxes.AnswerBy(kAddinCaption, nullptr);
    report.Check(picked && aboutShown, std::string("About from the main window's ") +
                                           (scene.version >= 14 ? "ribbon" : "command bar") +
                                           " opened the About dialog, closed again");
    report.Check(aboutShown && aboutOwner == scene.frames.For(scene.inbox->FrameWindow()),
                 "the About dialog belongs to the main window");
}

}  // namespace

bool RunStory(const std::wstring& dllPath, int majorVersion, const std::wstring& serviceRecord) {
    Report report;
    platform::SystemClock clock;
    SimOutlook outlook(SimOptions{.majorVersion = majorVersion, .userName = L"Ann Lee", .userAddress = kUser}, clock);
    const HarnessPlatform platform(outlook);
    outlook.AddAccount({.type = outlook::olPop3, .displayName = L"Ann (home)", .smtpAddress = kUser});
    // The account keeps a Sent copy and no copy on the service.
    const ScopedAccountOptions accountOptions(kUser, 1, 0);
    report.Check(accountOptions.Written(), "options of ann@example.com written: Place 1, CC 0");

    const std::wstring logPath = MainLogPath();
    DeleteFileW(logPath.c_str());
    ForgetRecordedRequests(serviceRecord);  // this run's requests only
    const auto inbox = outlook.OpenExplorer(L"Inbox - Microsoft Outlook");
    outlook.ActivateExplorer(inbox);
    FrameWindows frames(outlook.Windows());
    MessageBoxWatch boxes;
    LoadedAddin addin;
    if (!addin.Load(dllPath, outlook, report)) return false;
    AddinRibbon ribbon(addin.Object());
    if (majorVersion >= 12) outlook.SetRibbonExtensibility(&ribbon);

    Scene scene{.version = majorVersion,
                .outlook = outlook,
                .inbox = inbox,
                .frames = frames,
                .boxes = boxes,
                .report = report,
                .serviceRecord = serviceRecord};
    CheckStartup(scene, addin.Object());
    ComposeAndSend(scene);
    const auto notice = ReadTheNotice(scene);
    ReplyAllAndForward(scene, notice);
    OptionsAndAbout(scene);

    outlook.Quit();
    outlook.SetRibbonExtensibility(nullptr);
    addin.Unload(report);
    report.Check(outlook.AdvisedSinks() == 0,
                 "everything unadvised after disconnection (open: " + std::to_string(outlook.AdvisedSinks()) + ")");
    report.Check(outlook.WrongThreadCalls() == 0, "no call from a wrong thread");
    for (const auto& failed : EventFailures()) report.Note("event failed: " + Narrow(failed));
    report.Check(EventFailures().empty(), "every event and ribbon callback reached the add-in");
    CheckNoEscapedExceptions(report, ReadText(logPath));
    return !report.Failed();
}

}  // namespace sealwing::sim::win32
