#pragma once
// The data connection of an active-mode transfer: listens on one local port and accepts exactly one peer, then
// behaves as an ordinary connection over the accepted socket.

#include "ftp/TIdIOHandlerSocket.h"
#include "ftp/TIdSocketHandle.h"
#include "ftp/TIdTCPConnection.h"

#include <memory>
#include <string>

class TIdSimpleServer : public TIdTCPConnection {
public:
    TIdSimpleServer() = default;
    ~TIdSimpleServer() override = default;

    std::string BoundIP; // local address to listen on (empty: any)
    int BoundPort = 0;   // 0: any free port
    // Milliseconds each readiness test waits; a slice of AcceptTimeLimit, so a requested abort is seen soon.
    int AcceptPollWait = 50;
    // The longest wait for a peer in AwaitConnection, in milliseconds (< 0: no limit).
    int AcceptTimeLimit = 60000;
    // When set, only a peer from this address is accepted; any other is closed at once and the wait goes on.
    std::string AllowedPeerIP;

    virtual void RequestAbort() { abortRequested_ = true; }
    // Creates the socket channel if needed, binds BoundIP:BoundPort and listens (backlog 15).
    virtual void StartListening();
    // True when a peer was accepted within AcceptTimeLimit; the listening socket is closed either way.
    virtual bool AwaitConnection();

    bool Listening() const { return listening_; }
    // The local address and port after StartListening, the accepted socket's addresses after AwaitConnection.
    TIdSocketHandle* Binding() const;

protected:
    virtual void BindListener();
    virtual void ClearListenState();

private:
    void CloseListener();

    std::unique_ptr<TIdSocketHandle> listener_;
    bool listening_ = false;
    bool abortRequested_ = false;
};
