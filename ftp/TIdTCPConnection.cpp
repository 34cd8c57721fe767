#include "ftp/TIdTCPConnection.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdStack.h"
#include "ftp/WsaErrors.h"

#include <algorithm>

namespace {
int MillisecondsUntil(std::chrono::steady_clock::time_point when) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(when - std::chrono::steady_clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT32_MAX));
}
} // namespace

// Holds the bound of one whole reply while it is read.
class TIdTCPConnection::ReplyDeadline {
public:
    explicit ReplyDeadline(TIdTCPConnection& connection) : connection_(connection) {
        if (connection_.ReplyTimeLimit > 0)
            connection_.replyDeadline_ = Clock::now() + std::chrono::milliseconds(connection_.ReplyTimeLimit);
    }
    ~ReplyDeadline() { connection_.replyDeadline_.reset(); }
    ReplyDeadline(const ReplyDeadline&) = delete;
    ReplyDeadline& operator=(const ReplyDeadline&) = delete;

private:
    TIdTCPConnection& connection_;
};

TIdTCPConnection::TIdTCPConnection() = default;

TIdTCPConnection::~TIdTCPConnection() {
    if (ioHandler_) {
        peerClosed_ = true;
        ioHandler_->CloseChannel();
    }
}

void TIdTCPConnection::SetIOHandler(TIdIOHandler* handler) {
    if (ownedHandler_ && ownedHandler_.get() != handler)
        ownedHandler_.reset();
    ioHandler_ = handler;
}

void TIdTCPConnection::SetIOHandler(std::unique_ptr<TIdIOHandler> handler) {
    ownedHandler_ = std::move(handler);
    ioHandler_ = ownedHandler_.get();
}

void TIdTCPConnection::NotifyDisconnected() {
    if (OnDisconnected)
        OnDisconnected(this);
}

void TIdTCPConnection::ResetInput() {
    pending_.Clear();
    lineScanned_ = 0;
    peerClosed_ = false;
}

void TIdTCPConnection::VerifyOpen(bool raiseIfClosed, bool ignorePending) {
    bool closed = false;
    if (peerClosed_ || !ioHandler_) {
        // A connection that never had a channel is "not connected", not "closed".
        if (ioHandler_) {
            if (ioHandler_->ChannelOpen()) {
                DropSocket();
                NotifyDisconnected();
            }
            closed = true;
        }
    } else {
        closed = !ioHandler_->ChannelOpen();
    }
    if (closed && raiseIfClosed && (pending_.Empty() || ignorePending))
        throw EIdConnClosedGracefully();
}

int TIdTCPConnection::CheckReplyCode(int code, const TReplyCodes& allowed) {
    if (!allowed.empty() && std::find(allowed.begin(), allowed.end(), code) == allowed.end())
        RaiseReplyError();
    return code;
}

bool TIdTCPConnection::IsOpen() {
    if (!ChannelIsOpen())
        return false;
    // Nothing is expected from the peer between operations: a socket that reads as closed, reset or being closed
    // means the connection is gone, though no call has failed on it yet.
    // A 421 already received (it came with the last reply) is the same notice as one still in the socket.
    const bool gone = pending_.Empty() ? ioHandler_->PeerHasLeft() : pending_.StartsWith("421");
    if (gone) {
        DropSocket();
        NotifyDisconnected();
        return false;
    }
    return true;
}

bool TIdTCPConnection::ChannelIsOpen() {
    VerifyOpen(false, false);
    return ioHandler_ && ioHandler_->ChannelOpen();
}

bool TIdTCPConnection::InputWaiting() {
    if (!pending_.Empty())
        return true;
    return ChannelIsOpen() && ioHandler_->WaitReadable(0);
}

void TIdTCPConnection::CloseConnection() {
    DropSocket();
    if (ownedHandler_) {
        ownedHandler_.reset();
        ioHandler_ = nullptr;
    }
    NotifyDisconnected();
}

void TIdTCPConnection::DropSocket() {
    if (!ioHandler_)
        return;
    peerClosed_ = true;
    ioHandler_->CloseChannel();
}

