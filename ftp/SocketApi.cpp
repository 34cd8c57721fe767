#include "ftp/SocketApi.h"

#include "ftp/IdExceptions.h"
#include "ftp/SocketErrorMap.h"
#include "ftp/SocketFaults.h"
#include "ftp/WsaErrors.h"

#include <chrono>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h> // before windows.h, which would otherwise bring the old socket header
#include <ws2tcpip.h>

#include <windows.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace ftp::platform {
namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
#else
using NativeSocket = int;
#endif

thread_local int lastError = 0;

int Failed(int errorNumber) {
    lastError = errorNumber;
    return -1;
}

bool ToSockaddr(const std::string& ip, int port, sockaddr_in& address) {
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (ip.empty()) {
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        return true;
    }
    return inet_pton(AF_INET, ip.c_str(), &address.sin_addr) == 1;
}

bool FromSockaddr(const sockaddr_in& address, std::string& ip, int& port) {
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) == nullptr)
        return false;
    ip = text;
    port = ntohs(address.sin_port);
    return true;
}

} // namespace

int LastError() {
    return lastError;
}
void SetLastError(int errorNumber) {
    lastError = errorNumber;
}

#ifdef _WIN32

namespace {
HMODULE winsockLibrary = nullptr;
int Wsa() {
    return Failed(WSAGetLastError());
}
} // namespace

void StartSockets() {
    winsockLibrary = LoadLibraryA("WS2_32.DLL");
    if (winsockLibrary == nullptr) {
        char reason[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, reason,
                       sizeof reason, nullptr);
        throw EIdWS2StubError("WS2_32.DLL", reason);
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        throw EIdStackInitializationFailed();
}

void StopSockets() {
    WSACleanup();
    if (winsockLibrary != nullptr)
        FreeLibrary(winsockLibrary);
    winsockLibrary = nullptr;
}

SocketId OpenStreamSocket() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return Wsa(), InvalidSocket;
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking); // accepted sockets inherit it from their listener
    return static_cast<SocketId>(s);
}
void CloseSocket(SocketId socket) {
    closesocket(static_cast<SOCKET>(socket));
}
void ShutdownSending(SocketId socket) {
    shutdown(static_cast<SOCKET>(socket), SD_SEND);
}

void ShutdownBoth(SocketId socket) {
    shutdown(static_cast<SOCKET>(socket), SD_BOTH);
}

