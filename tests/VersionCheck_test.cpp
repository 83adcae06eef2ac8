#include <gtest/gtest.h>

#include "addin/SealwingAddin.h"
#include "addin/VersionCheck.h"
#include "localservice/Faults.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

using localservice::Drop;
using localservice::Endpoint;
using localservice::Fault;
using testing::Occurrences;
using testing::OutlookWorld;

constexpr const char* kCheckFailedText =
    "Parcelon for Microsoft Outlook was not able to check if a new version is available";

TEST(VersionCheckTest, OnlyAHigherMajorOrTheSameMajorWithAHigherMinorIsNewer) {
    struct Case {
        int major;
        int minor;
        bool newer;
    };
    for (const Case c : {Case{1, 39, true}, Case{2, 0, true}, Case{1, 38, false}, Case{1, 10, false},
                         Case{0, 99, false}}) {
        EXPECT_EQ(IsNewerThanThisAddin({.major = c.major, .minor = c.minor}), c.newer) << c.major << "." << c.minor;
    }
}

class StartupVersionCheckTest : public ::testing::TestWithParam<int> {
protected:
    StartupVersionCheckTest() : world_(GetParam()) {}

    // Starts the add-in as Outlook does and returns the message boxes it showed.
    std::vector<sim::ShownMessageBox> Start() {
        EXPECT_EQ(addin_.OnConnection(world_.Outlook().Application(), outlook::ext_cm_Startup), 0);
        return world_.Outlook().User().Shown();
    }

    OutlookWorld world_;
    CSealwingAddin addin_;
};

TEST_P(StartupVersionCheckTest, TheServersVersionIsAskedForAnonymouslyAndANewerOneIsRecorded) {
    world_.Service().State().SetVersion({.major = 1, .minor = 39, .infoUrl = "https://localhost/new"});
    world_.Outlook().OpenExplorer();

    EXPECT_TRUE(Start().empty());

    const auto requests = world_.Service().Requests().All();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].target, "/downloads/outlook-add-in/version.xml");
    EXPECT_FALSE(requests[0].Header("Authorization"));
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("[NETWORK] Version check\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Version on server is 1.39\n"), std::string::npos) << log;
    EXPECT_NE(log.find("A newer version 1.39 is available at https://localhost/new\n"), std::string::npos) << log;
}

TEST_P(StartupVersionCheckTest, TheSameOrAnOlderVersionRecordsNothingMore) {
    world_.Service().State().SetVersion({.major = 1, .minor = 10});
    EXPECT_TRUE(Start().empty());
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("Version on server is 1.10\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("A newer version"), std::string::npos) << log;
}

TEST_P(StartupVersionCheckTest, AMissingVersionFileIsTheOneFailureTheUserIsWarnedOf) {
    const auto inbox = world_.Outlook().OpenExplorer();
    world_.Service().Faults().Set(Endpoint::Version, Fault{.status = 404});

    const std::vector<sim::ShownMessageBox> shown = Start();

    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].request.text, platform::WideFromUtf8(kCheckFailedText));
    EXPECT_EQ(shown[0].request.caption, L"Security warning");
    EXPECT_EQ(shown[0].request.icon, platform::MessageBoxIcon::Warning);
    EXPECT_EQ(shown[0].request.owner, inbox->Window());
    // The steps after the check still ran.
    EXPECT_NE(addin_.ApplicationSink().Cookie(), outlook::kNotConnected);
}

TEST_P(StartupVersionCheckTest, WithoutAMainWindowTheWarningHasNoOwner) {
    world_.Outlook().OpenInspector(world_.Outlook().CreateMailItem());
    world_.Service().Faults().Set(Endpoint::Version, Fault{.status = 404});
    const std::vector<sim::ShownMessageBox> shown = Start();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].request.owner, platform::kNoWindow);
}

TEST_P(StartupVersionCheckTest, OtherFailuresAreSilent) {
    const std::vector<Fault> faults = {Fault{.status = 500}, Fault{.drop = Drop::BeforeReply},
                                       Fault{.body = "<outlook_add_in><version>9."}};
    for (const Fault& fault : faults) {
        OutlookWorld world(GetParam());
        world.Service().Faults().Set(Endpoint::Version, fault);
        CSealwingAddin addin;
        ASSERT_EQ(addin.OnConnection(world.Outlook().Application(), outlook::ext_cm_Startup), 0);
        EXPECT_TRUE(world.Outlook().User().Shown().empty());
        EXPECT_TRUE(addin.IsConnected());
        EXPECT_EQ(Occurrences(world.LogFile("Main"), "[NETWORK] Version check\n"), 1U);
    }
}

INSTANTIATE_TEST_SUITE_P(Outlook, StartupVersionCheckTest, ::testing::Values(11, 12, 14),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });

}  // namespace
}  // namespace sealwing
