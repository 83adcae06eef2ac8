#pragma once

#include <memory>
#include <optional>

#include "outlook/Mapi.h"
#include "sim/SimMapiProp.h"

namespace sealwing::sim {

class SimStore;

// Session::OpenMsgStore's store: PR_ENTRYID and PR_DISPLAY_NAME_W, its named-property map, and OpenEntry for its
// folders and messages.
class SimMsgStore : public SimMapiProp<outlook::mapi::MsgStore> {
public:
    SimMsgStore(std::weak_ptr<SimContext> context, outlook::Ref<SimStore> store);

    // A folder (answers mapi::Folder) or a message (mapi::Message); MAPI_E_NOT_FOUND for an id the store lacks.
    outlook::HResult OpenEntry(const outlook::mapi::Binary& entryId,
                               outlook::Ref<outlook::mapi::Prop>& opened) override;

protected:
    std::optional<outlook::mapi::PropValue> Read(outlook::mapi::PropTag tag) override;
    PropertyBag* Writable() override;
    bool Computed(outlook::mapi::PropTag tag) override;
    NamedPropertyMap* Names() override;

private:
    outlook::Ref<SimStore> store_;
};

}  // namespace sealwing::sim
