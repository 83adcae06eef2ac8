#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "SealwingVersion.h"
#include "platform/Http.h"
#include "service/ServiceRecords.h"

// Every exchange with the service: one HTTPS request, its reply bytes and its HTTP status. The transport knows
// nothing about XML. A user name without a cached password contacts nobody and answers status 401 with transport
// error 0, exactly what a rejected login produces.
namespace sealwing::service {

inline constexpr const char* kUserAgent = "Parcelon outlook addin v" SEALWING_VERSION_TEXT ".0";
inline constexpr const char* kMessagePath = "rest/message.xml";
inline constexpr const char* kLogReportPath = "secure/log/outlookEventReport";

struct TransportReply {
    std::uint32_t error = 0;   // 0, or a platform error number (platform::kHttpCannotConnect, ...)
    std::uint32_t status = 0;  // 0 when no reply was read
    std::string body{};
};

// What a reply means to the caller: 200 read without an error is Success, 401 NotAuthorised, 404 NotFound, anything
// else (no reply at all among it) Failed.
ServiceResult ResultOf(const TransportReply& reply);

// An empty user is an anonymous request. Progress and cancel are for downloads the user watches: a signalled
// cancel ends the request with platform::kHttpCancelled and keeps the bytes read so far. Every request keeps the
// limits of RequestLimits (a GET with progress those of a transfer) and ends past them with platform::kHttpTimedOut.
// A sink takes the body of a 200 reply chunk by chunk instead of the reply (platform::Http::GetInto).
TransportReply HttpGet(std::string_view path, std::wstring_view user, const platform::HttpProgress& progress = {},
                       platform::Event* cancel = nullptr, const platform::HttpSink& sink = {});

// Posts a body from the own form writer to rest/message.xml. The posts' cancel event is the send queue's stop: a
// signalled one ends an upload at once (platform::kHttpCancelled; the form engine's kHttpFormPostFailed).
TransportReply HttpPostMultipart(std::string_view body, std::string_view boundary, std::wstring_view user,
                                 platform::Event* cancel = nullptr);

// A message with attachments through the form engine, to rest/message.xml. error is 0, kHttpCannotConnect or
// kHttpFormPostFailed.
TransportReply PostMessageForm(const std::vector<platform::HttpFormPart>& parts, std::wstring_view user,
                               platform::Event* cancel = nullptr);

struct LogReportReply {
    int engineCode = 0;  // the form engine's result, unchanged (7: could not connect)
    std::uint32_t status = 0;
};

// The activity-log report: anonymous, its reply is not kept.
LogReportReply PostLogReportForm(const std::vector<platform::HttpFormPart>& parts);

}  // namespace sealwing::service
