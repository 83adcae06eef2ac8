// The add-in at work in the simulated Outlook: starts the local service (unless SEALWING_SERVICE_ENDPOINT names
// another one) and Outlook of the chosen version, loads the add-in as Office does, and tells a user's day through the
// add-in's own entry points (sim/main/Story.h): options from the main window, a message sent with Send Secure after a
// login and a refusal, a secure notice read in the reading pane, replied to and forwarded, About; then Outlook quits
// and the run shows where the activity logs are and what they say. The exit code is 0 only when the story held.

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
#include "diagnostics/CrashReport.h"
#include "diagnostics/CrashReportDialogTemplate.h"
#include "diagnostics/Log.h"
#include "dialogs/NewVersionDialogTemplate.h"
#include "localservice/LocalService.h"
#include "localservice/SeedFile.h"
#include "mailstore/MapEmailDialogTemplate.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/FileRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/SodiumSecretProtection.h"
#include "service/ServiceOperations.h"
#include "service/TransportEndpoint.h"
#include "settings/SettingsStore.h"
#include "sim/DialogScreen.h"
#include "sim/SimOutlook.h"
#include "sim/main/Story.h"
#include "sim/main/Transcript.h"

namespace {

using namespace sealwing;
using story::kDemoAccount;
using story::Step;

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

constexpr const wchar_t* kExchangeMailbox = L"/o=Example/ou=First Administrative Group/cn=Recipients/cn=ann";

// Starts the local service with a fresh test CA under the data folder, on a free port. Empty on success.
std::string StartLocalService(localservice::LocalService& service, const Options& options) {
    const std::string seedError =
        options.seed.empty() ? localservice::LoadSeed(kEmbeddedSeed, options.dataDir, service.State(), service.Faults())
                             : localservice::LoadSeedFile(options.seed, service.State(), service.Faults());
    if (!seedError.empty()) return "seed: " + seedError;
    return service.Start(options.dataDir / "service-certificates");
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
    // The run's own clock, started at the real time: the story moves it on when the user waits for a timer.
    platform::ManualClock clock(platform::SystemClock().UtcSeconds());
    sim::SimOutlook outlook(
        sim::SimOptions{.majorVersion = options.outlookVersion, .userName = L"Ann Lee", .userAddress = kDemoAccount},
        clock);
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
    // Office hands the ribbons' questions to the connected add-in.
    outlook.SetRibbonExtensibility(&addin);
    addin.OnStartupComplete();
    Step("Add-in connected: " + std::to_string(addin.ExplorerExtensionCount()) +
         " main window(s) wrapped; the version check runs on its own thread");
    // Its outcome comes back to Outlook's thread as posted work; a newer version on offer is told, and the user
    // closes the notice.
    outlook.User().AtDialog(dialogs::kNewVersionDialogId, [](sim::DialogScreen& screen) {
        const std::vector<std::wstring> links = screen.LinkAddresses(dialogs::kNewVersionTextId);
        Step("The add-in tells of a new version: release notes at " +
             (links.empty() ? std::string("no address") : platform::Utf8FromWide(links.front())) +
             "; the user presses OK");
        screen.Press(dialogs::kNewVersionOkId);
    });
    if (outlook.Loop().WaitForWork(std::chrono::seconds(90))) {
        outlook.Loop().RunPending();
        Step("The version check's outcome reached Outlook's thread (its request is in VersionCheck.log)");
    } else {
        Step("The version check had no outcome after 90 seconds");
    }
    outlook.User().DropDialogScripts(dialogs::kNewVersionDialogId);
    if (outlook.MajorVersion() == 11) {
        Step("Asked for the Exchange mailbox's address: " +
             platform::Utf8FromWide(settings::SettingsStore::Instance().MappedAddress(kExchangeMailbox)));
    }
    if (serviceEndpoint) {
        for (const localservice::RecordedRequest& request : service.Requests().All()) {
            Step("The local service answered " + request.method + " " + request.target);
        }
    }

    story::Facts facts;
    if (serviceEndpoint) {
        story::World world{.outlook = outlook,
                           .addin = addin,
                           .service = service,
                           .registry = registry,
                           .clock = clock,
                           .mainWindow = inbox,
                           .facts = facts};
        story::ShowTheMainWindowCommands(world);
        story::KeepSentCopies(world);
        if (story::ComposeAndSendSecure(world)) {
            const auto notice = story::ReadTheSecureNotice(world);
            story::ReplyAllAndForward(world, notice);
            story::ShowAbout(world);
        }
    }
    outlook.CloseExplorer(inbox);
    Step("The user closes the main window: " + std::to_string(addin.ExplorerExtensionCount()) +
         " main window(s) wrapped");

    outlook.Quit();
    addin.OnBeginShutdown();
    outlook.SetRibbonExtensibility(nullptr);
    addin.OnDisconnection(outlook::ext_dm_HostShutdown);
    outlook.Loop().RunPending();
    Step("Outlook quit; add-in disconnected, " + std::to_string(outlook.AdvisedSinks()) + " event sink(s) left");

    const auto logFolder = local / "Parcelon";
    facts.Expect(outlook.AdvisedSinks() == 0, "no event sink is left after the add-in disconnected");
    facts.Expect(std::filesystem::exists(logFolder / "Main.log"), "Main.log was written");
    for (const auto& entry : std::filesystem::directory_iterator(logFolder)) {
        if (entry.path().extension() != ".log") continue;
        const std::string text = ReadWholeFile(entry.path());
        std::cout << "\n--- " << entry.path().string() << " (" << text.size() << " bytes) ---\n" << text;
        facts.Expect(text.starts_with("CLOSED\n"), entry.path().filename().string() + " was closed");
    }
    std::cout << "\nActivity logs are in " << logFolder.string() << '\n';
    for (const std::string& failed : facts.Failed()) std::cout << "The story did not hold: " << failed << '\n';
    return facts.AllHeld() ? 0 : 1;
}
