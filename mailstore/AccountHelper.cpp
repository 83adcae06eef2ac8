#include "mailstore/AccountHelper.h"

#include <algorithm>
#include <utility>

namespace sealwing::mailstore {

namespace olk = outlook::olk;

CAccountHelper* CAccountHelper::Create(std::wstring profileName, outlook::Ref<outlook::mapi::Session> session) {
    return new CAccountHelper(std::move(profileName), std::move(session));
}

CAccountHelper::CAccountHelper(std::wstring profileName, outlook::Ref<outlook::mapi::Session> session)
    : profileName_(std::move(profileName)), session_(std::move(session)) {}

outlook::HResult CAccountHelper::QueryInterface(const olk::Guid& iid, olk::AccountHelper** out) {
    if (out == nullptr) return outlook::hr::E_Pointer;
    *out = nullptr;
    if (iid != olk::IID_IOlkAccountHelper && iid != olk::IID_IUnknown) return outlook::hr::E_NoInterface;
    AddRef();
    *out = this;
    return outlook::hr::S_Ok;
}

std::uint32_t CAccountHelper::AddRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

std::uint32_t CAccountHelper::Release() {
    const std::uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

outlook::HResult CAccountHelper::PlaceHolder1() { return outlook::hr::E_NotImpl; }

outlook::HResult CAccountHelper::GetIdentity(wchar_t* identity, std::uint32_t* count) {
    if (count == nullptr || profileName_.empty()) return outlook::hr::E_InvalidArg;
    const auto needed = static_cast<std::uint32_t>(profileName_.size() + 1);
    if (*count < needed) {
        *count = needed;
        return outlook::hr::E_OutOfMemory;
    }
    // A count that claims room without a buffer behind it gets no write.
    if (identity == nullptr) return outlook::hr::E_InvalidArg;
    std::copy_n(profileName_.c_str(), needed, identity);
    *count = needed;
    return outlook::hr::S_Ok;
}

outlook::HResult CAccountHelper::GetMapiSession(outlook::Ref<outlook::mapi::Session>* session) {
    if (session == nullptr) return outlook::hr::E_InvalidArg;
    if (session_ == nullptr) return outlook::hr::E_NotImpl;
    *session = session_;
    return outlook::hr::S_Ok;
}

outlook::HResult CAccountHelper::HandsOffSession() { return outlook::hr::E_NotImpl; }

}  // namespace sealwing::mailstore
