#pragma once
// A bundle file of authorities (on Linux the system's, where the library's default paths point). The bundle holds well
// over a hundred certificates, about a megabyte once they are all decoded, while a verification needs the one or two
// that issued the server's chain: the bundle is read one certificate at a time, when the verification asks for an
// issuer of a given name, and only those of that name are kept. What is trusted stays what the whole bundle loaded at
// once would trust.

#include <string>

typedef struct x509_store_st X509_STORE;

namespace ftp::tls {

// The certificates of the PEM bundle at `path` join `store` when a verification through it looks for an issuer of
// their name. The first such look indexes the bundle by name; a bundle with a broken certificate in it trusts
// nothing, as when it is loaded at once. Blocks other than certificates (keys, revocation lists) are passed over.
void TrustBundleOnDemand(X509_STORE* store, const std::string& path);

} // namespace ftp::tls
