#include "tests/support/SocketShim.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace ferrylo::testing::shim {

namespace {

bool fill(const std::string& ip, std::uint16_t port, sockaddr_in& address) {
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    return inet_pton(AF_INET, ip.c_str(), &address.sin_addr) == 1;
}

int native(SocketFd fd) {
    return static_cast<int>(fd);
}

} // namespace

SocketFd openTcp() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return kNoSocket;
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    return fd;
}

void close(SocketFd fd) {
    ::close(native(fd));
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
    const int fd = ::accept4(native(listener), nullptr, nullptr, SOCK_CLOEXEC);
    return fd < 0 ? kNoSocket : fd;
}

bool address(SocketFd fd, bool ofPeer, std::string& ip, std::uint16_t& port) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
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
    std::vector<pollfd> entries;
    for (std::size_t i = 0; i < count; ++i)
        entries.push_back({native(watches[i].fd), static_cast<short>(watches[i].forWriting ? POLLOUT : POLLIN), 0});
    int result;
    do
        result = ::poll(entries.data(), entries.size(), limitMs);
    while (result < 0 && errno == EINTR);
    for (std::size_t i = 0; i < count; ++i) {
        watches[i].ready = entries[i].revents != 0;
        watches[i].broken = (entries[i].revents & (POLLERR | POLLHUP)) != 0;
    }
    return result;
}

std::int64_t send(SocketFd fd, const char* bytes, std::size_t size, bool wait) {
    for (;;) {
        const ssize_t sent = ::send(native(fd), bytes, size, MSG_NOSIGNAL | (wait ? 0 : MSG_DONTWAIT));
        if (sent >= 0)
            return sent;
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? kWouldWait : -1;
    }
}

std::int64_t receive(SocketFd fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::recv(native(fd), buffer, size, 0);
        if (got >= 0 || errno != EINTR)
            return got < 0 ? -1 : got;
    }
}

} // namespace ferrylo::testing::shim
