#include "sim/SimMapiSession.h"

#include <utility>

#include "sim/SimMsgStore.h"
#include "sim/SimProfileSection.h"
#include "sim/SimStore.h"

namespace sealwing::sim {

namespace mapi = outlook::mapi;

SimMapiSession::SimMapiSession(std::weak_ptr<SimContext> context) : SimObject(std::move(context)) {}

outlook::HResult SimMapiSession::OpenMsgStore(const mapi::Binary& storeEntryId, outlook::Ref<mapi::MsgStore>& store) {
    std::shared_ptr<SimContext> context;
    store.reset();
    if (const auto failed = EnterMapi(L"Session.OpenMsgStore", context); failed != outlook::hr::S_Ok) return failed;
    auto found = context->Model().StoreWithEntryId(storeEntryId);
    if (!found) return outlook::hr::Mapi_E_NotFound;
    store = std::make_shared<SimMsgStore>(WeakContext(), std::move(found));
    return outlook::hr::S_Ok;
}

outlook::HResult SimMapiSession::OpenProfileSection(const mapi::Guid& section,
                                                    outlook::Ref<mapi::ProfileSection>& opened) {
    std::shared_ptr<SimContext> context;
    opened.reset();
    if (const auto failed = EnterMapi(L"Session.OpenProfileSection", context); failed != outlook::hr::S_Ok) {
        return failed;
    }
    opened = std::make_shared<SimProfileSection>(WeakContext(), section, context->Options().profileName);
    return outlook::hr::S_Ok;
}

}  // namespace sealwing::sim
