#include "settings/CredentialList.h"

namespace sealwing::settings {

std::optional<std::size_t> CredentialList::Find(std::wstring_view user) const {
    for (std::size_t index = 0; index < entries_.size(); ++index) {
        if (entries_[index].user == user) return index;
    }
    return std::nullopt;
}

void CredentialList::Add(std::wstring user, std::wstring password) {
    entries_.push_back({std::move(user), std::move(password)});
}

void CredentialList::Set(std::size_t index, std::wstring password) {
    entries_.at(index).password = std::move(password);
}

void CredentialList::Remove(std::size_t index) {
    if (index < entries_.size()) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace sealwing::settings
