#pragma once
// What goes wrong on an SSH connection, as one exception with a kind the callers decide by (a failure that may
// pass is worth another connection; a refused log-in or a host key that changed is not).

#include <stdexcept>
#include <string>

namespace sftp {

enum class TSshFailure {
    Connect,      // no TCP connection (the socket error number says why)
    TimedOut,     // the server said nothing within the bound
    Stopped,      // the caller cut the wait
    Protocol,     // the session broke (handshake, a dropped line, a malformed packet)
    HostKey,      // the host key was not accepted
    LogInRefused, // no method of ours was accepted
    Refused,      // the server refused an SFTP request (the status code says which)
};

class ESshError : public std::runtime_error {
public:
    ESshError(TSshFailure failure, const std::string& message, int code = 0)
        : std::runtime_error(message), failure_(failure), code_(code) {}
    TSshFailure Failure() const { return failure_; }
    // The socket error number (Connect), libssh2's error code (Protocol), or the SFTP status (Refused).
    int Code() const { return code_; }

private:
    TSshFailure failure_;
    int code_;
};

// Whether another connection and another try may get further.
bool MayPass(const ESshError& error);

} // namespace sftp
