#include "sim/TransportHeaders.h"

#include <vector>

#include "platform/Clock.h"
#include "platform/Text.h"

namespace sealwing::sim {
namespace {

std::wstring Joined(const std::vector<std::wstring>& addresses) {
    std::wstring text;
    for (const auto& address : addresses) {
        if (!text.empty()) text += L", ";
        text += address;
    }
    return text;
}

std::wstring DomainOf(const std::wstring& address) {
    const auto at = address.find(L'@');
    return at == std::wstring::npos ? std::wstring(L"example.com") : address.substr(at + 1);
}

}  // namespace

std::wstring TransportHeaders::Make(const ReceivedMailSetup& mail, const std::wstring& defaultTo,
                                    std::int64_t utcSeconds, std::uint32_t serial) {
    const std::wstring date = platform::WideFromUtf8(platform::FormatUtc(utcSeconds, "%a, %d %b %Y %H:%M:%S +0000"));
    const std::wstring domain = DomainOf(mail.senderAddress);
    const std::wstring from =
        mail.senderName.empty() ? mail.senderAddress : L"\"" + mail.senderName + L"\" <" + mail.senderAddress + L">";
    std::wstring headers;
    headers += L"Received: from mail." + domain + L" by mx.sim.invalid; " + date + L"\r\n";
    headers += L"From: " + from + L"\r\n";
    headers += L"To: " + (mail.to.empty() ? defaultTo : Joined(mail.to)) + L"\r\n";
    if (!mail.cc.empty()) headers += L"Cc: " + Joined(mail.cc) + L"\r\n";
    headers += L"Subject: " + mail.subject + L"\r\n";
    headers += L"Date: " + date + L"\r\n";
    headers +=
        L"Message-ID: <" + std::to_wstring(serial) + L"." + std::to_wstring(utcSeconds) + L"@" + domain + L">\r\n";
    headers += L"MIME-Version: 1.0\r\n";
    headers += mail.htmlBody.empty() ? L"Content-Type: text/plain; charset=\"utf-8\"\r\n"
                                     : L"Content-Type: text/html; charset=\"utf-8\"\r\n";
    return headers;
}

}  // namespace sealwing::sim
