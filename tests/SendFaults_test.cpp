// A message leaves Drafts only once the service has taken it with a 200: every way the service can fail the upload
// (the fault matrix's table, tests/FaultMatrix.h) brings the draft back through the send queue, and a 200 takes it
// out, even one whose reply cannot be read.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "compose/RouterWindow.h"
#include "compose/Shipper.h"
#include "dialogs/LoginDialogTemplate.h"
#include "localservice/SeedFile.h"
#include "platform/Text.h"
#include "platform/posix/TempFolder.h"
#include "settings/PasswordCache.h"
#include "sim/SimFolder.h"
#include "sim/SimMailItem.h"
#include "sim/SimRecipients.h"
#include "tests/FaultMatrix.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

using namespace std::chrono_literals;
using testing::Failure;

// Long enough never to matter on a loaded machine; no test waits for it to run out.
constexpr auto kSafety = 60s;

bool InDrafts(testing::OutlookWorld& world, const std::wstring& subject) {
    for (const auto& item : world.Outlook().Folder(outlook::olFolderDrafts)->Items()) {
        if (item->Subject() == subject) return true;
    }
    return false;
}

TEST(SendFaultsTest, EveryFailureOfTheUploadKeepsTheDraftAndOnlyA200TakesItOut) {
    testing::OutlookWorld world(14);
    diagnostics::OpenThreadLog(L"Main");
    world.Service().State().AddAccount({.email = "ann@example.com", .password = "pw"});
    const platform::TempFolder temp;
    localservice::LocalService stopped;
    ASSERT_EQ(stopped.Start(temp.Narrow() + "/stopped"), "");
    const int refusingPort = stopped.Port();
    stopped.Stop();

    std::wstring notice;
    compose::RouterWindow router(world.Outlook().Application(),
                                 [&notice](platform::WindowHandle, const std::wstring& text) { notice = text; });
    compose::Shipper shipper([&router](compose::SendCompletion& completion) { router.Complete(completion); });
    const service::ScopedRequestLimits limits(testing::kShortLimits);

    for (const testing::FailureCase& failure : testing::kServiceFailures) {
        SCOPED_TRACE(failure.name);
        settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"pw");  // a 401 forgets it
        world.Service().Faults().ClearAll();
        std::unique_ptr<service::ScopedServiceEndpoint> refusing;
        if (failure.failure == Failure::Refused) {
            refusing = std::make_unique<service::ScopedServiceEndpoint>(
                service::ServiceEndpoint{.host = "localhost", .port = refusingPort});
        } else {
            ASSERT_EQ(localservice::LoadSeed(std::string("fault endpoint=send ") + failure.fault + "\n", {},
                                             world.Service().State(), world.Service().Faults()),
                      "");
        }
        if (failure.failure == Failure::Status401) {  // the password is asked for again; the user gives up
            world.Outlook().User().AtDialog(dialogs::kLoginDialogId,
                                            [](sim::DialogScreen& screen) { screen.Press(platform::kDialogCancel); });
        }
        const std::wstring subject = platform::WideFromUtf8(failure.name);
        auto draft = world.Outlook().CreateMailItem();
        draft->SetSubject(subject);
        draft->Recipients()->Add(L"bob@example.com");
        draft->Save();
        service::OutgoingMessage message;
        message.item = draft;
        message.email = L"ann@example.com";
        message.recipients = L"bob@example.com";
        message.subject = subject;
        message.body = L"Hello";
        notice.clear();

        ASSERT_TRUE(shipper.Enqueue(std::move(message)));
        ASSERT_TRUE(world.Outlook().Loop().WaitForWork(kSafety)) << "no completion came";
        world.Outlook().Loop().RunPending();
        ASSERT_TRUE(shipper.WaitUntilIdle(kSafety));

        const bool taken = failure.failure == Failure::MalformedXml;  // the one 200 of the table
        EXPECT_EQ(InDrafts(world, subject), !taken);
        EXPECT_EQ(notice.empty(), taken || failure.failure == Failure::Status401) << platform::Utf8FromWide(notice);
    }
}

}  // namespace
}  // namespace sealwing
