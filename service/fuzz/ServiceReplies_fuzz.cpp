// Coverage-guided fuzzing of every reader of the service's replies, with the service's replies as seeds: whatever
// arrives from the network fills the operation's record or leaves it empty, and never stops the add-in. Each reply is
// read from its bytes, as it arrives, and from its widened text: the records must be the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/Text.h"
#include "service/ServiceReplies.h"

namespace {

using namespace sealwing::service;

template <class Record, class Read>
void ReadBothWays(std::string_view bytes, const std::wstring& text, Read read) {
    Record fromBytes;
    Record fromText;
    read(bytes, fromBytes);
    read(text, fromText);
    if (!(fromBytes == fromText)) std::abort();  // the bytes read otherwise than their text
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring reply = sealwing::platform::WideFromUtf8(bytes);

    const std::vector<std::wstring> explanations = ReadErrorExplanations(reply);
    for (const std::wstring& explanation : explanations) {
        if (explanation.size() > reply.size()) std::abort();  // an explanation is a part of the reply
    }
    if (ReadErrorExplanations(bytes) != explanations) std::abort();
    if (ReadSessionAlive(bytes) != ReadSessionAlive(reply)) std::abort();
    ReadBothWays<AccountStatus>(bytes, reply,
                                [](ReplyText text, AccountStatus& status) { ReadAccountStatus(text, status); });
    ReadBothWays<AccountInfo>(bytes, reply, [](ReplyText text, AccountInfo& info) { ReadAccountInfo(text, info); });
    ReadBothWays<VersionInfo>(bytes, reply,
                              [](ReplyText text, VersionInfo& version) { ReadVersionInfo(text, version); });
    ReadBothWays<SecureMessage>(bytes, reply,
                                [](ReplyText text, SecureMessage& message) { ReadSecureMessage(text, message); });
    SecureMessage message;
    ReadSecureMessage(bytes, message);
    if (message.to.size() + message.cc.size() + message.attachments.size() > size) std::abort();
    return 0;
}
