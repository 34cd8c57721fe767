#pragma once
// A connection: buffers received bytes, reads lines and replies, writes lines and blocks, sends commands and checks
// reply codes. It reaches the network through its channel (IOHandler), which it may own.

#include "ftp/PendingInput.h"
#include "ftp/Stream.h"
#include "ftp/TIdComponent.h"
#include "ftp/TIdIOHandler.h"
#include "ftp/TIdRFCReply.h"
#include "ftp/WaitSlices.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum TIdMaxLineAction { maException, maSplit };

// Allowed reply codes; an empty list accepts every code.
using TReplyCodes = std::vector<int>;

// True when `text` holds CR, LF or NUL: sent in a command line, it would end the line early and let the rest
// be read as a command of its own.
bool BreaksCommandLine(const std::string& text);

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
    // Bounds on the waits the peer controls, in milliseconds (0 or less: none). A whole reply must arrive within
    // ReplyTimeLimit of its start, however it trickles in (a read outside a reply gets the same bound); a send may
    // wait at most SendStallTimeLimit for the peer to take a byte. Past either the socket is dropped and
    // EIdSocketError 10060 raised.
    int ReplyTimeLimit = ftp::kReplyTimeLimitMs;
    int SendStallTimeLimit = ftp::kSendStallLimitMs;

    // The most one reply may hold, and the most empty lines before (or inside) it; beyond: EIdReplyTooLarge.
    static constexpr std::size_t kMaxReplyLines = 1000;
    static constexpr std::size_t kMaxReplyBytes = 1 << 20;
    static constexpr int kMaxEmptyLines = 1000;

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
    // True when the socket is open and the peer has not visibly gone: between operations, a peer that closed,
    // reset or announced its close (421) counts as not open, and the socket is dropped.
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
    // Sends the text and CR LF; a text holding CR, LF or NUL raises EIdUnsafeCommand and sends nothing.
    virtual void WriteLine(const std::string& text);
    // Sends the stream from its position (from 0 when `fromStart`) to its end, with work events in wmWrite.
    // Defined with the data transfer.
    virtual void SendStream(TStream& stream, bool fromStart);
    // Reads until the peer closes: every byte received, or nothing (and the socket dropped) once more than
    // `maxBytes` came. Each wait is bounded like a reply's. Defined with the data transfer.
    virtual std::optional<std::string> ReceiveUntilClosed(int64_t maxBytes);

    // Trimmed line; empty only when all `tries` lines were empty.
    std::string ReadNonEmptyLine(int tries);
    // Reads one (possibly multi-line) reply into LastReply, within ReplyTimeLimit and the size bounds.
    void ReadReply();
    // Sends the block with as many send calls as it takes; NotifyWork(wmWrite, n) after each.
    void WriteBytes(const void* block, int64_t count);

    int64_t PendingInputSize() const { return pending_.Size(); }
    bool PeerClosed() const { return peerClosed_; }
    // True when a reply (or part of one) has arrived that nobody has read yet: pending, or waiting in the socket.
    bool InputWaiting();

protected:
    const TPendingInput& PendingInput() const { return pending_; }
    void SetPeerClosed(bool closed) { peerClosed_ = closed; }
    // Takes `count` bytes from the front of PendingInput, reporting them as read work.
    std::string TakeInput(int64_t count);

private:
    using Clock = std::chrono::steady_clock;
    class ReplyDeadline;

    // The channel has a socket (after VerifyOpen); unlike IsOpen it never looks at the peer.
    bool ChannelIsOpen();
    // Waits for input up to `timeLimit` (NoTimeLimit or positive), within the bound; false when the limit passed.
    bool WaitForInput(int timeLimit);
    // Waits until a send can take bytes; the stall bound counts from the last byte that moved.
    void WaitUntilWritable(Clock::time_point lastProgress);
    std::string ReadReplyLine();
    [[noreturn]] void RaiseTimedOut();

    TIdIOHandler* ioHandler_ = nullptr;
    std::unique_ptr<TIdIOHandler> ownedHandler_;
    TPendingInput pending_;
    // Left uninitialised: a reply fills a few hundred bytes of it, and pages nothing has written cost no memory.
    std::unique_ptr<char[]> receiveChunk_;
    std::size_t receiveChunkSize_ = 0;
    bool peerClosed_ = false;
    int64_t lineScanned_ = 0; // bytes of PendingInput already searched for LF by an unfinished ReadLine
    std::optional<Clock::time_point> replyDeadline_; // set while a reply is read
};
