#pragma once
// One TCP socket with its local and remote address. Owns the socket between CreateStreamSocket (or a successful
// AcceptPeer) and ReleaseSocket / ResetHandle; destroying the handle releases it.

#include "ftp/SocketApi.h"

#include <string>

class TIdSocketHandle {
public:
    TIdSocketHandle() = default;
    ~TIdSocketHandle();
    TIdSocketHandle(const TIdSocketHandle&) = delete;
    TIdSocketHandle& operator=(const TIdSocketHandle&) = delete;

    // Local address (empty: any) and port (0: any), read back after bind, connect and accept.
    std::string IP;
    int Port = 0;
    std::string RemoteIP;
    int RemotePort = 0;
    // Local port range for binding; 0 and 0: no range (the only form used).
    int ClientPortMin = 0;
    int ClientPortMax = 0;

    ftp::platform::SocketId SocketId() const { return socketId_; }
    bool HasSocket() const { return hasSocket_; }

    // Releases any socket, then creates an IPv4 stream socket; EIdInvalidSocket when refused.
    void CreateStreamSocket();
    // Shuts sending down and closes the socket, ignoring both results.
    void ReleaseSocket();
    // Binds to IP:Port; address in use raises EIdCouldNotBindSocket, other failures EIdSocketError.
    void BindLocal();
    // Connects to RemoteIP:RemotePort; returns the platform result (-1 on failure) for CheckSocketResult. A connect
    // still under way is waited for in slices, at most `limitMs` (< 0 or 0: until the system gives up); running
    // out fails with 10060.
    int ConnectPeer(int limitMs = -1);
    void ListenForPeer(int backlog);
    // Accepts one peer of `listening` into this handle; false (nothing raised) on 10004 or 10038.
    bool AcceptPeer(ftp::platform::SocketId listening);
    // True when the socket is readable within `limitMs` (0: test once, NoTimeLimit: no limit).
    // EIdConnClosedGracefully when there is no socket.
    bool WaitReadable(int limitMs);
    // True when a send can take bytes within `limitMs`. EIdConnClosedGracefully when there is no socket.
    bool WaitWritable(int limitMs);
    // Forgets the socket without closing it and clears the addresses.
    void ResetHandle();

private:
    void ReadAddresses();

    ftp::platform::SocketId socketId_ = ftp::platform::InvalidSocket;
    bool hasSocket_ = false;
};
