#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "outlook/Mapi.h"
#include "sim/SimMapiProp.h"

namespace sealwing::sim {

class SimFolder;

// A folder opened through MsgStore::OpenEntry.
class SimMapiFolder : public SimMapiProp<outlook::mapi::Folder> {
public:
    SimMapiFolder(std::weak_ptr<SimContext> context, outlook::Ref<SimFolder> folder);

    // Removes the messages from the store for good. An id the folder does not hold is skipped and the call returns
    // MAPI_W_PARTIAL_COMPLETION.
    outlook::HResult DeleteMessages(const std::vector<outlook::mapi::Binary>& entryIds) override;
    // A new message of this folder, which joins it when saved.
    outlook::HResult CreateMessage(outlook::Ref<outlook::mapi::Message>& created) override;

protected:
    std::optional<outlook::mapi::PropValue> Read(outlook::mapi::PropTag tag) override;
    NamedPropertyMap* Names() override;

private:
    outlook::Ref<SimFolder> folder_;
};

}  // namespace sealwing::sim
