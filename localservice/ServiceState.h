#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "localservice/ServiceRecords.h"

namespace sealwing::localservice {

// What the service knows: accounts, sessions, messages, the add-in's current version and the log reports received.
// Every member locks, so request threads and the test thread share one instance.
class ServiceState {
public:
    void AddAccount(Account account);
    // The account closes: logins and account checks no longer know it.
    void RemoveAccount(const std::string& email);
    std::optional<Account> FindAccount(const std::string& email) const;  // e-mail compared without regard to case
    std::optional<Account> Authenticate(const std::string& email, const std::string& password) const;

    std::string CreateSession(const std::string& email);
    std::optional<std::string> SessionAccount(const std::string& sessionId) const;  // the e-mail of a live session
    void ExpireSession(const std::string& sessionId);
    std::vector<std::string> Sessions() const;

    // Stores the message under its id, or under a fresh one when the id is empty; returns the id.
    std::string StoreMessage(StoredMessage message);
    std::optional<StoredMessage> FindMessage(const std::string& id) const;
    std::vector<StoredMessage> Messages() const;  // in the order stored
    int MessagesSentBy(const std::string& email) const;

    void SetVersion(VersionRecord version);
    VersionRecord Version() const;

    void AddLogReport(std::string report);
    std::vector<std::string> LogReports() const;

private:
    std::string NewIdLocked(const char* prefix);

    mutable std::mutex mutex_;
    std::vector<Account> accounts_;
    std::unordered_map<std::string, std::string> sessions_;  // id -> e-mail
    std::vector<StoredMessage> messages_;
    VersionRecord version_;
    std::vector<std::string> logReports_;
    std::uint64_t idCounter_ = 0;
    std::uint64_t idSalt_ = 0;
};

bool EqualsIgnoringCase(const std::string& left, const std::string& right);

}  // namespace sealwing::localservice
