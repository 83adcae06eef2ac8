#include "localservice/SeedFile.h"

#include <gtest/gtest.h>

namespace sealwing::localservice {
namespace {

TEST(SeedFile, LoadsEveryKindOfRecord) {
    ServiceState state;
    FaultTable faults;
    const char* seed =
        "# accounts\n"
        "account email=ann@example.com password=\"p w\\\"d\" type=pro max_recipients=5\r\n"
        "\n"
        "version major=2 minor=1 info_url=https://i/\n"
        "message id=m1 from=ann@example.com to=bob@example.com;cy@example.com subject=\"Hi there\"\n"
        "attachment message=m1 id=a1 name=a.txt content=\"x\\ny\"\n"
        "fault endpoint=send explain=\"Bad & worse|Second\" times=1\n";
    ASSERT_EQ(LoadSeed(seed, ".", state, faults), "");

    std::optional<Account> account = state.Authenticate("ann@example.com", "p w\"d");
    ASSERT_TRUE(account);
    EXPECT_EQ(account->type, "pro");
    EXPECT_EQ(account->maxRecipients, 5);
    EXPECT_EQ(account->maxMessagesPerDay, 10);
    EXPECT_EQ(state.Version().major, 2);
    EXPECT_EQ(state.Version().infoUrl, "https://i/");
    std::optional<StoredMessage> message = state.FindMessage("m1");
    ASSERT_TRUE(message);
    EXPECT_EQ(message->to, (std::vector<std::string>{"bob@example.com", "cy@example.com"}));
    EXPECT_EQ(message->subject, "Hi there");
    ASSERT_EQ(message->attachments.size(), 1u);
    EXPECT_EQ(message->attachments[0].content, "x\ny");
    Fault fault = faults.Take(Endpoint::Send);
    EXPECT_EQ(fault.explanations, (std::vector<std::string>{"Bad & worse", "Second"}));
    EXPECT_FALSE(faults.Take(Endpoint::Send).ReplacesAnswer()) << "times=1 applies once";
}

TEST(SeedFile, ErrorsNameTheLine) {
    struct Case {
        const char* seed;
        const char* error;
    };
    for (const Case& test : {Case{"account email=a@b\n", "line 1: password is missing"},
                             Case{"\naccount email=a@b password=x colour=red", "line 2: unknown field colour"},
                             Case{"fault endpoint=nowhere", "line 1: unknown endpoint nowhere"},
                             Case{"fault endpoint=send status=abc", "line 1: status is not a number: abc"},
                             Case{"attachment message=m9 name=a",
                                  "line 1: the message is not seeded (seed it on an "
                                  "earlier line)"},
                             Case{"mail id=1", "line 1: unknown record mail"},
                             Case{"account email=\"a@b", "line 1: unterminated quote in email"}}) {
        ServiceState state;
        FaultTable faults;
        EXPECT_EQ(LoadSeed(test.seed, ".", state, faults), test.error) << test.seed;
    }
}

}  // namespace
}  // namespace sealwing::localservice
