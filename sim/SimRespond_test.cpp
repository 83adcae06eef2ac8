#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "sim/SimAttachment.h"
#include "sim/SimAttachments.h"
#include "sim/SimInspector.h"
#include "sim/SimOutlook.h"
#include "sim/SimRecipient.h"
#include "sim/SimRecipients.h"
#include "sim/SimTestSupport.h"

namespace sealwing::sim {
namespace {

using outlook::Ref;
using testing::InspectorsRecorder;
using testing::WindowRecorder;

// An add-in's item sink: records each response it is told of, may cancel it, and watches the response's window as
// the add-in does (through MailItem.GetInspector before the window exists).
struct ResponseSink : outlook::ItemEvents {
    bool cancelIt = false;
    std::vector<std::wstring> events;
    std::vector<bool> cancelSeen;
    Ref<outlook::MailItem> response;
    Ref<outlook::Inspector> inspector;  // kept, as Outlook keeps an inspector only while it is displayed
    WindowRecorder window;

    void Record(const wchar_t* name, const Ref<outlook::Object>& item, bool& cancel) {
        events.emplace_back(name);
        cancelSeen.push_back(cancel);
        response = std::dynamic_pointer_cast<outlook::MailItem>(item);
        if (response) {
            inspector = response->GetInspector();
            inspector->Events().Advise(window);
        }
        if (cancelIt) cancel = true;
    }
    void Reply(const Ref<outlook::Object>& item, bool& cancel) override { Record(L"Reply", item, cancel); }
    void ReplyAll(const Ref<outlook::Object>& item, bool& cancel) override { Record(L"ReplyAll", item, cancel); }
    void Forward(const Ref<outlook::Object>& item, bool& cancel) override { Record(L"Forward", item, cancel); }
};

class SimRespondTest : public ::testing::Test {
protected:
    SimRespondTest() {
        original_ = sim_.AddReceivedMail({.subject = L"Contract draft",
                                          .body = L"Please sign.",
                                          .htmlBody = L"<p>Please <b>sign</b>.</p>",
                                          .senderName = L"Carol",
                                          .senderAddress = L"carol@example.com",
                                          .to = {L"Ann@Example.com", L"bob@example.com"},
                                          .cc = {L"dave@example.com", L"ann@example.com"},
                                          .attachments = {{L"contract.pdf", "PDF"}, {L"fees.xlsx", "XLS"}}});
        original_->Events().Advise(sink_);
        sim_.Application()->Inspectors()->Events().Advise(opened_);
    }
    static SimOptions Options() {
        SimOptions options;
        options.userAddress = L"ann@example.com";
        return options;
    }
    static std::vector<std::pair<std::wstring, outlook::RecipientType>> Recipients(const Ref<SimMailItem>& item) {
        std::vector<std::pair<std::wstring, outlook::RecipientType>> listed;
        for (const auto& recipient : item->RecipientList()->List())
            listed.emplace_back(recipient->Address(), recipient->Kind());
        return listed;
    }

    platform::ManualClock clock_;
    SimOutlook sim_{Options(), clock_};
    Ref<SimMailItem> original_;
    ResponseSink sink_;
    InspectorsRecorder opened_;
};

TEST_F(SimRespondTest, EachKindAddressesQuotesAndShowsItsResponse) {
    using Expected = std::vector<std::pair<std::wstring, outlook::RecipientType>>;
    const struct {
        ResponseKind kind;
        const wchar_t* event;
        const wchar_t* subject;
        Expected recipients;
        std::size_t attachments;
    } cases[] = {
        {ResponseKind::Reply, L"Reply", L"RE: Contract draft", {{L"carol@example.com", outlook::olTo}}, 0},
        {ResponseKind::ReplyAll,
         L"ReplyAll",
         L"RE: Contract draft",
         {{L"carol@example.com", outlook::olTo},
          {L"bob@example.com", outlook::olTo},
          {L"dave@example.com", outlook::olCC}},
         0},
        {ResponseKind::Forward, L"Forward", L"FW: Contract draft", {}, 2},
    };
    for (const auto& c : cases) {
        sink_.events.clear();
        opened_.opened.clear();
        sink_.window.events.clear();

        const auto response = sim_.Respond(original_, c.kind);

        ASSERT_NE(response, nullptr) << c.subject;
        EXPECT_EQ(sink_.events, std::vector<std::wstring>{c.event});
        EXPECT_EQ(sink_.response, response) << "the sink is handed the response Outlook shows";
        EXPECT_EQ(response->Subject(), c.subject);
        EXPECT_EQ(Recipients(response), c.recipients) << c.event;
        EXPECT_EQ(response->HTMLBody(), L"<p>-----Original Message-----</p><p>Please <b>sign</b>.</p>");
        EXPECT_FALSE(response->IsSaved()) << "an unsaved draft";
        EXPECT_FALSE(response->Sent());
        ASSERT_EQ(response->AttachmentList()->Size(), c.attachments);
        if (c.kind == ResponseKind::Forward) {
            EXPECT_EQ(response->AttachmentList()->List()[0]->FileName(), L"contract.pdf");
            EXPECT_EQ(response->AttachmentList()->List()[1]->Bytes(), "XLS");
        }
        ASSERT_EQ(opened_.opened.size(), 1U);
        EXPECT_EQ(opened_.opened[0], response->CurrentInspector());
        EXPECT_EQ(opened_.opened[0], sink_.inspector) << "the window is the inspector the sink was given";
        EXPECT_TRUE(response->CurrentInspector()->IsDisplayed());
        EXPECT_EQ(sink_.window.events, std::vector<std::wstring>{L"Activate"});
        EXPECT_EQ(sim_.Application()->ActiveInspector(), response->CurrentInspector());
        sim_.CloseInspector(response->CurrentInspector());
    }
}

TEST_F(SimRespondTest, ACancellingSinkStopsTheResponseAndLaterSinksSeeTheFlagSet) {
    ResponseSink later;
    sink_.cancelIt = true;
    original_->Events().Advise(later);

    EXPECT_EQ(sim_.Respond(original_, ResponseKind::Forward), nullptr);

    EXPECT_EQ(sink_.cancelSeen, std::vector<bool>{false});
    EXPECT_EQ(later.cancelSeen, std::vector<bool>{true});
    EXPECT_TRUE(opened_.opened.empty());
    EXPECT_EQ(sim_.Application()->Inspectors()->Count(), 0);
    EXPECT_TRUE(sink_.window.events.empty());
}

TEST_F(SimRespondTest, APlainOriginalIsQuotedAsEscapedText) {
    const auto plain =
        sim_.AddReceivedMail({.subject = L"Hi", .body = L"a < b & c", .senderAddress = L"carol@example.com"});

    const auto response = sim_.Respond(plain, ResponseKind::Reply);

    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->HTMLBody(), L"<p>-----Original Message-----</p><p>a &lt; b &amp; c</p>");
    EXPECT_EQ(response->Body(), L"\r\n-----Original Message-----\r\na < b & c");
}

}  // namespace
}  // namespace sealwing::sim
