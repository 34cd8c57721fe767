#pragma once
// A connection that opens itself to Host:Port, optionally from BoundIP:BoundPort.

#include "ftp/TIdTCPConnection.h"
#include "ftp/WaitSlices.h"

#include <string>

class TIdTCPClient : public TIdTCPConnection {
public:
    TIdTCPClient() = default;
    ~TIdTCPClient() override = default;

    const std::string& Host() const { return host_; }
    int Port() const { return port_; }
    virtual void SetHost(const std::string& host) { host_ = host; }
    virtual void SetPort(int port) { port_ = port; }

    std::string BoundIP; // empty: any local address
    int BoundPort = 0;   // 0: any local port
    TConnectionEvent OnConnected;
    // The longest a connect may take when OpenConnection is given DefaultTimeLimit, in milliseconds.
    int ConnectTimeLimit = ftp::kConnectTimeLimitMs;

    virtual void DoOnConnected();
    // Creates an owned socket channel when there is none; EIdAlreadyConnected when the channel is open.
    // On failure the socket is dropped and the same exception travels on.
    virtual void OpenConnection(int timeLimit = DefaultTimeLimit);

private:
    std::string host_;
    int port_ = 0;
};
