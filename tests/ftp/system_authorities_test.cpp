// Under Wine: the certificates of a system store, the user's or the machine's, are authorities the TLS library trusts,
// and nothing else is. Wine's "ROOT" shows the host's authorities and no certificate added to it, so the test's own
// authority goes into a store of the test's own, made and removed by it.
#include "ftp/SystemAuthorities.h"
#include "tests/support/IssuedCertificate.h"

// The system's headers before the TLS library's, which then take back the names they both define.
#include <windows.h>

#include <wincrypt.h> // needs windows.h before it

#include <gtest/gtest.h>
#include <memory>
#include <openssl/ssl.h>
#include <openssl/x509.h>

namespace {

// As a handshake would judge `certificate` through a context that trusts the store `name`.
bool TrustedThrough(const wchar_t* name, X509* certificate) {
    std::unique_ptr<X509_STORE, decltype(&X509_STORE_free)> trusted(X509_STORE_new(), X509_STORE_free);
    ftp::tls::AddSystemStoreAuthorities(name, trusted.get());
    std::unique_ptr<X509_STORE_CTX, decltype(&X509_STORE_CTX_free)> check(X509_STORE_CTX_new(), X509_STORE_CTX_free);
    X509_STORE_CTX_init(check.get(), trusted.get(), certificate, nullptr);
    return X509_verify_cert(check.get()) == 1;
}

} // namespace

TEST(SystemAuthorities, TheCertificatesOfASystemStoreAreTrustedAndGoneWithIt) {
    constexpr const wchar_t* kStore = L"Ferrylo test authorities";
    for (const DWORD location : {CERT_SYSTEM_STORE_CURRENT_USER, CERT_SYSTEM_STORE_LOCAL_MACHINE}) {
        SCOPED_TRACE(location == CERT_SYSTEM_STORE_CURRENT_USER ? "the user's store" : "the machine's store");
        const TIssued authority = Issue("Тестовый центр Ferrylo", nullptr, true);
        ASSERT_FALSE(TrustedThrough(kStore, authority.certificate.get()));

        unsigned char* der = nullptr;
        const int length = i2d_X509(authority.certificate.get(), &der);
        ASSERT_GT(length, 0);
        HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, location, kStore);
        ASSERT_NE(store, nullptr);
        const bool put = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der, static_cast<DWORD>(length),
                                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
        OPENSSL_free(der);
        CertCloseStore(store, 0);
        ASSERT_TRUE(put);
        EXPECT_TRUE(TrustedThrough(kStore, authority.certificate.get()));

        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, location | CERT_STORE_DELETE_FLAG, kStore);
        EXPECT_FALSE(TrustedThrough(kStore, authority.certificate.get()));
    }
}

// The store a connection trusts is "ROOT" with what it holds (Wine's: the host's authorities).
TEST(SystemAuthorities, ANewContextTrustsTheRootStore) {
    std::unique_ptr<X509_STORE, decltype(&X509_STORE_free)> roots(X509_STORE_new(), X509_STORE_free);
    const int held = ftp::tls::AddSystemStoreAuthorities(L"ROOT", roots.get());
    ASSERT_GT(held, 0);
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
    ftp::tls::TrustSystemAuthorities(context.get());
    EXPECT_EQ(sk_X509_OBJECT_num(X509_STORE_get0_objects(SSL_CTX_get_cert_store(context.get()))),
              sk_X509_OBJECT_num(X509_STORE_get0_objects(roots.get())));
}
