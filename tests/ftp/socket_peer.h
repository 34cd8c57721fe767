#pragma once
// A loopback peer for socket tests: a listener on 127.0.0.1 with a free port, and the side it accepts.

#include "tests/support/LoopbackSockets.h"
#include "tests/support/ProcessFacts.h"

#include <chrono>
#include <string>

#ifndef _WIN32
#include <netdb.h>
#endif

// The resolver's "no such name" (EAI_NONAME); on Windows its number, without windows.h and its macros.
#ifdef _WIN32
constexpr int kResolverNoSuchName = 11001;
#else
constexpr int kResolverNoSuchName = EAI_NONAME;
#endif

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
        const std::int64_t n = ferrylo::testing::receiveSome(accepted.get(), bytes.data(), size);
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

// Open descriptors (handles on Windows) of this process, to prove that a failed attempt leaves no socket behind.
inline int OpenDescriptorCount() {
    return ferrylo::testing::openHandleCount();
}
