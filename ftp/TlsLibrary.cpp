#include "ftp/TlsLibrary.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace ftp::tls {
namespace {

constexpr int WsaWouldBlock = 10035;

platform::SocketId SocketOf(BIO* bio) {
    return static_cast<platform::SocketId>(reinterpret_cast<std::intptr_t>(BIO_get_data(bio)));
}

int BioWrite(BIO* bio, const char* data, int size) {
    BIO_clear_retry_flags(bio);
    const int64_t sent = platform::Send(SocketOf(bio), data, size);
    if (sent < 0 && platform::LastError() == WsaWouldBlock)
        BIO_set_retry_write(bio);
    return static_cast<int>(sent);
}

int BioRead(BIO* bio, char* data, int size) {
    BIO_clear_retry_flags(bio);
    const int64_t got = platform::Receive(SocketOf(bio), data, size);
    if (got < 0 && platform::LastError() == WsaWouldBlock)
        BIO_set_retry_read(bio);
    return static_cast<int>(got);
}

long BioControl(BIO*, int command, long, void*) {
    return command == BIO_CTRL_FLUSH ? 1 : 0; // the socket sends at once; nothing else is asked of it
}

int BioCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

// The socket belongs to the channel's handle: the BIO never closes it.
int BioDestroy(BIO*) {
    return 1;
}

BIO_METHOD* SocketMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "ferrylo socket");
        BIO_meth_set_write(made, BioWrite);
        BIO_meth_set_read(made, BioRead);
        BIO_meth_set_ctrl(made, BioControl);
        BIO_meth_set_create(made, BioCreate);
        BIO_meth_set_destroy(made, BioDestroy);
        return made;
    }();
    return method;
}

} // namespace

SSL_CTX* ClientContext() {
    static SSL_CTX* context = [] {
        SSL_CTX* made = SSL_CTX_new(TLS_client_method());
        if (made == nullptr)
            return made;
        SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION);
        SSL_CTX_set_default_verify_paths(made);
        SSL_CTX_set_options(made, SSL_OP_IGNORE_UNEXPECTED_EOF);
        // A send takes what it can, and is retried with the same bytes at a moved address after "would block".
        SSL_CTX_set_mode(made, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
        return made;
    }();
    return context;
}

SSL* NewClient(platform::SocketId socket) {
    SSL_CTX* context = ClientContext();
    if (context == nullptr)
        return nullptr;
    SSL* ssl = SSL_new(context);
    BIO* bio = ssl == nullptr ? nullptr : BIO_new(SocketMethod());
    if (bio == nullptr) {
        SSL_free(ssl);
        return nullptr;
    }
    BIO_set_data(bio, reinterpret_cast<void*>(static_cast<std::intptr_t>(socket)));
    SSL_set_bio(ssl, bio, bio);
    SSL_set_connect_state(ssl);
    return ssl;
}

std::string Sha256Fingerprint(X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (certificate == nullptr || X509_digest(certificate, EVP_sha256(), digest, &length) != 1)
        return {};
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        if (i > 0)
            text += ':';
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0F];
    }
    return text;
}

std::string VersionText(const SSL* ssl) {
    std::string version = SSL_get_version(ssl); // "TLSv1.3"
    if (version.rfind("TLSv", 0) == 0)
        version = "TLS " + version.substr(4);
    return version;
}

std::string TakeErrorText(const std::string& fallback) {
    const unsigned long error = ERR_get_error();
    ERR_clear_error();
    if (error == 0)
        return fallback;
    char text[256];
    ERR_error_string_n(error, text, sizeof text);
    return text;
}

} // namespace ftp::tls
