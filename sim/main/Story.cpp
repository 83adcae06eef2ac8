#include "sim/main/Story.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "compose/InspectorExtension.h"
#include "compose/Shipper.h"
#include "dialogs/AboutDialogTemplate.h"
#include "options/OptionsDialog.h"
#include "options/OptionsDialogTemplate.h"
#include "outlook/Mapi.h"
#include "reading/DownloadAttachmentsDialogTemplate.h"
#include "reading/ExplorerExtension.h"
#include "reading/ResponseProcessing.h"
#include "settings/SettingsStore.h"
#include "sim/DialogScreen.h"
#include "sim/SimAttachment.h"
#include "sim/SimAttachments.h"
#include "sim/SimCommandBar.h"
#include "sim/SimCommandBarControl.h"
#include "sim/SimCommandBarControls.h"
#include "sim/SimCommandBars.h"
#include "sim/SimFolder.h"
#include "sim/SimInspector.h"
#include "sim/SimRecipient.h"
#include "sim/SimRecipients.h"
#include "sim/main/LoginAnswers.h"

namespace sealwing::story {
namespace {

constexpr const char* kSubject = "Budget 2027";
constexpr int kSelfDestructDays = 30;
constexpr const char* kSecureMessageId = "m-contract";
constexpr const wchar_t* kNoticeSubject = L"[Secure Message] Contract draft";

bool Is2003(const World& world) { return world.outlook.MajorVersion() == 11; }
bool MainWindowHasRibbon(const World& world) { return world.outlook.MajorVersion() >= 14; }

// Runs what Outlook's thread has to do now, timers due included.
void Settle(World& world) { world.outlook.Loop().RunPending(); }

// Serves the completions the send queue hands to Outlook's thread until it is idle again.
void ServeTheQueue(World& world) {
    compose::Shipper* queue = world.addin.SendQueue();
    if (queue == nullptr) return;
    // The worker may post to Outlook's thread and still be busy a moment after: both are waited on in short turns,
    // so neither wait sits out its time while the other's event has come. A queue that never settles is given up on
    // after two minutes, and the story's facts then say what is missing.
    using namespace std::chrono_literals;
    const auto giveUp = std::chrono::steady_clock::now() + 120s;
    while (!queue->WaitUntilIdle(20ms) && std::chrono::steady_clock::now() < giveUp) {
        if (world.outlook.Loop().WaitForWork(20ms)) Settle(world);
    }
    Settle(world);
}

std::size_t ItemsIn(World& world, outlook::DefaultFolder folder) {
    return world.outlook.Folder(folder)->Items().size();
}

outlook::Ref<sim::SimCommandBarControl> ControlTagged(const outlook::Ref<sim::SimCommandBar>& bar,
                                                      const std::wstring& tag) {
    if (bar == nullptr) return nullptr;
    for (const auto& control : bar->ControlList()->List()) {
        if (control->CurrentTag() == tag) return control;
    }
    return nullptr;
}

// The add-in's popup on the main window's "Parcelon" bar, and its item of that caption.
outlook::Ref<sim::SimCommandBarControl> MainWindowMenuItem(World& world, const std::wstring& caption) {
    const auto bar = world.mainWindow->Bars()->Bar(L"Parcelon");
    if (bar == nullptr || bar->ControlList()->List().empty()) return nullptr;
    const auto& popup = bar->ControlList()->List().front();
    if (popup->PopupControls() == nullptr) return nullptr;
    for (const auto& item : popup->PopupControls()->List()) {
        if (item->CurrentCaption() == caption) return item;
    }
    return nullptr;
}

// The user picks Options or About of the add-in in the main window: its command bar's popup on 2003 and 2007
// (Configuration, About), its ribbon group on 2010 (Options, About).
bool PickInTheMainWindow(World& world, const std::wstring& ribbonControl, const std::wstring& menuCaption) {
    if (MainWindowHasRibbon(world)) {
        Step("In the main window's ribbon the user clicks Parcelon Options > " + Utf8(ribbonControl) + "...");
        return world.outlook.ClickRibbonControl(world.mainWindow->FrameWindow(), ribbonControl);
    }
    const auto item = MainWindowMenuItem(world, menuCaption);
    if (item == nullptr) return false;
    Step("In the main window's menu Parcelon the user clicks " + Utf8(menuCaption));
    world.outlook.ClickControl(item);
    return true;
}

// The compose window's button of the add-in: on 2003 the toolbar button (on Word's "E-mail" bar when Word edits the
// message, else on the window's "Standard" bar), from 2007 the ribbon control.
bool PressInTheComposeWindow(World& world, const outlook::Ref<sim::SimInspector>& window, const std::wstring& tag,
                             const std::wstring& ribbonControl, const std::string& name) {
    if (!Is2003(world)) {
        Step("The user clicks " + name + " in the compose window's ribbon");
        return world.outlook.ClickRibbonControl(window->FrameWindow(), ribbonControl);
    }
    const bool word = window->WordEdits();
    const auto bar = word ? world.outlook.WordCommandBars()->Bar(L"E-mail") : window->Bars()->Bar(L"Standard");
    const auto button = ControlTagged(bar, tag);
    if (button == nullptr) return false;
    Step("The user clicks " + name + " on the compose window's " + (word ? "\"E-mail\"" : "\"Standard\"") + " toolbar");
    world.outlook.ClickControl(button);
    return true;
}

std::string ChosenText(const sim::ControlState& control) {
    if (control.chosen < 0 || static_cast<std::size_t>(control.chosen) >= control.choices.size()) return "nothing";
    return Utf8(control.choices[static_cast<std::size_t>(control.chosen)]);
}

// What the options dialog shows as it opens.
void DescribeTheOptions(sim::DialogScreen& screen) {
    const sim::ControlState& accounts = screen.Control(options::kAccountChooserId);
    std::vector<std::string> listed;
    for (const std::wstring& account : accounts.choices) listed.push_back(Utf8(account));
    Step("The options list " + Joined(listed) + "; for " + ChosenText(accounts) + ": \"" +
         Utf8(screen.Text(options::kStandingId)) + "\"; self-destruct \"" +
         ChosenText(screen.Control(options::kDestructId)) + "\", Sent copy " +
         (screen.IsChecked(options::kPlaceInSentId) ? "on" : "off"));
}

std::string Recipients(const outlook::Ref<sim::SimMailItem>& item, outlook::RecipientType type) {
    std::vector<std::string> addresses;
    for (const auto& recipient : item->RecipientList()->List()) {
        if (recipient->Kind() != type) continue;
        // A recipient the add-in added by address stays unresolved until Outlook checks the names.
        addresses.push_back(Utf8(recipient->IsResolved() ? recipient->Address() : recipient->TypedName()));
    }
    return Joined(addresses);
}

bool Contains(const std::vector<std::string>& list, const std::string& wanted) {
    for (const std::string& entry : list) {
        if (entry == wanted) return true;
    }
    return false;
}

}  // namespace

void ShowTheMainWindowCommands(World& world) {
    if (MainWindowHasRibbon(world)) {
        std::vector<std::string> asked;
        for (const std::wstring& ribbon : world.outlook.RibbonRequests()) asked.push_back(Utf8(ribbon));
        Step("Office asked the add-in for its ribbons: " + Joined(asked, "none"));
        world.facts.Expect(!asked.empty(), "Office asked for the main window's ribbon");
        return;
    }
    const bool configuration = MainWindowMenuItem(world, L"Configuration") != nullptr;
    const bool about = MainWindowMenuItem(world, L"About") != nullptr;
    Step(std::string("The main window got the command bar \"Parcelon\": its menu Parcelon holds ") +
         (configuration ? "Configuration" : "no Configuration") + " and " + (about ? "About" : "no About"));
    world.facts.Expect(configuration && about, "the main window's command bar holds Configuration and About");
}

void KeepSentCopies(World& world) {
    bool ticked = false;
    world.outlook.User().AtDialog(options::kOptionsDialogId, [&](sim::DialogScreen& screen) {
        DescribeTheOptions(screen);
        screen.Tick(options::kPlaceInSentId);
        ticked = screen.IsChecked(options::kPlaceInSentId);
        Step("The user ticks the Sent copy and saves");
        screen.Press(options::kSaveSettingsId);
    });
    const bool picked = PickInTheMainWindow(world, L"Options", L"Configuration");
    world.outlook.User().DropDialogScripts(options::kOptionsDialogId);
    const int place = settings::SettingsStore::Instance().SettingsFor(kDemoAccount).place;
    Step("The account's settings now keep a Sent copy: " + std::string(place == 1 ? "yes" : "no"));
    world.facts.Expect(picked && ticked && place == 1, "the main window's options keep Sent copies");
}

bool ComposeAndSendSecure(World& world) {
    sim::SimOutlook& outlook = world.outlook;
    const auto draft = outlook.CreateMailItem();
    draft->SetSubject(platform::WideFromUtf8(kSubject));
    draft->SetBody(L"The budget, last week's minutes and the site photos are attached.");
    draft->SetHTMLBody(L"<p>The <b>budget</b>, last week's minutes and the site photos are attached.</p>");
    for (const auto& [address, type] :
         {std::pair{L"bob@example.com", outlook::olTo}, std::pair{L"carol@example.com", outlook::olTo},
          std::pair{L"dave@example.com", outlook::olBCC}}) {
        const auto recipient = draft->Recipients()->Add(address);
        recipient->SetType(type);
        recipient->Resolve();
    }
    draft->AttachmentList()->AddNew(L"budget-2027.xlsx", std::string(180'000, 'B'), outlook::olByValue);
    draft->AttachmentList()->AddNew(L"Minutes 3 December.msg", std::string(24'000, 'M'), outlook::olEmbeddeditem);
    for (int photo = 1; photo <= 19; ++photo) {
        draft->AttachmentList()->AddNew(L"site-" + std::to_wstring(photo) + L".jpg", std::string(3'000, 'J'),
                                        outlook::olByValue);
    }
    const auto window = outlook.OpenInspector(draft);
    Settle(world);
    Step("The user writes \"" + std::string(kSubject) + "\" in a compose window: To " +
         Recipients(draft, outlook::olTo) + ", BCC " + Recipients(draft, outlook::olBCC) + ", " +
         std::to_string(draft->AttachmentList()->Size()) + " attachments");

    // The self-destruct time for this message's account, chosen from the compose window.
    const int position = options::DestructPositionOf(kSelfDestructDays);
    bool picked = false;
    outlook.User().AtDialog(options::kOptionsDialogId, [&](sim::DialogScreen& screen) {
        DescribeTheOptions(screen);
        screen.Pick(options::kDestructId, position);
        picked = true;
        Step("The user picks \"" + ChosenText(screen.Control(options::kDestructId)) + "\" and saves");
        screen.Press(options::kSaveSettingsId);
    });
    const bool optionsShown = PressInTheComposeWindow(world, window, kOptionsButtonTag, L"Options", "Options");
    outlook.User().DropDialogScripts(options::kOptionsDialogId);
    const std::wstring key = settings::SettingsStore::Instance().SettingsFor(kDemoAccount).keyPath;
    const std::optional<std::uint32_t> destruct = world.registry.ReadDword(key, L"Destruct");
    Step("The registry holds Destruct = " + (destruct ? std::to_string(*destruct) : std::string("nothing")) +
         " under HKCU\\" + Utf8(key));
    world.facts.Expect(optionsShown && picked && destruct == static_cast<std::uint32_t>(kSelfDestructDays),
                       "the compose window's options saved a self-destruct time of 30 days");

    // The first Send Secure needs a session: the login dialog asks for the password.
    AnswerTheLogin(outlook.User());
    const std::size_t boxesBefore = outlook.User().Shown().size();
    const bool pressed = PressInTheComposeWindow(world, window, kSendButtonTag, L"SealwingButton", "Send Secure");
    EndTheLogin(outlook.User());
    if (TheUserGaveUp()) {
        Step("Without a session Parcelon sends nothing; the user closes the compose window");
        outlook.CloseInspector(window);
        world.facts.Expect(false, "the user logged in");
        return false;
    }
    const auto& boxes = outlook.User().Shown();
    const bool refused = boxes.size() > boxesBefore &&
                         boxes.back().request.text == L"Maximum number of 20 attachments has been exceeded.";
    world.facts.Expect(pressed, "Send Secure could be pressed");
    world.facts.Expect(LoginDialogsShown() > 0 && IncorrectPasswordNotices() == LoginDialogsShown() - 1,
                       "each login dialog after a refused password said so");
    if (!SomeoneAtTheTerminal()) {
        world.facts.Expect(LoginDialogsShown() == 2, "the wrong password was refused and the right one taken");
    }
    world.facts.Expect(refused && !window->IsClosed(), "Send Secure refused 21 attachments and kept the window");

    const std::wstring removed = draft->AttachmentList()->List().back()->FileName();
    draft->AttachmentList()->Remove(static_cast<int>(draft->AttachmentList()->Size()));
    Step("The user deletes \"" + Utf8(removed) + "\": " + std::to_string(draft->AttachmentList()->Size()) +
         " attachments left");
    PressInTheComposeWindow(world, window, kSendButtonTag, L"SealwingButton", "Send Secure");
    Step(std::string("The compose window ") + (window->IsClosed() ? "closes" : "stays open") +
         "; the send queue uploads the message");
    world.facts.Expect(window->IsClosed(), "the compose window closed on Send Secure");
    ServeTheQueue(world);

    int received = 0;
    for (const localservice::StoredMessage& stored : world.service.State().Messages()) {
        if (stored.subject != kSubject) continue;
        ++received;
        Step("The service received \"" + stored.subject + "\" from " + stored.senderEmail + " for " +
             Joined(stored.to) + " (BCC " + Joined(stored.bcc) + "), " + std::to_string(stored.attachments.size()) +
             " attachment(s), self-destruct after " + std::to_string(stored.expiresDays) + " days");
        world.facts.Expect(stored.attachments.size() == 20 && Contains(stored.bcc, "dave@example.com") &&
                               stored.expiresDays == kSelfDestructDays,
                           "the service holds the 20 attachments, the BCC and the self-destruct time");
    }
    world.facts.Expect(received == 1, "the message reached the service exactly once");
    std::vector<std::string> sent;
    for (const auto& copy : outlook.Folder(outlook::olFolderSentMail)->Items()) {
        sent.push_back("\"" + Utf8(copy->Props().Text(outlook::mapi::PR_SUBJECT_W)) + "\"");
    }
    Step("Sent folder: " + Joined(sent, "empty") +
         "; Drafts folder: " + std::to_string(ItemsIn(world, outlook::olFolderDrafts)) + " item(s)");
    world.facts.Expect(sent.size() == 1, "the Sent folder holds the message's copy");
    world.facts.Expect(ItemsIn(world, outlook::olFolderDrafts) == 0, "Drafts is empty after the send");
    return true;
}

outlook::Ref<sim::SimMailItem> ReadTheSecureNotice(World& world) {
    sim::SimOutlook& outlook = world.outlook;
    localservice::StoredMessage message;
    message.id = kSecureMessageId;
    message.senderEmail = "carol@example.com";
    message.senderName = "Carol & Partners <Legal>";
    message.subject = "Contract draft";
    message.body = "<p>Please find the <b>contract draft</b> attached.</p>";
    message.to = {"ann@example.com", "bob@example.com"};
    message.cc = {"dave@example.com"};
    message.attachments = {{"a1", "contract.pdf", std::string(150'000, 'C')},
                           {"a2", "schedule & fees.xlsx", std::string(90'000, 'S')}};
    world.service.State().StoreMessage(std::move(message));

    const auto notice = outlook.AddReceivedMail(
        {.subject = kNoticeSubject,
         .body = L"You have received a secure message.",
         .senderName = L"Carol",
         .senderAddress = L"carol@example.com",
         .to = {kDemoAccount, L"bob@example.com"},
         .transportHeaders = std::wstring(L"From: carol@example.com\r\nx-parcelon-message-id: ") +
                             platform::WideFromUtf8(kSecureMessageId) + L"\r\n"});
    outlook.DeliverNewMail({notice});
    Settle(world);
    Step("A secure notice arrives: \"" + Utf8(kNoticeSubject) + "\" from carol@example.com");

    const std::size_t browsersBefore = outlook.Browser().Count();
    outlook.Select(world.mainWindow, {notice});
    Step("The user selects it: the add-in takes its recipients from the service (To " +
         Recipients(notice, outlook::olTo) + ", CC " + Recipients(notice, outlook::olCC) +
         ") and lays a browser over the reading pane");
    world.facts.Expect(Recipients(notice, outlook::olCC) == "dave@example.com",
                       "the notice's recipients were refreshed from the service");
    // The browser is ready at the add-in's next readiness tick, which shows the message.
    world.clock.Advance(CExplorerExtension::kReadinessIntervalMs);
    Settle(world);
    const bool browserMade = outlook.Browser().Count() > browsersBefore;
    world.facts.Expect(browserMade, "a browser was laid over the reading pane");
    if (!browserMade) return notice;
    outlook.Browser().Last().CompleteDocument();
    Settle(world);
    bool readerAsked = false;
    for (const std::wstring& address : outlook.Browser().Last().Navigations()) {
        Step("  the browser goes to " + Utf8(address));
        readerAsked = readerAsked || (address.find(L"/outlook-reader/") != std::wstring::npos &&
                                      address.ends_with(platform::WideFromUtf8(kSecureMessageId)));
    }
    world.facts.Expect(readerAsked, "the reader page of the message was requested");
    return notice;
}

void ReplyAllAndForward(World& world, const outlook::Ref<sim::SimMailItem>& notice) {
    sim::SimOutlook& outlook = world.outlook;
    Step("The user clicks Reply All");
    const auto reply = outlook.Respond(notice, sim::ResponseKind::ReplyAll);
    // Outlook 2003 fills the window a moment after it was activated.
    world.clock.Advance(reading::kBodyDelayMilliseconds);
    Settle(world);
    if (reply == nullptr) {
        world.facts.Expect(false, "Reply All opened a window");
    } else {
        const std::string to = Recipients(reply, outlook::olTo);
        Step("The reply window shows \"" + Utf8(reply->Subject()) + "\" to " + to + ", CC " +
             Recipients(reply, outlook::olCC) + ", with the filled template:");
        std::cout << Utf8(reply->HTMLBody()) << "\n";
        world.facts.Expect(reply->Subject() == L"RE: Contract draft" && to.find("ann@") == std::string::npos &&
                               reply->HTMLBody().find(L"contract draft") != std::wstring::npos &&
                               reply->HTMLBody().find(L"-----Original Message-----") == std::wstring::npos,
                           "the Reply All window shows the filled template without the user's own address");
        outlook.CloseInspector(reply->CurrentInspector());
    }

    // 240,000 bytes of attachments: the user is asked, and the download runs behind its dialog, where the user
    // presses Cancel and then decides to go on.
    Step("The user clicks Forward");
    outlook.User().Answer(platform::DialogResult::Yes);
    outlook.User().AtDialog(reading::kDownloadAttachmentsDialogId, [&](sim::DialogScreen& screen) {
        outlook.User().Answer(platform::DialogResult::No);
        screen.Press(platform::kDialogCancel);
        screen.RunUntilEnded();
        Step("The download dialog's progress reached " +
             std::to_string(screen.Control(reading::kDownloadProgressId).progress) + " of " +
             std::to_string(screen.Control(reading::kDownloadProgressId).progressMaximum) + " bytes");
    });
    const auto forward = outlook.Respond(notice, sim::ResponseKind::Forward);
    world.clock.Advance(reading::kBodyDelayMilliseconds);
    Settle(world);
    if (forward == nullptr) {
        world.facts.Expect(false, "Forward opened a window");
        return;
    }
    std::vector<std::string> names;
    std::size_t carried = 0;
    for (const auto& attachment : forward->AttachmentList()->List()) {
        names.push_back("\"" + Utf8(attachment->DisplayName()) + "\" (" + std::to_string(attachment->Bytes().size()) +
                        " bytes)");
        if (attachment->Bytes().size() > 1000) ++carried;
    }
    Step("The forward window shows \"" + Utf8(forward->Subject()) + "\" carrying " + Joined(names, "no attachment"));
    world.facts.Expect(forward->Subject() == L"FW: Contract draft" && carried == 2,
                       "the forward window carries the message's two attachments");
    outlook.CloseInspector(forward->CurrentInspector());
}

void ShowAbout(World& world) {
    std::string text;
    world.outlook.User().AtDialog(dialogs::kAboutDialogId, [&](sim::DialogScreen& screen) {
        // The text is rich text: its version line says enough.
        const std::string rich = Utf8(screen.Text(dialogs::kAboutTextId));
        const std::size_t version = rich.find("Version:");
        if (version != std::string::npos) text = rich.substr(version, rich.find('\\', version) - version);
        screen.Press(dialogs::kCloseAboutId);
    });
    const bool picked = PickInTheMainWindow(world, L"About", L"About");
    world.outlook.User().DropDialogScripts(dialogs::kAboutDialogId);
    if (!text.empty()) Step("About shows Parcelon for Microsoft Outlook, " + text);
    world.facts.Expect(picked && !text.empty(), "About was shown from the main window");
}

}  // namespace sealwing::story
