#include "reading/AttachmentDownload.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/SafeFileName.h"
#include "reading/DownloadAttachmentsDialog.h"
#include "reading/DownloadAttachmentsDialogTemplate.h"
#include "service/ServiceOperations.h"
#include "settings/PasswordCache.h"
#include "sim/SimAttachment.h"
#include "tests/OutlookWorld.h"

namespace sealwing::reading {
namespace {

using localservice::Endpoint;
using localservice::Fault;
using platform::DialogResult;
using namespace std::chrono_literals;

constexpr const wchar_t* kAnn = L"ann@example.com";
constexpr const wchar_t* kCaption = L"Parcelon for Microsoft Outlook";
constexpr const wchar_t* kCancelQuestion = L"Do you really would like to terminate downloading of attachments?";

struct Served {
    std::string id;
    std::string name;
    std::string content;
};

// What the forward carries: display name, file name and bytes of each attachment, in order.
struct Attached {
    std::wstring displayName;
    std::wstring fileName;
    std::string bytes;
    friend bool operator==(const Attached&, const Attached&) = default;
};

std::ostream& operator<<(std::ostream& out, const Attached& attached) {
    return out << platform::Utf8FromWide(attached.displayName) << " / " << platform::Utf8FromWide(attached.fileName)
               << " (" << attached.bytes.size() << " bytes)";
}

class AttachmentDownloadTest : public ::testing::Test {
protected:
    AttachmentDownloadTest() {
        world_.Service().State().AddAccount({.email = "ann@example.com", .password = "pw"});
        settings::PasswordCache::Instance().SetPassword(kAnn, L"pw");
        diagnostics::OpenThreadLog(L"Main");
        owner_ = world_.Outlook().Windows().Create(platform::kNoWindow, L"rctrl_renwnd32", L"Inbox",
                                                   platform::Rect{0, 0, 800, 600});
    }

    // Stores the message at the service and reads it back as the forward code gets it, names as the service sends
    // them.
    service::SecureMessage Message(const std::vector<Served>& attachments) {
        localservice::StoredMessage stored;
        stored.id = "m1";
        stored.senderEmail = "bob@example.com";
        stored.to = {"ann@example.com"};
        for (const Served& served : attachments) {
            stored.attachments.push_back({.id = served.id, .name = served.name, .content = served.content});
        }
        world_.Service().State().StoreMessage(stored);
        service::SecureMessage message;
        std::vector<std::wstring> explanations;
        EXPECT_EQ(service::DownloadMessage(L"m1", kAnn, message, explanations), service::ServiceResult::Success);
        world_.Service().Requests().Clear();
        return message;
    }

    void Download(const service::SecureMessage& message, bool withDialog) {
        DownloadAttachments(L"m1", kAnn, message, forward_, owner_, withDialog);
    }

    std::vector<Attached> AttachedToForward() {
        std::vector<Attached> attached;
        const auto attachments = forward_->Attachments();
        for (int index = 1; index <= attachments->Count(); ++index) {
            const auto attachment = std::dynamic_pointer_cast<sim::SimAttachment>(attachments->Item(index));
            attached.push_back({attachment->DisplayName(), attachment->FileName(), attachment->Bytes()});
        }
        return attached;
    }

    // Everything under the local application-data folder but the activity logs: what a download left behind.
    std::vector<std::string> LeftBehind() {
        std::vector<std::string> left;
        const std::filesystem::path local =
            platform::Utf8FromWide(platform::Files().KnownFolderPath(platform::KnownFolder::LocalAppData));
        for (const auto& entry : std::filesystem::recursive_directory_iterator(local)) {
            const std::string path = entry.path().lexically_relative(local).string();
            if (path != "Parcelon" && entry.path().extension() != ".log") left.push_back(path);
        }
        return left;
    }

    std::size_t AttachmentRequests() {
        std::size_t count = 0;
        for (const auto& request : world_.Service().Requests().All()) {
            count += request.target.rfind("/rest/attachment/", 0) == 0 ? 1 : 0;
        }
        return count;
    }

    sim::ScriptedUser& User() { return world_.Outlook().User(); }

