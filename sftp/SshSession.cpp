#include "sftp/SshSession.h"

#include "ftp/SocketApi.h"
#include "ftp/WaitSlices.h"

#include <chrono>
#include <libssh2.h>
#include <mutex>

namespace sftp {
namespace {

// libssh2's host key types, as OpenSSH names them and as its known-hosts checks want them.
void DescribeKeyType(int type, THostKey& key) {
    switch (type) {
    case LIBSSH2_HOSTKEY_TYPE_RSA:
        key.TypeName = "RSA";
        key.KnownHostType = LIBSSH2_KNOWNHOST_KEY_SSHRSA;
        break;
    case LIBSSH2_HOSTKEY_TYPE_ECDSA_256:
        key.TypeName = "ECDSA";
        key.KnownHostType = LIBSSH2_KNOWNHOST_KEY_ECDSA_256;
        break;
    case LIBSSH2_HOSTKEY_TYPE_ECDSA_384:
        key.TypeName = "ECDSA";
        key.KnownHostType = LIBSSH2_KNOWNHOST_KEY_ECDSA_384;
        break;
    case LIBSSH2_HOSTKEY_TYPE_ECDSA_521:
        key.TypeName = "ECDSA";
        key.KnownHostType = LIBSSH2_KNOWNHOST_KEY_ECDSA_521;
        break;
    case LIBSSH2_HOSTKEY_TYPE_ED25519:
        key.TypeName = "ED25519";
        key.KnownHostType = LIBSSH2_KNOWNHOST_KEY_ED25519;
        break;
    default:
        key.TypeName = "UNKNOWN";
        key.KnownHostType = LIBSSH2_KNOWNHOST_KEY_UNKNOWN;
    }
}

// Whether `socket` is ready for reading or writing, as asked, within `ms`.
bool Ready(std::intptr_t socket, bool readable, bool writable, int ms) {
    return ftp::platform::WaitReady(socket, readable, writable, ms) > 0;
}

} // namespace

void InitSshLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { libssh2_init(0); });
}

TSshSession::TSshSession() {
    InitSshLibrary();
}

TSshSession::~TSshSession() {
    Close();
}

void TSshSession::Open(const std::string& host, int port, const TSshLimits& limits) {
    Close();
    limits_ = limits;
    cut_ = false;
    ConnectSocket(host, port);
    session_ = libssh2_session_init();
    if (session_ == nullptr)
        throw ESshError(TSshFailure::Protocol, "SSH session could not be made");
    libssh2_session_set_blocking(session_, 0);
    try {
        const int result =
            Await([this] { return libssh2_session_handshake(session_, static_cast<libssh2_socket_t>(socket_)); });
        if (result != 0)
            throw ESshError(TSshFailure::Protocol, "SSH handshake failed", result);
        ReadHostKey();
    } catch (...) {
        Close();
        throw;
    }
}

void TSshSession::ConnectSocket(const std::string& host, int port) {
    std::string ip;
    if (const int lookup = ftp::platform::LookupIPv4(host, ip); lookup != 0)
        throw ESshError(TSshFailure::Connect, "Host not found", lookup);
    socket_ = ftp::platform::OpenStreamSocket();
    if (socket_ == ftp::platform::InvalidSocket)
        throw ESshError(TSshFailure::Connect, "Socket could not be made", ftp::platform::LastError());
    int outcome = ftp::platform::Connect(socket_, ip, port) == 0 ? 0 : ftp::platform::LastError();
    if (outcome == 10036 || outcome == 10035) {
        const bool writable =
            ftp::WaitInSlices(limits_.ConnectMs, [this](int ms) { return cut_ || Ready(socket_, false, true, ms); });
        outcome = cut_ ? 0 : writable ? ftp::platform::ConnectOutcome(socket_) : 10060;
    }
    if (cut_ || outcome != 0) {
        ftp::platform::CloseSocket(socket_);
        socket_ = -1;
        if (cut_)
            throw ESshError(TSshFailure::Stopped, "Stopped");
        throw ESshError(TSshFailure::Connect, "Connection failed", outcome);
    }
}

void TSshSession::ReadHostKey() {
    std::size_t length = 0;
    int type = 0;
    const char* key = libssh2_session_hostkey(session_, &length, &type);
    if (key == nullptr)
        throw ESshError(TSshFailure::Protocol, "Server sent no host key");
    hostKey_.Blob.assign(reinterpret_cast<const std::uint8_t*>(key),
                         reinterpret_cast<const std::uint8_t*>(key) + length);
    DescribeKeyType(type, hostKey_);
    hostKey_.Fingerprint = Sha256Fingerprint(hostKey_.Blob);
}

int TSshSession::Await(const std::function<int()>& call) {
    for (;;) {
        if (cut_)
            throw ESshError(TSshFailure::Stopped, "Stopped");
        const int result = call();
        if (result != LIBSSH2_ERROR_EAGAIN)
            return result;
        WaitForSocket();
    }
}

