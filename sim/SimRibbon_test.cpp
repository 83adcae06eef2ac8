#include "sim/SimRibbon.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sim/SimExplorer.h"
#include "sim/SimInspector.h"
#include "sim/SimOutlook.h"

namespace sealwing::sim {
namespace {

using outlook::Ref;

constexpr const wchar_t* kExplorerXml =
    L"<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\"><ribbon><tabs><tab idMso=\"TabMail\">"
    L"<group id=\"sealwingGroup\" label=\"Secure\"><button id=\"openReader\" onAction=\"OnOpenReader\"/>"
    L"<button id=\"noAction\" label=\"x\"/></group></tab></tabs></ribbon></customUI>";
constexpr const wchar_t* kComposeXml =
    L"<customUI><ribbon><tabs><tab idMso=\"TabNewMailMessage\"><group id=\"g\">"
    L"<toggleButton id=\"secureSend\" onAction='OnSecureSend'/></group></tab></tabs></ribbon></customUI>";

// The add-in's side: the XML it gives per ribbon, and the callbacks it was asked to run.
struct RecordingRibbon final : outlook::RibbonExtensibility {
    std::map<std::wstring, std::wstring> xml{{SimRibbon::kExplorer, kExplorerXml}, {SimRibbon::kCompose, kComposeXml}};
    std::vector<std::pair<std::wstring, platform::WindowHandle>> calls;
    bool throwFromCallback = false;

    std::wstring GetCustomUI(const std::wstring& ribbonId) override {
        const auto found = xml.find(ribbonId);
        return found == xml.end() ? std::wstring() : found->second;
    }
    bool InvokeRibbonCallback(const std::wstring& name, platform::WindowHandle window) override {
        calls.emplace_back(name, window);
        if (throwFromCallback) throw std::runtime_error("callback failed");
        return name != L"OnUnknown";
    }
};

SimOptions Version(int major) {
    SimOptions options;
    options.majorVersion = major;
    return options;
}

TEST(SimRibbon, OfficeAsksForEachRibbonOnceWhenItsWindowFirstShows) {
    using Requests = std::vector<std::wstring>;
    const struct {
        int version;
        Requests atConnect;
        Requests afterWindows;
    } cases[] = {
        {11, {}, {}},
        {12, {}, {SimRibbon::kCompose, SimRibbon::kRead}},
        {14, {SimRibbon::kExplorer}, {SimRibbon::kExplorer, SimRibbon::kCompose, SimRibbon::kRead}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        platform::ManualClock clock;
        SimOutlook sim(Version(c.version), clock);
        sim.OpenExplorer();
        RecordingRibbon addin;
        sim.SetRibbonExtensibility(&addin);
        EXPECT_EQ(sim.RibbonRequests(), c.atConnect);
        sim.OpenInspector(sim.CreateMailItem());
        sim.OpenInspector(sim.CreateMailItem());
        sim.OpenInspector(sim.AddReceivedMail({.subject = L"received"}));
        EXPECT_EQ(sim.RibbonRequests(), c.afterWindows);
    }
}

TEST(SimRibbon, ConnectingWhileAnItemWindowShowsAsksForItsRibbonAtOnceAndAgainOnANewConnection) {
    platform::ManualClock clock;
    SimOutlook sim(Version(12), clock);
    sim.OpenInspector(sim.CreateMailItem());
    RecordingRibbon addin;
    sim.SetRibbonExtensibility(&addin);
    EXPECT_EQ(sim.RibbonRequests(), std::vector<std::wstring>{SimRibbon::kCompose});
    sim.SetRibbonExtensibility(nullptr);
    sim.OpenInspector(sim.CreateMailItem());
    sim.SetRibbonExtensibility(&addin);
    EXPECT_EQ(sim.RibbonRequests(), (std::vector<std::wstring>{SimRibbon::kCompose, SimRibbon::kCompose}));
}

TEST(SimRibbon, AClickRunsTheControlsOnActionWithTheWindowOfItsRibbon) {
    platform::ManualClock clock;
    SimOutlook sim(Version(14), clock);
    const auto explorer = sim.OpenExplorer();
    const auto compose = sim.OpenInspector(sim.CreateMailItem());
    const auto read = sim.OpenInspector(sim.AddReceivedMail({.subject = L"received"}));
    RecordingRibbon addin;
    EXPECT_FALSE(sim.ClickRibbonControl(explorer->FrameWindow(), L"openReader")) << "nothing connected";
    sim.SetRibbonExtensibility(&addin);

    EXPECT_TRUE(sim.ClickRibbonControl(explorer->FrameWindow(), L"openReader"));
    EXPECT_TRUE(sim.ClickRibbonControl(compose->FrameWindow(), L"secureSend"));
    using Calls = std::vector<std::pair<std::wstring, platform::WindowHandle>>;
    EXPECT_EQ(addin.calls,
              (Calls{{L"OnOpenReader", explorer->FrameWindow()}, {L"OnSecureSend", compose->FrameWindow()}}));

    EXPECT_FALSE(sim.ClickRibbonControl(explorer->FrameWindow(), L"secureSend")) << "another ribbon's control";
    EXPECT_FALSE(sim.ClickRibbonControl(explorer->FrameWindow(), L"noAction"));
    EXPECT_FALSE(sim.ClickRibbonControl(explorer->FrameWindow(), L"sealwingGroup"));
    EXPECT_FALSE(sim.ClickRibbonControl(read->FrameWindow(), L"secureSend")) << "the read ribbon is left as it is";
    EXPECT_FALSE(sim.ClickRibbonControl(sim.BodyWindow(compose), L"secureSend")) << "no frame window";
    EXPECT_EQ(addin.calls.size(), 2u);

    addin.throwFromCallback = true;
    bool ran = true;
    EXPECT_NONFATAL_FAILURE(ran = sim.ClickRibbonControl(compose->FrameWindow(), L"secureSend"), "callback failed");
    EXPECT_FALSE(ran);
}

TEST(SimRibbon, VersionsWithoutARibbonForTheWindowClickNothing) {
    for (const int version : {11, 12}) {
        SCOPED_TRACE(version);
        platform::ManualClock clock;
        SimOutlook sim(Version(version), clock);
        const auto explorer = sim.OpenExplorer();
        const auto inspector = sim.OpenInspector(sim.CreateMailItem());
        RecordingRibbon addin;
        sim.SetRibbonExtensibility(&addin);
        EXPECT_FALSE(sim.ClickRibbonControl(explorer->FrameWindow(), L"openReader"));
        EXPECT_EQ(sim.ClickRibbonControl(inspector->FrameWindow(), L"secureSend"), version == 12);
    }
}

}  // namespace
}  // namespace sealwing::sim
