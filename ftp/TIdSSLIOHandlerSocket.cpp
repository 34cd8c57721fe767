#include "ftp/TIdSSLIOHandlerSocket.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdStack.h"
#include "ftp/TlsLibrary.h"
#include "ftp/WaitSlices.h"
#include "ftp/WsaErrors.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <chrono>
#include <climits>

namespace {
// After a TLS call that gave no bytes: true when the stream is over (closed or broken), false when the library
// only waits for more of the peer's bytes.
bool StreamOver(SSL* ssl, int result) {
    const int error = SSL_get_error(ssl, result);
    ERR_clear_error();
    return error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE;
}
} // namespace

TIdSSLIOHandlerSocket::~TIdSSLIOHandlerSocket() {
    EndTLS(false);
}

void TIdSSLIOHandlerSocket::StartTLS(const std::string& hostName, int timeLimitMs,
                                     const TIdSSLIOHandlerSocket* resumeFrom) {
    BeginTLS(hostName, resumeFrom);
    CompleteTLS(timeLimitMs);
}

void TIdSSLIOHandlerSocket::BeginTLS(const std::string& hostName, const TIdSSLIOHandlerSocket* resumeFrom) {
    if (!ChannelOpen())
        throw EIdNotConnected();
    EndTLS(false);
    ERR_clear_error();
    ssl_ = ftp::tls::NewClient(Binding()->SocketId());
    if (ssl_ == nullptr)
        throw EIdTLSError(ftp::tls::TakeErrorText("TLS is not available."));
    peer_ = TIdTLSPeer{};
    peer_.HostName = hostName;
    verifyErrors_.clear();
    // The name is checked as the handshake verifies the chain; an address is matched against the
    // certificate's addresses, and only a name goes out as the server name indication. Every complaint of the
    // verification is collected, so the user hears all of them, not only the last.
    ftp::tls::CollectVerifyErrors(ssl_, &verifyErrors_);
    if (TIdStack::IsNumericAddress(hostName)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), hostName.c_str());
    } else {
        SSL_set1_host(ssl_, hostName.c_str());
// OpenSSL's macro casts the name to void* the C way; the cast warnings stay on everywhere but here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
#pragma GCC diagnostic ignored "-Wcast-qual"
        SSL_set_tlsext_host_name(ssl_, hostName.c_str());
#pragma GCC diagnostic pop
    }
    if (resumeFrom != nullptr && resumeFrom->ssl_ != nullptr) {
        SSL_SESSION* session = SSL_get1_session(resumeFrom->ssl_);
        if (session != nullptr) {
            SSL_set_session(ssl_, session);
            SSL_SESSION_free(session);
        }
        ftp::tls::OfferGroupOf(ssl_, resumeFrom->ssl_);
    }
    // The client's hello goes out now, if it can; the server answers whenever it reads it. A failure here is told by
    // CompleteTLS, after the command's reply, which may explain it (a refused command closes the data connection).
    SSL_connect(ssl_);
    ERR_clear_error();
}

int TIdSSLIOHandlerSocket::HandshakeStep() {
    const int result = SSL_connect(ssl_);
    if (result == 1)
        return 0;
    const int error = SSL_get_error(ssl_, result);
    if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
        const std::string why = ftp::tls::TakeErrorText("TLS handshake failed.");
        EndTLS(false);
        Binding()->ReleaseSocket();
        throw EIdTLSError(why);
    }
    return error;
}

void TIdSSLIOHandlerSocket::CompleteTLS(int timeLimitMs) {
    if (ssl_ == nullptr)
        throw EIdTLSError("TLS was not begun.");
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeLimitMs, 0));
    for (;;) {
        const int error = HandshakeStep();
        if (error == 0)
            break;
        int limit = -1;
        if (timeLimitMs > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            limit = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
        }
        const bool reading = error == SSL_ERROR_WANT_READ;
        const bool ready = ftp::WaitInSlices(limit, [this, reading](int slice) {
            return reading ? TIdIOHandlerSocket::WaitReadable(slice) : TIdIOHandlerSocket::WaitWritable(slice);
        });
        if (!ready) {
            // A server that stops in the middle of the handshake gets no more time than one reply.
            EndTLS(false);
            Binding()->ReleaseSocket();
            throw EIdTLSTimedOut();
        }
    }
    ftp::tls::CountHandshake(ssl_);
    X509* certificate = SSL_get1_peer_certificate(ssl_);
    peer_.Fingerprint = ftp::tls::Sha256Fingerprint(certificate);
    ftp::tls::DescribeCertificate(certificate, peer_);
    X509_free(certificate);
    const long verdict = certificate == nullptr ? X509_V_ERR_UNSPECIFIED : SSL_get_verify_result(ssl_);
    peer_.Trusted = verdict == X509_V_OK;
    if (!peer_.Trusted) {
        peer_.Problem = X509_verify_cert_error_string(verdict);
        if (verifyErrors_.empty())
            verifyErrors_.push_back(static_cast<int>(verdict));
        peer_.Reasons = ftp::tls::ReasonsOf(verifyErrors_);
    }
    version_ = ftp::tls::VersionText(ssl_);
    want_ = Want::Nothing;
}

bool TIdSSLIOHandlerSocket::SessionReused() const {
    return ssl_ != nullptr && SSL_session_reused(ssl_) == 1;
}