void TSshSession::Finish(const std::function<int()>& call) {
    // Waits for what libssh2 waits for (most often the server's answer), two seconds at most in all.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (call() == LIBSSH2_ERROR_EAGAIN && std::chrono::steady_clock::now() < giveUp) {
        const int directions = session_ != nullptr ? libssh2_session_block_directions(session_) : 0;
        const bool readable = (directions & LIBSSH2_SESSION_BLOCK_INBOUND) != 0 || directions == 0;
        const bool writable = (directions & LIBSSH2_SESSION_BLOCK_OUTBOUND) != 0;
        if (!Ready(socket_, readable, writable, 50) && cut_)
            return; // a cut connection has nothing left to wait for
    }
}

void TSshSession::WaitForSocket() {
    const int directions = libssh2_session_block_directions(session_);
    bool readable = (directions & LIBSSH2_SESSION_BLOCK_INBOUND) != 0;
    bool writable = (directions & LIBSSH2_SESSION_BLOCK_OUTBOUND) != 0;
    if (!readable && !writable)
        readable = writable = true;
    const bool ready = ftp::WaitInSlices(
        limits_.ReplyMs, [this, readable, writable](int ms) { return cut_ || Ready(socket_, readable, writable, ms); });
    if (cut_)
        throw ESshError(TSshFailure::Stopped, "Stopped");
    if (!ready)
        throw ESshError(TSshFailure::TimedOut, "Server did not answer in time", 10060);
}

std::string TSshSession::Methods(const std::string& user) {
    const char* methods = nullptr;
    Await([&] {
        methods = libssh2_userauth_list(session_, user.c_str(), static_cast<unsigned>(user.size()));
        return methods != nullptr ? 0 : libssh2_session_last_errno(session_);
    });
    return methods != nullptr ? methods : "";
}

bool TSshSession::LoggedIn() const {
    return session_ != nullptr && libssh2_userauth_authenticated(session_) != 0;
}

namespace {

// A refusal is an answer; anything else broke the session.
bool Accepted(int result) {
    if (result == 0)
        return true;
    if (result == LIBSSH2_ERROR_AUTHENTICATION_FAILED || result == LIBSSH2_ERROR_PUBLICKEY_UNVERIFIED ||
        result == LIBSSH2_ERROR_PASSWORD_EXPIRED || result == LIBSSH2_ERROR_FILE ||
        result == LIBSSH2_ERROR_METHOD_NOT_SUPPORTED)
        return false;
    throw ESshError(TSshFailure::Protocol, "SSH log-in broke off", result);
}

} // namespace

bool TSshSession::LogInWithPassword(const std::string& user, const std::string& password) {
    return Accepted(Await([&] {
        return libssh2_userauth_password_ex(session_, user.c_str(), static_cast<unsigned>(user.size()),
                                            password.c_str(), static_cast<unsigned>(password.size()), nullptr);
    }));
}

bool TSshSession::LogInWithKey(const std::string& user, const std::string& privateKeyPath,
                               const std::string& passphrase) {
    return Accepted(Await([&] {
        return libssh2_userauth_publickey_fromfile_ex(session_, user.c_str(), static_cast<unsigned>(user.size()),
                                                      nullptr, privateKeyPath.c_str(), passphrase.c_str());
    }));
}

bool TSshSession::LogInWithAgent(const std::string& user) {
    LIBSSH2_AGENT* agent = libssh2_agent_init(session_);
    if (agent == nullptr)
        return false;
    bool loggedIn = false;
    try {
        if (libssh2_agent_connect(agent) == 0 && libssh2_agent_list_identities(agent) == 0) {
            libssh2_agent_publickey* identity = nullptr;
            libssh2_agent_publickey* previous = nullptr;
            while (!loggedIn && libssh2_agent_get_identity(agent, &identity, previous) == 0) {
                loggedIn = Accepted(Await([&] { return libssh2_agent_userauth(agent, user.c_str(), identity); }));
                previous = identity;
            }
        }
    } catch (...) {
        libssh2_agent_disconnect(agent);
        libssh2_agent_free(agent);
        throw;
    }
    libssh2_agent_disconnect(agent);
    libssh2_agent_free(agent);
    return loggedIn;
}

void TSshSession::Cut() {
    cut_ = true;
    if (socket_ != -1)
        ftp::platform::ShutdownBoth(socket_); // closed by Close, on the connection's own thread
}

void TSshSession::Close() {
    if (session_ != nullptr) {
        if (!cut_) {
            // A goodbye that cannot go out at once is not waited for.
            libssh2_session_disconnect(session_, "Bye");
        }
        // Freeing may want the socket once more; a server that never lets it is not waited for long.
        Finish([this] { return libssh2_session_free(session_); });
        session_ = nullptr;
    }
    if (socket_ != -1) {
        ftp::platform::CloseSocket(socket_);
        socket_ = -1;
    }
}

} // namespace sftp
