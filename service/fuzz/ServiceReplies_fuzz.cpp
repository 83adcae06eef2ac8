// Coverage-guided fuzzing of every reader of the service's replies, with the service's replies as seeds: whatever
// arrives from the network fills the operation's record or leaves it empty, and never stops the add-in.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/Text.h"
#include "service/ServiceReplies.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sealwing::service;
    const std::wstring reply =
        sealwing::platform::WideFromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));

    for (const std::wstring& explanation : ReadErrorExplanations(reply)) {
        if (explanation.size() > reply.size()) std::abort();  // an explanation is a part of the reply
    }
    AccountStatus status;
    ReadAccountStatus(reply, status);
    AccountInfo info;
    ReadAccountInfo(reply, info);
    (void)ReadSessionAlive(reply);
    SecureMessage message;
    ReadSecureMessage(reply, message);
    if (message.to.size() + message.cc.size() + message.attachments.size() > reply.size()) std::abort();
    VersionInfo version;
    ReadVersionInfo(reply, version);
    return 0;
}
