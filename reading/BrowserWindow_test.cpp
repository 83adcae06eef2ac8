#include "reading/BrowserWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/Log.h"
#include "platform/Text.h"
#include "settings/PasswordCache.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

using localservice::Endpoint;
using service::ServiceResult;
using Calls = std::vector<std::wstring>;

constexpr const wchar_t* kAnn = L"ann@example.com";
constexpr const wchar_t* kBlank = L"navigate about:blank";

// The page as a person would check it by eye, written out here once and in full.
std::wstring ExpectedPage(const std::wstring& problem) {
    return L"<html><head><meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\"></head><body "
           L"lang=EN-US><p>This is secure encrypted message. You can\u2019t see it because of the following "
           L"problem:</p><p><span style='color:#92D050'>" +
           problem + L"</span></p></body></html>";
}

class BrowserWindowTest : public ::testing::Test {
protected:
    BrowserWindowTest() {
        world_.Service().State().AddAccount({.email = "ann@example.com", .password = "pw", .type = "pro"});
        settings::PasswordCache::Instance().SetPassword(kAnn, L"pw");
        diagnostics::OpenThreadLog(L"Main");
        frame_ = world_.Outlook().Windows().Create(platform::kNoWindow, L"rctrl_renwnd32", L"Inbox",
                                                   platform::Rect{100, 50, 900, 650});
    }
    ~BrowserWindowTest() override {
        if (browser_.Window() != platform::kNoWindow) browser_.Destroy();
    }

    void Create(CBrowserWindow& browser) { ASSERT_TRUE(browser.Create(frame_, platform::Rect{0, 0, 400, 300})); }
    sim::RecordedBrowser& Control() { return world_.Outlook().Browser().Last(); }
    // The address of the reader page the service's session for Ann opens.
    std::wstring ReaderPage(const std::wstring& messageId) {
        const std::vector<std::string> sessions = world_.Service().State().Sessions();
        EXPECT_EQ(sessions.size(), 1u);
        if (sessions.empty()) return L"(no session)";
        return L"https://localhost:" + std::to_wstring(world_.Service().Port()) + L"/outlook-reader/" +
               platform::WideFromUtf8(sessions.front()) + L"/" + messageId;
    }

    testing::OutlookWorld world_{14};
    platform::WindowHandle frame_ = platform::kNoWindow;
    CBrowserWindow browser_;
};

TEST_F(BrowserWindowTest, AMessageShownBeforeTheBlankPageLoadedIsRequestedOnlyOnceItHas) {
    Create(browser_);
    EXPECT_EQ(world_.Outlook().Windows().Parent(browser_.Window()), frame_);
    EXPECT_EQ(Control().Window(), browser_.Window());
    EXPECT_TRUE(Control().EventsConnected());

    EXPECT_TRUE(browser_.ShowMessage(kAnn, L"m-1"));
    EXPECT_FALSE(browser_.Ready());
    EXPECT_EQ(Control().Calls(), Calls{kBlank});

    Control().CompleteDocument();
    EXPECT_TRUE(browser_.Ready());
    // The blank document is cleared before the reader page is asked for.
    EXPECT_EQ(Control().Calls(), (Calls{kBlank, L"write ", L"navigate " + ReaderPage(L"m-1")}));
    EXPECT_FALSE(Control().EventsConnected());

    // Later documents change nothing, and requests go straight to the control.
    Control().CompleteDocument();
    EXPECT_TRUE(browser_.ShowMessage(kAnn, L"m-2"));
    EXPECT_EQ(Control().Navigations(), (Calls{L"about:blank", ReaderPage(L"m-1"), ReaderPage(L"m-2")}));
    EXPECT_EQ(world_.Service().State().Sessions().size(), 1u);  // one login, its session kept
}

TEST_F(BrowserWindowTest, OnlyTheLastRequestBeforeReadinessSurvives) {
    Create(browser_);
    EXPECT_TRUE(browser_.ShowMessage(kAnn, L"first"));
    EXPECT_TRUE(browser_.ShowMessage(kAnn, L"second"));
    Control().CompleteDocument();
    EXPECT_EQ(Control().Navigations(), (Calls{L"about:blank", ReaderPage(L"second")}));
    EXPECT_EQ(Control().WrittenHtml(), Calls{L""});

    // A page to write and an address to open replace each other either way round.
    struct Case {
        bool htmlLast;
        Calls expected;
    };
    for (const Case& test : {Case{true, {kBlank, L"write <p>last</p>"}},
                             Case{false, {kBlank, L"write ", L"navigate https://example.com/last"}}}) {
        CBrowserWindow browser;
        Create(browser);
        if (test.htmlLast) {
            browser.Navigate(L"https://example.com/first");
            browser.WriteHtml(L"<p>last</p>");
        } else {
            browser.WriteHtml(L"<p>first</p>");
            browser.Navigate(L"https://example.com/last");
        }
        Control().CompleteDocument();
        EXPECT_EQ(Control().Calls(), test.expected) << "html last: " << test.htmlLast;
        browser.Destroy();
    }
}

