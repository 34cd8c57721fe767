#pragma once
// An in-memory channel for connection tests: each receive hands out exactly one queued chunk (so a test decides
// how the bytes are split), sends are recorded and can be cut to a few bytes per call or made to fail.

#include "ftp/SocketApi.h"
#include "ftp/TIdIOHandler.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>

class MemoryChannel : public TIdIOHandler {
public:
    struct Incoming {
        std::string bytes;
        int error = 0; // non-zero: this receive fails with that number
    };

    std::deque<Incoming> incoming;
    bool peerClosesAtEnd = false; // after the last chunk a receive returns 0
    bool open = true;
    std::string sent;
    int64_t sendLimit = 0; // most bytes one send call takes; 0: all
    int sendCalls = 0;
    int receiveCalls = 0;

    void Feed(const std::string& bytes) { incoming.push_back({bytes, 0}); }
    void FeedError(int error) { incoming.push_back({std::string(), error}); }

    void CloseChannel() override { open = false; }
    void ConnectChannel(const std::string&, int, int, const std::string&, int, int, int) override { open = true; }
    bool ChannelOpen() const override { return open; }
    void PrepareChannel() override {}
    // Nothing queued and no close to report: "not readable", so a read that would block fails with a time-out
    // instead of hanging the test.
    bool WaitReadable(int) override { return !incoming.empty() || peerClosesAtEnd; }

    int64_t ReceiveSome(void* buffer, int64_t size) override {
        ++receiveCalls;
        if (incoming.empty())
            return 0;
        Incoming& next = incoming.front();
        if (next.error != 0) {
            ftp::platform::SetLastError(next.error);
            incoming.pop_front();
            return -1;
        }
        const int64_t n = std::min<int64_t>(size, static_cast<int64_t>(next.bytes.size()));
        std::memcpy(buffer, next.bytes.data(), static_cast<size_t>(n));
        next.bytes.erase(0, static_cast<size_t>(n));
        if (next.bytes.empty())
            incoming.pop_front();
        return n;
    }

    int64_t SendSome(const void* buffer, int64_t size) override {
        ++sendCalls;
        const int64_t n = sendLimit > 0 ? std::min(size, sendLimit) : size;
        sent.append(static_cast<const char*>(buffer), static_cast<size_t>(n));
        return n;
    }
};
