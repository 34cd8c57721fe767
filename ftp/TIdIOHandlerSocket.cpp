#include "ftp/TIdIOHandlerSocket.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdStack.h"

void TIdIOHandlerSocket::CloseChannel() {
    if (binding_)
        binding_->ReleaseSocket();
}

void TIdIOHandlerSocket::ConnectChannel(const std::string& host, int port, int /*timeLimit*/,
                                        const std::string& boundIP, int boundPort, int portMin, int portMax) {
    // Connects always block until the platform answers; a time limit is not part of this channel.
    if (!binding_)
        PrepareChannel();
    binding_->CreateStreamSocket();
    binding_->IP = boundIP;
    binding_->Port = boundPort;
    binding_->ClientPortMin = portMin;
    binding_->ClientPortMax = portMax;
    binding_->BindLocal();
    binding_->RemoteIP = SharedStack().ResolveAddress(host);
    binding_->RemotePort = port;
    SharedStack().CheckSocketResult(binding_->ConnectPeer());
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

int64_t TIdIOHandlerSocket::ReceiveSome(void* buffer, int64_t size) {
    if (!ChannelOpen())
        throw EIdClosedSocket();
    return ftp::platform::Receive(binding_->SocketId(), buffer, size);
}

int64_t TIdIOHandlerSocket::SendSome(const void* buffer, int64_t size) {
    if (!ChannelOpen())
        throw EIdClosedSocket();
    return ftp::platform::Send(binding_->SocketId(), buffer, size);
}
