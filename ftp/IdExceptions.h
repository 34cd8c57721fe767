#pragma once
// The exception family of the FTP client. Every failure of the client reaches its caller as one of these, with a
// fixed English message, so callers can catch EIdException (or std::exception) and show what().

#include <stdexcept>
#include <string>

class EIdException : public std::runtime_error {
public:
    explicit EIdException(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Intermediate bases: raised only through the classes below them.
class EIdSilentException : public EIdException {
    using EIdException::EIdException;
};
class EIdTCPConnectionError : public EIdException {
    using EIdException::EIdException;
};
class EIdSocketHandleError : public EIdException {
    using EIdException::EIdException;
};
class EIdStackError : public EIdException {
    using EIdException::EIdException;
};

class EIdSocketError : public EIdException {
public:
    // The message is SocketErrorText(code); the constructor builds it so the two can never disagree.
    explicit EIdSocketError(int code);
    int SocketErrorCode() const { return code_; }

private:
    int code_;
};

class EIdProtocolReplyError : public EIdException {
public:
    EIdProtocolReplyError(int replyCode, const std::string& message) : EIdException(message), replyCode_(replyCode) {}
    int ReplyCode() const { return replyCode_; }

private:
    int replyCode_;
};

class EIdConnClosedGracefully : public EIdSilentException {
public:
    EIdConnClosedGracefully() : EIdSilentException("Connection Closed Gracefully.") {}
};
class EIdNotConnected : public EIdTCPConnectionError {
public:
    EIdNotConnected() : EIdTCPConnectionError("Not Connected") {}
};
class EIdNotEnoughDataInBuffer : public EIdTCPConnectionError {
public:
    EIdNotEnoughDataInBuffer() : EIdTCPConnectionError("Not enough data in buffer.") {}
};
class EIdReadTimeout : public EIdException {
public:
    EIdReadTimeout() : EIdException("Read Timeout") {}
};
class EIdReadLnMaxLineLengthExceeded : public EIdException {
public:
    EIdReadLnMaxLineLengthExceeded() : EIdException("Max line length exceeded.") {}
};
class EIdAlreadyConnected : public EIdException {
public:
    EIdAlreadyConnected() : EIdException("Already connected.") {}
};
class EIdClosedSocket : public EIdException {
public:
    EIdClosedSocket() : EIdException("Disconnected.") {}
};
class EIdInvalidSocket : public EIdException {
public:
    EIdInvalidSocket() : EIdException("Cannot allocate socket.") {}
};
class EIdCouldNotBindSocket : public EIdSocketHandleError {
public:
    EIdCouldNotBindSocket() : EIdSocketHandleError("Could not bind socket. Address and port are already in use.") {}
};
class EIdStackInitializationFailed : public EIdStackError {
public:
    EIdStackInitializationFailed() : EIdStackError("Winsock Initialization Error.") {}
};
// A command line that holds CR, LF or NUL is never sent: the server would read a second command in it.
class EIdUnsafeCommand : public EIdException {
public:
    EIdUnsafeCommand() : EIdException("Command holds CR, LF or NUL.") {}
};
// A reply past the bounds of a sane server (too many lines or bytes, endless empty lines); the connection is
// closed, so what the server sends never grows the client's memory without limit.
class EIdReplyTooLarge : public EIdException {
public:
    EIdReplyTooLarge() : EIdException("Reply too large.") {}
};
// A stream that ends before the size it announced (raised by SendStream).
class EIdNoDataToRead : public EIdException {
public:
    EIdNoDataToRead() : EIdException("No data to read.") {}
};
// The socket library could not be loaded (Windows only): "Error on loading Winsock2 library (<name>)[: <reason>]".
class EIdWS2StubError : public EIdException {
public:
    EIdWS2StubError(const std::string& library, const std::string& reason)
        : EIdException("Error on loading Winsock2 library (" + library + ")" + (reason.empty() ? "" : ": " + reason)) {}
};

// Explicit TLS (FTPS). Once asked for, nothing goes in clear: each of these ends the connection before the log-in.
// A TLS step failed: the handshake, a record, a data connection that showed another certificate.
class EIdTLSError : public EIdException {
public:
    explicit EIdTLSError(const std::string& reason) : EIdException("TLS failed: " + reason) {}
};
// The server refused AUTH TLS (or, after it, PBSZ or PROT P).
class EIdTLSRefused : public EIdException {
public:
    EIdTLSRefused() : EIdException("The server refused TLS.") {}
};
// The handshake got no further within its bound: a socket time-out (10060) that the user's message names as TLS.
class EIdTLSTimedOut : public EIdSocketError {
public:
    EIdTLSTimedOut() : EIdSocketError(10060) {}
};
// The server's certificate was not accepted (not trusted, and not confirmed for this server).
class EIdTLSPeerRejected : public EIdException {
public:
    EIdTLSPeerRejected() : EIdException("The server's certificate was not accepted.") {}
};
