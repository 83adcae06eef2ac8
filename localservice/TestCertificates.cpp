#include "localservice/TestCertificates.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>
#include <string>
#include <system_error>

namespace sealwing::localservice {

namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;
using CertificatePtr = std::unique_ptr<X509, CertificateFree>;
using FilePtr = std::unique_ptr<std::FILE, FileClose>;

bool AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (!extension) {
        return false;
    }
    bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

CertificatePtr NewCertificate(EVP_PKEY* key, const char* commonName) {
    CertificatePtr certificate(X509_new());
    unsigned char serial[8];
    if (!certificate || RAND_bytes(serial, sizeof serial) != 1) {
        return nullptr;
    }
    serial[0] &= 0x7F;
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    bool ok = number && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate.get())) != nullptr;
    BN_free(number);
    ok = ok && X509_set_version(certificate.get(), 2) == 1;
    ok = ok && X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600) != nullptr;
    ok = ok && X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 30L * 24 * 3600) != nullptr;
    ok = ok && X509_set_pubkey(certificate.get(), key) == 1;
    X509_NAME* name = X509_get_subject_name(certificate.get());
    ok = ok &&
         X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                                    reinterpret_cast<const unsigned char*>("Sealwing local service"), -1, -1, 0) == 1;
    ok = ok && X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName),
                                          -1, -1, 0) == 1;
    return ok ? std::move(certificate) : nullptr;
}

struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};

// The PEM texts of one CA, its server certificate and the server's key.
struct Pems {
    std::string ca{};
    std::string server{};
    std::string serverKey{};
    std::string error{};
};

template <class Write>
std::string ToPem(Write write) {
    std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    if (!bio || write(bio.get()) != 1) {
        return {};
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

// What EVP_EC_gen does, without its macro's cast away from const.
KeyPtr NewP256Key() {
    char curve[] = "P-256";
    return KeyPtr(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", curve));
}

Pems GeneratePems() {
    KeyPtr caKey = NewP256Key();
    KeyPtr serverKey = NewP256Key();
    if (!caKey || !serverKey) {
        return {.error = "cannot generate EC keys"};
    }

    CertificatePtr ca = NewCertificate(caKey.get(), "Sealwing Test CA");
    bool ok = ca && X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get())) == 1 &&
              AddExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE") &&
              AddExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign") &&
              AddExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash") &&
              X509_sign(ca.get(), caKey.get(), EVP_sha256()) > 0;

    CertificatePtr server = ok ? NewCertificate(serverKey.get(), "localhost") : nullptr;
    ok = ok && server && X509_set_issuer_name(server.get(), X509_get_subject_name(ca.get())) == 1 &&
         AddExtension(server.get(), ca.get(), NID_basic_constraints, "critical,CA:FALSE") &&
         AddExtension(server.get(), ca.get(), NID_key_usage, "critical,digitalSignature") &&
         AddExtension(server.get(), ca.get(), NID_ext_key_usage, "serverAuth") &&
         AddExtension(server.get(), ca.get(), NID_subject_alt_name, "DNS:localhost") &&
         AddExtension(server.get(), ca.get(), NID_subject_key_identifier, "hash") &&
         AddExtension(server.get(), ca.get(), NID_authority_key_identifier, "keyid:always") &&
         X509_sign(server.get(), caKey.get(), EVP_sha256()) > 0;
    if (!ok) {
        return {.error = "cannot build the test certificates"};
    }
    Pems pems{.ca = ToPem([&](BIO* bio) { return PEM_write_bio_X509(bio, ca.get()); }),
              .server = ToPem([&](BIO* bio) { return PEM_write_bio_X509(bio, server.get()); }),
              .serverKey = ToPem([&](BIO* bio) {
                  return PEM_write_bio_PrivateKey(bio, serverKey.get(), nullptr, nullptr, 0, nullptr, nullptr);
              })};
    if (pems.ca.empty() || pems.server.empty() || pems.serverKey.empty()) {
        pems.error = "cannot write the test certificates";
    }
    return pems;
}

bool WriteFile(const std::filesystem::path& path, const std::string& text, bool secret) {
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    if (secret) {
        std::error_code error;
        std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::replace, error);
        if (error) {
            return false;
        }
    }
    return std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() && std::fflush(file.get()) == 0;
}

}  // namespace

CertificateFiles CreateTestCertificates(const std::filesystem::path& folder) {
    CertificateFiles files{folder / "ca.pem", folder / "server.pem", folder / "server-key.pem", {}};
    std::error_code folderError;
    std::filesystem::create_directories(folder, folderError);
    if (folderError) {
        files.error = "cannot create " + folder.string() + ": " + folderError.message();
        return files;
    }

    // Key generation is the slow part of starting a service, so one process makes one CA and every service it starts
    // serves that CA's certificate: still fresh for each run, never stored beyond it.
    static const Pems pems = GeneratePems();
    if (!pems.error.empty()) {
        files.error = pems.error;
        return files;
    }
    if (!WriteFile(files.caCertificate, pems.ca, false) || !WriteFile(files.serverCertificate, pems.server, false) ||
        !WriteFile(files.serverKey, pems.serverKey, true)) {
        files.error = "cannot write the test certificates to " + folder.string();
    }
    return files;
}

}  // namespace sealwing::localservice
