// The few socket calls in which POSIX sockets and Windows Sockets differ, for the test servers' helpers
// (LoopbackSockets.cpp). One file per platform implements them; addresses are dotted IPv4 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ferrylo::testing::shim {

using SocketFd = std::intptr_t;
constexpr SocketFd kNoSocket = -1;

// A TCP socket that no child process inherits; Windows Sockets are started on first use (and never stopped, so
// the program's own start and stop of them count from above).
SocketFd openTcp();
void close(SocketFd fd);
bool bind(SocketFd fd, const std::string& ip, std::uint16_t port);
bool listen(SocketFd fd, int backlog);
bool connect(SocketFd fd, const std::string& ip, std::uint16_t port);
SocketFd accept(SocketFd listener);
bool address(SocketFd fd, bool ofPeer, std::string& ip, std::uint16_t& port);

struct Watch {
    SocketFd fd = kNoSocket;
    bool forWriting = false;
    bool ready = false;  // readable (or closed by the peer) / writable
    bool broken = false; // an error or a hang-up
};
// Waits until one watched socket is ready or `limitMs` passed; the count of ready ones, 0, or -1 on failure.
int poll(Watch* watches, std::size_t count, int limitMs);

constexpr std::int64_t kWouldWait = -2;
// One send that never raises a signal: the bytes taken, -1 on failure, or kWouldWait when `wait` is false and
// there is no room.
std::int64_t send(SocketFd fd, const char* bytes, std::size_t size, bool wait);
// One receive: the bytes read, 0 when the peer closed, -1 on failure.
std::int64_t receive(SocketFd fd, char* buffer, std::size_t size);

} // namespace ferrylo::testing::shim
