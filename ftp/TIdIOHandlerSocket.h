#pragma once
// The socket channel: one TIdSocketHandle (the "binding"), created by PrepareChannel and destroyed with the channel.

#include "ftp/TIdIOHandler.h"
#include "ftp/TIdSocketHandle.h"

#include <memory>
#include <optional>

class TIdIOHandlerSocket : public TIdIOHandler {
public:
    TIdIOHandlerSocket() = default;
    ~TIdIOHandlerSocket() override = default;

    // The Nagle algorithm stays on: no TCP_NODELAY is set.
    bool UseNagle = true;

    void CloseChannel() override;
    void ConnectChannel(const std::string& host, int port, int timeLimit, const std::string& boundIP, int boundPort,
                        int portMin, int portMax) override;
    bool ChannelOpen() const override;
    void PrepareChannel() override;
    bool WaitReadable(int timeLimit) override;
    bool WaitWritable(int timeLimit) override;
    bool PeerHasLeft() override;
    int64_t ReceiveSome(void* buffer, int64_t size) override;
    int64_t SendSome(const void* buffer, int64_t size) override;
    void LimitUnsentBytes(int bytes) override;

    // The socket of the channel; null before PrepareChannel.
    TIdSocketHandle* Binding() const { return binding_.get(); }

protected:
    // What one look at the socket tells of the peer: gone (true), quietly there (false), or unknown because
    // input is waiting that must be peeked at (none).
    std::optional<bool> PeerLeftAtAGlance() const;

private:
    std::unique_ptr<TIdSocketHandle> binding_;
};
