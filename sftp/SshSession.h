#pragma once
// One SSH connection: the TCP connection, the handshake, the server's host key and the log-in. Every wait on the
// network is bounded and cut into the slices of ftp/WaitSlices.h, so the thread's hook runs while it waits and may
// cut the connection (a stop). Errors are ESshError.

#include "ftp/TIdStack.h"
#include "sftp/HostKey.h"
#include "sftp/SshErrors.h"

#include <cstdint>
#include <functional>
#include <string>

using LIBSSH2_SESSION = struct _LIBSSH2_SESSION;

namespace sftp {

// Sets the library up once a process, from whichever thread comes first.
void InitSshLibrary();

// The bounds of the waits a server controls, in milliseconds (tests shorten them).
struct TSshLimits {
    int ConnectMs = 60000; // the TCP connection
    int ReplyMs = 60000;   // a step of the handshake or of the log-in, an SFTP request, a write that moves nothing
};

class TSshSession {
public:
    TSshSession();
    ~TSshSession();
    TSshSession(const TSshSession&) = delete;
    TSshSession& operator=(const TSshSession&) = delete;

    // Connects to `host` (a name or a dotted IPv4 address) and ends the handshake: the host key is then known, and
    // nothing of the user has been sent yet.
    void Open(const std::string& host, int port, const TSshLimits& limits = {});
    bool IsOpen() const { return session_ != nullptr; }
    const THostKey& HostKey() const { return hostKey_; }

    // The log-in methods the server accepts for `user`, as it lists them ("publickey,password").
    std::string Methods(const std::string& user);
    // Each is one attempt: true when it logged the session in, false when the server refused it.
    bool LogInWithPassword(const std::string& user, const std::string& password);
    bool LogInWithAgent(const std::string& user);
    bool LogInWithKey(const std::string& user, const std::string& privateKeyPath, const std::string& passphrase);
    bool LoggedIn() const;

    // From the wait hook of the thread that uses the connection: every wait ends at once with a Stopped error.
    void Cut();
    // Says goodbye within a short bound, then closes; never throws.
    void Close();

    // Runs `call` (a libssh2 call of this session) again while it would block, waiting for the socket in between;
    // its result otherwise. A wait past the reply bound, or a cut, throws.
    int Await(const std::function<int()>& call);
    LIBSSH2_SESSION* Native() const { return session_; }
    // Runs a closing call of this session (it frees what it closes) until it stops asking to wait, a cut or not,
    // for a short bound at most; never throws.
    void Finish(const std::function<int()>& call);

private:
    void ConnectSocket(const std::string& host, int port);
    void WaitForSocket();
    void ReadHostKey();

    TIdStackUse sockets_; // the platform's socket service, started while any connection lives
    LIBSSH2_SESSION* session_ = nullptr;
    std::intptr_t socket_ = -1;
    TSshLimits limits_;
    THostKey hostKey_;
    bool cut_ = false;
};

} // namespace sftp
