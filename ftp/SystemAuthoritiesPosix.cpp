#include "ftp/SystemAuthorities.h"

#include <openssl/ssl.h>

void ftp::tls::TrustSystemAuthorities(SSL_CTX* context) {
    SSL_CTX_set_default_verify_paths(context);
}
