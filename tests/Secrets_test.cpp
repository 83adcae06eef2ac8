// The user's secrets after a whole working session: the password typed at the login dialog and saved, the Basic
// credentials sent with every request, the session the service handed out and the credentials file's content reach
// none of the files the add-in leaves behind, nor the crash report the service receives.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "addin/SealwingAddin.h"
#include "compose/Shipper.h"
#include "diagnostics/CrashReport.h"
#include "diagnostics/CrashReportDialogTemplate.h"
#include "dialogs/LoginDialogTemplate.h"
#include "platform/Files.h"
#include "platform/SecretProtection.h"
#include "platform/Text.h"
#include "reading/ExplorerExtension.h"
#include "reading/ResponseProcessing.h"
#include "service/ServiceOperations.h"
#include "settings/PasswordStorage.h"
#include "sim/DialogScreen.h"
#include "sim/SimAttachments.h"
#include "sim/SimBrowser.h"
#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "sim/SimRecipient.h"
#include "sim/SimRecipients.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

constexpr const wchar_t* kUser = L"ann@example.com";
// Non-ASCII in two-, three- and four-byte UTF-8 forms, so that each encoding of them is unmistakable.
constexpr const wchar_t* kPassword = L"Gr\u00FCn\u00DF-Schl\u00FCssel\u20AC-\u6F22\u5B57-\U0001F511-42";
constexpr const wchar_t* kWrongPassword = L"Fj\u00F8rd\u2603-falsch-\u00E6\u00F8\u00E5-7";
constexpr const char* kMessageId = "m-contract";
constexpr const char* kLogReportTarget = "/secure/log/outlookEventReport";

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        std::uint32_t group = static_cast<unsigned char>(bytes[at]) << 16;
        if (at + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[at + 1]) << 8;
        if (at + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[at + 2]);
        encoded += kDigits[(group >> 18) & 63];
        encoded += kDigits[(group >> 12) & 63];
        encoded += at + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
        encoded += at + 2 < bytes.size() ? kDigits[group & 63] : '=';
    }
    return encoded;
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A secret, by the name a failure shows, and each of its byte forms.
struct Secret {
    std::string name;
    std::vector<std::string> forms;
};

Secret PasswordSecret(const std::string& name, const std::wstring& password) {
    return {name, {platform::Utf8FromWide(password), platform::Utf16LeFromWide(password)}};
}

// What the activity log writes about a session on purpose, and nothing else may: the login's outcome
// ("Logged in, <type> user, sessionid - <id>", service/ServiceOperations.cpp Login) and the session check
// ("[NETWORK] Ping, sessionId <id>", Ping there).
bool LineMayNameSession(std::string_view line, const std::string& session) {
    const auto endsWith = [&](const std::string& tail) { return line.ends_with(tail) || line.ends_with(tail + "\r"); };
    return (line.find("Logged in, ") != std::string_view::npos && endsWith(" user, sessionid - " + session)) ||
           endsWith("[NETWORK] Ping, sessionId " + session);
}

// Every line of `text` that names a session where the log's format does not put it.
std::vector<std::string> StraySessionLines(const std::string& text, const std::vector<std::string>& sessions) {
    std::vector<std::string> stray;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        for (const std::string& session : sessions) {
            if (line.find(session) != std::string::npos && !LineMayNameSession(line, session)) stray.push_back(line);
        }
    }
    return stray;
}

class SecretsTest : public ::testing::Test {
protected:
    SecretsTest() {
        world_.Service().State().AddAccount(
            {.email = "ann@example.com", .password = platform::Utf8FromWide(kPassword), .type = "pro"});
        // The add-in's own version: start-up's version check has nothing to say.
        world_.Service().State().SetVersion({.major = 1, .minor = 38});
        world_.Outlook().AddAccount({.type = outlook::olPop3, .displayName = L"Ann", .smtpAddress = kUser});
        explorer_ = world_.Outlook().OpenExplorer();
    }
    ~SecretsTest() override { world_.Outlook().SetRibbonExtensibility(nullptr); }

