#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sealwing::settings {

struct Credential {
    std::wstring user;  // the account's e-mail address exactly as Outlook reports it
    std::wstring password;
    friend bool operator==(const Credential&, const Credential&) = default;
};

// Saved or typed passwords in order. Lookup compares user names exactly (letter case counts) from the front.
class CredentialList {
public:
    std::optional<std::size_t> Find(std::wstring_view user) const;
    // Appends without looking for an existing entry.
    void Add(std::wstring user, std::wstring password);
    void Set(std::size_t index, std::wstring password);
    // Later entries move up.
    void Remove(std::size_t index);
    void Clear() { entries_.clear(); }

    const std::vector<Credential>& Entries() const { return entries_; }
    std::size_t Size() const { return entries_.size(); }

private:
    std::vector<Credential> entries_;
};

}  // namespace sealwing::settings
