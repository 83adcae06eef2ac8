#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "localservice/Faults.h"
#include "localservice/RequestLog.h"
#include "localservice/ServiceState.h"

namespace sealwing::localservice {

struct Reply {
    int status = 200;
    std::string contentType = "text/xml; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// Which endpoint a request line names. Path segments are split before they are decoded, so an id holding an
// encoded "/" stays one segment.
Endpoint ClassifyEndpoint(std::string_view method, std::string_view target);

// The service's error form: <error><e1>first</e1><e2>second</e2>...</error>.
Reply ErrorReply(int status, const std::vector<std::string>& explanations);

// 401 with the Basic challenge a real service sends.
Reply UnauthorizedReply();

// Answers each endpoint as the service does, reading and changing `state`.
class ServiceEndpoints {
public:
    explicit ServiceEndpoints(ServiceState& state) : state_(state) {}

    Reply Answer(const RecordedRequest& request) const;

private:
    std::optional<Account> Authenticated(const RecordedRequest& request) const;
    Reply CheckUser(const RecordedRequest& request) const;
    Reply AccountInfo(const RecordedRequest& request) const;
    Reply AuthStatus(const RecordedRequest& request) const;
    Reply Message(const RecordedRequest& request) const;
    Reply Send(const RecordedRequest& request) const;
    Reply Attachment(const RecordedRequest& request) const;
    Reply Version() const;
    Reply LogReport(const RecordedRequest& request) const;
    Reply Reader(const RecordedRequest& request) const;

    ServiceState& state_;
};

}  // namespace sealwing::localservice