    testing::OutlookWorld world_{14};
    outlook::Ref<outlook::MailItem> forward_ = world_.Outlook().CreateMailItem();
    platform::WindowHandle owner_ = platform::kNoWindow;
};

const std::vector<Served> kTwo = {{"a1", "report.pdf", std::string(70000, 'r')}, {"a2", "notes.txt", "notes"}};

TEST_F(AttachmentDownloadTest, WithoutADialogTheForwardGetsEveryAttachmentInOrderAndNoFileStays) {
    Download(Message(kTwo), false);
    EXPECT_EQ(AttachedToForward(), (std::vector<Attached>{{L"report.pdf", L"report.pdf", kTwo[0].content},
                                                          {L"notes.txt", L"notes.txt", "notes"}}));
    EXPECT_TRUE(User().Shown().empty());
    EXPECT_TRUE(User().Dialogs().empty());
    EXPECT_EQ(LeftBehind(), std::vector<std::string>{});
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("Preparing attachments downloading"), std::string::npos) << log;
    EXPECT_NE(log.find("[NETWORK] Downloading attachment. User - ann@example.com, id - m1, attachment - a2\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Error 0, response 200\n. 70000 bytes downloaded\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("separate thread"), std::string::npos) << log;
}

// The bar runs from 0 to the listed total and reaches it exactly with the last byte, however the reply is cut up;
// the worker keeps its own log.
TEST_F(AttachmentDownloadTest, TheDialogFollowsEveryByteToTheTotalOnTheWorkerThread) {
    world_.Service().Faults().Set(Endpoint::Attachment, Fault{.chunkSize = 4096});
    const service::SecureMessage message = Message(kTwo);
    std::vector<std::uint32_t> positions;
    sim::ControlState opened;
    User().AtDialog(kDownloadAttachmentsDialogId, [&](sim::DialogScreen& screen) {
        opened = screen.Control(kDownloadProgressId);
        screen.RunUntilEnded();
        positions.push_back(screen.Control(kDownloadProgressId).progress);
    });
    Download(message, true);

    ASSERT_EQ(User().Dialogs().size(), 1U);
    const sim::ShownDialog& shown = User().Dialogs()[0];
    EXPECT_EQ(shown.caption, kCaption);
    EXPECT_EQ(shown.owner, owner_);
    EXPECT_EQ(shown.result, platform::kDialogOk);
    EXPECT_EQ(opened.progressMaximum, 70005U);
    EXPECT_EQ(opened.progress, 0U);
    EXPECT_EQ(positions, std::vector<std::uint32_t>{70005U});
    EXPECT_EQ(AttachedToForward().size(), 2U);
    EXPECT_EQ(LeftBehind(), std::vector<std::string>{});
    EXPECT_NE(world_.LogFile("Main").find("Attachments will be downloaded in separate thread\n"), std::string::npos);
    const std::string workerLog = world_.LogFile("Attachments");
    EXPECT_NE(workerLog.find("Attachments thread started"), std::string::npos) << workerLog;
    EXPECT_NE(workerLog.find("[NETWORK] Downloading attachment. User - ann@example.com, id - m1, attachment - a1\n"),
              std::string::npos)
        << workerLog;
}

struct CancelCase {
    const char* what;
    bool viaCloseBox;
    DialogResult answer;
    std::size_t attached;
};

// Cancel, Escape and the close box ask first: No lets the download go on to the end, Yes stops it at its next read
// and nothing is attached, with no further message.
TEST_F(AttachmentDownloadTest, CancelAsksFirstAndOnlyYesStopsTheDownload) {
    const CancelCase cases[] = {
        {"Cancel, then No", false, DialogResult::No, 2},
        {"close box, then No", true, DialogResult::No, 2},
        {"Cancel, then Yes", false, DialogResult::Yes, 0},
        {"close box, then Yes", true, DialogResult::Yes, 0},
    };
    const service::SecureMessage message = Message(kTwo);
    for (const CancelCase& c : cases) {
        SCOPED_TRACE(c.what);
        forward_ = world_.Outlook().CreateMailItem();
        const std::size_t boxesBefore = User().Shown().size();
        const std::shared_ptr<localservice::Gate> gate = world_.Service().Faults().Hold(Endpoint::Attachment);
        User().Answer(c.answer);
        User().AtDialog(kDownloadAttachmentsDialogId, [&](sim::DialogScreen& screen) {
            // The first attachment's request is in flight and held when the user asks to stop.
            ASSERT_TRUE(world_.Service().Requests().WaitForCount(1, 30s));
            if (c.viaCloseBox) {
                screen.Close();
            } else {
                screen.Press(platform::kDialogCancel);
            }
            EXPECT_FALSE(screen.Ended()) << "the dialog stays until the worker reports";
            gate->Release();
            screen.RunUntilEnded();
        });
        Download(message, true);
        world_.Service().Faults().Clear(Endpoint::Attachment);
        world_.Service().Requests().Clear();

        ASSERT_EQ(User().Shown().size(), boxesBefore + 1) << "the question and nothing more";
        const sim::ShownMessageBox& question = User().Shown().back();
        EXPECT_EQ(question.request.text, kCancelQuestion);
        EXPECT_EQ(question.request.caption, kCaption);
        EXPECT_EQ(question.request.icon, platform::MessageBoxIcon::Question);
        EXPECT_EQ(question.request.buttons, platform::MessageBoxButtons::YesNo);
        EXPECT_NE(question.request.owner, platform::kNoWindow) << "the dialog owns it";
        EXPECT_NE(question.request.owner, owner_);
        EXPECT_EQ(AttachedToForward().size(), c.attached);
        EXPECT_EQ(LeftBehind(), std::vector<std::string>{});
    }
}

struct FailureCase {
    const char* what;
    Fault fault;
    std::wstring text;
};

// The first failure ends the download: the attachment fetched before it is not attached and its file is gone, and
// the user reads why, in a warning that holds every window of the thread.
TEST_F(AttachmentDownloadTest, ASecondAttachmentThatFailsAttachesNeitherAndLeavesNoFile) {
    const FailureCase cases[] = {
        {"explained", Fault{.explanations = {"Storage offline", "Try later"}, .after = 1},
         L"Unable to download attachments.\nStorage offline\nTry later"},
        {"unexplained", Fault{.status = 500, .body = "", .after = 1},
         L"Unable to download attachments.\nIf the problem persists please contact support"},
        {"broken off", Fault{.drop = localservice::Drop::DuringBody, .after = 1},
         L"Unable to download attachments.\nIf the problem persists please contact support"},
    };
    const service::SecureMessage message = Message(kTwo);
    for (const bool withDialog : {false, true}) {
        for (const FailureCase& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (withDialog ? " with the dialog" : " without"));
            forward_ = world_.Outlook().CreateMailItem();
            world_.Service().Faults().Set(Endpoint::Attachment, c.fault);
            if (withDialog) {
                User().AtDialog(kDownloadAttachmentsDialogId,
                                [](sim::DialogScreen& screen) { screen.RunUntilEnded(); });
            }
            Download(message, withDialog);
            world_.Service().Faults().Clear(Endpoint::Attachment);

            EXPECT_EQ(AttachedToForward(), std::vector<Attached>{});
            EXPECT_EQ(LeftBehind(), std::vector<std::string>{});
            ASSERT_FALSE(User().Shown().empty());
            const platform::MessageBoxRequest& box = User().Shown().back().request;
            EXPECT_EQ(box.text, c.text);
            EXPECT_EQ(box.caption, kCaption);
            EXPECT_EQ(box.icon, platform::MessageBoxIcon::Warning);
            EXPECT_TRUE(box.taskModal);
            if (withDialog) {
                EXPECT_NE(box.owner, platform::kNoWindow) << "the dialog owns it";
                EXPECT_NE(box.owner, owner_);
            } else {
                EXPECT_EQ(box.owner, owner_);
            }
        }
    }
}

TEST_F(AttachmentDownloadTest, WithoutACachedPasswordNobodyIsAskedAndTheFailureHasNoList) {
    const service::SecureMessage message = Message(kTwo);
    settings::PasswordCache::Instance().ClearForTests();
    Download(message, false);
    EXPECT_EQ(AttachmentRequests(), 0U);
    EXPECT_EQ(AttachedToForward(), std::vector<Attached>{});
    EXPECT_EQ(LeftBehind(), std::vector<std::string>{});
    ASSERT_EQ(User().Shown().size(), 1U);
    EXPECT_EQ(User().Shown()[0].request.text,
              L"Unable to download attachments.\nIf the problem persists please contact support");
    EXPECT_EQ(world_.LogFile("Main").find("[NETWORK] Downloading attachment"), std::string::npos);
}

// Names from the service are no paths: each file stays inside the download's own folder under a safe name, two
// equal names keep both files, and the forward shows every attachment under its real name, its entity references
// turned back.
TEST_F(AttachmentDownloadTest, HostileAndRepeatedNamesStayContainedAndAreAttachedUnderTheirRealNames) {
    const std::vector<Served> served = {
        {"h1", "h1", "one"},         {"h2", "h2", "two"}, {"h3", "h3", "three"}, {"h4", "h4", "four"},
        {"h5", "A & B.pdf", "five"}, {"h6", "h6", "six"}, {"h7", "h7", "seven"},
    };
    service::SecureMessage message = Message(served);
    ASSERT_EQ(message.attachments[4].name, L"A &amp; B.pdf") << "as the reply reader leaves it";
    // The names as a reply may hand them over, and what the user is to see.
    const std::vector<std::pair<std::wstring, std::wstring>> names = {
        {L"..\\..\\x", L"..\\..\\x"},     {L"../../y", L"../../y"},   {L"C:x", L"C:x"},           {L"CON", L"CON"},
        {L"A &amp; B.pdf", L"A & B.pdf"}, {L"same.txt", L"same.txt"}, {L"same.txt", L"same.txt"},
    };
    std::vector<Attached> expected;
    for (std::size_t index = 0; index < names.size(); ++index) {
        message.attachments[index].name = names[index].first;
        const std::wstring& real = names[index].second;
        expected.push_back({real, platform::SafeFileName(real), served[index].content});
    }
    Download(message, false);

    EXPECT_EQ(AttachedToForward(), expected);
    EXPECT_EQ(expected[0].fileName, L"x");
    EXPECT_EQ(expected[2].fileName, L"x") << "a name met twice";
    EXPECT_EQ(expected[3].fileName, L"_CON");
    EXPECT_EQ(LeftBehind(), std::vector<std::string>{});
}

}  // namespace
}  // namespace sealwing::reading