    static sim::SimOptions Options() { return sim::SimOptions{.majorVersion = 14, .userAddress = kUser}; }

    void Settle() { world_.Outlook().Loop().RunPending(); }

    void Connect(CSealwingAddin& addin) {
        ASSERT_EQ(addin.OnConnection(world_.Outlook().Application(), outlook::ext_cm_Startup), 0);
        world_.Outlook().SetRibbonExtensibility(&addin);
    }
    void Disconnect(CSealwingAddin& addin) {
        world_.Outlook().SetRibbonExtensibility(nullptr);
        addin.OnDisconnection(outlook::ext_dm_HostShutdown);
    }

    // The login dialog: a mistyped password first, then the right one with "Save password" ticked.
    void AnswerTheLoginDialogs() {
        auto& user = world_.Outlook().User();
        user.AtDialog(dialogs::kLoginDialogId, [](sim::DialogScreen& screen) {
            screen.Type(dialogs::kPasswordFieldId, kWrongPassword);
            screen.Press(platform::kDialogOk);
        });
        user.AtDialog(dialogs::kLoginDialogId, [](sim::DialogScreen& screen) {
            screen.Type(dialogs::kPasswordFieldId, kPassword);
            screen.Tick(dialogs::kSavePasswordId);
            screen.Press(platform::kDialogOk);
        });
    }