int TIdTCPConnection::ReadExpectedReply(const TReplyCodes& allowed) {
    ReadReply();
    return CheckReplyCode(LastReply.NumericCode, allowed);
}

void TIdTCPConnection::RaiseReplyError() {
    std::string message;
    for (const std::string& line : LastReply.Text)
        message += line + "\r\n";
    // The message travels as a C string: a NUL from the server would cut it short.
    std::replace(message.begin(), message.end(), '\0', '?');
    throw EIdProtocolReplyError(LastReply.NumericCode, message);
}

int64_t TIdTCPConnection::FillInputBuffer(bool raiseIfClosed, int timeLimit, bool raiseOnTimeout) {
    if (timeLimit == DefaultTimeLimit)
        timeLimit = ReadTimeout == 0 ? NoTimeLimit : ReadTimeout;
    VerifyOpen(raiseIfClosed, false);
    if (!ChannelIsOpen()) {
        if (raiseIfClosed)
            throw EIdNotConnected();
        return 0;
    }
    for (;;) {
        if (!WaitForInput(timeLimit)) {
            if (raiseOnTimeout)
                throw EIdReadTimeout();
            return -1;
        }
        const auto chunkSize = static_cast<std::size_t>(std::max(RecvBufferSize, 1));
        if (receiveChunkSize_ != chunkSize) {
            receiveChunk_ = std::make_unique_for_overwrite<char[]>(chunkSize);
            receiveChunkSize_ = chunkSize;
        }
        int64_t received = ioHandler_->ReceiveSome(receiveChunk_.get(), static_cast<int64_t>(chunkSize));
        if (received == -1) {
            TIdStack& stack = SharedStack();
            if (stack.CheckSocketResult(received, {WsaSocketShutDown, WsaConnectionAborted, WsaWouldBlock})) {
                if (stack.LastSocketError() == WsaWouldBlock)
                    continue; // woken without data
                // A socket shut down under us: deliver what is pending first, fail only when nothing is.
                received = 0;
                DropSocket();
                if (pending_.Empty())
                    stack.ThrowSocketError(stack.LastSocketError());
            }
        } else {
            peerClosed_ = received == 0;
        }
        if (received > 0)
            pending_.Append(receiveChunk_.get(), received);
        VerifyOpen(raiseIfClosed, false);
        if (received != 0 || !ChannelIsOpen())
            return received;
    }
}

bool TIdTCPConnection::WaitForInput(int timeLimit) {
    if (timeLimit == 0)
        return ioHandler_->WaitReadable(0);
    // The bound of the reply under way, or of this one wait outside a reply.
    std::optional<Clock::time_point> bound = replyDeadline_;
    if (!bound && ReplyTimeLimit > 0)
        bound = Clock::now() + std::chrono::milliseconds(ReplyTimeLimit);
    int limit = timeLimit < 0 ? -1 : timeLimit;
    bool boundDecides = false;
    if (bound) {
        const int left = MillisecondsUntil(*bound);
        if (limit < 0 || left < limit) {
            limit = left;
            boundDecides = true;
        }
    }
    if (ftp::WaitInSlices(limit, [this](int slice) { return ioHandler_->WaitReadable(slice); }))
        return true;
    if (boundDecides)
        RaiseTimedOut();
    return false;
}

void TIdTCPConnection::WaitUntilWritable(Clock::time_point lastProgress) {
    int limit = -1;
    if (SendStallTimeLimit > 0)
        limit = MillisecondsUntil(lastProgress + std::chrono::milliseconds(SendStallTimeLimit));
    if (!ftp::WaitInSlices(limit, [this](int slice) { return ioHandler_->WaitWritable(slice); }))
        RaiseTimedOut(); // the peer stopped taking bytes
}

void TIdTCPConnection::RaiseTimedOut() {
    DropSocket();
    NotifyDisconnected();
    SharedStack().ThrowSocketError(WsaTimedOut);
}

