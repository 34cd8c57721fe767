// Small blocking-socket helpers for the test servers. They refuse any address outside 127.0.0.0/8, so a
// test can never reach another host even when a server under test names one.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace ferrylo::testing {

// Owns one file descriptor; closes it when it goes.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

bool isLoopbackAddress(const std::string& dottedIp);

// Listening TCP socket on ip:port (0 = any free port); invalid on failure. `boundPort` gets the port.
UniqueFd listenOn(const std::string& ip, std::uint16_t port, std::uint16_t* boundPort = nullptr);
// Connected TCP socket, optionally bound to `fromIp` first; invalid on failure or non-loopback target.
UniqueFd connectTo(const std::string& ip, std::uint16_t port, const std::string& fromIp = {});
// Accepts one peer within `bound`; invalid when none came.
UniqueFd acceptWithin(int listenFd, std::chrono::milliseconds bound);

bool waitReadable(int fd, std::chrono::milliseconds bound);
bool sendAll(int fd, std::string_view bytes);
std::string localIpOf(int fd);
std::string peerIpOf(int fd);

} // namespace ferrylo::testing