    void SendSecure(CSealwingAddin& addin) {
        auto draft = world_.Outlook().CreateMailItem();
        draft->SetSubject(L"Budget 2027");
        draft->SetBody(L"The budget is attached.");
        draft->SetHTMLBody(L"<p>The budget is attached.</p>");
        for (const wchar_t* address : {L"bob@example.com", L"carol@example.com"}) {
            draft->Recipients()->Add(address)->Resolve();
        }
        draft->AttachmentList()->AddNew(L"budget-2027.xlsx", std::string(5'000, 'B'), outlook::olByValue);
        const auto window = world_.Outlook().OpenInspector(draft);
        world_.Outlook().ActivateInspector(window);
        Settle();
        AnswerTheLoginDialogs();
        ASSERT_TRUE(world_.Outlook().ClickRibbonControl(window->FrameWindow(), L"SealwingButton"));
        ASSERT_TRUE(window->IsClosed()) << world_.LogFile("Main");
        std::size_t logins = 0;
        for (const auto& shown : world_.Outlook().User().Dialogs())
            logins += shown.templateId == dialogs::kLoginDialogId;
        ASSERT_EQ(logins, 2U) << "the mistyped password went to the service and was refused";
        compose::Shipper* queue = addin.SendQueue();
        ASSERT_NE(queue, nullptr);
        auto& loop = world_.Outlook().Loop();
        // The worker may post to Outlook's thread and still be busy a moment after: both are waited on in turn, so
        // neither wait can outlast the other's event.
        while (!queue->WaitUntilIdle(std::chrono::milliseconds(20))) {
            if (loop.WaitForWork(std::chrono::milliseconds(20))) loop.RunPending();
        }
        Settle();
        ASSERT_EQ(world_.Service().State().Messages().size(), 1U);
    }

    // A secure notice arrives and is selected; the browser over the reading pane goes to the reader page.
    outlook::Ref<sim::SimMailItem> SelectTheSecureNotice() {
        localservice::StoredMessage message;
        message.id = kMessageId;
        message.senderEmail = "carol@example.com";
        message.subject = "Contract draft";
        message.body = "<p>Please find the contract draft.</p>";
        message.to = {"ann@example.com", "bob@example.com"};
        message.cc = {"dave@example.com"};
        world_.Service().State().StoreMessage(std::move(message));
        const auto notice = world_.Outlook().AddReceivedMail(
            {.subject = L"[Secure Message] Contract draft",
             .body = L"You have received a secure message.",
             .senderName = L"Carol",
             .senderAddress = L"carol@example.com",
             .to = {kUser, L"bob@example.com"},
             .transportHeaders = L"From: carol@example.com\r\nx-parcelon-message-id: m-contract\r\n"});
        world_.Outlook().DeliverNewMail({notice});
        Settle();
        world_.Outlook().Select(explorer_, {notice});
        world_.Clock().Advance(CExplorerExtension::kReadinessIntervalMs);
        Settle();
        if (world_.Outlook().Browser().Count() == 0) return notice;
        world_.Outlook().Browser().Last().CompleteDocument();
        Settle();
        return notice;
    }

    void ReplyAll(const outlook::Ref<sim::SimMailItem>& notice) {
        const auto reply = world_.Outlook().Respond(notice, sim::ResponseKind::ReplyAll);
        world_.Clock().Advance(reading::kBodyDelayMilliseconds);
        Settle();
        ASSERT_NE(reply, nullptr);
        EXPECT_NE(reply->HTMLBody().find(L"contract draft"), std::wstring::npos);
        world_.Outlook().CloseInspector(reply->CurrentInspector());
    }

    // The run ends in a crash during an operation, which its main log's marker tells; the next start offers the
    // log's text and the user sends it.
    void CrashAndSendTheReportAtTheNextStart() {
        // The process ends; its logs are let go of as they stand.
        ResetProcessState();
        platform::FileSystem& files = platform::Files();
        const std::wstring mainLog = files.Join(
            files.Join(files.KnownFolderPath(platform::KnownFolder::LocalAppData), L"Parcelon"), L"Main.log");
        std::string text = files.ReadFile(mainLog).bytes;
        ASSERT_TRUE(text.starts_with("CLOSED\n")) << text.substr(0, 20);
        text.replace(0, 6, "OPEN  ");
        ASSERT_TRUE(files.ReplaceFile(mainLog, text, platform::FileAccess::Default).ok);

        diagnostics::InstallEntryFailureLogging();
        diagnostics::InstallCrashReportOffer(&service::UploadCrashReport);
        world_.Outlook().User().AtDialog(diagnostics::kCrashReportDialogId,
                                         [](sim::DialogScreen& screen) { screen.Press(diagnostics::kSendReportId); });
        CSealwingAddin restarted;
        Connect(restarted);
        Disconnect(restarted);
        ASSERT_EQ(world_.Service().State().LogReports().size(), 1U);
        EXPECT_NE(world_.Service().State().LogReports()[0].find("[NETWORK] Logging in as user ann@example.com"),
                  std::string::npos)
            << "the report is the whole crashed run's log";
    }

    // Each file under the folder that holds the user's folders, by path, with its bytes.
    static std::vector<std::pair<std::string, std::string>> UserFiles() {
        const std::filesystem::path roaming(
            platform::Utf8FromWide(platform::Files().KnownFolderPath(platform::KnownFolder::RoamingAppData)));
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(roaming.parent_path())) {
            if (entry.is_regular_file()) files.emplace_back(entry.path().string(), FileText(entry.path()));
        }
        return files;
    }

    // The credentials file's decrypted text, with the user's own key.
    static std::string DecryptedCredentials() {
        const auto read = platform::Files().ReadFile(settings::PasswordStoragePath());
        std::string plain;
        std::uint32_t error = 0;
        EXPECT_TRUE(read.ok);
        EXPECT_TRUE(platform::Secrets().Unprotect(read.bytes, plain, error)) << error;
        return plain;
    }

    testing::OutlookWorld world_{Options()};
    outlook::Ref<sim::SimExplorer> explorer_;
};

TEST_F(SecretsTest, AfterTheWholeStoryNoFileAndNoCrashReportHoldsAPasswordCredentialsOrAStraySession) {
    {
        CSealwingAddin addin;
        Connect(addin);
        SendSecure(addin);
        const auto notice = SelectTheSecureNotice();
        ReplyAll(notice);
        Disconnect(addin);
    }
    const std::vector<std::string> sessions = world_.Service().State().Sessions();
    ASSERT_EQ(sessions.size(), 1U) << "one login, one session";
    bool readerPageWithSession = false;
    ASSERT_GT(world_.Outlook().Browser().Count(), 0U);
    for (const std::wstring& address : world_.Outlook().Browser().Last().Navigations()) {
        const std::string text = platform::Utf8FromWide(address);
        for (const std::string& session : sessions) {
            readerPageWithSession = readerPageWithSession ||
                                    (text.find("/outlook-reader/" + session + "/" + kMessageId) != std::string::npos);
        }
    }
    EXPECT_TRUE(readerPageWithSession) << "the browser, not a log, is where the session goes";

    // The secrets, each in every form it could be written in.
    const std::string plain = DecryptedCredentials();
    const std::wstring document = platform::WideFromUtf16Le(plain);
    ASSERT_NE(document.find(std::wstring(L"<password>") + kPassword + L"</password>"), std::wstring::npos)
        << "the saved password is in the credentials file, so its absence elsewhere means something";
    const std::string basic = Base64("ann@example.com:" + platform::Utf8FromWide(kPassword));
    const std::string wrongBasic = Base64("ann@example.com:" + platform::Utf8FromWide(kWrongPassword));
    const std::wstring passwordEntry = std::wstring(L"<password>") + kPassword + L"</password>";
    const std::vector<Secret> secrets{
        PasswordSecret("the password", kPassword),
        PasswordSecret("the mistyped password", kWrongPassword),
        {"the Authorization header", {"Authorization:", "authorization:", "Basic " + basic}},
        {"the Basic credentials", {basic, wrongBasic}},
        {"the credentials file's text",
         {platform::Utf16LeFromWide(document.c_str()), platform::Utf8FromWide(document.c_str()),
          platform::Utf16LeFromWide(passwordEntry), platform::Utf8FromWide(passwordEntry)}},
    };

    // Everything the run left in the user's folders (the registry file beside them included), as the run ended and
    // after the next start, then what the service holds of the report and every request that carried it.
    std::vector<std::pair<std::string, std::string>> artefacts = UserFiles();
    ASSERT_GE(artefacts.size(), 4U) << "logs, the settings, the credentials file and the key at least";
    CrashAndSendTheReportAtTheNextStart();
    ASSERT_EQ(world_.Service().State().Sessions(), sessions) << "the next start logged in again";
    for (auto& file : UserFiles()) artefacts.push_back(std::move(file));
    for (const std::string& report : world_.Service().State().LogReports()) {
        artefacts.emplace_back("the crash report the service received", report);
    }
    for (const auto& request : world_.Service().Requests().All()) {
        if (request.target != kLogReportTarget) continue;
        std::string whole = request.method + " " + request.target + "\n";
        for (const auto& [name, value] : request.headers) whole += name + ": " + value + "\n";
        artefacts.emplace_back("the crash report's request", whole + "\n" + request.body);
    }

    bool sessionLogged = false;
    for (const auto& [where, text] : artefacts) {
        SCOPED_TRACE(where);
        for (const Secret& secret : secrets) {
            for (const std::string& form : secret.forms) {
                ASSERT_FALSE(form.empty());
                EXPECT_EQ(text.find(form), std::string::npos) << secret.name << " in " << where;
            }
        }
        const bool logText = where.ends_with(".log") || !where.starts_with("/");
        if (logText) {
            EXPECT_EQ(StraySessionLines(text, sessions), std::vector<std::string>{});
            for (const std::string& session : sessions) sessionLogged |= text.find(session) != std::string::npos;
        } else {
            for (const std::string& session : sessions) {
                EXPECT_EQ(text.find(session), std::string::npos) << "a session id in " << where;
            }
        }
    }
    EXPECT_TRUE(sessionLogged) << "the login's own line names the session, so the line check was exercised";
}

}  // namespace
}  // namespace sealwing