std::string TIdTCPConnection::ReadLine() {
    for (;;) {
        int64_t lineFeed = -1; // offset of the LF from the front of PendingInput
        if (!pending_.Empty()) {
            // Bytes before lineScanned_ were searched by an earlier pass: each byte is searched once.
            lineFeed = pending_.Find('\n', lineScanned_);
            lineScanned_ = pending_.Size();
        }
        // The line's length counts a CR before the LF; the LF itself does not count.
        const bool tooLong =
            MaxLineLength > 0 && (lineFeed >= 0 ? lineFeed > MaxLineLength : pending_.Size() > MaxLineLength);
        if (tooLong) {
            if (MaxLineAction == maException)
                throw EIdReadLnMaxLineLengthExceeded();
            return TakeInput(MaxLineLength);
        }
        if (lineFeed < 0) {
            VerifyOpen(true, true);
            // The peer closed and only an unterminated remainder is pending: that reads as one empty line,
            // and the remainder stays.
            if (FillInputBuffer(true, DefaultTimeLimit, true) == 0)
                return std::string();
            continue;
        }
        std::string line = TakeInput(lineFeed + 1);
        line.pop_back();
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }
}

std::string TIdTCPConnection::ReadNonEmptyLine(int tries) {
    std::string line;
    for (int done = 0; line.empty() && done < tries; ++done)
        line = TrimBlanks(ReadLine());
    return line;
}

void TIdTCPConnection::ReadReply() {
    const ReplyDeadline deadline(*this);
    std::vector<std::string> lines{ReadReplyLine()};
    std::size_t bytes = lines.back().size();
    while (!IsReplyComplete(lines)) {
        lines.push_back(ReadReplyLine());
        bytes += lines.back().size();
        if (lines.size() > kMaxReplyLines || bytes > kMaxReplyBytes) {
            DropSocket();
            throw EIdReplyTooLarge();
        }
    }
    LastReply.FillFromLines(lines);
}

std::string TIdTCPConnection::ReadReplyLine() {
    // Empty lines between replies are skipped, but not without end.
    std::string line = ReadNonEmptyLine(kMaxEmptyLines + 1);
    if (line.empty()) {
        DropSocket();
        throw EIdReplyTooLarge();
    }
    return line;
}

int TIdTCPConnection::SendCommand(const std::string& command, const TReplyCodes& allowed) {
    WriteLine(command);
    return ReadExpectedReply(allowed);
}

int TIdTCPConnection::SendCommand(const std::string& command, int allowedCode) {
    return SendCommand(command, allowedCode == -1 ? TReplyCodes{} : TReplyCodes{allowedCode});
}

void TIdTCPConnection::WriteText(const std::string& text) {
    if (!text.empty())
        WriteBytes(text.data(), static_cast<int64_t>(text.size()));
}

bool BreaksCommandLine(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

void TIdTCPConnection::WriteLine(const std::string& text) {
    if (BreaksCommandLine(text))
        throw EIdUnsafeCommand();
    WriteText(text + "\r\n");
}

void TIdTCPConnection::WriteBytes(const void* block, int64_t count) {
    if (block == nullptr || count <= 0)
        return;
    VerifyOpen(true, true);
    if (!ChannelIsOpen())
        throw EIdNotConnected();
    const char* bytes = static_cast<const char*>(block);
    Clock::time_point lastProgress = Clock::now();
    for (int64_t position = 0; position < count;) {
        const int64_t sent = ioHandler_->SendSome(bytes + position, count - position);
        if (sent == -1) {
            TIdStack& stack = SharedStack();
            if (stack.CheckSocketResult(sent,
                                        {WsaSocketShutDown, WsaConnectionAborted, WsaConnectionReset, WsaWouldBlock})) {
                if (stack.LastSocketError() == WsaWouldBlock) {
                    WaitUntilWritable(lastProgress);
                    continue;
                }
                DropSocket();
                stack.ThrowSocketError(stack.LastSocketError());
            }
        }
        peerClosed_ = sent == 0;
        VerifyOpen(true, false);
        NotifyWork(wmWrite, sent);
        position += sent;
        lastProgress = Clock::now();
    }
}

std::string TIdTCPConnection::TakeInput(int64_t count) {
    std::string taken = pending_.Take(count);
    lineScanned_ = 0;
    NotifyWork(wmRead, count);
    return taken;
}
