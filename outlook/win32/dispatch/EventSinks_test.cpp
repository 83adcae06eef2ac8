#include "outlook/win32/dispatch/EventSinks.h"

#include <gtest/gtest.h>

#include <exception>
#include <stdexcept>

#include "platform/EntryFailureRecorder.h"

namespace sealwing::outlook::win32 {
namespace {

// Handlers that fail as the add-in's could: with anything, or with a COM error of an object-model call.
struct FailingHandlers : ExplorerEvents, ItemEvents {
    int replies = 0;
    void Activate() override { throw std::runtime_error("activate broke"); }
    void Close() override { throw ComError(hr::E_Fail, L"close broke"); }
    void Reply(const Ref<Object>&, bool& cancel) override {
        ++replies;
        cancel = true;
        throw std::runtime_error("reply broke");
    }
};

class EventSinksTest : public ::testing::Test {
protected:
    const platform::ScopedEntryFailureRecorder reported_;

    template <class Events>
    ComPtr<DispatchSink<Events>> SinkFor(Events& handlers) {
        IID iid{};
        sealwing::win32::GuidFromString(Events::kIid, iid);
        return ComPtr<DispatchSink<Events>>::Attach(new DispatchSink<Events>(handlers, iid));
    }

    // Outlook's Reply(Response, Cancel): arguments in reverse order, the flag by reference; a count of 1 passes only
    // the response.
    HRESULT InvokeReply(IDispatch& sink, VARIANT_BOOL& cancel, EXCEPINFO& exception, UINT count = 2) {
        VARIANT arguments[2];
        VariantInit(&arguments[0]);
        arguments[0].vt = VT_BOOL | VT_BYREF;
        arguments[0].pboolVal = &cancel;
        VariantInit(&arguments[1]);  // no response item
        DISPPARAMS parameters{arguments + (2 - count), nullptr, count, 0};
        return sink.Invoke(ItemEvents::kReply, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, &exception, nullptr);
    }

    FailingHandlers handlers_;
};

TEST_F(EventSinksTest, AHandlerThatThrowsIsReportedAndInvokeReturnsNormally) {
    const auto sink = SinkFor<ExplorerEvents>(handlers_);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO exception{};
    for (const DISPID event : {ExplorerEvents::kActivate, ExplorerEvents::kClose}) {
        EXPECT_EQ(sink->Invoke(event, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, &exception, nullptr), S_OK)
            << "event " << event;
    }
    EXPECT_EQ(reported_.Count(), 2u);
    EXPECT_EQ(exception.scode, 0) << "the source is told nothing of a handler's failure";

    // A handler that set the cancel flag and then failed has not decided: Outlook's own reply goes ahead.
    const auto itemSink = SinkFor<ItemEvents>(handlers_);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(InvokeReply(*itemSink.Get(), cancel, exception), S_OK);
    EXPECT_EQ(handlers_.replies, 1);
    EXPECT_EQ(cancel, VARIANT_FALSE);
    EXPECT_EQ(reported_.Count(), 3u);
}

TEST_F(EventSinksTest, ArgumentsTheSinkCannotReadAreReportedAndToldToTheSource) {
    const auto sink = SinkFor<ItemEvents>(handlers_);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXCEPINFO exception{};
    EXPECT_EQ(InvokeReply(*sink.Get(), cancel, exception, 1), DISP_E_EXCEPTION);  // the cancel flag is missing
    EXPECT_EQ(exception.scode, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(handlers_.replies, 0);
    EXPECT_EQ(reported_.Count(), 1u);
    SysFreeString(exception.bstrDescription);
}

// A button's Click(Ctrl, CancelDefault), arguments reversed as Office passes them: the button arrives wrapped, and the
// flag goes back only when the handler finished.
struct ButtonHandlers : CommandBarButtonEvents {
    bool fail = false;
    int clicks = 0;
    bool buttonArrived = false;
    void Click(const Ref<CommandBarControl>& button, bool& cancel) override {
        ++clicks;
        buttonArrived = button != nullptr;
        cancel = true;
        if (fail) throw std::runtime_error("click broke");
    }
};

TEST_F(EventSinksTest, AButtonClickArrivesWithItsButtonAndTheCancelFlagGoesBackUnlessTheHandlerFailed) {
    ButtonHandlers buttons;
    const auto sink = SinkFor<CommandBarButtonEvents>(buttons);
    const auto button = SinkFor<ExplorerEvents>(handlers_);  // any IDispatch stands for the button
    for (const bool fail : {false, true}) {
        buttons.fail = fail;
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT arguments[2];
        VariantInit(&arguments[0]);
        arguments[0].vt = VT_BOOL | VT_BYREF;
        arguments[0].pboolVal = &cancel;
        VariantInit(&arguments[1]);
        arguments[1].vt = VT_DISPATCH;
        arguments[1].pdispVal = button.Get();
        DISPPARAMS parameters{arguments, nullptr, 2, 0};
        EXCEPINFO exception{};
        EXPECT_EQ(sink->Invoke(CommandBarButtonEvents::kClick, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr,
                               &exception, nullptr),
                  S_OK);
        EXPECT_TRUE(buttons.buttonArrived);
        EXPECT_EQ(cancel, fail ? VARIANT_FALSE : VARIANT_TRUE) << "handler failed: " << fail;
    }
    EXPECT_EQ(buttons.clicks, 2);
    EXPECT_EQ(reported_.Count(), 1u);
}

}  // namespace
}  // namespace sealwing::outlook::win32