void TIdSSLIOHandlerSocket::EndTLS(bool sayGoodbye) {
    if (ssl_ == nullptr)
        return;
    if (sayGoodbye && ChannelOpen()) {
        // Records the server sent and nobody read (session tickets) are taken first: a socket closed with unread
        // input is reset, and a reset can cost the server the last bytes of an upload it has not read yet.
        char scratch[4096];
        for (int round = 0; round < 64 && TIdIOHandlerSocket::WaitReadable(0); ++round) {
            if (SSL_read(ssl_, scratch, sizeof scratch) <= 0)
                break;
        }
        SSL_shutdown(ssl_); // the goodbye, once: the socket closes next whatever the peer does
    }
    SSL_free(ssl_);
    ssl_ = nullptr;
    ERR_clear_error();
    version_.clear();
    want_ = Want::Nothing;
}

void TIdSSLIOHandlerSocket::FinishSending() {
    if (ssl_ == nullptr || !ChannelOpen())
        return;
    SSL_shutdown(ssl_);
    ERR_clear_error();
    ftp::platform::ShutdownSending(Binding()->SocketId());
}

bool TIdSSLIOHandlerSocket::PeerFinished(int timeLimit) {
    if (ssl_ == nullptr || !ChannelOpen())
        return true;
    if (SSL_pending(ssl_) == 0 && !TIdIOHandlerSocket::WaitReadable(timeLimit))
        return false;
    char scratch[4096];
    for (;;) {
        const int result = SSL_read(ssl_, scratch, sizeof scratch);
        if (result > 0)
            continue;
        return StreamOver(ssl_, result);
    }
}

void TIdSSLIOHandlerSocket::CloseChannel() {
    EndTLS(true);
    TIdIOHandlerSocket::CloseChannel();
}

void TIdSSLIOHandlerSocket::PrepareChannel() {
    EndTLS(false);
    TIdIOHandlerSocket::PrepareChannel();
}

bool TIdSSLIOHandlerSocket::WaitReadable(int timeLimit) {
    if (ssl_ == nullptr)
        return TIdIOHandlerSocket::WaitReadable(timeLimit);
    if (SSL_pending(ssl_) > 0)
        return true;
    if (want_ == Want::Write)
        return TIdIOHandlerSocket::WaitWritable(timeLimit);
    if (!TIdIOHandlerSocket::WaitReadable(timeLimit))
        return false;
    if (timeLimit != 0)
        return true; // the read that follows tells what came
    // A look without waiting asks for bytes of the peer's own: a record the library keeps for itself (a session
    // ticket) is no input.
    char first;
    const int result = SSL_peek(ssl_, &first, 1);
    if (result > 0)
        return true;
    return StreamOver(ssl_, result); // a close or a failure: the read says
}

bool TIdSSLIOHandlerSocket::WaitWritable(int timeLimit) {
    if (ssl_ != nullptr && want_ == Want::Read)
        return TIdIOHandlerSocket::WaitReadable(timeLimit);
    return TIdIOHandlerSocket::WaitWritable(timeLimit);
}

bool TIdSSLIOHandlerSocket::PeerHasLeft() {
    if (ssl_ == nullptr)
        return TIdIOHandlerSocket::PeerHasLeft();
    if (!ChannelOpen())
        return true;
    if (SSL_pending(ssl_) == 0) {
        if (const std::optional<bool> left = PeerLeftAtAGlance())
            return *left;
    }
    char first[3];
    const int result = SSL_peek(ssl_, first, sizeof first);
    if (result > 0)
        return result == 3 && first[0] == '4' && first[1] == '2' && first[2] == '1';
    return StreamOver(ssl_, result);
}

int64_t TIdSSLIOHandlerSocket::ReceiveSome(void* buffer, int64_t size) {
    if (ssl_ == nullptr)
        return TIdIOHandlerSocket::ReceiveSome(buffer, size);
    if (!ChannelOpen())
        throw EIdClosedSocket();
    ftp::platform::SetLastError(0);
    return AsSocketResult(SSL_read(ssl_, buffer, static_cast<int>(std::min<int64_t>(size, INT_MAX))));
}

int64_t TIdSSLIOHandlerSocket::SendSome(const void* buffer, int64_t size) {
    if (ssl_ == nullptr)
        return TIdIOHandlerSocket::SendSome(buffer, size);
    if (!ChannelOpen())
        throw EIdClosedSocket();
    ftp::platform::SetLastError(0);
    return AsSocketResult(SSL_write(ssl_, buffer, static_cast<int>(std::min<int64_t>(size, INT_MAX))));
}

int64_t TIdSSLIOHandlerSocket::AsSocketResult(int result) {
    want_ = Want::Nothing;
    if (result > 0)
        return result;
    const int error = SSL_get_error(ssl_, result);
    switch (error) {
    case SSL_ERROR_ZERO_RETURN:
        return 0;
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
        want_ = error == SSL_ERROR_WANT_READ ? Want::Read : Want::Write;
        ftp::platform::SetLastError(WsaWouldBlock);
        return -1;
    case SSL_ERROR_SYSCALL:
        // The socket call failed and set its own error; without one the stream broke off.
        ERR_clear_error();
        if (ftp::platform::LastError() == 0 || ftp::platform::LastError() == WsaWouldBlock)
            ftp::platform::SetLastError(WsaConnectionAborted);
        return -1;
    default:
        // A broken or forged record: the connection is of no further use.
        ERR_clear_error();
        ftp::platform::SetLastError(WsaConnectionAborted);
        return -1;
    }
}
