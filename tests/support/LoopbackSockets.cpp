#include "tests/support/LoopbackSockets.h"

#include <utility>

namespace ferrylo::testing {

namespace {

int milliseconds(std::chrono::milliseconds bound) {
    return static_cast<int>(bound.count());
}

} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other)
        reset(other.release());
    return *this;
}

SocketFd UniqueFd::release() {
    return std::exchange(fd_, shim::kNoSocket);
}

void UniqueFd::reset(SocketFd fd) {
    if (valid())
        shim::close(fd_);
    fd_ = fd;
}

bool isLoopbackAddress(const std::string& dottedIp) {
    // Four decimal parts of 0..255 without leading zeros, as the address functions read them.
    std::vector<int> parts{0};
    for (std::size_t i = 0; i < dottedIp.size(); ++i) {
        const char c = dottedIp[i];
        if (c == '.' && i > 0 && dottedIp[i - 1] != '.') {
            parts.push_back(0);
        } else if (c >= '0' && c <= '9' && parts.back() <= 255) {
            if (parts.back() == 0 && i > 0 && dottedIp[i - 1] == '0' && (i == 1 || dottedIp[i - 2] == '.'))
                return false;
            parts.back() = parts.back() * 10 + (c - '0');
        } else {
            return false;
        }
    }
    if (parts.size() != 4 || dottedIp.empty() || dottedIp.back() == '.')
        return false;
    for (int part : parts)
        if (part > 255)
            return false;
    return parts[0] == 127;
}

UniqueFd listenOn(const std::string& ip, std::uint16_t port, std::uint16_t* boundPort) {
    if (!isLoopbackAddress(ip))
        return {};
    UniqueFd fd(shim::openTcp());
    if (!fd.valid() || !shim::bind(fd.get(), ip, port) || !shim::listen(fd.get(), 16))
        return {};
    if (boundPort)
        *boundPort = localPortOf(fd.get());
    return fd;
}

UniqueFd connectTo(const std::string& ip, std::uint16_t port, const std::string& fromIp) {
    if (!isLoopbackAddress(ip))
        return {};
    UniqueFd fd(shim::openTcp());
    if (!fd.valid() || (!fromIp.empty() && !shim::bind(fd.get(), fromIp, 0)) || !shim::connect(fd.get(), ip, port))
        return {};
    return fd;
}

UniqueFd acceptWithin(SocketFd listenFd, std::chrono::milliseconds bound) {
    if (!waitReadable(listenFd, bound))
        return {};
    return UniqueFd(shim::accept(listenFd));
}

bool waitReadable(SocketFd fd, std::chrono::milliseconds bound) {
    shim::Watch watch{fd};
    return shim::poll(&watch, 1, milliseconds(bound)) > 0;
}

std::vector<bool> readableAmong(const std::vector<SocketFd>& fds, std::chrono::milliseconds bound) {
    std::vector<shim::Watch> watches;
    for (SocketFd fd : fds)
        watches.push_back({fd});
    const bool any = shim::poll(watches.data(), watches.size(), milliseconds(bound)) > 0;
    std::vector<bool> readable;
    for (const auto& watch : watches)
        readable.push_back(any && watch.ready);
    return readable;
}

int waitWritable(SocketFd fd, std::chrono::milliseconds bound) {
    shim::Watch watch{fd, true};
    const int result = shim::poll(&watch, 1, milliseconds(bound));
    if (result < 0 || watch.broken)
        return -1;
    return result > 0 ? 1 : 0;
}

bool sendAll(SocketFd fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const std::int64_t sent = shim::send(fd, bytes.data(), bytes.size(), true);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::int64_t sendWhatFits(SocketFd fd, std::string_view bytes) {
    const std::int64_t sent = shim::send(fd, bytes.data(), bytes.size(), false);
    return sent == shim::kWouldWait ? 0 : sent;
}

std::int64_t receiveSome(SocketFd fd, char* buffer, std::size_t size) {
    return shim::receive(fd, buffer, size);
}

std::string localIpOf(SocketFd fd) {
    std::string ip;
    std::uint16_t port = 0;
    shim::address(fd, false, ip, port);
    return ip;
}

std::uint16_t localPortOf(SocketFd fd) {
    std::string ip;
    std::uint16_t port = 0;
    shim::address(fd, false, ip, port);
    return port;
}

std::string peerIpOf(SocketFd fd) {
    std::string ip;
    std::uint16_t port = 0;
    shim::address(fd, true, ip, port);
    return ip;
}

} // namespace ferrylo::testing
