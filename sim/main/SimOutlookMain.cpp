// The add-in at work in the simulated Outlook: starts the local service (unless SEALWING_SERVICE_ENDPOINT names
// another one) and Outlook of the chosen version, loads the add-in, opens and closes a main window and a compose
// window, sends drafts through the send queue (a plain send with its Sent copy, a refused password typed again, a
// failure the user is told of), builds Send Secure's record from a real draft with attachments and sends it, saves a
// self-destruct time in the options dialog, shows a secure notice's reader page and replies to it and forwards it with
// its attachments, quits, and shows where the activity logs are and what they say.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "addin/SealwingAddin.h"
#include "compose/AttachmentReader.h"
#include "compose/MessageBuilder.h"
#include "compose/Shipper.h"
#include "diagnostics/CrashReport.h"
#include "diagnostics/CrashReportDialogTemplate.h"
#include "diagnostics/Log.h"
#include "dialogs/LoginDialogTemplate.h"
#include "localservice/Faults.h"
#include "localservice/LocalService.h"
#include "localservice/SeedFile.h"
#include "mailstore/MapEmailDialogTemplate.h"
#include "options/OptionsDialog.h"
#include "options/OptionsDialogTemplate.h"
#include "outlook/Mapi.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/posix/Console.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/FileRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/SodiumSecretProtection.h"
#include "reading/DownloadAttachmentsDialogTemplate.h"
#include "reading/PreviewHost.h"
#include "reading/ResponseProcessing.h"
#include "service/ServiceOperations.h"
#include "service/SessionManager.h"
#include "service/TransportEndpoint.h"
#include "settings/SettingsStore.h"
#include "sim/SimAttachment.h"
#include "sim/SimAttachments.h"
#include "sim/SimFolder.h"
#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "sim/SimOutlook.h"

