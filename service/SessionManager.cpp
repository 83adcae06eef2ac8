#include "service/SessionManager.h"

#include "diagnostics/Log.h"
#include "platform/EntryGuard.h"
#include "platform/Platform.h"
#include "service/ServiceOperations.h"
#include "settings/PasswordCache.h"

namespace sealwing::service {
namespace {}  // namespace

SessionManager& SessionManager::Instance() {
    static SessionManager manager;
    return manager;
}

ServiceResult SessionManager::GetSession(std::wstring_view email, std::wstring& sessionId,
                                         platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    if (const auto found = sessions_.find(std::wstring(email)); found != sessions_.end()) {
        sessionId = found->second.session_id;
        return ServiceResult::Success;
    }
    ServiceResult result = ServiceResult::NotAuthorised;
    for (int attempt = 0; result == ServiceResult::NotAuthorised; ++attempt) {
        result = LoginWithPrompt(email, attempt, owner);
    }
    if (result == ServiceResult::Success) sessionId = sessions_.find(std::wstring(email))->second.session_id;
    return result;
}

ServiceResult SessionManager::LoginWithPrompt(std::wstring_view email, int attempt, platform::WindowHandle owner) {
    if (!settings::PasswordCache::Instance().HasPassword(email)) {
        if (!prompt_ || !prompt_(email, attempt, owner)) return ServiceResult::Cancelled;
    }
    AccountInfo info;
    ServiceResult result = Login(email, info);
    if (result == ServiceResult::Success) {
        sessions_[std::wstring(email)] = std::move(info);
        // The first pass of pings runs at once and may already find the new session dead and fail to renew it: the
        // caller then has no session, and learns why from the silent login.
        if (pingInterval_ > kPingIntervalMs) {
            const Dropped dropped = StartPingTimer();
            if (const auto found = dropped.find(std::wstring(email)); found != dropped.end()) result = found->second;
        }
    }
    // A password the service does not take is forgotten, so that the next attempt asks for it.
    if (result == ServiceResult::NotAuthorised) settings::PasswordCache::Instance().Forget(email);
    return result;
}

SessionManager::Dropped SessionManager::StartPingTimer() {
    pingInterval_ = kPingIntervalMs;
    timer_ = platform::TheUiThread().SetTimer(
        kPingIntervalMs, [this](platform::TimerId) { platform::GuardEntry([this] { PingAll(); }); });
    return PingPass();
}

ServiceResult SessionManager::IsRegistered(std::wstring_view email, bool& registered) {
    platform::AssertUiThread(__func__);
    if (sessions_.contains(std::wstring(email))) {
        registered = true;
        return ServiceResult::Success;
    }
    AccountStatus status;
    const ServiceResult result = CheckAccount(email, status);
    registered = status.registered;
    return result;
}

const AccountInfo* SessionManager::Account(std::wstring_view email) const {
    const auto found = sessions_.find(std::wstring(email));
    return found == sessions_.end() ? nullptr : &found->second;
}

// A session found dead is logged in again with the cached password, without asking; when that fails it leaves the
// map and the pass starts over, since the map changed under it. A ping that gets no answer proves nothing and
// leaves the session alone.
void SessionManager::PingAll() { PingPass(); }

SessionManager::Dropped SessionManager::PingPass() {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"Pinging");
    Dropped dropped;
    auto session = sessions_.begin();
    while (session != sessions_.end()) {
        bool alive = true;
        if (Ping(session->second.session_id, alive) != ServiceResult::Success || alive) {
            ++session;
            continue;
        }
        AccountInfo info;
        const ServiceResult login = Login(session->first, info);
        if (login == ServiceResult::Success) {
            session->second = std::move(info);
            ++session;
        } else {
            dropped[session->first] = login;
            sessions_.erase(session);
            session = sessions_.begin();
        }
    }
    return dropped;
}

void SessionManager::Reset() {
    if (timer_ != 0) platform::TheUiThread().KillTimer(timer_);
    timer_ = 0;
    pingInterval_ = kNoPingTimer;
    sessions_.clear();
}

void SessionManager::SetPasswordPrompt(PasswordPrompt prompt) { prompt_ = std::move(prompt); }

}  // namespace sealwing::service
