#include "addin/VersionCheck.h"

#include <gtest/gtest.h>

#include "addin/SealwingAddin.h"
#include "dialogs/NewVersionDialogTemplate.h"
#include "localservice/Faults.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

using localservice::Drop;
using localservice::Endpoint;
using localservice::Fault;
using testing::Occurrences;
using testing::OutlookWorld;
using namespace std::chrono_literals;

constexpr const char* kCheckFailedText =
    "Parcelon for Microsoft Outlook was not able to check if a new version is available";

TEST(VersionCheckTest, OnlyAHigherMajorOrTheSameMajorWithAHigherMinorIsNewer) {
    struct Case {
        int major;
        int minor;
        bool newer;
    };
    for (const Case c :
         {Case{1, 39, true}, Case{2, 0, true}, Case{1, 38, false}, Case{1, 10, false}, Case{0, 99, false}}) {
        EXPECT_EQ(IsNewerThanThisAddin({.major = c.major, .minor = c.minor}), c.newer) << c.major << "." << c.minor;
    }
}

// The check asks nothing of Outlook but the owner of its warning, alike in every version: it runs on Outlook 2010.
class StartupVersionCheckTest : public ::testing::Test {
protected:
    static constexpr int kOutlookVersion = 14;

    StartupVersionCheckTest() : world_(kOutlookVersion) {}

    // Starts the add-in as Outlook does, lets the version check's outcome arrive on the UI thread, and returns the
    // message boxes shown.
    std::vector<sim::ShownMessageBox> Start() {
        EXPECT_EQ(addin_.OnConnection(world_.Outlook().Application(), outlook::ext_cm_Startup), 0);
        ServeOutcome(world_, addin_);
        return world_.Outlook().User().Shown();
    }

    // The check's thread always posts its outcome, also when there is nothing to show; its log ends with it.
    static void ServeOutcome(OutlookWorld& world, CSealwingAddin& addin) {
        ASSERT_TRUE(world.Outlook().Loop().WaitForWork(30s)) << "the version check posted no outcome";
        world.Outlook().Loop().RunPending();
        addin.OnDisconnection(outlook::ext_dm_HostShutdown);  // joins the check's thread, which has ended
    }

    OutlookWorld world_;
    CSealwingAddin addin_;
};

TEST_F(StartupVersionCheckTest, TheServersVersionIsAskedForAnonymouslyAndANewerOneIsAnnouncedOverTheMainWindow) {
    world_.Service().State().SetVersion(
        {.major = 1, .minor = 39, .infoUrl = "https://localhost/new", .binaryUrl = "https://localhost/setup.msi"});
    const auto inbox = world_.Outlook().OpenExplorer();

    EXPECT_TRUE(Start().empty()) << "no message box";

    const auto requests = world_.Service().Requests().All();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].target, "/downloads/outlook-add-in/version.xml");
    EXPECT_FALSE(requests[0].Header("Authorization"));
    const std::string check = world_.LogFile("VersionCheck");
    EXPECT_NE(check.find("===VersionCheck log\n"), std::string::npos) << check;
    EXPECT_NE(check.find("Version check in VersionCheck.cpp"), std::string::npos) << check;
    EXPECT_NE(check.find("[NETWORK] Version check\n"), std::string::npos) << check;
    EXPECT_NE(check.find("Version on server is 1.39\n"), std::string::npos) << check;
    EXPECT_EQ(check.substr(0, 7), "CLOSED\n");
    EXPECT_EQ(world_.LogFile("Main").find("[NETWORK]"), std::string::npos) << "the UI thread made no request";

    const std::vector<sim::ShownDialog>& notices = world_.Outlook().User().Dialogs();
    ASSERT_EQ(notices.size(), 1U);
    EXPECT_EQ(notices[0].templateId, dialogs::kNewVersionDialogId);
    EXPECT_EQ(notices[0].owner, inbox->Window());
    const std::wstring text = notices[0].opened.at(dialogs::kNewVersionTextId).text;
    EXPECT_NE(text.find(L"<a href=\"https://localhost/new\">https://localhost/new</a>"), std::wstring::npos);
    EXPECT_NE(text.find(L"<a href=\"https://localhost/setup.msi\">https://localhost/setup.msi</a>"),
              std::wstring::npos);
}

TEST_F(StartupVersionCheckTest, TheSameOrAnOlderVersionShowsNothing) {
    world_.Service().State().SetVersion({.major = 1, .minor = 10});
    EXPECT_TRUE(Start().empty());
    EXPECT_NE(world_.LogFile("VersionCheck").find("Version on server is 1.10\n"), std::string::npos);
    EXPECT_TRUE(world_.Outlook().User().Dialogs().empty());
}

