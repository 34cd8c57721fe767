#include "ftp/TIdIOHandlerSocket.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdStack.h"
#include "ftp/WsaErrors.h"

void TIdIOHandlerSocket::CloseChannel() {
    if (binding_)
        binding_->ReleaseSocket();
}

void TIdIOHandlerSocket::ConnectChannel(const std::string& host, int port, int timeLimit, const std::string& boundIP,
                                        int boundPort, int portMin, int portMax) {
    if (!binding_)
        PrepareChannel();
    binding_->CreateStreamSocket();
    binding_->IP = boundIP;
    binding_->Port = boundPort;
    binding_->ClientPortMin = portMin;
    binding_->ClientPortMax = portMax;
    // Bound only when an address or port is asked for. A bind to any port takes one that no other socket holds,
    // whoever its peer, and so does a port a closed connection keeps for a minute: a job of thousands of small
    // files (a data connection each) ran out of them. A connect shares a port among different peers.
    if (!boundIP.empty() || boundPort != 0)
        binding_->BindLocal();
    binding_->RemoteIP = SharedStack().ResolveAddress(host);
    binding_->RemotePort = port;
    SharedStack().CheckSocketResult(binding_->ConnectPeer(timeLimit));
}

bool TIdIOHandlerSocket::ChannelOpen() const {
    return binding_ && binding_->HasSocket();
}

void TIdIOHandlerSocket::PrepareChannel() {
    if (!binding_) {
        binding_ = std::make_unique<TIdSocketHandle>();
        return;
    }
    binding_->ReleaseSocket(); // never forget a socket that is still open
    binding_->ResetHandle();
}

bool TIdIOHandlerSocket::WaitReadable(int timeLimit) {
    if (!binding_)
        throw EIdConnClosedGracefully();
    return binding_->WaitReadable(timeLimit);
}

bool TIdIOHandlerSocket::WaitWritable(int timeLimit) {
    if (!binding_)
        throw EIdConnClosedGracefully();
    return binding_->WaitWritable(timeLimit);
}

std::optional<bool> TIdIOHandlerSocket::PeerLeftAtAGlance() const {
    switch (ftp::platform::LookAtPeer(binding_->SocketId())) {
    case ftp::platform::PeerState::Quiet:
        return false;
    case ftp::platform::PeerState::ShutDown:
        return true;
    case ftp::platform::PeerState::InputWaiting:
        break;
    }
    return std::nullopt;
}

bool TIdIOHandlerSocket::PeerHasLeft() {
    if (!ChannelOpen())
        return true;
    // One look answers the common case (a quiet, open connection); only bytes nobody asked for are peeked at.
    if (const std::optional<bool> left = PeerLeftAtAGlance())
        return *left;
    char first[3];
    const int64_t n = ftp::platform::Peek(binding_->SocketId(), first, sizeof first);
    if (n == 0)
        return true; // closed
    if (n < 0)
        return ftp::platform::LastError() != WsaWouldBlock; // reset, or nothing waiting
    // 421 is a server's notice that it closes the connection (an idle time-out, a shutdown).
    return n == 3 && first[0] == '4' && first[1] == '2' && first[2] == '1';
}

int64_t TIdIOHandlerSocket::ReceiveSome(void* buffer, int64_t size) {
    if (!ChannelOpen())
        throw EIdClosedSocket();
    return ftp::platform::Receive(binding_->SocketId(), buffer, size);
}

void TIdIOHandlerSocket::LimitUnsentBytes(int bytes) {
    if (ChannelOpen())
        ftp::platform::LimitUnsentBytes(binding_->SocketId(), bytes);
}

int64_t TIdIOHandlerSocket::SendSome(const void* buffer, int64_t size) {
    if (!ChannelOpen())
        throw EIdClosedSocket();
    return ftp::platform::Send(binding_->SocketId(), buffer, size);
}
