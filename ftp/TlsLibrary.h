#pragma once
// What the TLS channel takes from OpenSSL: the one client context of the process and a BIO that moves the
// encrypted bytes through the client's own socket calls (SocketApi.h), so a closed peer never raises SIGPIPE,
// the test seams of SocketFaults.h apply, and "would block" stays the client's 10035.

#include "ftp/SocketApi.h"

#include <cstdint>
#include <string>
#include <vector>

struct TIdTLSPeer;
enum class TIdTLSReason;
typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;
typedef struct x509_st X509;

namespace ftp::tls {

// TLS 1.2 at least, the system's trusted authorities, unexpected end of stream read as an ordinary close (a
// server that drops the line without a TLS goodbye is closed, not broken). Made on first use, kept for the run.
SSL_CTX* ClientContext();

// A new TLS object over `socket` through the client's socket calls; null when the library refuses.
SSL* NewClient(platform::SocketId socket);

// Has `ssl` offer first the key exchange group that the finished handshake of `earlier` agreed on. A server that
// takes only a group other than the library's first choice answers a hello with a request for another one, a round
// trip that every data connection would pay again.
void OfferGroupOf(SSL* ssl, SSL* earlier);

// SHA-256 of the certificate as upper-case hex pairs joined by ':'.
std::string Sha256Fingerprint(X509* certificate);

// Lets the handshake of `ssl` go on whatever the verification says, collecting each of its error codes into
// `errors`, which must outlive the handshake: the caller judges the certificate afterwards.
void CollectVerifyErrors(SSL* ssl, std::vector<int>* errors);

// The verification's error codes as the reasons the user reads, each once.
std::vector<TIdTLSReason> ReasonsOf(const std::vector<int>& errors);

// Subject, issuer and validity of `certificate` into `peer`; nothing for none.
void DescribeCertificate(X509* certificate, TIdTLSPeer& peer);

// "TLS 1.3" for the library's "TLSv1.3": the version as the log shows it.
std::string VersionText(const SSL* ssl);

// The handshakes this process has completed as a client, how many of them resumed an earlier session, and the
// hellos it sent (more hellos than handshakes: servers asked for another key share, a round trip each): a
// benchmark tells from them what each file cost in handshakes.
struct THandshakeTally {
    std::uint64_t Completed = 0;
    std::uint64_t Resumed = 0;
    std::uint64_t Hellos = 0;
};
void CountHandshake(const SSL* ssl);
THandshakeTally HandshakeTally();

// The library's first queued error as text (and the queue emptied), or `fallback` when none is queued.
std::string TakeErrorText(const std::string& fallback);

} // namespace ftp::tls
