#include "settings/PasswordCache.h"

namespace sealwing::settings {

PasswordCache& PasswordCache::Instance() {
    static PasswordCache cache;
    return cache;
}

bool PasswordCache::HasPassword(std::wstring_view user) {
    std::lock_guard guard(lock_);
    return entries_.Find(user).has_value();
}

std::optional<std::wstring> PasswordCache::FindPassword(std::wstring_view user) {
    std::lock_guard guard(lock_);
    const auto index = entries_.Find(user);
    if (!index) return std::nullopt;
    return entries_.Entries()[*index].password;
}

void PasswordCache::SetPassword(std::wstring_view user, std::wstring_view password) {
    std::lock_guard guard(lock_);
    if (const auto index = entries_.Find(user)) {
        entries_.Set(*index, std::wstring(password));
    } else {
        entries_.Add(std::wstring(user), std::wstring(password));
    }
}

void PasswordCache::Forget(std::wstring_view user) {
    std::lock_guard guard(lock_);
    if (const auto index = entries_.Find(user)) entries_.Remove(*index);
}

void PasswordCache::AddAll(const CredentialList& saved) {
    std::lock_guard guard(lock_);
    for (const auto& entry : saved.Entries()) entries_.Add(entry.user, entry.password);
}

void PasswordCache::ClearForTests() {
    std::lock_guard guard(lock_);
    entries_.Clear();
}

}  // namespace sealwing::settings
