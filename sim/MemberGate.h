#pragma once

#include <atomic>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "outlook/ComError.h"

namespace sealwing::sim {

class MessageLoop;

// The check every simulated member passes first, in Outlook's order: the calling thread (an apartment object refuses
// calls from other threads), then an injected fault, then whether the running version has the member. Members are
// named "Interface.Member", such as L"Inspectors.Item" or L"Message.GetProps".
class MemberGate {
public:
    MemberGate(MessageLoop& loop, int majorVersion);

    // Object-model members: throws the ComError the call fails with.
    void Enter(std::wstring_view member);
    // MAPI members: the HRESULT the call fails with, or S_OK to go on.
    outlook::HResult EnterMapi(std::wstring_view member);

    // The next `times` calls of the member (-1: every call; 0: none from now on) fail with the code and description.
    void FailMember(std::wstring member, outlook::HResult code, std::wstring description, int times);
    std::size_t WrongThreadCalls() const { return wrongThreadCalls_.load(); }
    // Calls of the member made on the UI thread so far, failed ones included: what a test counts to show that a
    // path reads only what it must. UI thread only.
    std::size_t Calls(std::wstring_view member) const;

private:
    struct Fault {
        outlook::HResult code = 0;
        std::wstring description;
        int remaining = 0;
    };

    std::optional<outlook::ComError> Check(std::wstring_view member);

    MessageLoop& loop_;
    const int majorVersion_;
    std::atomic<std::size_t> wrongThreadCalls_{0};
    // Touched only on the UI thread: the thread check comes before it.
    std::map<std::wstring, Fault, std::less<>> faults_;
    std::map<std::wstring, std::size_t, std::less<>> calls_;
};

}  // namespace sealwing::sim
