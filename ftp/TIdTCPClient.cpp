#include "ftp/TIdTCPClient.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdIOHandlerSocket.h"

void TIdTCPClient::DoOnConnected() {
    if (OnConnected)
        OnConnected(this);
}

void TIdTCPClient::OpenConnection(int timeLimit) {
    if (!IOHandler())
        SetIOHandler(std::make_unique<TIdIOHandlerSocket>());
    else if (IOHandler()->ChannelOpen())
        throw EIdAlreadyConnected(); // the open connection stays as it is
    try {
        IOHandler()->PrepareChannel();
        ResetInput();
        const int connectLimit = timeLimit == DefaultTimeLimit ? ConnectTimeLimit : timeLimit;
        IOHandler()->ConnectChannel(Host(), Port(), connectLimit, BoundIP, BoundPort, 0, 0);
        DoOnConnected();
    } catch (...) {
        DropSocket(); // a half-made socket never outlives the failed attempt
        throw;
    }
}
