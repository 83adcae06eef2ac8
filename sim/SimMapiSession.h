#pragma once

#include <memory>

#include "outlook/Mapi.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

// NameSpace.MAPIOBJECT: the IMAPISession. Calls pass the member gate as "Session.<Call>".
class SimMapiSession : public outlook::mapi::Session, protected SimObject {
public:
    explicit SimMapiSession(std::weak_ptr<SimContext> context);

    // A store of the profile by its entry id (PR_STORE_ENTRYID); MAPI_E_NOT_FOUND for an id naming none.
    outlook::HResult OpenMsgStore(const outlook::mapi::Binary& storeEntryId,
                                  outlook::Ref<outlook::mapi::MsgStore>& store) override;
    // Any section; the global one (pbGlobalProfileSectionGuid) holds PR_PROFILE_NAME_W.
    outlook::HResult OpenProfileSection(const outlook::mapi::Guid& section,
                                        outlook::Ref<outlook::mapi::ProfileSection>& opened) override;
};

}  // namespace sealwing::sim
