#include "ftp/TlsLibrary.h"

#include "ftp/SystemAuthorities.h"
#include "ftp/TIdSSLIOHandlerSocket.h"
#include "ftp/WsaErrors.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/obj_mac.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>

namespace ftp::tls {
namespace {
std::atomic<std::uint64_t> completedHandshakes{0};
std::atomic<std::uint64_t> resumedHandshakes{0};
std::atomic<std::uint64_t> hellosSent{0};

void CountHellos(int writing, int, int contentType, const void* message, size_t length, SSL*, void*) {
    if (writing != 0 && contentType == SSL3_RT_HANDSHAKE && length > 0 &&
        *static_cast<const unsigned char*>(message) == SSL3_MT_CLIENT_HELLO)
        hellosSent.fetch_add(1, std::memory_order_relaxed);
}

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

// Where the handshake's verification finds the list of its complaints.
int VerifyErrorsIndex() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

int CollectVerifyError(int ok, X509_STORE_CTX* store) {
    if (ok == 0) {
        auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto* errors = ssl ? static_cast<std::vector<int>*>(SSL_get_ex_data(ssl, VerifyErrorsIndex())) : nullptr;
        if (errors != nullptr)
            errors->push_back(X509_STORE_CTX_get_error(store));
    }
    return 1; // judged after the handshake: the verification goes on and finds every complaint
}

TIdTLSReason ReasonOf(int error) {
    switch (error) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return TIdTLSReason::SelfSigned;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return TIdTLSReason::WrongName;
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return TIdTLSReason::Expired;
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return TIdTLSReason::NotYetValid;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
        return TIdTLSReason::UnknownIssuer;
    default:
        return TIdTLSReason::Other;
    }
}

// A certificate's text as the user may read it: UTF-8, no control character that could fake a line of the
// question, and no longer than a line of it.
std::string Readable(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    constexpr std::size_t kMost = 200;
    if (text.size() > kMost) {
        std::size_t cut = kMost;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut; // never in the middle of a UTF-8 character
        text = text.substr(0, cut) + "...";
    }
    return text;
}

// The common name of `name`, or the whole name on one line when it has none.
std::string NameText(const X509_NAME* name) {
    if (name == nullptr)
        return {};
    const int at = X509_NAME_get_index_by_NID(name, NID_commonName, -1);
    if (at >= 0) {
        unsigned char* utf8 = nullptr;
        const int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, at)));
        if (length >= 0) {
            std::string text(reinterpret_cast<const char*>(utf8), static_cast<std::size_t>(length));
            OPENSSL_free(utf8);
            return Readable(text);
        }
    }
    BIO* out = BIO_new(BIO_s_mem());
    if (out == nullptr)
        return {};
    X509_NAME_print_ex(out, name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    std::string text(data, static_cast<std::size_t>(std::max(size, 0L)));
    BIO_free(out);
    return Readable(text);
}

// Seconds since 1970-01-01 UTC; 0 when the time cannot be read.
std::int64_t SecondsOf(const ASN1_TIME* time) {
    int days = 0;
    int seconds = 0;
    ASN1_TIME* epoch = ASN1_TIME_set(nullptr, 0);
    const bool read = epoch != nullptr && time != nullptr && ASN1_TIME_diff(&days, &seconds, epoch, time) == 1;
    ASN1_TIME_free(epoch);
    return read ? std::int64_t{days} * 86400 + seconds : 0;
}

} // namespace

void CollectVerifyErrors(SSL* ssl, std::vector<int>* errors) {
    SSL_set_ex_data(ssl, VerifyErrorsIndex(), errors);
    SSL_set_verify(ssl, SSL_VERIFY_NONE, CollectVerifyError);
}

std::vector<TIdTLSReason> ReasonsOf(const std::vector<int>& errors) {
    std::vector<TIdTLSReason> reasons;
    for (const int error : errors) {
        const TIdTLSReason reason = ReasonOf(error);
        if (std::find(reasons.begin(), reasons.end(), reason) == reasons.end())
            reasons.push_back(reason);
    }
    return reasons;
}

void DescribeCertificate(X509* certificate, TIdTLSPeer& peer) {
    if (certificate == nullptr)
        return;
    peer.Subject = NameText(X509_get_subject_name(certificate));
    peer.Issuer = NameText(X509_get_issuer_name(certificate));
    peer.ValidFrom = SecondsOf(X509_get0_notBefore(certificate));
    peer.ValidTo = SecondsOf(X509_get0_notAfter(certificate));
}

SSL_CTX* ClientContext() {
    static SSL_CTX* context = [] {
        SSL_CTX* made = SSL_CTX_new(TLS_client_method());
        if (made == nullptr)
            return made;
        SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION);
        TrustSystemAuthorities(made);
        SSL_CTX_set_options(made, SSL_OP_IGNORE_UNEXPECTED_EOF);
        // A send takes what it can, and is retried with the same bytes at a moved address after "would block".
        SSL_CTX_set_mode(made, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER |
                                   SSL_MODE_RELEASE_BUFFERS);
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
    SSL_set_msg_callback(ssl, CountHellos);
    return ssl;
}

void OfferGroupOf(SSL* ssl, SSL* earlier) {
    const long agreed = SSL_ctrl(earlier, SSL_CTRL_GET_NEGOTIATED_GROUP, 0, nullptr);
    if (agreed <= 0)
        return;
    std::vector<int> groups{static_cast<int>(agreed)};
    for (const int usual : {NID_X25519, NID_X9_62_prime256v1, NID_X448, NID_secp521r1, NID_secp384r1}) {
        if (usual != agreed)
            groups.push_back(usual);
    }
    // A group the library cannot offer leaves its own list in place.
    SSL_ctrl(ssl, SSL_CTRL_SET_GROUPS, static_cast<long>(groups.size()), groups.data());
    ERR_clear_error();
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

void CountHandshake(const SSL* ssl) {
    completedHandshakes.fetch_add(1, std::memory_order_relaxed);
    if (SSL_session_reused(ssl) == 1)
        resumedHandshakes.fetch_add(1, std::memory_order_relaxed);
}

THandshakeTally HandshakeTally() {
    return {completedHandshakes.load(std::memory_order_relaxed), resumedHandshakes.load(std::memory_order_relaxed),
            hellosSent.load(std::memory_order_relaxed)};
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
