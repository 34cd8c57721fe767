#pragma once
// The channel through which a connection reaches the network. TIdIOHandlerSocket is the real one; tests may put
// an in-memory channel in its place.

#include "ftp/TIdComponent.h"

#include <cstdint>
#include <string>

// Time limits of waits, in milliseconds when positive.
constexpr int DefaultTimeLimit = -1; // the connection's ReadTimeout (0 there means NoTimeLimit)
constexpr int NoTimeLimit = -2;

class TIdIOHandler : public TIdComponent {
public:
    virtual void AcceptCompleted() {}
    virtual void CloseChannel() = 0;
    virtual void ConnectChannel(const std::string& host, int port, int timeLimit, const std::string& boundIP,
                                int boundPort, int portMin, int portMax) = 0;
    virtual bool ChannelOpen() const = 0;
    virtual void PrepareChannel() = 0;
    virtual bool WaitReadable(int timeLimit) = 0;
    // True when a send can take bytes within `timeLimit` milliseconds. A channel whose sends never wait says so.
    virtual bool WaitWritable(int /*timeLimit*/) { return true; }
    // True when the peer has visibly gone: it closed or reset the connection, or announced that it is closing
    // (421) while nothing was asked of it. Takes no byte.
    virtual bool PeerHasLeft() { return false; }
    // One platform call each; the result is returned unchanged (-1: failed, receive 0: the peer closed).
    virtual int64_t ReceiveSome(void* buffer, int64_t size) = 0;
    virtual int64_t SendSome(const void* buffer, int64_t size) = 0;
    // Lets at most about `bytes` wait unsent in the channel (see ftp::platform::LimitUnsentBytes).
    virtual void LimitUnsentBytes(int /*bytes*/) {}
};
