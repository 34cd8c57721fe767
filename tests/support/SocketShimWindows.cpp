#include "tests/support/SocketShim.h"

#include <winsock2.h> // before windows.h, which would otherwise bring the old socket header
#include <ws2tcpip.h>

#include <mutex>
#include <vector>

namespace ferrylo::testing::shim {

namespace {

bool fill(const std::string& ip, std::uint16_t port, sockaddr_in& address) {
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    return inet_pton(AF_INET, ip.c_str(), &address.sin_addr) == 1;
}

SOCKET native(SocketFd fd) {
    return static_cast<SOCKET>(fd);
}

SocketFd ours(SOCKET socket) {
    return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketFd>(socket);
}

void startOnce() {
    static std::once_flag started;
    std::call_once(started, [] {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    });
}

} // namespace

SocketFd openTcp() {
    startOnce();
    // No SO_REUSEADDR: on Windows it would let a second socket take a port in use.
    const SOCKET socket = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    return ours(socket);
}

void close(SocketFd fd) {
    ::closesocket(native(fd));
}

bool bind(SocketFd fd, const std::string& ip, std::uint16_t port) {
    sockaddr_in address;
    return fill(ip, port, address) && ::bind(native(fd), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

bool listen(SocketFd fd, int backlog) {
    return ::listen(native(fd), backlog) == 0;
}

bool connect(SocketFd fd, const std::string& ip, std::uint16_t port) {
    sockaddr_in address;
    return fill(ip, port, address) && ::connect(native(fd), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

SocketFd accept(SocketFd listener) {
    return ours(::accept(native(listener), nullptr, nullptr));
}

bool address(SocketFd fd, bool ofPeer, std::string& ip, std::uint16_t& port) {
    sockaddr_in address{};
    int length = sizeof address;
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    if ((ofPeer ? ::getpeername(native(fd), raw, &length) : ::getsockname(native(fd), raw, &length)) != 0)
        return false;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    ip = text;
    port = ntohs(address.sin_port);
    return true;
}

int poll(Watch* watches, std::size_t count, int limitMs) {
    std::vector<WSAPOLLFD> entries;
    for (std::size_t i = 0; i < count; ++i)
        entries.push_back({native(watches[i].fd), static_cast<short>(watches[i].forWriting ? POLLOUT : POLLIN), 0});
    const int result = ::WSAPoll(entries.data(), static_cast<ULONG>(entries.size()), limitMs);
    for (std::size_t i = 0; i < count; ++i) {
        watches[i].ready = entries[i].revents != 0;
        watches[i].broken = (entries[i].revents & (POLLERR | POLLHUP)) != 0;
    }
    return result == SOCKET_ERROR ? -1 : result;
}

std::int64_t send(SocketFd fd, const char* bytes, std::size_t size, bool wait) {
    // Windows has no per-call "do not wait": the socket is switched for this one call.
    u_long nonBlocking = wait ? 0 : 1;
    if (!wait)
        ::ioctlsocket(native(fd), FIONBIO, &nonBlocking);
    const int sent = ::send(native(fd), bytes, static_cast<int>(size), 0);
    const int error = sent == SOCKET_ERROR ? ::WSAGetLastError() : 0;
    if (!wait) {
        nonBlocking = 0;
        ::ioctlsocket(native(fd), FIONBIO, &nonBlocking);
    }
    if (sent != SOCKET_ERROR)
        return sent;
    return error == WSAEWOULDBLOCK ? kWouldWait : -1;
}

std::int64_t receive(SocketFd fd, char* buffer, std::size_t size) {
    const int got = ::recv(native(fd), buffer, static_cast<int>(size), 0);
    return got == SOCKET_ERROR ? -1 : got;
}

} // namespace ferrylo::testing::shim
