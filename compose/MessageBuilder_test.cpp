#include "compose/MessageBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "compose/AttachmentReader.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "settings/PasswordCache.h"
#include "settings/SettingsStore.h"
#include "sim/SimAttachment.h"
#include "sim/SimAttachments.h"
#include "tests/OutlookWorld.h"

namespace sealwing::compose {
namespace {

constexpr const wchar_t* kSender = L"ann@example.com";

class MessageBuilderWorld {
public:
    explicit MessageBuilderWorld(int version, const std::string& accountType = "pro") : world_(version) {
        world_.Service().State().AddAccount({.email = "ann@example.com", .password = "pw", .type = accountType});
        settings::PasswordCache::Instance().SetPassword(kSender, L"pw");
        diagnostics::OpenThreadLog(L"Main");
    }

    outlook::Ref<sim::SimMailItem> Draft() {
        auto item = world_.Outlook().CreateMailItem();
        item->SetSubject(L"Q3 figures");
        item->SetBody(L"plain words");
        item->SetHTMLBody(L"<p>formatted words</p>");
        return item;
    }

    static void AddRecipient(const outlook::Ref<sim::SimMailItem>& item, const std::wstring& address,
                             outlook::RecipientType type) {
        const auto recipient = item->Recipients()->Add(address);
        recipient->SetType(type);
        ASSERT_TRUE(recipient->Resolve());
    }

    static std::filesystem::path LocalFolder() {
        return platform::Utf8FromWide(platform::Files().KnownFolderPath(platform::KnownFolder::LocalAppData));
    }
    static std::filesystem::path ScratchFolder() { return LocalFolder() / "Parcelon" / "Outgoing"; }

    // Every file under the local folder but the activity logs.
    static std::vector<std::string> FilesLeft() {
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(LocalFolder())) {
            const bool log =
                entry.path().parent_path() == LocalFolder() / "Parcelon" && entry.path().extension() == ".log";
            if (entry.is_regular_file() && !log) left.push_back(entry.path().string());
        }
        return left;
    }

