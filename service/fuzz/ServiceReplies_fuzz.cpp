// Coverage-guided fuzzing of every reader of the service's replies, with the service's replies as seeds: whatever
// arrives from the network fills the operation's record or leaves it empty, and never stops the add-in. Each reply is
// read from its bytes, as it arrives, and from its widened text: the records must be the same. A seed is a reply
// followed by the digit of the reader it is for (the corpus beside this file).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"
#include "service/ServiceReplies.h"

namespace {

using namespace sealwing::service;

template <class Record, class Read>
Record ReadBothWays(std::string_view bytes, const std::wstring& text, Read read) {
    Record fromBytes;
    Record fromText;
    read(bytes, fromBytes);
    read(text, fromText);
    if (!(fromBytes == fromText)) std::abort();  // the bytes read otherwise than their text
    return fromBytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The last byte picks the reader and the rest is the reply, so that an input costs two parses rather than twelve
    // and each reader still meets every reply the fuzzer makes.
    if (size == 0) return 0;
    const unsigned reader = data[size - 1] % 6U;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size - 1);
    const std::wstring reply = sealwing::platform::WideFromUtf8(bytes);

    switch (reader) {
        case 0: {
            const std::vector<std::wstring> explanations = ReadErrorExplanations(reply);
            for (const std::wstring& explanation : explanations) {
                if (explanation.size() > reply.size()) std::abort();  // an explanation is a part of the reply
            }
            if (ReadErrorExplanations(bytes) != explanations) std::abort();
            break;
        }
        case 1:
            if (ReadSessionAlive(bytes) != ReadSessionAlive(reply)) std::abort();
            break;
        case 2:
            ReadBothWays<AccountStatus>(bytes, reply,
                                        [](ReplyText text, AccountStatus& status) { ReadAccountStatus(text, status); });
            break;
        case 3:
            ReadBothWays<AccountInfo>(bytes, reply,
                                      [](ReplyText text, AccountInfo& info) { ReadAccountInfo(text, info); });
            break;
        case 4:
            ReadBothWays<VersionInfo>(bytes, reply,
                                      [](ReplyText text, VersionInfo& version) { ReadVersionInfo(text, version); });
            break;
        default: {
            const SecureMessage message = ReadBothWays<SecureMessage>(
                bytes, reply, [](ReplyText text, SecureMessage& message) { ReadSecureMessage(text, message); });
            if (message.to.size() + message.cc.size() + message.attachments.size() > size) std::abort();
            break;
        }
    }
    return 0;
}
