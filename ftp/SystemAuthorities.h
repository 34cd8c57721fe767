#pragma once
// The certificate authorities the system trusts, handed to the TLS library's verification: a server whose certificate
// one of them issued for its name is trusted without a question, as the user's other programs trust it.

typedef struct ssl_ctx_st SSL_CTX;
typedef struct x509_store_st X509_STORE;

namespace ftp::tls {

// Linux: the distribution's bundle (SSL_CERT_FILE when set), read on demand, and folder (SSL_CERT_DIR when set), the
// library's default paths. Windows: the certificates of the
// system's "ROOT" store, since the library's default paths there name a folder of the machine it was built on.
void TrustSystemAuthorities(SSL_CTX* context);

#ifdef _WIN32
// Adds the certificates of the system store `name` (the user's and the machine's) to `trusted`; how many there were.
int AddSystemStoreAuthorities(const wchar_t* name, X509_STORE* trusted);
#endif

} // namespace ftp::tls
