#pragma once
// The socket channel with TLS on top (explicit FTPS). Until StartTLS it is the plain socket channel; from then on
// every byte goes through TLS. The handshake and every read and write keep the socket non-blocking: what the
// library wants (to read or to write) is waited for in the client's slices, within the bounds of the caller.

#include "ftp/TIdIOHandlerSocket.h"

#include <cstdint>
#include <string>
#include <vector>

typedef struct ssl_st SSL;

// Why the system's authorities do not vouch for a certificate, as the verification found it.
enum class TIdTLSReason {
    SelfSigned,    // signed by itself (or by a root of its own in the chain)
    WrongName,     // issued for another name or address
    Expired,       // past its "valid to"
    NotYetValid,   // before its "valid from"
    UnknownIssuer, // its issuer is no authority the system knows
    Other,         // anything else: Problem says what
};

// What the handshake showed of the server.
struct TIdTLSPeer {
    std::string HostName;              // the name (or address) the certificate had to carry
    std::string Fingerprint;           // SHA-256 of the server's certificate, "AB:CD:..."
    bool Trusted = false;              // issued through the system's trusted authorities for HostName
    std::string Problem;               // why not trusted (the library's text); empty when trusted
    std::vector<TIdTLSReason> Reasons; // why not trusted, each once, in the verification's order; empty when trusted
    // From the certificate, UTF-8, control characters replaced: the common name (else the whole name) of its
    // subject and of its issuer.
    std::string Subject;
    std::string Issuer;
    // Its validity, in seconds since 1970-01-01 UTC.
    std::int64_t ValidFrom = 0;
    std::int64_t ValidTo = 0;
};

class TIdSSLIOHandlerSocket : public TIdIOHandlerSocket {
public:
    TIdSSLIOHandlerSocket() = default;
    ~TIdSSLIOHandlerSocket() override;

    // Runs the TLS handshake over the connected socket, as the client, within `timeLimitMs` (0 or less: none).
    // `resumeFrom`, when given and running TLS, offers its session for reuse (a data connection offers the
    // control connection's, as many servers insist). Raises EIdTLSError when the handshake fails and EIdSocketError
    // 10060 when the limit passes; the socket is then dropped. The certificate is judged, not refused: Peer() tells,
    // the caller decides.
    void StartTLS(const std::string& hostName, int timeLimitMs, const TIdSSLIOHandlerSocket* resumeFrom = nullptr);
    // StartTLS in two halves, so a round trip can pass between them: BeginTLS sends the client's hello without
    // waiting for an answer; CompleteTLS finishes the handshake and judges the certificate. A data connection
    // begins before its command's reply is read, so the server's hello is there when the reply is.
    void BeginTLS(const std::string& hostName, const TIdSSLIOHandlerSocket* resumeFrom = nullptr);
    void CompleteTLS(int timeLimitMs);
    bool TLSActive() const { return ssl_ != nullptr; }
    const TIdTLSPeer& Peer() const { return peer_; }
    // "TLS 1.3" as negotiated; empty before StartTLS.
    const std::string& Version() const { return version_; }
    // True when the handshake resumed the offered session.
    bool SessionReused() const;

    // The orderly end of a connection we only write to: the TLS goodbye and the end of our sending; the socket
    // stays open for what the peer still sends.
    void FinishSending();
    // True once the peer has ended its side (its goodbye, a close or a reset); anything else it sent is read and
    // dropped. Waits at most `timeLimit` for input.
    bool PeerFinished(int timeLimit);

    void CloseChannel() override;
    void PrepareChannel() override;
    bool WaitReadable(int timeLimit) override;
    bool WaitWritable(int timeLimit) override;
    bool PeerHasLeft() override;
    int64_t ReceiveSome(void* buffer, int64_t size) override;
    int64_t SendSome(const void* buffer, int64_t size) override;

private:
    enum class Want { Nothing, Read, Write };

    // The result of one TLS call as a socket call's: bytes, 0 (the peer closed) or -1 with the last error set.
    int64_t AsSocketResult(int result);
    void EndTLS(bool sayGoodbye);
    // One turn of the handshake: 0 when it is done, else what the library waits for (SSL_ERROR_WANT_READ or
    // _WRITE). A failure drops the socket and raises EIdTLSError.
    int HandshakeStep();

    SSL* ssl_ = nullptr;
    Want want_ = Want::Nothing;
    TIdTLSPeer peer_;
    std::vector<int> verifyErrors_; // the verification's complaints during the handshake
    std::string version_;
};
