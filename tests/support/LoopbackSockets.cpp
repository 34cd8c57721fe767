#include "tests/support/LoopbackSockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace ferrylo::testing {

namespace {

bool fillAddress(const std::string& ip, std::uint16_t port, sockaddr_in& address) {
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    return inet_pton(AF_INET, ip.c_str(), &address.sin_addr) == 1;
}

std::string ipOf(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other)
        reset(other.release());
    return *this;
}

int UniqueFd::release() {
    return std::exchange(fd_, -1);
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

bool isLoopbackAddress(const std::string& dottedIp) {
    sockaddr_in address;
    return fillAddress(dottedIp, 0, address) && (ntohl(address.sin_addr.s_addr) >> 24) == 127;
}

UniqueFd listenOn(const std::string& ip, std::uint16_t port, std::uint16_t* boundPort) {
    sockaddr_in address;
    if (!isLoopbackAddress(ip) || !fillAddress(ip, port, address))
        return {};
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid())
        return {};
    int on = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd.get(), 16) != 0)
        return {};
    socklen_t length = sizeof address;
    ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length);
    if (boundPort)
        *boundPort = ntohs(address.sin_port);
    return fd;
}

UniqueFd connectTo(const std::string& ip, std::uint16_t port, const std::string& fromIp) {
    sockaddr_in target;
    if (!isLoopbackAddress(ip) || !fillAddress(ip, port, target))
        return {};
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid())
        return {};
    if (!fromIp.empty()) {
        sockaddr_in local;
        if (!fillAddress(fromIp, 0, local) || ::bind(fd.get(), reinterpret_cast<sockaddr*>(&local), sizeof local))
            return {};
    }
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&target), sizeof target) != 0)
        return {};
    return fd;
}

UniqueFd acceptWithin(int listenFd, std::chrono::milliseconds bound) {
    if (!waitReadable(listenFd, bound))
        return {};
    return UniqueFd(::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC));
}

bool waitReadable(int fd, std::chrono::milliseconds bound) {
    pollfd entry{fd, POLLIN, 0};
    int result;
    do
        result = ::poll(&entry, 1, static_cast<int>(bound.count()));
    while (result < 0 && errno == EINTR);
    return result > 0;
}

bool sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::string localIpOf(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ipOf(address);
}

std::string peerIpOf(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ipOf(address);
}

} // namespace ferrylo::testing
