#include "ftp/TIdSimpleServer.h"

#include "ftp/WaitSlices.h"

#include <algorithm>
#include <chrono>

TIdSocketHandle* TIdSimpleServer::Binding() const {
    auto* channel = dynamic_cast<TIdIOHandlerSocket*>(IOHandler());
    return channel ? channel->Binding() : nullptr;
}

void TIdSimpleServer::ClearListenState() {
    abortRequested_ = false;
    listening_ = false;
}

void TIdSimpleServer::StartListening() {
    if (!Binding()) {
        ClearListenState();
        auto channel = std::make_unique<TIdIOHandlerSocket>();
        channel->PrepareChannel();
        SetIOHandler(std::move(channel));
    }
    try {
        if (!listener_)
            BindListener();
        listener_->ListenForPeer(15);
        listening_ = true;
    } catch (...) {
        CloseListener();
        SetIOHandler(std::unique_ptr<TIdIOHandler>());
        throw;
    }
}

void TIdSimpleServer::BindListener() {
    listener_ = std::make_unique<TIdSocketHandle>();
    listener_->CreateStreamSocket();
    listener_->IP = BoundIP;
    listener_->Port = BoundPort;
    listener_->BindLocal();
    // Until a peer is accepted, the binding shows where we listen (the PORT line is built from it).
    Binding()->IP = listener_->IP;
    Binding()->Port = listener_->Port;
}

bool TIdSimpleServer::AwaitConnection() {
    if (!listening_)
        StartListening();
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(AcceptTimeLimit, 0));
    bool accepted = false;
    try {
        while (!accepted && !abortRequested_) {
            int slice = std::max(AcceptPollWait, 0);
            if (AcceptTimeLimit >= 0) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                if (left <= 0)
                    break;
                slice = static_cast<int>(std::min<long long>(slice, left));
            }
            if (!listener_->WaitReadable(slice)) {
                ftp::RunWaitSliceHook();
                continue;
            }
            if (!Binding()->AcceptPeer(listener_->SocketId()))
                break;
            if (!AllowedPeerIP.empty() && Binding()->RemoteIP != AllowedPeerIP) {
                // Someone other than the server reached the port first: it must never receive the data.
                Binding()->ReleaseSocket();
                continue;
            }
            accepted = true;
        }
    } catch (...) {
        CloseListener();
        throw;
    }
    CloseListener();
    if (accepted)
        ResetInput();
    return accepted;
}

void TIdSimpleServer::CloseListener() {
    listener_.reset(); // the handle releases its socket
    listening_ = false;
}
