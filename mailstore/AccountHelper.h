#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "outlook/AccountManagement.h"

namespace sealwing::mailstore {

// The callback the account-management service asks for the profile it serves and its MAPI session. A
// reference-counted object under COM's rules: it starts with the creator's reference, the service adds its own, and
// the last Release frees it; the count changes atomically because the service may release it on another thread.
class CAccountHelper final : public outlook::olk::AccountHelper {
public:
    // The session may be absent (GetMapiSession then answers E_NOTIMPL).
    static CAccountHelper* Create(std::wstring profileName, outlook::Ref<outlook::mapi::Session> session);

    outlook::HResult QueryInterface(const outlook::olk::Guid& iid, outlook::olk::AccountHelper** out) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    outlook::HResult PlaceHolder1() override;
    outlook::HResult GetIdentity(wchar_t* identity, std::uint32_t* count) override;
    outlook::HResult GetMapiSession(outlook::Ref<outlook::mapi::Session>* session) override;
    outlook::HResult HandsOffSession() override;

private:
    CAccountHelper(std::wstring profileName, outlook::Ref<outlook::mapi::Session> session);
    ~CAccountHelper() = default;

    std::atomic<std::uint32_t> references_{1};
    std::wstring profileName_;
    outlook::Ref<outlook::mapi::Session> session_;
};

// Owns one reference: the creator's, dropped when the holder goes.
struct AccountHelperRelease {
    void operator()(CAccountHelper* helper) const { helper->Release(); }
};
using AccountHelperHolder = std::unique_ptr<CAccountHelper, AccountHelperRelease>;

}  // namespace sealwing::mailstore
