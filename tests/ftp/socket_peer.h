#pragma once
// A loopback peer for socket tests: a listener on 127.0.0.1 with a free port, and the side it accepts.

#include "tests/support/LoopbackSockets.h"

#include <chrono>
#include <string>
#include <sys/socket.h>

#include <dirent.h>

struct LoopbackPeer {
    ferrylo::testing::UniqueFd listener;
    ferrylo::testing::UniqueFd accepted;
    std::uint16_t port = 0;

    LoopbackPeer() { listener = ferrylo::testing::listenOn("127.0.0.1", 0, &port); }

    bool Accept() {
        accepted = ferrylo::testing::acceptWithin(listener.get(), std::chrono::seconds(5));
        return accepted.valid();
    }
    bool Send(const std::string& bytes) { return ferrylo::testing::sendAll(accepted.get(), bytes); }
    // What arrived within the bound, at most `size` bytes.
    std::string Receive(size_t size = 4096) {
        if (!ferrylo::testing::waitReadable(accepted.get(), std::chrono::seconds(5)))
            return {};
        std::string bytes(size, '\0');
        const ssize_t n = ::recv(accepted.get(), bytes.data(), size, 0);
        bytes.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return bytes;
    }
};

// A port on 127.0.0.1 where nothing listens (it was free a moment ago).
inline int RefusingPort() {
    std::uint16_t port = 0;
    ferrylo::testing::listenOn("127.0.0.1", 0, &port); // closed again at once
    return port;
}

// Open descriptors of this process, to prove that a failed attempt leaves no socket behind.
inline int OpenDescriptorCount() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr)
            ++count;
        ::closedir(dir);
    }
    return count;
}
