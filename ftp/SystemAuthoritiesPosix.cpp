#include "ftp/SystemAuthorities.h"
#include "ftp/TlsAuthorities.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <cstdlib>

void ftp::tls::TrustSystemAuthorities(SSL_CTX* context) {
    // The library's default paths, with its bundle file read on demand instead of at once: the folder and the
    // store it adds look a name up when asked anyway.
    X509_STORE* store = SSL_CTX_get_cert_store(context);
    const char* fromEnvironment = std::getenv(X509_get_default_cert_file_env());
    TrustBundleOnDemand(store, fromEnvironment != nullptr ? fromEnvironment : X509_get_default_cert_file());
    if (X509_LOOKUP* folder = X509_STORE_add_lookup(store, X509_LOOKUP_hash_dir()))
        X509_LOOKUP_ctrl(folder, X509_L_ADD_DIR, nullptr, X509_FILETYPE_DEFAULT, nullptr);
    if (X509_LOOKUP* uri = X509_STORE_add_lookup(store, X509_LOOKUP_store()))
        X509_LOOKUP_ctrl(uri, X509_L_ADD_STORE, nullptr, 0, nullptr);
    ERR_clear_error();
}
