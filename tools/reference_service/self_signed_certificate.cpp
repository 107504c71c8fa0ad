#include "self_signed_certificate.h"

#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include <stdexcept>

namespace refsvc {
namespace {

constexpr long kValidSeconds = 24L * 60 * 60;

void require(bool done, const char* step) {
    if (!done) throw std::runtime_error(std::string("cannot make the self-signed certificate: ") + step);
}

void addExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    require(extension && X509_add_ext(certificate, extension, -1), "extension");
    X509_EXTENSION_free(extension);
}

}  // namespace

SelfSignedCertificate SelfSignedCertificate::make() {
    SelfSignedCertificate made;
    made.key.reset(EVP_RSA_gen(2048));
    require(made.key != nullptr, "key");
    made.certificate.reset(X509_new());
    X509* certificate = made.certificate.get();
    require(certificate && X509_set_version(certificate, 2), "certificate");
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -60);
    X509_gmtime_adj(X509_getm_notAfter(certificate), kValidSeconds);
    X509_NAME* name = X509_get_subject_name(certificate);
    require(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                       reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0),
            "name");
    require(X509_set_issuer_name(certificate, name), "issuer");
    // The right name and a server's use: only the trust in its signer is missing.
    addExtension(certificate, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    addExtension(certificate, NID_ext_key_usage, "serverAuth");
    require(X509_set_pubkey(certificate, made.key.get()), "public key");
    require(X509_sign(certificate, made.key.get(), EVP_sha256()) > 0, "signature");
    return made;
}

}  // namespace refsvc
