#include "ftp/TIdTCPConnection.h"

#include "ftp/IdExceptions.h"
#include "ftp/TIdStack.h"

#include <algorithm>
#include <climits>

namespace {
// Error numbers after which the socket is of no further use.
constexpr int WsaConnectionAborted = 10053;
constexpr int WsaConnectionReset = 10054;
constexpr int WsaSocketShutDown = 10058;
} // namespace

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
    VerifyOpen(false, false);
    return ioHandler_ && ioHandler_->ChannelOpen();
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
    throw EIdProtocolReplyError(LastReply.NumericCode, message);
}

int64_t TIdTCPConnection::FillInputBuffer(bool raiseIfClosed, int timeLimit, bool raiseOnTimeout) {
    if (timeLimit == DefaultTimeLimit)
        timeLimit = ReadTimeout == 0 ? NoTimeLimit : ReadTimeout;
    VerifyOpen(raiseIfClosed, false);
    if (!IsOpen()) {
        if (raiseIfClosed)
            throw EIdNotConnected();
        return 0;
    }
    int64_t received = 0;
    do {
        if (!ioHandler_->WaitReadable(timeLimit)) {
            if (raiseOnTimeout)
                throw EIdReadTimeout();
            return -1;
        }
        receiveChunk_.resize(static_cast<size_t>(std::max(RecvBufferSize, 1)));
        received = ioHandler_->ReceiveSome(receiveChunk_.data(), static_cast<int64_t>(receiveChunk_.size()));
        peerClosed_ = received == 0;
        if (received == -1) {
            // A socket shut down under us: deliver what is pending first, fail only when nothing is.
            TIdStack& stack = SharedStack();
            if (stack.CheckSocketResult(received, {WsaSocketShutDown, WsaConnectionAborted})) {
                received = 0;
                DropSocket();
                if (pending_.Empty())
                    stack.ThrowSocketError(stack.LastSocketError());
            }
        }
        if (received > 0)
            pending_.Append(receiveChunk_.data(), received);
        VerifyOpen(raiseIfClosed, false);
    } while (received == 0 && IsOpen());
    return received;
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
    // Empty lines between replies are skipped by ReadNonEmptyLine.
    std::vector<std::string> lines{ReadNonEmptyLine(INT_MAX)};
    while (!IsReplyComplete(lines))
        lines.push_back(ReadNonEmptyLine(INT_MAX));
    LastReply.FillFromLines(lines);
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

void TIdTCPConnection::WriteLine(const std::string& text) {
    WriteText(text + "\r\n");
}

void TIdTCPConnection::WriteBytes(const void* block, int64_t count) {
    if (block == nullptr || count <= 0)
        return;
    VerifyOpen(true, true);
    if (!IsOpen())
        throw EIdNotConnected();
    const char* bytes = static_cast<const char*>(block);
    for (int64_t position = 0; position < count;) {
        const int64_t sent = ioHandler_->SendSome(bytes + position, count - position);
        peerClosed_ = sent == 0;
        VerifyOpen(true, false);
        if (sent == -1) {
            TIdStack& stack = SharedStack();
            if (stack.CheckSocketResult(sent, {WsaSocketShutDown, WsaConnectionAborted, WsaConnectionReset})) {
                DropSocket();
                stack.ThrowSocketError(stack.LastSocketError());
            }
        }
        NotifyWork(wmWrite, sent);
        position += sent;
    }
}

std::string TIdTCPConnection::TakeInput(int64_t count) {
    std::string taken = pending_.Take(count);
    lineScanned_ = 0;
    NotifyWork(wmRead, count);
    return taken;
}
