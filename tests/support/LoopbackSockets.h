// Small blocking-socket helpers for the test servers, on POSIX sockets and Windows Sockets alike. They refuse any
// address outside 127.0.0.0/8, so a test can never reach another host even when a server under test names one.
#pragma once

#include "tests/support/SocketShim.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ferrylo::testing {

using shim::SocketFd;

// Owns one socket; closes it when it goes.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(SocketFd fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    SocketFd get() const { return fd_; }
    bool valid() const { return fd_ != shim::kNoSocket; }
    SocketFd release();
    void reset(SocketFd fd = shim::kNoSocket);

private:
    SocketFd fd_ = shim::kNoSocket;
};

bool isLoopbackAddress(const std::string& dottedIp);

// Listening TCP socket on ip:port (0 = any free port); invalid on failure. `boundPort` gets the port.
UniqueFd listenOn(const std::string& ip, std::uint16_t port, std::uint16_t* boundPort = nullptr);
// Connected TCP socket, optionally bound to `fromIp` first; invalid on failure or non-loopback target.
UniqueFd connectTo(const std::string& ip, std::uint16_t port, const std::string& fromIp = {});
// Accepts one peer within `bound`; invalid when none came.
UniqueFd acceptWithin(SocketFd listenFd, std::chrono::milliseconds bound);

bool waitReadable(SocketFd fd, std::chrono::milliseconds bound);
// Which of `fds` became readable (or closed) within `bound`: one flag each, all false when none did.
std::vector<bool> readableAmong(const std::vector<SocketFd>& fds, std::chrono::milliseconds bound);
// 1: a send can take bytes, 0: the bound passed, -1: the connection is broken.
int waitWritable(SocketFd fd, std::chrono::milliseconds bound);
bool sendAll(SocketFd fd, std::string_view bytes);
// One send that takes only what fits now: the bytes taken (0 when there was no room), -1 on failure.
std::int64_t sendWhatFits(SocketFd fd, std::string_view bytes);
// One receive: the bytes read, 0 when the peer closed, -1 on failure.
std::int64_t receiveSome(SocketFd fd, char* buffer, std::size_t size);
std::string localIpOf(SocketFd fd);
std::uint16_t localPortOf(SocketFd fd);
std::string peerIpOf(SocketFd fd);

} // namespace ferrylo::testing
