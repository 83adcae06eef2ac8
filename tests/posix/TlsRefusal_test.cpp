// A service the client cannot verify gets nothing: a certificate from a CA the client was not given, or one that does
// not name the host the client asked for, ends every request in the handshake, before the Basic credentials or any
// other request byte leave, on each engine and through the service operations' login.

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "localservice/LocalService.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TempFolder.h"
#include "service/ServiceOperations.h"
#include "service/TransportEndpoint.h"
#include "settings/PasswordCache.h"

namespace sealwing {
namespace {

constexpr const wchar_t* kUser = L"ann@example.com";
constexpr const wchar_t* kPassword = L"T\u00F6rschl\u00FCssel-\u20AC-\u9375";
// The system HTTP service's number for a failed secure channel, which the libcurl engine reports for it.
constexpr std::uint32_t kHttpSecureFailure = 12175;

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};

// A self-signed CA of its own, which signed nothing the service serves: a root the client may be given in place of
// the service's.
std::string ForeignCaPem() {
    char curve[] = "P-256";
    std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", curve));
    std::unique_ptr<X509, CertificateFree> ca(X509_new());
    if (!key || !ca) throw std::runtime_error("cannot make the foreign CA");
    X509_set_version(ca.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(ca.get()), 7);
    X509_gmtime_adj(X509_getm_notBefore(ca.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(ca.get()), 86400);
    X509_NAME* name = X509_get_subject_name(ca.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Foreign Test CA"), -1,
                               -1, 0);
    X509_set_issuer_name(ca.get(), name);
    X509_set_pubkey(ca.get(), key.get());
    X509V3_CTX context;
    X509V3_set_ctx(&context, ca.get(), ca.get(), nullptr, nullptr, 0);
    for (const auto& [nid, value] : {std::pair{NID_basic_constraints, "critical,CA:TRUE"},
                                     std::pair{NID_key_usage, "critical,keyCertSign,cRLSign"}}) {
        X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
        if (extension == nullptr) throw std::runtime_error("cannot make the foreign CA's extensions");
        X509_add_ext(ca.get(), extension, -1);
        X509_EXTENSION_free(extension);
    }
    std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    if (X509_sign(ca.get(), key.get(), EVP_sha256()) <= 0 || !bio || PEM_write_bio_X509(bio.get(), ca.get()) != 1) {
        throw std::runtime_error("cannot sign the foreign CA");
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(size));
}

// How the client meets the service: under which host name, trusting which roots.
struct Meeting {
    const char* name;
    std::string host;
    std::filesystem::path caFile;
};

class TlsRefusalTest : public ::testing::Test {
protected:
    TlsRefusalTest() {
        ForgetPasswords();
        service_.State().AddAccount({.email = "ann@example.com", .password = platform::Utf8FromWide(kPassword)});
        if (const std::string error = service_.Start(temp_.Narrow() + "/certificates"); !error.empty()) {
            throw std::runtime_error("local service: " + error);
        }
        std::ofstream(foreignCa_) << ForeignCaPem();
    }
    ~TlsRefusalTest() override { ForgetPasswords(); }

    static void ForgetPasswords() { settings::PasswordCache::Instance().ClearForTests(); }

    // The refusals: the certificate chains to a root the client does not hold; the certificate names "localhost"
    // alone while the client asked for the address it reached it under.
    std::vector<Meeting> Refused() const {
        return {{"untrusted CA", "localhost", foreignCa_}, {"another host name", "127.0.0.1", service_.CaFile()}};
    }

    platform::HttpTarget Target(const std::string& host, const char* path) const {
        return {.host = host, .port = service_.Port(), .path = path, .userAgent = "Parcelon"};
    }

    platform::TempFolder temp_;
    localservice::LocalService service_;
    std::filesystem::path foreignCa_ = temp_.Narrow() + "/foreign-ca.pem";
    platform::ManualClock clock_;
    platform::PosixFileSystem files_{temp_.Path() + L"/roaming", temp_.Path() + L"/local"};
    const platform::HttpCredentials credentials_{.user = kUser, .password = kPassword};
};

TEST_F(TlsRefusalTest, EveryRequestPathOfBothEnginesFailsInTheHandshakeAndTheServiceReceivesNothing) {
    for (const Meeting& meeting : Refused()) {
        SCOPED_TRACE(meeting.name);
        platform::CurlHttp http({.caFile = meeting.caFile});
        const std::vector<std::pair<const char*, platform::HttpReply>> replies{
            {"GET", http.Get(Target(meeting.host, "rest/account.xml?init_session=1"), credentials_, {}, nullptr)},
            {"streamed GET", http.GetInto(Target(meeting.host, "rest/account.xml?init_session=1"), credentials_, {},
                                          nullptr, [](std::string_view) { return true; })},
            {"POST", http.Post(Target(meeting.host, "rest/message.xml"), "email=ann%40example.com",
                               "application/x-www-form-urlencoded", credentials_, nullptr)},
        };
        for (const auto& [path, reply] : replies) {
            EXPECT_EQ(reply.error, kHttpSecureFailure) << path;
            EXPECT_EQ(reply.status, 0U) << path;
            EXPECT_TRUE(reply.body.empty()) << path;
        }
        const platform::HttpReply form = http.PostForm(
            Target(meeting.host, "rest/message.xml"),
            {{.name = "email", .bytes = "ann@example.com"}, {.name = "password", .bytes = "in the form too"}},
            credentials_, nullptr);
        EXPECT_EQ(form.error, platform::kHttpFormPostFailed);
        EXPECT_NE(form.engineCode, 0);
        EXPECT_EQ(form.status, 0U);
    }
    EXPECT_EQ(service_.Requests().Count(), 0U) << "a request reached the service past a refused handshake";

    // The same requests to the service as it is named and signed arrive, credentials and all: the refusals above
    // came from the certificate checks, not from a service that was not listening.
    platform::CurlHttp trusting({.caFile = service_.CaFile()});
    const platform::HttpReply reply =
        trusting.Get(Target("localhost", "rest/account.xml?init_session=1"), credentials_, {}, nullptr);
    EXPECT_EQ(reply.error, 0U);
    EXPECT_EQ(reply.status, 200U);
    ASSERT_EQ(service_.Requests().Count(), 1U);
    EXPECT_TRUE(service_.Requests().All()[0].Header("Authorization").has_value());
}

TEST_F(TlsRefusalTest, ALoginAgainstAServiceThatFailsVerificationEndsAsAFailureWithoutASession) {
    settings::PasswordCache::Instance().SetPassword(kUser, kPassword);
    for (const Meeting& meeting : Refused()) {
        SCOPED_TRACE(meeting.name);
        platform::CurlHttp http({.caFile = meeting.caFile});
        const service::ScopedServiceEndpoint endpoint(
            service::ServiceEndpoint{.host = meeting.host, .port = service_.Port()});
        const platform::ScopedPlatform platform(platform::Platform{.clock = &clock_, .files = &files_, .http = &http});
        service::AccountInfo info;

        EXPECT_EQ(service::Login(kUser, info), service::ServiceResult::Failed);
        EXPECT_TRUE(info.session_id.empty());
    }
    EXPECT_EQ(service_.Requests().Count(), 0U);
    EXPECT_TRUE(service_.State().Sessions().empty());
}

}  // namespace
}  // namespace sealwing