    testing::OutlookWorld world_;
};

class MessageBuilderOnceTest : public ::testing::Test, protected MessageBuilderWorld {
protected:
    MessageBuilderOnceTest() : MessageBuilderWorld(14) {}
};

TEST_F(MessageBuilderOnceTest, TheSavedDraftBecomesTheRecordWithItsRecipientsByType) {
    settings::SettingsStore::Instance().SettingsFor(kSender).cc = 1;
    const auto item = Draft();
    AddRecipient(item, L"bob@example.com", outlook::olTo);
    AddRecipient(item, L"dave@example.com", outlook::olBCC);
    AddRecipient(item, L"carol@example.com", outlook::olTo);

    const service::OutgoingMessage message = Build(item, kSender);

    EXPECT_TRUE(item->IsSaved());
    EXPECT_FALSE(item->HasUnsavedChanges());
    EXPECT_EQ(message.item, item);
    EXPECT_EQ(message.subject, L"Q3 figures");
    EXPECT_EQ(message.email, kSender);
    EXPECT_EQ(message.recipients, L"bob@example.com;carol@example.com");
    EXPECT_EQ(message.recipients_cc, L"");
    EXPECT_EQ(message.recipients_bcc, L"dave@example.com");
    EXPECT_EQ(message.settings.cc, 1) << "the sender's settings are copied";
    EXPECT_FALSE(message.googleApps);
    EXPECT_TRUE(message.attachments.empty());
}

TEST_F(MessageBuilderOnceTest, AFailingSaveBuildsNothing) {
    world_.Outlook().FailMember(L"MailItem.Save", static_cast<outlook::HResult>(0x80004005), L"Cannot save.");
    EXPECT_THROW(Build(Draft(), kSender), outlook::ComError);
}

struct BodyCase {
    const char* accountType;
    bool passwordKnown;
    const wchar_t* plainBody;
    const wchar_t* expected;
};

class MessageBuilderBodyTest : public ::testing::TestWithParam<BodyCase>, protected MessageBuilderWorld {
protected:
    MessageBuilderBodyTest() : MessageBuilderWorld(14, GetParam().accountType) {}
};

// Without a password and without a prompt the login ends cancelled: the body is then the plain one.
TEST_P(MessageBuilderBodyTest, ProAccountsSendTheFormattedBodyAndEveryoneElseThePlainOne) {
    if (!GetParam().passwordKnown) settings::PasswordCache::Instance().Forget(kSender);
    const auto item = Draft();
    item->SetBody(GetParam().plainBody);
    EXPECT_EQ(Build(item, kSender).body, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Accounts, MessageBuilderBodyTest,
                         ::testing::Values(BodyCase{"pro", true, L"plain words", L"<p>formatted words</p>"},
                                           BodyCase{"free", true, L"plain words", L"plain words"},
                                           BodyCase{"pro", false, L"plain words", L"plain words"},
                                           BodyCase{"free", true, L"\u00A0", L""},
                                           BodyCase{"free", true, L"\u00A0\u00A0", L"\u00A0\u00A0"}));

class MessageBuilderAttachmentTest : public MessageBuilderOnceTest {
protected:
    outlook::Ref<sim::SimAttachment> Attach(const outlook::Ref<sim::SimMailItem>& item, std::wstring name,
                                            std::string bytes, outlook::AttachmentType kind) {
        return item->AttachmentList()->AddNew(std::move(name), std::move(bytes), kind);
    }

    static std::string Bytes(std::size_t size, char seed) {
        std::string bytes(size, '\0');
        for (std::size_t at = 0; at < size; ++at) bytes[at] = static_cast<char>(seed + at * 7);
        return bytes;
    }
};

TEST_F(MessageBuilderAttachmentTest, EachKindArrivesWholeAndTheScratchFolderIsLeftEmpty) {
    const auto item = Draft();
    const std::string file = Bytes(300'000, 'a');
    const std::string object = Bytes(5'000, 'o');
    const std::string attachedItem = Bytes(70'000, 'm');
    Attach(item, L"report.pdf", file, outlook::olByValue)->SetStreaming({.readLimit = 4'096});
    Attach(item, L"chart.bin", object, outlook::olOLE);
    const auto embedded = Attach(item, L"Meeting notes.msg", attachedItem, outlook::olEmbeddeditem);

    const service::OutgoingMessage message = Build(item, kSender);

    ASSERT_EQ(message.attachments.size(), 3u);
    EXPECT_EQ(message.attachments[0].fileName, L"report.pdf");
    EXPECT_TRUE(message.attachments[0].bytes == file) << "a stream that hands out 4 KiB a read is read whole";
    EXPECT_EQ(message.attachments[1].fileName, L"chart.bin");
    EXPECT_TRUE(message.attachments[1].bytes == object);
    EXPECT_EQ(message.attachments[2].fileName, L"Meeting notes.msg");
    EXPECT_TRUE(message.attachments[2].bytes == attachedItem);
    ASSERT_EQ(embedded->SavedTo().size(), 1u) << "only the attached item needs a file";
    EXPECT_EQ(std::filesystem::path(platform::Utf8FromWide(embedded->SavedTo()[0])),
              ScratchFolder() / "Meeting notes.msg");
    EXPECT_EQ(FilesLeft(), std::vector<std::string>{});
}

// A name from the item is no path: the copy stays in the scratch folder under a safe name, and the service still
// receives the attachment under its own name.
TEST_F(MessageBuilderAttachmentTest, HostileNamesStayInsideTheScratchFolderAndKeepTheirNameOnTheWire) {
    const std::vector<std::wstring> names = {L"..\\..\\escape.msg", L"../../escape.msg", L"C:x.msg", L"CON",
                                             L"Main.log"};
    const auto item = Draft();
    std::vector<outlook::Ref<sim::SimAttachment>> attached;
    for (const std::wstring& name : names) attached.push_back(Attach(item, name, "item", outlook::olEmbeddeditem));

    const service::OutgoingMessage message = Build(item, kSender);

    ASSERT_EQ(message.attachments.size(), names.size());
    for (std::size_t at = 0; at < names.size(); ++at) {
        EXPECT_EQ(message.attachments[at].fileName, names[at]);
        EXPECT_EQ(message.attachments[at].bytes, "item");
        ASSERT_EQ(attached[at]->SavedTo().size(), 1u);
        const std::filesystem::path saved = platform::Utf8FromWide(attached[at]->SavedTo()[0]);
        EXPECT_EQ(saved.parent_path(), ScratchFolder()) << saved;
        EXPECT_NE(saved.filename(), "CON");
    }
    EXPECT_EQ(FilesLeft(), std::vector<std::string>{});
    EXPECT_FALSE(world_.LogFile("Main").empty()) << "an attachment named like the running log leaves the log alone";
}

// What cannot be read whole is left out, with the reason in the log; the message goes with the rest.
TEST_F(MessageBuilderAttachmentTest, AnAttachmentThatCannotBeReadWholeIsLeftOutAndNoCopyStays) {
    const auto item = Draft();
    Attach(item, L"cut.pdf", Bytes(10'000, 'c'), outlook::olByValue)->SetStreaming({.endsAfter = 6'000});
    Attach(item, L"kept.txt", "kept", outlook::olByValue);
    Attach(item, L"unsaveable.msg", "item", outlook::olEmbeddeditem);
    world_.Outlook().FailMember(L"Attachment.SaveAsFile", static_cast<outlook::HResult>(0x80070005),
                                L"Cannot save the attachment.");

    const service::OutgoingMessage message = Build(item, kSender);

    ASSERT_EQ(message.attachments.size(), 1u);
    EXPECT_EQ(message.attachments[0].fileName, L"kept.txt");
    EXPECT_EQ(FilesLeft(), std::vector<std::string>{});
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("[ERROR] Attachment \"cut.pdf\" is left out: its data ended after 6000 of 10000 bytes\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("[ERROR] Attachment \"unsaveable.msg\" is left out: Outlook cannot save it to a file\n"),
              std::string::npos)
        << log;
}

TEST_F(MessageBuilderAttachmentTest, AFailingReadLeavesTheAttachmentOut) {
    const auto item = Draft();
    Attach(item, L"broken.pdf", Bytes(10'000, 'b'), outlook::olByValue);
    world_.Outlook().FailMember(L"Stream.Read", static_cast<outlook::HResult>(0x80030103), L"", 1);

    EXPECT_TRUE(Build(item, kSender).attachments.empty());
    EXPECT_NE(world_.LogFile("Main").find("\"broken.pdf\" is left out: reading its data failed with 80030103\n"),
              std::string::npos);
}

class MessageBuilderGoogleAppsTest : public ::testing::TestWithParam<int>, protected MessageBuilderWorld {
protected:
    MessageBuilderGoogleAppsTest() : MessageBuilderWorld(GetParam()) {}
};

// Outlook 2003 lists no accounts through its object model, so its senders are never Google Apps accounts.
TEST_P(MessageBuilderGoogleAppsTest, TheFlagFollowsTheSendersAccountFrom2007On) {
    world_.Outlook().AddAccount(
        {.type = outlook::olImap, .displayName = L"Google Apps - ann@example.com", .smtpAddress = kSender});
    world_.Outlook().AddAccount({.type = outlook::olPop3, .displayName = L"Google Apps old", .smtpAddress = L"x@y.z"});
    EXPECT_EQ(Build(Draft(), kSender).googleApps, GetParam() >= 12);
    EXPECT_FALSE(Build(Draft(), L"x@example.com").googleApps);
}

INSTANTIATE_TEST_SUITE_P(Outlook, MessageBuilderGoogleAppsTest, ::testing::Values(11, 12, 14));

}  // namespace
}  // namespace sealwing::compose
