// Differential fuzzing of the two HTTP engines' form writers: the same parts, with fuzzed names, file names, types
// and bytes, written by libcurl's form engine (the Linux build) and by the Windows build's own writer, must reach the
// local service's multipart parser as the same parts, names and file names encoded the same way, and the bytes as
// they were given.
//
// libcurl writes a form only into a transfer, so its transfer goes over a Unix socket to a reader in this process,
// which answers once the request is whole.

#include <fuzzer/FuzzedDataProvider.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "localservice/Multipart.h"
#include "platform/FormBody.h"
#include "platform/FormParameter.h"
#include "platform/Http.h"
#include "platform/posix/CurlForm.h"

namespace {

using sealwing::localservice::FormPart;
using sealwing::platform::HttpFormPart;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "form writers differ: %s\n", what);
    std::abort();
}

struct Request {
    std::string contentType;
    std::string body;
};

// What one HTTP/1.1 request holds: its Content-Type and its body of Content-Length bytes. Reads until both are in.
std::optional<Request> ReadRequest(int fd) {
    std::string received;
    std::size_t headersEnd = std::string::npos;
    std::size_t length = 0;
    char buffer[65536];
    for (;;) {
        if (headersEnd == std::string::npos && (headersEnd = received.find("\r\n\r\n")) != std::string::npos) {
            const std::string headers = received.substr(0, headersEnd + 2);
            const std::size_t at = headers.find("\r\nContent-Length: ");
            if (at == std::string::npos) return std::nullopt;
            length = std::strtoull(headers.c_str() + at + 18, nullptr, 10);
        }
        if (headersEnd != std::string::npos && received.size() >= headersEnd + 4 + length) break;
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) return std::nullopt;
        received.append(buffer, static_cast<std::size_t>(count));
    }
    Request request;
    const std::string headers = received.substr(0, headersEnd + 2);
    if (const std::size_t at = headers.find("\r\nContent-Type: "); at != std::string::npos) {
        request.contentType = headers.substr(at + 16, headers.find("\r\n", at + 16) - (at + 16));
    }
    request.body = received.substr(headersEnd + 4, length);
    return request;
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

// The service's stand-in on a Unix socket, on a thread of its own: it reads each request, keeps the latest for the
// fuzzer and answers it.
class Service {
public:
    Service() : name_("sealwing-forms-fuzz-" + std::to_string(::getpid())) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        name_.copy(address.sun_path + 1, name_.size());
        if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address),
                   static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name_.size())) != 0 ||
            ::listen(listener_, 4) != 0) {
            Fail("no socket to listen on");
        }
        std::thread([this] { Serve(); }).detach();  // lives as long as the process
    }

    const std::string& Name() const { return name_; }

    // The request the service read last; nothing when the connection ended before a whole request.
    std::optional<Request> Take() {
        std::lock_guard guard(lock_);
        return std::exchange(latest_, std::nullopt);
    }

private:
    // One request a connection, answered and closed: the fuzzer's transfers run one after another.
    void Serve() {
        for (;;) {
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) continue;
            if (std::optional<Request> request = ReadRequest(connection)) {
                {
                    std::lock_guard guard(lock_);
                    latest_ = std::move(request);
                }
                static constexpr char kReply[] = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
                ::send(connection, kReply, sizeof kReply - 1, MSG_NOSIGNAL);
            }
            ::close(connection);
        }
    }

    std::string name_;
    int listener_ = -1;
    std::mutex lock_;
    std::optional<Request> latest_;
};

Service* g_service = nullptr;
CURL* g_easy = nullptr;

// The request libcurl sends for the parts, as the Linux engine builds the form.
std::optional<Request> CurlRequest(const std::vector<HttpFormPart>& parts) {
    curl_mime* mime = curl_mime_init(g_easy);
    bool built = true;
    for (const HttpFormPart& part : parts) built = built && sealwing::platform::AddFormPart(mime, part) == CURLE_OK;
    if (!built) Fail("libcurl refused a part");
    curl_easy_setopt(g_easy, CURLOPT_MIMEPOST, mime);
    const CURLcode sent = curl_easy_perform(g_easy);
    curl_easy_setopt(g_easy, CURLOPT_MIMEPOST, nullptr);
    curl_mime_free(mime);
    if (sent != CURLE_OK) Fail(curl_easy_strerror(sent));
    // The reply follows the request's last byte, so the service has kept the request before libcurl returns.
    return g_service->Take();
}

std::vector<FormPart> Parsed(const std::string& contentType, const std::string& body, const char* writer) {
    const std::optional<std::string> boundary = sealwing::localservice::MultipartBoundary(contentType);
    if (!boundary) Fail(writer);
    std::optional<std::vector<FormPart>> parts = sealwing::localservice::ParseMultipart(body, *boundary);
    if (!parts) Fail(writer);
    return *std::move(parts);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    g_service = new Service;  // NOLINT: lives as long as the process, as its thread does
    g_easy = curl_easy_init();
    static curl_slist* const headers = curl_slist_append(nullptr, "Expect:");
    curl_easy_setopt(g_easy, CURLOPT_URL, "http://localhost/form");
    curl_easy_setopt(g_easy, CURLOPT_ABSTRACT_UNIX_SOCKET, g_service->Name().c_str());
    curl_easy_setopt(g_easy, CURLOPT_WRITEFUNCTION, Discard);
    curl_easy_setopt(g_easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(g_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(g_easy, CURLOPT_FORBID_REUSE, 1L);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<HttpFormPart> parts;
    std::deque<std::string> lent;  // the bytes that every second part borrows instead of holding
    const int count = input.ConsumeIntegralInRange(1, 6);
    for (int index = 0; index < count && input.remaining_bytes() > 0; ++index) {
        HttpFormPart part;
        part.name = input.ConsumeRandomLengthString(64);
        part.isFile = input.ConsumeBool();
        if (part.isFile) {
            part.fileName = input.ConsumeRandomLengthString(128);
            // What the add-in gives a file: one Content-Type line, whose type the fuzzer picks within a header line.
            std::string type = input.ConsumeRandomLengthString(32);
            std::erase_if(type, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
            part.contentHeader = "Content-Type: " + (type.empty() ? std::string("application/octet-stream") : type);
        }
        part.bytes = input.ConsumeRandomLengthString(512);
        if (index % 2 == 1) part.borrowedBytes = &lent.emplace_back(std::exchange(part.bytes, {}));
        parts.push_back(std::move(part));
    }

    const std::optional<Request> fromCurl = CurlRequest(parts);
    if (!fromCurl) Fail("libcurl's request could not be read");
    const std::string boundary = sealwing::platform::FormBoundary(parts);
    const std::vector<FormPart> own = Parsed("multipart/form-data; boundary=" + boundary,
                                             sealwing::platform::FormBody(parts, boundary), "own writer");
    const std::vector<FormPart> curl = Parsed(fromCurl->contentType, fromCurl->body, "libcurl");

    if (own.size() != parts.size() || curl.size() != parts.size()) Fail("part count");
    for (std::size_t at = 0; at < parts.size(); ++at) {
        const FormPart& a = own[at];
        const FormPart& b = curl[at];
        if (a.name != b.name) Fail("name");
        if (a.isFile != b.isFile || a.fileName != b.fileName) Fail("file name");
        if (a.contentType != b.contentType) Fail("content type");
        if (a.content != b.content || a.content != parts[at].Bytes()) Fail("bytes");
    }
    return 0;
}