TEST_F(BrowserWindowTest, ASessionThatCannotBeHadShowsThePageThatSaysWhy) {
    EXPECT_EQ(CBrowserWindow::MessageNotFoundPage(), ExpectedPage(L"Message was not found on the server"));
    EXPECT_EQ(CBrowserWindow::NetworkFailurePage(), ExpectedPage(L"Network fail"));
    EXPECT_EQ(CBrowserWindow::AuthenticationFailurePage(), ExpectedPage(L"Authentication failed"));

    struct Case {
        const char* name;
        int accountStatus;  // the login's answer
        std::wstring page;
    };
    for (const Case& test : {Case{"not found", 404, ExpectedPage(L"Message was not found on the server")},
                             Case{"server failure", 503, ExpectedPage(L"Network fail")}}) {
        world_.Service().Faults().Set(Endpoint::Account, localservice::Fault{.status = test.accountStatus});
        CBrowserWindow browser;
        Create(browser);
        Control().CompleteDocument();
        EXPECT_TRUE(browser.ShowMessage(kAnn, L"m-1")) << test.name;
        EXPECT_EQ(Control().Calls(), (Calls{kBlank, L"write " + test.page})) << test.name;
        browser.Destroy();
    }

    // The session logic itself never ends in "not authorised"; a lookup that does shows the authentication page, and
    // one of no known kind shows nothing and keeps the window.
    struct Answer {
        ServiceResult result;
        Calls expected;
    };
    for (const Answer& answer :
         {Answer{ServiceResult::NotAuthorised, {kBlank, L"write " + ExpectedPage(L"Authentication failed")}},
          Answer{static_cast<ServiceResult>(7), {kBlank}}}) {
        CBrowserWindow browser(
            [&answer](std::wstring_view, std::wstring&, platform::WindowHandle) { return answer.result; });
        Create(browser);
        Control().CompleteDocument();
        EXPECT_TRUE(browser.ShowMessage(kAnn, L"m-1"));
        EXPECT_EQ(Control().Calls(), answer.expected);
        browser.Destroy();
    }
}

TEST_F(BrowserWindowTest, ACancelledPasswordPromptShowsNothingAndAsksTheCallerToHide) {
    settings::PasswordCache::Instance().Forget(kAnn);  // no password and no prompt: the user cancelled
    Create(browser_);
    EXPECT_FALSE(browser_.ShowMessage(kAnn, L"m-1"));
    Control().CompleteDocument();
    EXPECT_EQ(Control().Calls(), Calls{kBlank});
    EXPECT_FALSE(browser_.ShowMessage(kAnn, L"m-1"));
    EXPECT_EQ(Control().Calls(), Calls{kBlank});
    EXPECT_TRUE(world_.Service().Requests().All().empty());
}

TEST_F(BrowserWindowTest, AControlThatRefusesItsEventsIsReadyAtOnceAndWritesOnlyIntoADocument) {
    world_.Outlook().Browser().refuseEvents = true;
    Create(browser_);
    EXPECT_TRUE(browser_.Ready());
    // The blank page is still loading: no document to clear, and nothing to write into.
    browser_.WriteHtml(L"<p>lost</p>");
    EXPECT_TRUE(browser_.ShowMessage(kAnn, L"m-1"));
    EXPECT_EQ(Control().Calls(), (Calls{kBlank, L"navigate " + ReaderPage(L"m-1")}));
    Control().CompleteDocument();
    browser_.WriteHtml(L"<p>kept</p>");
    EXPECT_EQ(Control().WrittenHtml(), Calls{L"<p>kept</p>"});
}

TEST_F(BrowserWindowTest, DestructionLetsGoOfTheEventsTheWindowAndTheControl) {
    sim::WindowTree& windows = world_.Outlook().Windows();
    const std::size_t before = windows.Count();
    {
        CBrowserWindow browser;
        Create(browser);
        EXPECT_FALSE(browser.Create(frame_, platform::Rect{}));  // one window per browser
        const platform::WindowHandle window = browser.Window();
        browser.Destroy();
        EXPECT_FALSE(windows.IsWindow(window));
        EXPECT_FALSE(Control().EventsConnected());
        EXPECT_FALSE(Control().Released());
    }
    EXPECT_TRUE(Control().Released());

    world_.Outlook().Browser().failCreation = true;
    CBrowserWindow browser;
    EXPECT_FALSE(browser.Create(frame_, platform::Rect{0, 0, 10, 10}));
    EXPECT_EQ(browser.Window(), platform::kNoWindow);
    EXPECT_EQ(windows.Count(), before);
    EXPECT_EQ(world_.Outlook().Browser().Count(), 1u);
}

}  // namespace
}  // namespace sealwing
