#pragma once
// A connection: buffers received bytes, reads lines and replies, writes lines and blocks, sends commands and checks
// reply codes. It reaches the network through its channel (IOHandler), which it may own.

#include "ftp/PendingInput.h"
#include "ftp/Stream.h"
#include "ftp/TIdComponent.h"
#include "ftp/TIdIOHandler.h"
#include "ftp/TIdRFCReply.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TIdMaxLineAction { maException, maSplit };

// Allowed reply codes; an empty list accepts every code.
using TReplyCodes = std::vector<int>;

class TIdTCPConnection;
using TConnectionEvent = std::function<void(TIdTCPConnection* Sender)>;

class TIdTCPConnection : public TIdComponent {
public:
    TIdTCPConnection();
    ~TIdTCPConnection() override;

    int MaxLineLength = 16384; // terminator not counted; 0 switches the check off
    TIdMaxLineAction MaxLineAction = maException;
    int ReadTimeout = 0; // milliseconds; 0: no limit
    int RecvBufferSize = 32768;
    int SendBufferSize = 32768;
    TConnectionEvent OnDisconnected;

    TIdRFCReply LastReply;
    TIdRFCReply WelcomeReply;

    TIdIOHandler* IOHandler() const { return ioHandler_; }
    bool OwnsIOHandler() const { return static_cast<bool>(ownedHandler_); }
    // Uses a channel the caller keeps (tests, listeners); an owned channel in place is destroyed first. The
    // channel must outlive the connection, whose destruction still closes it.
    void SetIOHandler(TIdIOHandler* handler);
    // Uses a channel the connection owns from now on.
    void SetIOHandler(std::unique_ptr<TIdIOHandler> handler);

    virtual void NotifyDisconnected();
    // Empties PendingInput and clears PeerClosed.
    virtual void ResetInput();
    virtual void VerifyOpen(bool raiseIfClosed, bool ignorePending);
    // Returns `code` when allowed; otherwise raises EIdProtocolReplyError from LastReply.
    virtual int CheckReplyCode(int code, const TReplyCodes& allowed);
    virtual bool IsOpen();
    virtual void CloseConnection();
    virtual void DropSocket();
    virtual int ReadExpectedReply(const TReplyCodes& allowed);
    [[noreturn]] virtual void RaiseReplyError();
    // Bytes appended, 0 (the peer closed with bytes pending, or not open and not raising) or -1 (time limit passed).
    virtual int64_t FillInputBuffer(bool raiseIfClosed, int timeLimit, bool raiseOnTimeout);
    // One line without its LF (and a CR right before it).
    virtual std::string ReadLine();
    virtual int SendCommand(const std::string& command, const TReplyCodes& allowed);
    // Single-code form: -1 accepts any code.
    int SendCommand(const std::string& command, int allowedCode);
    virtual void WriteText(const std::string& text);
    virtual void WriteLine(const std::string& text);
    // Sends the stream from its position (from 0 when `fromStart`) to its end, with work events in wmWrite.
    // Defined with the data transfer.
    virtual void SendStream(TStream& stream, bool fromStart);

    // Trimmed line; empty only when all `tries` lines were empty.
    std::string ReadNonEmptyLine(int tries);
    // Reads one (possibly multi-line) reply into LastReply.
    void ReadReply();
    // Sends the block with as many send calls as it takes; NotifyWork(wmWrite, n) after each.
    void WriteBytes(const void* block, int64_t count);

    int64_t PendingInputSize() const { return pending_.Size(); }
    bool PeerClosed() const { return peerClosed_; }

protected:
    const TPendingInput& PendingInput() const { return pending_; }
    void SetPeerClosed(bool closed) { peerClosed_ = closed; }
    // Takes `count` bytes from the front of PendingInput, reporting them as read work.
    std::string TakeInput(int64_t count);

private:
    TIdIOHandler* ioHandler_ = nullptr;
    std::unique_ptr<TIdIOHandler> ownedHandler_;
    TPendingInput pending_;
    std::vector<char> receiveChunk_;
    bool peerClosed_ = false;
    int64_t lineScanned_ = 0; // bytes of PendingInput already searched for LF by an unfinished ReadLine
};