namespace {

using namespace sealwing;

// The service the main job talks to unless given a seed of its own: one account, and a newer add-in on offer.
constexpr std::string_view kEmbeddedSeed =
    "account email=ann@example.com password=\"correct horse\" type=pro first_name=Ann last_name=Lee\n"
    "version major=1 minor=39 date=2011-07-01 info_url=https://localhost/outlook-add-in/ "
    "binary_url=https://localhost/outlook-add-in/setup.exe\n";

struct Options {
    int outlookVersion = 14;
    std::filesystem::path dataDir;
    std::filesystem::path seed;
};

int Usage(const char* program) {
    std::cerr << "usage: " << program << " [--outlook-version 11|12|14] [--data-dir FOLDER] [--seed FILE]\n"
              << "  --outlook-version  the simulated Outlook: 11 (2003), 12 (2007) or 14 (2010, the default)\n"
              << "  --data-dir         where the user's files, registry and logs go (default: a new temporary folder)\n"
              << "  --seed             the local service's accounts, messages and faults (default: a built-in seed)\n"
              << "With SEALWING_SERVICE_ENDPOINT=host:port (and SEALWING_CA_FILE) set, the add-in talks to that\n"
              << "service instead, and no local service is started.\n";
    return 2;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--outlook-version" && i + 1 < argc) {
            const std::string_view value = argv[++i];
            if (value != "11" && value != "12" && value != "14") return false;
            options.outlookVersion = std::stoi(std::string(value));
        } else if (argument == "--data-dir" && i + 1 < argc) {
            options.dataDir = argv[++i];
        } else if (argument == "--seed" && i + 1 < argc) {
            options.seed = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

std::filesystem::path NewTemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "parcelon-sim-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Step(const std::string& text) { std::cout << "* " << text << '\n'; }

constexpr const wchar_t* kDemoAccount = L"ann@example.com";
constexpr const wchar_t* kExchangeMailbox = L"/o=Example/ou=First Administrative Group/cn=Recipients/cn=ann";
constexpr const char* kDemoPassword = "correct horse";

// The password the user types into the login dialog: asked on the console when someone is there, otherwise the
// built-in seed's.
std::wstring AskPassword(const std::wstring& login) {
    if (!platform::StdinIsInteractive() || std::getenv("CI") != nullptr) {
        std::cout << "  (the user types the password of " << platform::Utf8FromWide(login) << ")\n";
        return platform::WideFromUtf8(kDemoPassword);
    }
    std::cout << "Password for " << platform::Utf8FromWide(login) << " (the built-in seed's is \"" << kDemoPassword
              << "\"): " << std::flush;
    std::string typed;
    std::getline(std::cin, typed);
    return platform::WideFromUtf8(typed);
}

// Starts the local service with a fresh test CA under the data folder, on a free port. Empty on success.
std::string StartLocalService(localservice::LocalService& service, const Options& options) {
    const std::string seedError =
        options.seed.empty() ? localservice::LoadSeed(kEmbeddedSeed, options.dataDir, service.State(), service.Faults())
                             : localservice::LoadSeedFile(options.seed, service.State(), service.Faults());
    if (!seedError.empty()) return "seed: " + seedError;
    return service.Start(options.dataDir / "service-certificates");
}

// Serves the completions the send queue hands to Outlook's thread until it is idle again.
void ServeTheQueue(sim::SimOutlook& outlook, compose::Shipper& queue) {
    while (!queue.WaitUntilIdle(std::chrono::milliseconds(0))) {
        if (outlook.Loop().WaitForWork(std::chrono::seconds(90))) outlook.Loop().RunPending();
    }
}

// A draft handed to the send queue as Send Secure hands it over: the record the queue uploads.
outlook::Ref<sim::SimMailItem> Queue(sim::SimOutlook& outlook, CSealwingAddin& addin, const std::wstring& subject,
                                     int place) {
    const auto draft = outlook.CreateMailItem();
    draft->SetSubject(subject);
    draft->Recipients()->Add(L"bob@example.com");
    draft->Save();
    service::OutgoingMessage message;
    message.item = draft;
    message.email = kDemoAccount;
    message.recipients = L"bob@example.com";
    message.subject = subject;
    message.body = L"<p>The figures are attached to the secure message.</p>";
    message.settings.place = place;
    addin.SendQueue()->Enqueue(std::move(message));
    return draft;
}

void SendThroughTheQueue(sim::SimOutlook& outlook, CSealwingAddin& addin, localservice::LocalService& service) {
    compose::Shipper* queue = addin.SendQueue();
    if (queue == nullptr) {
        Step("The send queue did not start");
        return;
    }
    Queue(outlook, addin, L"Quarterly figures", 1);
    ServeTheQueue(outlook, *queue);
    const auto stored = service.State().Messages();
    if (!stored.empty()) {
        Step("The service received \"" + stored.back().subject + "\" from " + stored.back().senderEmail + " to " +
             (stored.back().to.empty() ? std::string() : stored.back().to.front()));
    }
    for (const auto& copy : outlook.Folder(outlook::olFolderSentMail)->Items()) {
        Step("Sent folder: \"" + platform::Utf8FromWide(copy->Props().Text(outlook::mapi::PR_SUBJECT_W)) + "\"");
    }
    Step("Drafts folder: " + std::to_string(outlook.Folder(outlook::olFolderDrafts)->Items().size()) + " item(s)");

    // The service refuses the cached password once: the login dialog asks over the draft and the message goes again.
    service.Faults().Set(localservice::Endpoint::Send, localservice::Fault{.status = 401, .times = 1});
    outlook.User().AtDialog(dialogs::kLoginDialogId, [](sim::DialogScreen& screen) {
        screen.Type(dialogs::kPasswordFieldId, AskPassword(screen.Text(dialogs::kLoginFieldId)));
        screen.Press(platform::kDialogOk);
    });
    Queue(outlook, addin, L"Second thoughts", 0);
    ServeTheQueue(outlook, *queue);
    Step("After a refused password and the password typed again, the service holds " +
         std::to_string(service.State().Messages().size()) + " message(s); Drafts folder: " +
         std::to_string(outlook.Folder(outlook::olFolderDrafts)->Items().size()) + " item(s)");

    // The service fails once: the draft comes back on screen with the error notice over it.
    service.Faults().Set(localservice::Endpoint::Send, localservice::Fault{.status = 500, .times = 1});
    const auto failed = Queue(outlook, addin, L"Unlucky", 0);
    ServeTheQueue(outlook, *queue);
    Step(std::string("A failed send: the draft is ") + (failed->CurrentInspector() ? "on screen again" : "not shown") +
         "; Drafts folder: " + std::to_string(outlook.Folder(outlook::olFolderDrafts)->Items().size()) + " item(s)");
    service.Faults().ClearAll();
}

std::string Joined(const std::vector<std::string>& addresses) {
    std::string joined;
    for (const std::string& address : addresses) joined += (joined.empty() ? "" : ", ") + address;
    return joined.empty() ? "nobody" : joined;
}

// Send Secure's record made from a real draft: recipients by type, the pro account's formatted body, and the bytes of
// each attachment, one of them an attached Outlook item that only a file can give.
void BuildFromADraft(sim::SimOutlook& outlook, CSealwingAddin& addin, localservice::LocalService& service,
                     const std::filesystem::path& localFolder) {
    const auto draft = outlook.CreateMailItem();
    draft->SetSubject(L"Budget 2027");
    draft->SetBody(L"The budget and last week's minutes are attached.");
    draft->SetHTMLBody(L"<p>The <b>budget</b> and last week's minutes are attached.</p>");
    for (const auto& [address, type] :
         {std::pair{L"bob@example.com", outlook::olTo}, std::pair{L"carol@example.com", outlook::olTo},
          std::pair{L"dave@example.com", outlook::olBCC}}) {
        const auto recipient = draft->Recipients()->Add(address);
        recipient->SetType(type);
        recipient->Resolve();
    }
    draft->AttachmentList()->AddNew(L"budget-2027.xlsx", std::string(180'000, 'B'), outlook::olByValue);
    const auto minutes =
        draft->AttachmentList()->AddNew(L"Minutes 3 December.msg", std::string(24'000, 'M'), outlook::olEmbeddeditem);

    service::OutgoingMessage message = compose::Build(draft, kDemoAccount, addin.OwnerWindow());
    Step("Built from the draft \"" + platform::Utf8FromWide(message.subject) + "\": To " +
         platform::Utf8FromWide(message.recipients) + ", CC \"" + platform::Utf8FromWide(message.recipients_cc) +
         "\", BCC " + platform::Utf8FromWide(message.recipients_bcc) + "; the " +
         (message.body.starts_with(L"<p>") ? "formatted" : "plain") + " body, as for a pro account");
    for (const service::OutgoingAttachment& attachment : message.attachments) {
        Step("  attachment \"" + platform::Utf8FromWide(attachment.fileName) + "\", " +
             std::to_string(attachment.bytes.size()) + " bytes");
    }
    const auto scratch = localFolder / "Parcelon" / compose::kScratchFolderName;
    if (!minutes->SavedTo().empty()) {
        Step("  the attached Outlook item went through " + platform::Utf8FromWide(minutes->SavedTo().front()) +
             "; files left in " + scratch.string() + ": " +
             std::to_string(
                 std::distance(std::filesystem::directory_iterator(scratch), std::filesystem::directory_iterator())));
    }

    compose::Shipper* queue = addin.SendQueue();
    if (queue == nullptr || !queue->Enqueue(std::move(message))) {
        Step("The send queue took no message");
        return;
    }
    ServeTheQueue(outlook, *queue);
    const auto stored = service.State().Messages();
    if (stored.empty() || stored.back().subject != "Budget 2027") {
        Step("The service did not receive \"Budget 2027\"");
        return;
    }
    Step("The service received \"" + stored.back().subject + "\" for " + Joined(stored.back().to) + " (BCC " +
         Joined(stored.back().bcc) + ") with " + std::to_string(stored.back().attachments.size()) + " attachment(s)");
}

// The user opens the options, reads what the service allows the account, picks another self-destruct time and
// saves it; the registry then holds it.
void ChangeTheOptions(sim::SimOutlook& outlook, CSealwingAddin& addin, platform::Registry& registry) {
    const int thirtyDays = options::DestructPositionOf(30);
    outlook.User().AtDialog(options::kOptionsDialogId, [&](sim::DialogScreen& screen) {
        const sim::ControlState& accounts = screen.Control(options::kAccountChooserId);
        const sim::ControlState& destruct = screen.Control(options::kDestructId);
        std::string listed;
        for (const std::wstring& account : accounts.choices)
            listed += (listed.empty() ? "" : ", ") + platform::Utf8FromWide(account);
        Step("Options list " + listed + "; for " +
             platform::Utf8FromWide(accounts.choices.at(static_cast<std::size_t>(accounts.chosen))) + ": \"" +
             platform::Utf8FromWide(screen.Text(options::kStandingId)) + "\"; self-destruct \"" +
             platform::Utf8FromWide(destruct.choices.at(static_cast<std::size_t>(destruct.chosen))) + "\"");
        screen.Pick(options::kDestructId, thirtyDays);
        screen.Press(options::kSaveSettingsId);
    });
    options::COptionsDlg dialog;
    const int result = dialog.Open(outlook.Application(), kDemoAccount, addin.OwnerWindow());
    const std::wstring key = settings::SettingsStore::Instance().SettingsFor(kDemoAccount).keyPath;
    const std::optional<std::uint32_t> stored = registry.ReadDword(key, L"Destruct");
    Step("The options dialog ended with " + std::to_string(result) + "; the registry holds Destruct = " +
         (stored ? std::to_string(*stored) : std::string("nothing")) + " under HKCU\\" + platform::Utf8FromWide(key));
}

// A secure message waiting on the service for the demo account, with two attachments that together need the
// download dialog when forwarded.
constexpr const char* kSecureMessageId = "m-contract";

void StoreTheSecureMessage(localservice::LocalService& service) {
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
    service.State().StoreMessage(std::move(message));
}

// The notice of that message arrives; the reader page opens over the main window, then the user replies and forwards.
void ReadReplyAndForward(sim::SimOutlook& outlook, CSealwingAddin& addin, localservice::LocalService& service,
                         const outlook::Ref<sim::SimExplorer>& inbox) {
    StoreTheSecureMessage(service);
    const auto notice = outlook.AddReceivedMail(
        {.subject = L"[Secure Message] Contract draft",
         .body = L"You have received a secure message.",
         .senderName = L"Carol",
         .senderAddress = L"carol@example.com",
         .to = {kDemoAccount, L"bob@example.com"},
         .transportHeaders = std::wstring(L"From: carol@example.com\r\nx-parcelon-message-id: ") +
                             platform::WideFromUtf8(kSecureMessageId) + L"\r\n"});
    outlook.DeliverNewMail({notice});

    PreviewHost preview(outlook.MajorVersion());
    if (!preview.CreateOverlay(inbox->FrameWindow())) {
        Step("The reader could not be laid over the main window");
        return;
    }
    preview.Show();
    const bool shown = preview.Browser()->ShowMessage(kDemoAccount, platform::WideFromUtf8(kSecureMessageId));
    Step(std::string("The reader waits for its first page: ") + (shown ? "the message is queued" : "nothing to show"));
    outlook.Browser().Last().CompleteDocument();
    for (const std::wstring& address : outlook.Browser().Last().Navigations()) {
        Step("  the browser went to " + platform::Utf8FromWide(address));
    }

    // Reply All: the user's own address leaves the response; its window's activation brings the template.
    const auto reply = outlook.CreateMailItem();
    reply->SetSubject(L"RE: [Secure Message] Contract draft");
    for (const wchar_t* address : {L"carol@example.com", kDemoAccount, L"bob@example.com"}) {
        reply->Recipients()->Add(address)->Resolve();
    }
    reading::ProcessReply(addin, notice, reply);
    std::string kept;
    for (int at = 1; at <= reply->Recipients()->Count(); ++at) {
        kept += (kept.empty() ? "" : ", ") + platform::Utf8FromWide(reply->Recipients()->Item(at)->Address());
    }
    Step("Reply All goes to " + kept);
    outlook.ActivateInspector(outlook.OpenInspector(reply));
    outlook.Loop().RunPending();
    Step("The reply window shows \"" + platform::Utf8FromWide(reply->Subject()) + "\" with the quoted original:");
    std::cout << platform::Utf8FromWide(reply->HTMLBody()) << "\n";
    outlook.CloseInspector(reply->CurrentInspector());

    // Forward: 240,000 bytes of attachments, so the user is asked; the download runs behind its dialog, where the user
    // presses Cancel and then decides to go on.
    const auto forward = outlook.CreateMailItem();
    forward->SetSubject(L"FW: [Secure Message] Contract draft");
    outlook.User().Answer(platform::DialogResult::Yes);
    outlook.User().AtDialog(reading::kDownloadAttachmentsDialogId, [&](sim::DialogScreen& screen) {
        outlook.User().Answer(platform::DialogResult::No);
        screen.Press(platform::kDialogCancel);
        screen.RunUntilEnded();
        Step("The download dialog's progress reached " +
             std::to_string(screen.Control(reading::kDownloadProgressId).progress) + " of " +
             std::to_string(screen.Control(reading::kDownloadProgressId).progressMaximum) + " bytes");
    });
    reading::ProcessForward(addin, notice, forward, addin.OwnerWindow());
    const auto attached = forward->AttachmentList()->List();
    std::string names;
    for (const auto& attachment : attached) {
        names += (names.empty() ? "\"" : ", \"") + platform::Utf8FromWide(attachment->DisplayName()) + "\" (" +
                 std::to_string(attachment->Bytes().size()) + " bytes)";
    }
    Step("The forward carries " + (names.empty() ? std::string("no attachment") : names));
    outlook.ActivateInspector(outlook.OpenInspector(forward));
    outlook.Loop().RunPending();
    Step("The forward window shows \"" + platform::Utf8FromWide(forward->Subject()) + "\"");
    outlook.CloseInspector(forward->CurrentInspector());
    preview.Detach();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return Usage(argv[0]);
    if (options.dataDir.empty()) options.dataDir = NewTemporaryFolder();
    if (options.dataDir.empty()) {
        std::cerr << "cannot create a data folder\n";
        return 1;
    }
    const auto roaming = options.dataDir / "roaming";
    const auto local = options.dataDir / "local";
    std::filesystem::create_directories(roaming);
    std::filesystem::create_directories(local);

    platform::PosixFileSystem files(platform::WideFromUtf8(roaming.string()), platform::WideFromUtf8(local.string()));
    platform::FileRegistry registry(platform::WideFromUtf8((options.dataDir / "registry.txt").string()));
    // The run's own clock, started at the real time: the main job moves it on to show what happens half an hour later.
    platform::ManualClock clock(platform::SystemClock().UtcSeconds());
    sim::SimOutlook outlook(sim::SimOptions{.majorVersion = options.outlookVersion}, clock);
    outlook.User().EchoTo(&std::cout);
    platform::SodiumSecretProtection secrets((options.dataDir / "keys" / "user.key").string());

    localservice::LocalService service;
    std::optional<service::ScopedServiceEndpoint> serviceEndpoint;
    platform::CurlHttp::Options httpOptions = platform::CurlHttp::OptionsFromEnvironment();
    if (const char* external = std::getenv("SEALWING_SERVICE_ENDPOINT"); external != nullptr && *external != '\0') {
        Step(std::string("The add-in talks to the service at ") + external);
    } else {
        if (const std::string error = StartLocalService(service, options); !error.empty()) {
            std::cerr << "cannot start the local service: " << error << '\n';
            return 1;
        }
        serviceEndpoint.emplace(service::ServiceEndpoint{.host = "localhost", .port = service.Port()});
        httpOptions.caFile = service.CaFile().string();
        Step("Local service listening on https://localhost:" + std::to_string(service.Port()) + "/ (test CA " +
             service.CaFile().string() + ")");
    }
    platform::CurlHttp http(httpOptions);
    platform::InstallPlatform(
        outlook.PlatformWith({.files = files, .registry = registry, .secrets = &secrets, .http = &http}));
    diagnostics::InstallCrashReportOffer(&service::UploadCrashReport);
    diagnostics::InstallEntryFailureLogging();

    const auto application = outlook.Application();
    Step("Outlook " + platform::Utf8FromWide(application->Version()) + " starts; user data in " +
         options.dataDir.string());
    outlook.AddComAddIn(L"{6A2E3D0B-1C4F-4B8A-9E5D-2F7C8B1A0E93}", L"Sealwing.Addin",
                        L"Parcelon for Microsoft Outlook");
    // The user's accounts: the service's own address over SMTP, an IMAP account, and an Exchange mailbox that
    // Outlook knows only by its distinguished name. Every log header lists them.
    outlook.AddAccount({.type = outlook::olPop3, .displayName = L"Ann (home)", .smtpAddress = kDemoAccount});
    outlook.AddAccount({.type = outlook::olImap, .displayName = L"Ann (IMAP)", .smtpAddress = L"ann.imap@example.com"});
    outlook.AddAccount(
        {.type = outlook::olExchange, .displayName = L"Ann (office)", .currentUserAddress = kExchangeMailbox});
    const auto inbox = outlook.OpenExplorer(L"Inbox - Microsoft Outlook");
    outlook.ActivateExplorer(inbox);
    // A run over this data folder that ended during an operation left its Main log open: the add-in first offers
    // the crash report, and the user sends it.
    if (ReadWholeFile(local / "Parcelon" / "Main.log").starts_with("OPEN")) {
        outlook.User().AtDialog(diagnostics::kCrashReportDialogId,
                                [](sim::DialogScreen& screen) { screen.Press(platform::kDialogOk); });
    }
    // Outlook 2003 has no other way to learn the Exchange mailbox's address than to ask the user.
    if (outlook.MajorVersion() == 11) {
        outlook.User().AtDialog(mailstore::kMapEmailDialogId, [](sim::DialogScreen& screen) {
            screen.Type(mailstore::kMapEmailAddressFieldId, L"ann@office.example.com");
            screen.Press(platform::kDialogOk);
        });
    }

    CSealwingAddin addin;
    addin.OnConnection(application, outlook::ext_cm_Startup);
    addin.OnStartupComplete();
    Step("Add-in connected: " + std::to_string(addin.ExplorerExtensionCount()) +
         " main window(s) wrapped; the version "
         "check runs on its own thread");
    // Its outcome comes back to Outlook's thread as posted work.
    if (outlook.Loop().WaitForWork(std::chrono::seconds(90))) {
        outlook.Loop().RunPending();
        Step("The version check's outcome reached Outlook's thread (its request is in VersionCheck.log)");
    } else {
        Step("The version check had no outcome after 90 seconds");
    }
    if (outlook.MajorVersion() == 11) {
        Step("Asked for the Exchange mailbox's address: " +
             platform::Utf8FromWide(settings::SettingsStore::Instance().MappedAddress(kExchangeMailbox)));
    }
    if (serviceEndpoint) {
        for (const localservice::RecordedRequest& request : service.Requests().All()) {
            Step("The local service answered " + request.method + " " + request.target);
        }
    }

    // Opening a secure notice needs a session: the add-in logs the account in, asking for its password.
    outlook.User().AtDialog(dialogs::kLoginDialogId, [](sim::DialogScreen& screen) {
        const std::wstring password = AskPassword(screen.Text(dialogs::kLoginFieldId));
        screen.Type(dialogs::kPasswordFieldId, password);
        screen.Press(platform::kDialogOk);
    });
    std::wstring sessionId;
    const service::ServiceResult login =
        service::SessionManager::Instance().GetSession(kDemoAccount, sessionId, addin.OwnerWindow());
    Step("Session for " + platform::Utf8FromWide(kDemoAccount) + ": result " + std::to_string(static_cast<int>(login)) +
         (sessionId.empty() ? "" : ", id " + platform::Utf8FromWide(sessionId)));
    clock.Advance(30 * 60 * 1000);
    outlook.Loop().RunPending();
    Step("Half an hour later the add-in pinged the session (see \"Pinging\" in Main.log)");

    const auto draft = outlook.CreateMailItem();
    draft->SetSubject(L"Quarterly figures");
    const auto compose = outlook.OpenInspector(draft);
    outlook.ActivateInspector(compose);
    outlook.Loop().RunPending();
    Step("Compose window \"" + platform::Utf8FromWide(compose->Caption()) +
         "\" opened: " + std::to_string(addin.InspectorExtensionCount()) + " item window(s) wrapped, " +
         std::to_string(addin.ComposeWindowCount()) + " in the ribbon's compose-window map");

    outlook.CloseInspector(compose);
    Step("Compose window closed: " + std::to_string(addin.InspectorExtensionCount()) + " item window(s) wrapped");

    if (serviceEndpoint) {
        SendThroughTheQueue(outlook, addin, service);
        BuildFromADraft(outlook, addin, service, local);
        ChangeTheOptions(outlook, addin, registry);
        ReadReplyAndForward(outlook, addin, service, inbox);
    }
    outlook.CloseExplorer(inbox);
    Step("Main window closed: " + std::to_string(addin.ExplorerExtensionCount()) + " main window(s) wrapped");

    outlook.Quit();
    addin.OnBeginShutdown();
    addin.OnDisconnection(outlook::ext_dm_HostShutdown);
    outlook.Loop().RunPending();
    Step("Outlook quit; add-in disconnected, " + std::to_string(outlook.AdvisedSinks()) + " event sink(s) left");

    const auto logFolder = local / "Parcelon";
    bool ok = outlook.AdvisedSinks() == 0 && std::filesystem::exists(logFolder / "Main.log");
    for (const auto& entry : std::filesystem::directory_iterator(logFolder)) {
        if (entry.path().extension() != ".log") continue;
        const std::string text = ReadWholeFile(entry.path());
        std::cout << "\n--- " << entry.path().string() << " (" << text.size() << " bytes) ---\n" << text;
        ok = ok && text.starts_with("CLOSED\n");
    }
    std::cout << "\nActivity logs are in " << logFolder.string() << '\n';
    return ok ? 0 : 1;
}
