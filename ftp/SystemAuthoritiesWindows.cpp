#include "ftp/SystemAuthorities.h"

// The system's headers before the TLS library's, which then take back the names they both define.
#include <windows.h>

#include <wincrypt.h> // needs windows.h before it

#include <openssl/ssl.h>
#include <openssl/x509.h>

namespace {

int AddAuthoritiesOf(DWORD location, const wchar_t* name, X509_STORE* trusted) {
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                     location | CERT_STORE_READONLY_FLAG | CERT_STORE_OPEN_EXISTING_FLAG, name);
    if (store == nullptr)
        return 0;
    int count = 0;
    for (PCCERT_CONTEXT held = CertEnumCertificatesInStore(store, nullptr); held != nullptr;
         held = CertEnumCertificatesInStore(store, held)) {
        const unsigned char* der = held->pbCertEncoded;
        if (X509* certificate = d2i_X509(nullptr, &der, static_cast<long>(held->cbCertEncoded))) {
            X509_STORE_add_cert(trusted, certificate); // one the store has already is skipped
            X509_free(certificate);
            ++count;
        }
    }
    CertCloseStore(store, 0);
    return count;
}

} // namespace

// The user's own and the machine's: not every implementation of the user's store shows the machine's too.
int ftp::tls::AddSystemStoreAuthorities(const wchar_t* name, X509_STORE* trusted) {
    return AddAuthoritiesOf(CERT_SYSTEM_STORE_CURRENT_USER, name, trusted) +
           AddAuthoritiesOf(CERT_SYSTEM_STORE_LOCAL_MACHINE, name, trusted);
}

// With no authority readable, every server's certificate is asked about, as a self-signed one is.
void ftp::tls::TrustSystemAuthorities(SSL_CTX* context) {
    AddSystemStoreAuthorities(L"ROOT", SSL_CTX_get_cert_store(context));
}
