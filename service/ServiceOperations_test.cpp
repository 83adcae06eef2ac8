#include "service/ServiceOperations.h"

#include <gtest/gtest.h>

#include "tests/LocalServiceTest.h"

namespace sealwing::service {
namespace {

class ServiceOperationsTest : public testing::LocalServiceTest {
protected:
    ServiceOperationsTest() { diagnostics::OpenThreadLog(L"Main"); }
    static bool Logged(const std::string& line) {
        return diagnostics::CollectAllLogs().find(line) != std::string::npos;
    }
};

TEST_F(ServiceOperationsTest, AccountCheckOfAKnownAnUnknownAndAHostileAddress) {
    service_.State().AddAccount({.email = "a+b&c#d e/../x@example.com", .password = "pw", .type = "pro"});
    struct Case {
        const wchar_t* email;
        bool registered;
        bool pro;
        const char* line;
    };
    for (const auto& c : {Case{L"ann@example.com", true, false, "Account is a free account\n"},
                          Case{L"nobody@example.com", false, false, "Account not registered\n"},
                          Case{L"a+b&c#d e/../x@example.com", true, true, "Account is a pro account\n"}}) {
        AccountStatus status;
        EXPECT_EQ(CheckAccount(c.email, status), ServiceResult::Success);
        EXPECT_EQ(status.registered, c.registered);
        EXPECT_EQ(status.pro, c.pro);
        EXPECT_TRUE(Logged(c.line)) << c.line;
    }
    EXPECT_TRUE(Logged("[NETWORK] Checking account a+b&c#d e/../x@example.com\n"));
    EXPECT_TRUE(Logged("Error 0, response 200\n"));
}

TEST_F(ServiceOperationsTest, LoginOpensASessionThatPingFindsAlive) {
    AccountInfo info;
    EXPECT_EQ(Login(L"ann@example.com", info), ServiceResult::NotAuthorised);  // no cached password: no request
    CacheAnnsPassword();
    ASSERT_EQ(Login(L"ann@example.com", info), ServiceResult::Success);
    EXPECT_EQ(info.email, L"ann@example.com");
    EXPECT_EQ(info.type, L"free");
    ASSERT_FALSE(info.session_id.empty());
    EXPECT_TRUE(Logged("Logged in, free user, sessionid - " + platform::Utf8FromWide(info.session_id) + "\n"));

    bool alive = false;
    EXPECT_EQ(Ping(info.session_id, alive), ServiceResult::Success);
    EXPECT_TRUE(alive);
    service_.State().ExpireSession(platform::Utf8FromWide(info.session_id));
    EXPECT_EQ(Ping(info.session_id, alive), ServiceResult::Success);
    EXPECT_FALSE(alive);
    EXPECT_TRUE(Logged("Session is dead\n"));
}

TEST_F(ServiceOperationsTest, ADownloadedMessageAndAMissingOne) {
    CacheAnnsPassword();
    localservice::StoredMessage stored;
    stored.id = "m/1";  // an id with a slash stays one id
    stored.senderEmail = "bob@example.com";
    stored.subject = "Q3 & Q4";
    stored.body = "<p>Fish & chips</p>";
    stored.to = {"ann@example.com"};
    stored.attachments = {{.id = "a1", .name = "r.pdf", .content = "12345"}};
    service_.State().StoreMessage(stored);

    SecureMessage message;
    std::vector<std::wstring> explanations{L"stale"};
    ASSERT_EQ(DownloadMessage(L"m/1", L"ann@example.com", message, explanations), ServiceResult::Success);
    EXPECT_EQ(message.body, L"<p>Fish & chips</p>");
    EXPECT_EQ(message.subject, L"Q3 &amp; Q4");
    ASSERT_EQ(message.attachments.size(), 1u);
    EXPECT_EQ(message.attachments[0].size, 5);

    EXPECT_EQ(DownloadMessage(L"../m/1", L"ann@example.com", message, explanations), ServiceResult::NotFound);
    EXPECT_TRUE(Logged("[NETWORK] Downloading message. User - ann@example.com, id - ../m/1\n"));
}

TEST_F(ServiceOperationsTest, VersionCheckReadsTheServersVersionOrReportsItMissing) {
    service_.State().SetVersion({.major = 1, .minor = 39});
    VersionInfo version;
    ASSERT_EQ(CheckVersion(version), ServiceResult::Success);
    EXPECT_EQ(version.major, 1);
    EXPECT_EQ(version.minor, 39);
    EXPECT_TRUE(Logged("Version on server is 1.39\n"));

    service_.Faults().Set(localservice::Endpoint::Version, localservice::Fault{.status = 404});
    EXPECT_EQ(CheckVersion(version), ServiceResult::NotFound);
}

}  // namespace
}  // namespace sealwing::service
