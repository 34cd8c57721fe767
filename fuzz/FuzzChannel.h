#pragma once
// An in-memory channel for the fuzz entries: it plays a script of receives (byte chunks, failures, the peer's
// close) and never touches the network. When the script is used up it either reports the peer's close or stays
// silent, in which case a read fails with the connection's time-out instead of waiting.

#include "ftp/SocketApi.h"
#include "ftp/TIdIOHandler.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>

class FuzzChannel : public TIdIOHandler {
public:
    struct Receive {
        std::string bytes;
        int error = 0;      // non-zero: this receive fails with that (Windows-numbered) error
        bool close = false; // this receive reports the peer's close
    };

    std::deque<Receive> script;
    bool closesAtEnd = false;
    int64_t delivered = 0; // bytes handed to the connection so far

    void CloseChannel() override { open_ = false; }
    void ConnectChannel(const std::string&, int, int, const std::string&, int, int, int) override { open_ = true; }
    bool ChannelOpen() const override { return open_; }
    void PrepareChannel() override {}
    bool WaitReadable(int) override { return !script.empty() || closesAtEnd; }

    int64_t ReceiveSome(void* buffer, int64_t size) override {
        if (script.empty())
            return 0;
        Receive& next = script.front();
        if (next.close) {
            // Nothing follows a close, and a closed socket stays readable, as a real one does.
            script.clear();
            closesAtEnd = true;
            return 0;
        }
        if (next.error != 0) {
            ftp::platform::SetLastError(next.error);
            script.pop_front();
            return -1;
        }
        const int64_t n = std::min<int64_t>(size, static_cast<int64_t>(next.bytes.size()));
        std::memcpy(buffer, next.bytes.data(), static_cast<size_t>(n));
        next.bytes.erase(0, static_cast<size_t>(n));
        if (next.bytes.empty())
            script.pop_front();
        delivered += n;
        return n;
    }

    // The control connection never sends in these runs; accept everything so a stray send cannot block.
    int64_t SendSome(const void*, int64_t size) override { return size; }

private:
    bool open_ = true;
};