int Bind(SocketId socket, const std::string& ip, int port) {
    int injected = 0;
    if (faults::ShouldFail(faults::SocketCall::Bind, injected))
        return Failed(injected);
    sockaddr_in address;
    if (!ToSockaddr(ip, port, address))
        return Failed(WsaAddressNotAvailable);
    return bind(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 0 : Wsa();
}

int Connect(SocketId socket, const std::string& ip, int port) {
    int injected = 0;
    if (faults::ShouldFail(faults::SocketCall::Connect, injected))
        return Failed(injected);
    sockaddr_in address;
    if (!ToSockaddr(ip, port, address))
        return Failed(WsaAddressNotAvailable);
    return connect(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 0 : Wsa();
}

int Listen(SocketId socket, int backlog) {
    return listen(static_cast<SOCKET>(socket), backlog) == 0 ? 0 : Wsa();
}

SocketId Accept(SocketId listening) {
    SOCKET s = accept(static_cast<SOCKET>(listening), nullptr, nullptr);
    return s == INVALID_SOCKET ? (Wsa(), InvalidSocket) : static_cast<SocketId>(s);
}

int64_t Send(SocketId socket, const void* buffer, int64_t size) {
    int injected = 0;
    if (faults::ShouldFail(faults::SocketCall::Send, injected))
        return Failed(injected);
    int n = send(static_cast<SOCKET>(socket), static_cast<const char*>(buffer), static_cast<int>(size), 0);
    return n == SOCKET_ERROR ? Wsa() : n;
}

int64_t Receive(SocketId socket, void* buffer, int64_t size) {
    int injected = 0;
    if (faults::ShouldFail(faults::SocketCall::Receive, injected))
        return Failed(injected);
    int n = recv(static_cast<SOCKET>(socket), static_cast<char*>(buffer), static_cast<int>(size), 0);
    return n == SOCKET_ERROR ? Wsa() : n;
}

void LimitUnsentBytes(SocketId, int) {}

int64_t Peek(SocketId socket, void* buffer, int64_t size) {
    int n = recv(static_cast<SOCKET>(socket), static_cast<char*>(buffer), static_cast<int>(size), MSG_PEEK);
    return n == SOCKET_ERROR ? Wsa() : n;
}

int ConnectOutcome(SocketId socket) {
    int error = 0;
    int length = sizeof error;
    if (getsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
        return WSAGetLastError();
    return error;
}

namespace {
int WaitFor(SocketId socket, SHORT events, int limitMs) {
    WSAPOLLFD entry{static_cast<SOCKET>(socket), events, 0};
    int n = WSAPoll(&entry, 1, limitMs < 0 ? -1 : limitMs);
    return n < 0 ? Wsa() : (n > 0 ? 1 : 0);
}
} // namespace

int WaitReadable(SocketId socket, int limitMs) {
    return WaitFor(socket, POLLRDNORM, limitMs);
}

PeerState LookAtPeer(SocketId socket) {
    return WaitReadable(socket, 0) == 1 ? PeerState::InputWaiting : PeerState::Quiet;
}

int WaitWritable(SocketId socket, int limitMs) {
    return WaitFor(socket, POLLWRNORM, limitMs);
}

int WaitReady(SocketId socket, bool readable, bool writable, int limitMs) {
    return WaitFor(socket, static_cast<short>((readable ? POLLRDNORM : 0) | (writable ? POLLWRNORM : 0)), limitMs);
}

#else // POSIX

namespace {
int Posix() {
    return Failed(ErrnoToSocketError(errno));
}
} // namespace

void StartSockets() {}
void StopSockets() {}

SocketId OpenStreamSocket() {
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    return s < 0 ? (Posix(), InvalidSocket) : s;
}

void CloseSocket(SocketId socket) {
    ::close(static_cast<int>(socket));
}
void ShutdownSending(SocketId socket) {
    ::shutdown(static_cast<int>(socket), SHUT_WR);
}

void ShutdownBoth(SocketId socket) {
    ::shutdown(static_cast<int>(socket), SHUT_RDWR);
}

int Bind(SocketId socket, const std::string& ip, int port) {
    int injected = 0;
    if (faults::ShouldFail(faults::SocketCall::Bind, injected))
        return Failed(injected);
    sockaddr_in address;
    if (!ToSockaddr(ip, port, address))
        return Failed(WsaAddressNotAvailable);
    return ::bind(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 0 : Posix();
}

int Connect(SocketId socket, const std::string& ip, int port) {
    int injected = 0;
    if (faults::ShouldFail(faults::SocketCall::Connect, injected))
        return Failed(injected);
    sockaddr_in address;
    if (!ToSockaddr(ip, port, address))
        return Failed(WsaAddressNotAvailable);
    // Three SYN retries give up after about 15-20 s, like the Windows default, instead of the two minutes of
    // Linux's default: an absent host fails in seconds.
    int synRetries = 3;
    ::setsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_SYNCNT, &synRetries, sizeof synRetries);
    return ::connect(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? 0
                                                                                                           : Posix();
}

int Listen(SocketId socket, int backlog) {
    return ::listen(static_cast<int>(socket), backlog) == 0 ? 0 : Posix();
}

SocketId Accept(SocketId listening) {
    for (;;) {
        int s = ::accept4(static_cast<int>(listening), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (s >= 0)
            return s;
        if (errno != EINTR)
            return Posix(), InvalidSocket;
    }
}

int64_t Send(SocketId socket, const void* buffer, int64_t size) {
    int injected = 0;
    if (faults::ShouldFail(faults::SocketCall::Send, injected))
        return Failed(injected);
    for (;;) {
        // MSG_NOSIGNAL: a closed peer gives EPIPE (10058) instead of killing the process with SIGPIPE.
        ssize_t n = ::send(static_cast<int>(socket), buffer, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return Posix();
    }
}

int64_t Receive(SocketId socket, void* buffer, int64_t size) {
    int injected = 0;
    if (faults::ShouldFail(faults::SocketCall::Receive, injected))
        return Failed(injected);
    for (;;) {
        ssize_t n = ::recv(static_cast<int>(socket), buffer, static_cast<size_t>(size), 0);
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return Posix();
    }
}

void LimitUnsentBytes(SocketId socket, int bytes) {
#ifdef TCP_NOTSENT_LOWAT
    if (bytes > 0)
        ::setsockopt(static_cast<int>(socket), IPPROTO_TCP, TCP_NOTSENT_LOWAT, &bytes, sizeof bytes);
#else
    (void)socket;
    (void)bytes;
#endif
}

int64_t Peek(SocketId socket, void* buffer, int64_t size) {
    for (;;) {
        ssize_t n = ::recv(static_cast<int>(socket), buffer, static_cast<size_t>(size), MSG_PEEK);
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return Posix();
    }
}

int ConnectOutcome(SocketId socket) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return ErrnoToSocketError(errno);
    return error == 0 ? 0 : ErrnoToSocketError(error);
}

namespace {
int WaitFor(SocketId socket, short events, int limitMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs < 0 ? 0 : limitMs);
    int timeout = limitMs < 0 ? -1 : limitMs;
    for (;;) {
        pollfd entry{static_cast<int>(socket), events, 0};
        int n = ::poll(&entry, 1, timeout);
        if (n > 0) {
            if (entry.revents & POLLNVAL)
                return Failed(WsaNotSocket);
            // A reset or hang-up counts as ready: the call that follows reports it.
            return (entry.revents & (events | POLLHUP | POLLERR)) ? 1 : 0;
        }
        if (n == 0)
            return 0;
        if (errno != EINTR)
            return Posix();
        if (limitMs >= 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            timeout = left > 0 ? static_cast<int>(left) : 0;
        }
    }
}
} // namespace

int WaitReadable(SocketId socket, int limitMs) {
    return WaitFor(socket, POLLIN, limitMs);
}

PeerState LookAtPeer(SocketId socket) {
#ifdef POLLRDHUP
    constexpr short kShutDown = POLLRDHUP | POLLHUP | POLLERR;
#else
    constexpr short kShutDown = POLLHUP | POLLERR;
#endif
    pollfd entry{static_cast<int>(socket), static_cast<short>(POLLIN | kShutDown), 0};
    if (::poll(&entry, 1, 0) <= 0)
        return PeerState::Quiet;
    if (entry.revents & (kShutDown | POLLNVAL))
        return PeerState::ShutDown;
    return (entry.revents & POLLIN) ? PeerState::InputWaiting : PeerState::Quiet;
}

int WaitWritable(SocketId socket, int limitMs) {
    return WaitFor(socket, POLLOUT, limitMs);
}

int WaitReady(SocketId socket, bool readable, bool writable, int limitMs) {
    return WaitFor(socket, static_cast<short>((readable ? POLLIN : 0) | (writable ? POLLOUT : 0)), limitMs);
}

#endif

bool LocalAddress(SocketId socket, std::string& ip, int& port) {
    sockaddr_in address;
    socklen_t length = sizeof address;
    if (getsockname(static_cast<NativeSocket>(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return false;
    return FromSockaddr(address, ip, port);
}

bool PeerAddress(SocketId socket, std::string& ip, int& port) {
    sockaddr_in address;
    socklen_t length = sizeof address;
    if (getpeername(static_cast<NativeSocket>(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return false;
    return FromSockaddr(address, ip, port);
}

int LookupIPv4(const std::string& name, std::string& dotted) {
    int replaced = 0;
    if (faults::LookupReplaced(name, dotted, replaced))
        return replaced;
    if (name.empty()) // Windows answers an empty name with this machine's own addresses
        return WsaHostNotFound;
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    int rc = getaddrinfo(name.c_str(), nullptr, &hints, &answer);
    if (rc != 0) {
#ifdef _WIN32
        return rc;
#else
        return LookupErrorToSocketError(rc, errno);
#endif
    }
    int port = 0;
    bool ok = answer != nullptr && FromSockaddr(*reinterpret_cast<const sockaddr_in*>(answer->ai_addr), dotted, port);
    freeaddrinfo(answer);
    return ok ? 0 : WsaHostNotFound;
}

} // namespace ftp::platform
