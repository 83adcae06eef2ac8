#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sealwing::localservice {

enum class Endpoint {
    CheckUser,   // GET secure/accounts/checkUser
    Account,     // GET rest/account.xml
    AuthStatus,  // GET secure/accounts/authStatus
    Message,     // GET rest/message/<id>.xml
    Send,        // POST rest/message.xml
    Attachment,  // GET rest/attachment/<message id>/<attachment id>.xml
    Version,     // GET downloads/outlook-add-in/version.xml
    LogReport,   // POST secure/log/outlookEventReport
    Reader,      // GET outlook-reader/<session>/<message id>
    Unknown,
};

// The names the seed file and the logs use: "checkUser", "account", "authStatus", "message", "send", "attachment",
// "version", "logReport", "reader".
std::string_view EndpointName(Endpoint endpoint);
std::optional<Endpoint> EndpointFromName(std::string_view name);

// Holds requests until the test releases it (or the service stops), so a test can act while a request is in flight
// without sleeping.
class Gate {
public:
    void Release();
    bool Released() const;
    // Waits until released, at most `limit` (a guard against a test that forgets to release); true if released.
    bool Wait(std::chrono::milliseconds limit) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool released_ = false;
};

enum class Drop {
    None,
    BeforeRequestBody,  // a POST's connection closes once its headers are read, before any byte of its body
    DuringRequestBody,  // a POST's connection closes once half of its body is read
    BeforeReply,        // the connection closes after the request was read, before any reply byte
    DuringBody,         // the headers and half of the body are sent, then the connection closes
};

// How one endpoint misbehaves. A fault with `status`, `explanations` or `body` replaces the service's own answer
// (the request then changes no state); a delay, a hold, chunking or a drop during the body wrap the real answer.
struct Fault {
    std::optional<int> status{};              // the reply's status (400 when only explanations are given)
    std::vector<std::string> explanations{};  // sent as <error><e1>..</e1><e2>..</e2></error>
    std::optional<std::string> body{};        // a body sent as it is, e.g. malformed XML
    Drop drop = Drop::None;
    std::chrono::milliseconds delay{0};       // bounded pause before answering
    std::shared_ptr<Gate> hold{};             // pause until released
    std::size_t chunkSize = 0;                // > 0: the body goes out in chunks of this size (chunked encoding)
    std::chrono::milliseconds chunkPause{0};  // with chunkSize: a pause before every chunk (a reply that trickles)
    int times = 0;                            // how many requests it applies to; 0 = every request
    int after = 0;                            // how many requests it leaves alone before it applies

    bool ReplacesAnswer() const { return status || !explanations.empty() || body; }
};

// The faults per endpoint, set by tests and the seed file while requests are being answered.
class FaultTable {
public:
    void Set(Endpoint endpoint, Fault fault);
    void Clear(Endpoint endpoint);
    void ClearAll();
    // Creates a hold on the endpoint and returns its gate.
    std::shared_ptr<Gate> Hold(Endpoint endpoint);
    // The fault for one request to the endpoint, counting it against `times`.
    Fault Take(Endpoint endpoint);
    // Releases every gate, so no request stays held (used when the service stops).
    void ReleaseAll();

private:
    std::mutex mutex_;
    std::map<Endpoint, Fault> faults_;
    std::vector<std::shared_ptr<Gate>> gates_;
};

}  // namespace sealwing::localservice
