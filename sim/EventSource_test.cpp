#include "sim/EventSource.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "sim/MessageLoop.h"
#include "sim/SimTestSupport.h"
#include "sim/WindowTree.h"

namespace sealwing::sim {
namespace {

using testing::CodeOf;

// A sink whose Activate runs a test-supplied action.
struct ActingSink : outlook::ExplorerEvents {
    std::function<void()> onActivate;
    int activations = 0;
    void Activate() override {
        ++activations;
        if (onActivate) onActivate();
    }
};

class EventSourceTest : public ::testing::Test {
protected:
    void Fire() {
        source_->Fire(L"Activate", [](outlook::ExplorerEvents& sink) { sink.Activate(); });
    }
    const ConnectionJournal& Journal() { return context_->Journal(); }

    platform::ManualClock clock_;
    MessageLoop loop_{clock_};
    WindowTree windows_;
    std::shared_ptr<SimContext> context_ = std::make_shared<SimContext>(SimOptions{}, loop_, windows_);
    std::shared_ptr<EventSource<outlook::ExplorerEvents>> source_ =
        std::make_shared<EventSource<outlook::ExplorerEvents>>(context_, L"ExplorerEvents");
};

TEST_F(EventSourceTest, CookiesCountFromOneAndAreNeverReused) {
    ActingSink a, b, c;
    EXPECT_EQ(source_->Advise(a), 1u);
    EXPECT_EQ(source_->Advise(b), 2u);
    source_->Unadvise(1);
    EXPECT_EQ(source_->Advise(c), 3u);
    EXPECT_EQ(CodeOf([&] { source_->Unadvise(1); }), outlook::hr::Connect_E_NoConnection);
    EXPECT_EQ(CodeOf([&] { source_->Unadvise(outlook::kNotConnected); }), outlook::hr::Connect_E_NoConnection);
    EXPECT_EQ(source_->Connections(), 2u);
    EXPECT_EQ(Journal().OpenConnections(), 2u);
    EXPECT_EQ(Journal().Entries(), (std::vector<std::wstring>{L"Advise ExplorerEvents", L"Advise ExplorerEvents",
                                                              L"Unadvise ExplorerEvents", L"Advise ExplorerEvents"}));
}

TEST_F(EventSourceTest, AFiringReachesEverySinkOnceAndIsJournalledOnlyWhenSomeoneListens) {
    Fire();
    EXPECT_TRUE(Journal().Entries().empty());
    ActingSink a, b;
    source_->Advise(a);
    source_->Advise(b);
    Fire();
    EXPECT_EQ(a.activations, 1);
    EXPECT_EQ(b.activations, 1);
    EXPECT_EQ(Journal().Entries().back(), L"Fire ExplorerEvents.Activate");
}

TEST_F(EventSourceTest, SinksUnadvisedDuringAFiringAreSkippedAndNewOnesWaitForTheNext) {
    ActingSink first, second, third, late;
    const auto firstCookie = source_->Advise(first);
    const auto secondCookie = source_->Advise(second);
    source_->Advise(third);
    first.onActivate = [&] {
        source_->Unadvise(secondCookie);
        source_->Unadvise(firstCookie);
        source_->Advise(late);
        first.onActivate = nullptr;
    };
    Fire();
    EXPECT_EQ(first.activations, 1);
    EXPECT_EQ(second.activations, 0);
    EXPECT_EQ(third.activations, 1);
    EXPECT_EQ(late.activations, 0);
    Fire();
    EXPECT_EQ(late.activations, 1);
    EXPECT_EQ(first.activations, 1);
}

// Unadvises itself, lets go of the source and deletes itself, all inside its handler.
struct SelfDestroyingSink : outlook::ExplorerEvents {
    std::unique_ptr<SelfDestroyingSink>* owner = nullptr;
    std::shared_ptr<EventSource<outlook::ExplorerEvents>>* source = nullptr;
    outlook::Cookie cookie = outlook::kNotConnected;
    void Activate() override {
        auto* const sourceSlot = source;
        auto* const ownerSlot = owner;
        (*sourceSlot)->Unadvise(cookie);
        sourceSlot->reset();
        ownerSlot->reset();  // `this` is gone: nothing below may touch it
    }
};

TEST_F(EventSourceTest, ASinkMayUnadviseAndDestroyItselfAndTheSourceMayGoInsideAHandler) {
    auto dying = std::make_unique<SelfDestroyingSink>();
    dying->owner = &dying;
    dying->source = &source_;
    ActingSink after;
    dying->cookie = source_->Advise(*dying);
    source_->Advise(after);
    source_->Fire(L"Activate", [](outlook::ExplorerEvents& sink) { sink.Activate(); });  // its last owner lets go
    EXPECT_EQ(dying, nullptr);
    EXPECT_EQ(source_, nullptr);
    EXPECT_EQ(after.activations, 1);             // the firing went on past the sink and the source that died
    EXPECT_EQ(Journal().OpenConnections(), 0u);  // the source ended the last connection when it went
}

TEST_F(EventSourceTest, AdviseFromAnotherThreadIsRefused) {
    ActingSink sink;
    outlook::HResult code = outlook::hr::S_Ok;
    std::thread([&] { code = CodeOf([&] { source_->Advise(sink); }); }).join();
    EXPECT_EQ(code, outlook::hr::RpcE_WrongThread);
    EXPECT_EQ(context_->Gate().WrongThreadCalls(), 1u);
    EXPECT_EQ(source_->Connections(), 0u);
}

TEST_F(EventSourceTest, AdviseCanBeMadeToFail) {
    ActingSink sink;
    context_->Gate().FailMember(L"ExplorerEvents.Advise", outlook::hr::E_Fail, L"no", 1);
    EXPECT_EQ(CodeOf([&] { source_->Advise(sink); }), outlook::hr::E_Fail);
    EXPECT_EQ(source_->Advise(sink), 1u);
}

TEST_F(EventSourceTest, CallsAfterOutlookClosedFailAsDisconnected) {
    ActingSink sink;
    source_->Advise(sink);
    context_.reset();
    EXPECT_EQ(CodeOf([&] { source_->Unadvise(1); }), static_cast<outlook::HResult>(0x80010108));
    source_.reset();  // and its destructor finds no journal to tell
}

}  // namespace
}  // namespace sealwing::sim
