#include "ftp/TIdSocketHandle.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdIOHandler.h"
#include "ftp/TIdStack.h"
#include "ftp/WaitSlices.h"
#include "ftp/WsaErrors.h"

namespace platform = ftp::platform;

TIdSocketHandle::~TIdSocketHandle() {
    ReleaseSocket();
}

void TIdSocketHandle::CreateStreamSocket() {
    ReleaseSocket();
    platform::SocketId id = platform::OpenStreamSocket();
    if (id == platform::InvalidSocket)
        throw EIdInvalidSocket();
    socketId_ = id;
    hasSocket_ = true;
}

void TIdSocketHandle::ReleaseSocket() {
    if (!hasSocket_)
        return;
    hasSocket_ = false;
    platform::ShutdownSending(socketId_);
    platform::CloseSocket(socketId_);
    // Forget the number too: the system may hand it to the next socket it opens.
    socketId_ = platform::InvalidSocket;
}

void TIdSocketHandle::BindLocal() {
    const int rc = platform::Bind(socketId_, IP, Port);
    if (rc == -1 && platform::LastError() == WsaAddressInUse)
        throw EIdCouldNotBindSocket();
    SharedStack().CheckSocketResult(rc);
    platform::LocalAddress(socketId_, IP, Port);
}

int TIdSocketHandle::ConnectPeer(int limitMs) {
    int rc = platform::Connect(socketId_, RemoteIP, RemotePort);
    if (rc == -1 && (platform::LastError() == WsaInProgress || platform::LastError() == WsaWouldBlock)) {
        const int limit = limitMs > 0 ? limitMs : -1;
        if (!ftp::WaitInSlices(limit, [this](int slice) { return platform::WaitWritable(socketId_, slice) != 0; })) {
            platform::SetLastError(WsaTimedOut);
            return -1;
        }
        const int outcome = platform::ConnectOutcome(socketId_);
        if (outcome != 0) {
            platform::SetLastError(outcome);
            return -1;
        }
        rc = 0;
    }
    if (rc == 0)
        ReadAddresses();
    return rc;
}

void TIdSocketHandle::ListenForPeer(int backlog) {
    SharedStack().CheckSocketResult(platform::Listen(socketId_, backlog));
}

bool TIdSocketHandle::AcceptPeer(platform::SocketId listening) {
    ResetHandle();
    const platform::SocketId id = platform::Accept(listening);
    if (id == platform::InvalidSocket) {
        SharedStack().CheckSocketResult(-1, {10004, 10038}); // raises for any other number
        return false;
    }
    socketId_ = id;
    hasSocket_ = true;
    ReadAddresses();
    return true;
}

bool TIdSocketHandle::WaitReadable(int limitMs) {
    if (!hasSocket_)
        throw EIdConnClosedGracefully();
    return platform::WaitReadable(socketId_, limitMs == NoTimeLimit ? -1 : limitMs) == 1;
}

bool TIdSocketHandle::WaitWritable(int limitMs) {
    if (!hasSocket_)
        throw EIdConnClosedGracefully();
    return platform::WaitWritable(socketId_, limitMs == NoTimeLimit ? -1 : limitMs) == 1;
}

void TIdSocketHandle::ResetHandle() {
    hasSocket_ = false;
    socketId_ = platform::InvalidSocket;
    IP.clear();
    Port = 0;
    RemoteIP.clear();
    RemotePort = 0;
}

void TIdSocketHandle::ReadAddresses() {
    platform::LocalAddress(socketId_, IP, Port);
    platform::PeerAddress(socketId_, RemoteIP, RemotePort);
}
