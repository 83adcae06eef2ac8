#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/UiThread.h"
#include "platform/WindowSystem.h"
#include "service/ServiceRecords.h"

namespace sealwing::service {

// Logs each account in once per run, asking for the password when none is known, keeps the account as the login
// described it, and pings every session every 30 minutes, logging in again silently when the service reports one
// dead. UI thread only: the callers, the login dialog and the ping timer all run there, so the map has no lock.
class SessionManager {
public:
    static constexpr std::uint32_t kPingIntervalMs = 30 * 60 * 1000;
    static constexpr std::uint32_t kNoPingTimer = 0xFFFFFFFF;

    static SessionManager& Instance();

    // Asks the user for the account's password, over `owner`; true once a password is in the cache, false when the
    // user cancelled. `failedAttempts` counts the passwords the service refused so far. The login dialog supplies
    // it (dialogs::AskForPassword), so the session logic stays below the dialogs.
    using PasswordPrompt =
        std::function<bool(std::wstring_view email, int failedAttempts, platform::WindowHandle owner)>;
    void SetPasswordPrompt(PasswordPrompt prompt);

    // The account's session id: the stored one, or a new login that asks with the password prompt (owned by
    // `owner`) until the service accepts a password or the user cancels. Success, Cancelled, Failed or NotFound;
    // never NotAuthorised. Without a prompt, an account with no cached password ends Cancelled.
    ServiceResult GetSession(std::wstring_view email, std::wstring& sessionId,
                             platform::WindowHandle owner = platform::kNoWindow);
    // An account with a session is registered; otherwise the service is asked.
    ServiceResult IsRegistered(std::wstring_view email, bool& registered);
    // The account as its login described it; nullptr without a session.
    const AccountInfo* Account(std::wstring_view email) const;

    // The ping timer's pass over every session.
    void PingAll();

    std::uint32_t PingInterval() const { return pingInterval_; }
    std::size_t SessionCount() const { return sessions_.size(); }
    // Unload: stops the ping timer and forgets every session.
    void Reset();

private:
    // The sessions a pass dropped, with what the silent login answered for each.
    using Dropped = std::map<std::wstring, ServiceResult>;

    ServiceResult LoginWithPrompt(std::wstring_view email, int attempt, platform::WindowHandle owner);
    Dropped StartPingTimer();
    Dropped PingPass();

    std::map<std::wstring, AccountInfo> sessions_;
    std::uint32_t pingInterval_ = kNoPingTimer;
    platform::TimerId timer_ = 0;
    PasswordPrompt prompt_;
};

}  // namespace sealwing::service
