#pragma once

#include <cstdio>
#include <cstdlib>

#include "platform/Http.h"

namespace sealwing::testing {

// The HTTP port of a world without the local service: a request there is a fault of the test's set-up (it talks to
// a service it did not ask for), so it stops the test program with the request's path rather than reach out anywhere.
class NoServiceHttp final : public platform::Http {
public:
    platform::HttpProxySettings UserProxySettings() override { return {}; }
    platform::HttpReply Get(const platform::HttpTarget& target, const platform::HttpCredentials&,
                            const platform::HttpProgress&, platform::Event*) override {
        Refuse(target);
    }
    platform::HttpReply Post(const platform::HttpTarget& target, std::string_view, std::string_view,
                             const platform::HttpCredentials&, platform::Event*) override {
        Refuse(target);
    }
    platform::HttpReply PostForm(const platform::HttpTarget& target, const std::vector<platform::HttpFormPart>&,
                                 const platform::HttpCredentials&, platform::Event*) override {
        Refuse(target);
    }

private:
    [[noreturn]] static void Refuse(const platform::HttpTarget& target) {
        std::fprintf(stderr, "a request for %s in a world without the local service: start it (LocalServiceUse)\n",
                     target.path.c_str());
        std::abort();
    }
};

}  // namespace sealwing::testing
