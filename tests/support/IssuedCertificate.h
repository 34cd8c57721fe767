#pragma once
// Certificates made in the test, for trust checks that need an authority and what it issued.

#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <string>
#include <utility>

struct TIssued {
    std::shared_ptr<EVP_PKEY> key;
    std::shared_ptr<X509> certificate;
};

// A certificate for `name`, signed by `issuer` (itself when none), valid from an hour ago for a day.
inline TIssued Issue(const std::string& name, const TIssued* issuer, bool authority) {
    static long serial = 1;
    TIssued made{std::shared_ptr<EVP_PKEY>(EVP_EC_gen("P-256"), EVP_PKEY_free),
                 std::shared_ptr<X509>(X509_new(), X509_free)};
    X509* certificate = made.certificate.get();
    X509_set_version(certificate, X509_VERSION_3);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial++);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(name.c_str()), -1, -1, 0);
    const TIssued& signer = issuer != nullptr ? *issuer : made;
    X509_set_issuer_name(certificate, X509_get_subject_name(signer.certificate.get()));
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 86400);
    X509_set_pubkey(certificate, made.key.get());
    X509V3_CTX context;
    X509V3_set_ctx(&context, signer.certificate.get(), certificate, nullptr, nullptr, 0);
    // The key identifiers tell a root from its twin of the same name, as in real bundles.
    for (const auto& [nid, value] :
         {std::pair{NID_basic_constraints, authority ? "critical,CA:TRUE" : "CA:FALSE"},
          std::pair{NID_subject_key_identifier, "hash"}, std::pair{NID_authority_key_identifier, "keyid:always"}}) {
        X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
        X509_add_ext(certificate, extension, -1);
        X509_EXTENSION_free(extension);
    }
    X509_sign(certificate, signer.key.get(), EVP_sha256());
    return made;
}
