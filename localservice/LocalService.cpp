#include "localservice/LocalService.h"

#include <httplib.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "localservice/SeedFile.h"
#include "localservice/TestCertificates.h"

namespace sealwing::localservice {

namespace {

// cpp-httplib parses a multipart body itself and keeps no raw bytes, and refuses one it cannot parse before any
// handler sees it. The service must record the body verbatim and answer a broken form the way it chooses, so the
// Content-Type is hidden under this name until the handler has read the raw body.
constexpr const char* hiddenContentType = "X-Sealwing-Content-Type";

constexpr std::chrono::milliseconds holdLimit{60'000};

constexpr std::array<std::string_view, 4> connectionPseudoHeaders{"REMOTE_ADDR", "REMOTE_PORT", "LOCAL_ADDR",
                                                                  "LOCAL_PORT"};

void DropConnection(const SSL* ssl) {
    int socket = ssl ? SSL_get_fd(ssl) : -1;
    if (socket >= 0) {
        ::shutdown(socket, SHUT_RDWR);
    }
}

std::string WholeBody(const httplib::ContentReader& reader) {
    std::string body;
    reader([&body](const char* data, std::size_t length) {
        body.append(data, length);
        return true;
    });
    return body;
}

RecordedRequest Record(const httplib::Request& request, std::string body) {
    RecordedRequest recorded{request.method, request.target, {}, std::move(body)};
    for (const auto& [name, value] : request.headers) {
        if (std::find(connectionPseudoHeaders.begin(), connectionPseudoHeaders.end(), name) !=
            connectionPseudoHeaders.end()) {
            continue;
        }
        recorded.headers.emplace_back(name == hiddenContentType ? "Content-Type" : name, value);
    }
    return recorded;
}

Reply FaultReply(const Fault& fault) {
    if (!fault.explanations.empty()) {
        return ErrorReply(fault.status.value_or(400), fault.explanations);
    }
    Reply reply;
    reply.status = fault.status.value_or(200);
    if (fault.body) {
        reply.body = *fault.body;
    } else if (reply.status == 401) {
        reply = UnauthorizedReply();
    } else {
        reply = ErrorReply(reply.status, {});
    }
    return reply;
}

void WriteReply(Reply reply, const Fault& fault, const httplib::Request& request, httplib::Response& response,
                const Gate& stopping) {
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) {
        response.set_header(name, value);
    }
    auto body = std::make_shared<std::string>(std::move(reply.body));
    if (fault.drop == Drop::DuringBody) {
        const SSL* ssl = request.ssl;
        response.set_content_provider(body->size(), reply.contentType,
                                      [body, ssl](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                          if (offset == 0) {
                                              sink.write(body->data(), body->size() / 2);
                                          }
                                          DropConnection(ssl);
                                          return false;
                                      });
    } else if (fault.chunkSize > 0) {
        std::size_t chunk = fault.chunkSize;
        std::chrono::milliseconds pause = fault.chunkPause;
        response.set_chunked_content_provider(
            reply.contentType, [body, chunk, pause, &stopping](std::size_t offset, httplib::DataSink& sink) {
                // A stopping service sends the rest at once.
                if (pause.count() > 0) stopping.Wait(pause);
                if (offset >= body->size()) {
                    sink.done();
                } else {
                    sink.write(body->data() + offset, std::min(chunk, body->size() - offset));
                }
                return true;
            });
    } else {
        response.set_content(*body, reply.contentType);
    }
}

}  // namespace

struct LocalService::Server {
    Server(const std::string& certificate, const std::string& key) : http(certificate.c_str(), key.c_str()) {}

