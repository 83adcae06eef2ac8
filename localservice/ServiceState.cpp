#include "localservice/ServiceState.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>

namespace sealwing::localservice {

bool EqualsIgnoringCase(const std::string& left, const std::string& right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
}

void ServiceState::RemoveAccount(const std::string& email) {
    std::lock_guard lock(mutex_);
    std::erase_if(accounts_, [&](const Account& known) { return EqualsIgnoringCase(known.email, email); });
}

void ServiceState::AddAccount(Account account) {
    std::lock_guard lock(mutex_);
    auto found = std::find_if(accounts_.begin(), accounts_.end(),
                              [&](const Account& known) { return EqualsIgnoringCase(known.email, account.email); });
    if (found != accounts_.end()) {
        *found = std::move(account);
    } else {
        accounts_.push_back(std::move(account));
    }
}

std::optional<Account> ServiceState::FindAccount(const std::string& email) const {
    std::lock_guard lock(mutex_);
    for (const Account& account : accounts_) {
        if (EqualsIgnoringCase(account.email, email)) {
            return account;
        }
    }
    return std::nullopt;
}

std::optional<Account> ServiceState::Authenticate(const std::string& email, const std::string& password) const {
    std::optional<Account> account = FindAccount(email);
    if (!account || account->password != password) {
        return std::nullopt;
    }
    return account;
}

// Ids are unguessable enough to look like the service's, and unique within one run.
std::string ServiceState::NewIdLocked(const char* prefix) {
    if (idSalt_ == 0) {
        idSalt_ = (static_cast<std::uint64_t>(std::random_device{}()) << 32) | std::random_device{}();
        idSalt_ |= 1;
    }
    ++idCounter_;
    std::uint64_t mixed = (idCounter_ * 0x9E3779B97F4A7C15ull) ^ idSalt_;
    char text[40];
    std::snprintf(text, sizeof text, "%s%016llx", prefix, static_cast<unsigned long long>(mixed));
    return text;
}

std::string ServiceState::CreateSession(const std::string& email) {
    std::lock_guard lock(mutex_);
    std::string id = NewIdLocked("s");
    sessions_[id] = email;
    return id;
}

std::optional<std::string> ServiceState::SessionAccount(const std::string& sessionId) const {
    std::lock_guard lock(mutex_);
    auto found = sessions_.find(sessionId);
    if (found == sessions_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void ServiceState::ExpireSession(const std::string& sessionId) {
    std::lock_guard lock(mutex_);
    sessions_.erase(sessionId);
}

std::vector<std::string> ServiceState::Sessions() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> ids;
    for (const auto& [id, email] : sessions_) {
        ids.push_back(id);
    }
    return ids;
}

std::string ServiceState::StoreMessage(StoredMessage message) {
    std::lock_guard lock(mutex_);
    if (message.id.empty()) {
        message.id = NewIdLocked("m");
    }
    for (std::size_t index = 0; index < message.attachments.size(); ++index) {
        if (message.attachments[index].id.empty()) {
            message.attachments[index].id = "a" + std::to_string(index + 1);
        }
    }
    auto found = std::find_if(messages_.begin(), messages_.end(),
                              [&](const StoredMessage& known) { return known.id == message.id; });
    std::string id = message.id;
    if (found != messages_.end()) {
        *found = std::move(message);
    } else {
        messages_.push_back(std::move(message));
    }
    return id;
}

std::optional<StoredMessage> ServiceState::FindMessage(const std::string& id) const {
    std::lock_guard lock(mutex_);
    for (const StoredMessage& message : messages_) {
        if (message.id == id) {
            return message;
        }
    }
    return std::nullopt;
}

std::vector<StoredMessage> ServiceState::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

int ServiceState::MessagesSentBy(const std::string& email) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(messages_.begin(), messages_.end(), [&](const StoredMessage& message) {
        return !message.form.empty() && EqualsIgnoringCase(message.senderEmail, email);
    }));
}

void ServiceState::SetVersion(VersionRecord version) {
    std::lock_guard lock(mutex_);
    version_ = std::move(version);
}

VersionRecord ServiceState::Version() const {
    std::lock_guard lock(mutex_);
    return version_;
}

void ServiceState::AddLogReport(std::string report) {
    std::lock_guard lock(mutex_);
    logReports_.push_back(std::move(report));
}

std::vector<std::string> ServiceState::LogReports() const {
    std::lock_guard lock(mutex_);
    return logReports_;
}

}  // namespace sealwing::localservice