TEST_F(StartupVersionCheckTest, AMissingVersionFileIsTheOneFailureTheUserIsWarnedOf) {
    const auto inbox = world_.Outlook().OpenExplorer();
    world_.Service().Faults().Set(Endpoint::Version, Fault{.status = 404});

    const std::vector<sim::ShownMessageBox> shown = Start();

    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].request.text, platform::WideFromUtf8(kCheckFailedText));
    EXPECT_EQ(shown[0].request.caption, L"Security warning");
    EXPECT_EQ(shown[0].request.icon, platform::MessageBoxIcon::Warning);
    EXPECT_EQ(shown[0].request.owner, inbox->Window());
}

TEST_F(StartupVersionCheckTest, WithoutAMainWindowTheWarningHasNoOwner) {
    world_.Outlook().OpenInspector(world_.Outlook().CreateMailItem());
    world_.Service().Faults().Set(Endpoint::Version, Fault{.status = 404});
    const std::vector<sim::ShownMessageBox> shown = Start();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].request.owner, platform::kNoWindow);
}

TEST_F(StartupVersionCheckTest, OtherFailuresAreSilent) {
    const std::vector<Fault> faults = {Fault{.status = 500}, Fault{.drop = Drop::BeforeReply},
                                       Fault{.body = "<outlook_add_in><version>9."}};
    for (const Fault& fault : faults) {
        OutlookWorld world(kOutlookVersion);
        world.Service().Faults().Set(Endpoint::Version, fault);
        CSealwingAddin addin;
        ASSERT_EQ(addin.OnConnection(world.Outlook().Application(), outlook::ext_cm_Startup), 0);
        ServeOutcome(world, addin);
        EXPECT_TRUE(world.Outlook().User().Shown().empty());
        EXPECT_EQ(Occurrences(world.LogFile("VersionCheck"), "[NETWORK] Version check\n"), 1U);
    }
}

// Outlook's start never waits on the network: with the reply held, the add-in is connected and serves its windows;
// the warning follows on the UI thread once the reply arrives, owned by the main window of that moment.
TEST_F(StartupVersionCheckTest, StartUpReturnsBeforeTheServiceAnswers) {
    world_.Service().Faults().Set(Endpoint::Version, Fault{.status = 404});
    const std::shared_ptr<localservice::Gate> reply = world_.Service().Faults().Hold(Endpoint::Version);

    ASSERT_EQ(addin_.OnConnection(world_.Outlook().Application(), outlook::ext_cm_Startup), 0);
    EXPECT_TRUE(addin_.IsConnected());
    EXPECT_TRUE(addin_.IsCheckingVersion());
    const auto inbox = world_.Outlook().OpenExplorer();
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 1U) << "the main window that opened meanwhile was wrapped";
    ASSERT_TRUE(world_.Service().Requests().WaitForCount(1, 30s));
    world_.Outlook().Loop().RunPending();
    EXPECT_TRUE(world_.Outlook().User().Shown().empty());
    EXPECT_FALSE(reply->Released());

    reply->Release();
    const std::vector<sim::ShownMessageBox> shown = (ServeOutcome(world_, addin_), world_.Outlook().User().Shown());
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].request.caption, L"Security warning");
    EXPECT_EQ(shown[0].request.owner, inbox->Window());
}

// Disconnection, or Outlook's Quit, while the reply is held ends the check at once: its thread is gone, nothing is
// shown afterwards, and the add-in can disconnect without waiting for the service.
TEST_F(StartupVersionCheckTest, DisconnectionOrQuitWhileTheReplyIsHeldEndsTheCheck) {
    for (const bool quit : {false, true}) {
        OutlookWorld world(kOutlookVersion);
        world.Service().Faults().Set(Endpoint::Version, Fault{.status = 404});
        const std::shared_ptr<localservice::Gate> reply = world.Service().Faults().Hold(Endpoint::Version);
        CSealwingAddin addin;
        ASSERT_EQ(addin.OnConnection(world.Outlook().Application(), outlook::ext_cm_Startup), 0);
        ASSERT_TRUE(world.Service().Requests().WaitForCount(1, 30s));

        if (quit) {
            world.Outlook().Quit();
            EXPECT_FALSE(addin.IsCheckingVersion()) << "Quit alone ends it";
        }
        addin.OnDisconnection(outlook::ext_dm_HostShutdown);
        EXPECT_FALSE(addin.IsCheckingVersion()) << "quit " << quit;
        EXPECT_FALSE(reply->Released()) << "ended before the service answered";
        reply->Release();
        world.Outlook().Loop().RunPending();
        EXPECT_TRUE(world.Outlook().User().Shown().empty()) << "quit " << quit;
        EXPECT_EQ(world.LogFile("VersionCheck").substr(0, 7), "CLOSED\n") << "quit " << quit;
    }
}

}  // namespace
}  // namespace sealwing