    httplib::SSLServer http;
    Gate stopping;
};

LocalService::LocalService() = default;

LocalService::~LocalService() { Stop(); }

std::string LocalService::Start(const std::filesystem::path& certFolder, int port) {
    if (server_) {
        return "the local service is already running";
    }
    CertificateFiles files = CreateTestCertificates(certFolder);
    if (!files.error.empty()) {
        return files.error;
    }
    auto server = std::make_unique<Server>(files.serverCertificate.string(), files.serverKey.string());
    if (!server->http.is_valid()) {
        return "cannot load the server certificate from " + certFolder.string();
    }
    Server& running = *server;
    // A reply goes out as headers and body in separate writes; without this, the body waits on the client's delayed
    // acknowledgement (40 ms on Linux) and every request of every test pays for it.
    running.http.set_tcp_nodelay(true);
    auto answer = [this, &running](const httplib::Request& request, httplib::Response& response, std::string body,
                                   const Fault& fault) {
        RecordedRequest recorded = Record(request, std::move(body));
        requests_.Add(recorded);
        if (fault.hold) {
            fault.hold->Wait(holdLimit);
        }
        if (fault.delay.count() > 0) {
            running.stopping.Wait(fault.delay);
        }
        if (fault.drop == Drop::BeforeReply) {
            DropConnection(request.ssl);
            return;
        }
        WriteReply(fault.ReplacesAnswer() ? FaultReply(fault) : endpoints_.Answer(recorded), fault, request, response,
                   running.stopping);
    };
    running.http.set_pre_routing_handler([](const httplib::Request& request, httplib::Response&) {
        auto& headers = const_cast<httplib::Request&>(request).headers;
        auto found = headers.find("Content-Type");
        if (found != headers.end()) {
            std::string value = found->second;
            headers.erase(found);
            headers.emplace(hiddenContentType, std::move(value));
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    const std::string anyPath = "[\\s\\S]*";
    running.http.Get(anyPath, [this, answer](const httplib::Request& request, httplib::Response& response) {
        answer(request, response, request.body, faults_.Take(ClassifyEndpoint(request.method, request.target)));
    });
    running.http.Post(anyPath, [this, answer](const httplib::Request& request, httplib::Response& response,
                                              const httplib::ContentReader& reader) {
        if (seedControl_ && request.path == kSeedControlPath) {
            faults_.ClearAll();
            const std::string error = LoadSeed(WholeBody(reader), {}, state_, faults_);
            response.status = error.empty() ? 200 : 400;
            response.set_content(error, "text/plain");
            return;
        }
        const Fault fault = faults_.Take(ClassifyEndpoint(request.method, request.target));
        if (fault.drop == Drop::BeforeRequestBody || fault.drop == Drop::DuringRequestBody) {
            std::string body;
            // What arrived is recorded, as it reached the service; the connection then goes, the body half read.
            const std::size_t keep =
                fault.drop == Drop::BeforeRequestBody
                    ? 0
                    : std::strtoull(request.get_header_value("Content-Length").c_str(), nullptr, 10) / 2;
            if (keep > 0) {
                reader([&body, keep](const char* data, std::size_t length) {
                    body.append(data, std::min(length, keep - body.size()));
                    return body.size() < keep;
                });
            }
            requests_.Add(Record(request, std::move(body)));
            DropConnection(request.ssl);
            return;
        }
        answer(request, response, WholeBody(reader), fault);
    });

    if (port == 0) {
        port_ = running.http.bind_to_any_port("127.0.0.1");
    } else {
        port_ = running.http.bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (port_ <= 0) {
        port_ = 0;
        return "cannot listen on 127.0.0.1:" + std::to_string(port);
    }
    caFile_ = files.caCertificate;
    server_ = std::move(server);
    listener_ = std::thread([&running] { running.http.listen_after_bind(); });
    // cpp-httplib's stop() does nothing until the accept loop runs, so a service stopped right after it started
    // would leave that loop waiting forever: Start returns only once it runs. The socket already accepts meanwhile.
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!running.http.is_running() && std::chrono::steady_clock::now() < limit) {
        std::this_thread::yield();
    }
    if (!running.http.is_running()) {
        Stop();
        return "the local service did not start listening";
    }
    return {};
}

void LocalService::Stop() {
    if (!server_) {
        return;
    }
    faults_.ReleaseAll();
    server_->stopping.Release();
    server_->http.stop();
    if (listener_.joinable()) {
        listener_.join();
    }
    server_.reset();
}

}  // namespace sealwing::localservice
