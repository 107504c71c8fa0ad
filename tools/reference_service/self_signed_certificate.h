#pragma once
#include <memory>

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace refsvc {

// A fresh key and a certificate for 127.0.0.1 and localhost signed by that
// key alone: no client trusts it, which is what the tests of an untrusted
// service want. Throws std::runtime_error when OpenSSL fails.
struct SelfSignedCertificate {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key{nullptr, EVP_PKEY_free};
    std::unique_ptr<X509, decltype(&X509_free)> certificate{nullptr, X509_free};

    static SelfSignedCertificate make();
};

}  // namespace refsvc
