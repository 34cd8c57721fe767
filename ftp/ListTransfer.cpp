// Folder listings: MLSD or LIST over a data connection of their own, passive or active, plain or TLS, with the
// upload's bounds. A listing the server refuses, cuts or floods reads as none; only a failing connection raises.
#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "ftp/WsaErrors.h"
#include "util/WireText.h"

namespace {

bool IsPreliminary(int code) {
    return code >= 100 && code < 200;
}

bool IsRefusal(int code) {
    return code >= 400 && code < 600;
}

// LIST hands its argument to code that may expand wildcards or read a leading '-' as options: such a path could
// list another folder, or the server's own choice of entries.
bool ListMayMisreadPath(const std::string& folder) {
    return folder.find_first_of("*?[") != std::string::npos || (!folder.empty() && folder.front() == '-');
}

} // namespace

// Holds the data channel of one listing and lets it go on every way out.
class TIdFTP::TDataChannelScope {
public:
    explicit TDataChannelScope(TIdFTP& ftp) : ftp_(ftp) {}
    ~TDataChannelScope() {
        if (ftp_.dataChannel_)
            ftp_.dataChannel_->DropSocket();
        ftp_.dataChannel_.reset();
    }
    TDataChannelScope(const TDataChannelScope&) = delete;
    TDataChannelScope& operator=(const TDataChannelScope&) = delete;

private:
    TIdFTP& ftp_;
};

std::optional<TFolderLines> TIdFTP::ListFolder(const std::string& folder) {
    if (BreaksCommandLine(folder))
        throw EIdUnsafeCommand();
    const bool mlsd = Features().Mlsd;
    if (!mlsd && ListMayMisreadPath(folder))
        return std::nullopt;
    std::string command = mlsd ? "MLSD" : "LIST";
    if (!folder.empty())
        command += " " + WireName(folder);
    const std::optional<std::string> text = Passive ? ReceivePassiveListing(command) : ReceiveActiveListing(command);
    // Counted before anything is read into entries, so a flood of tiny lines cannot take the memory either.
    if (!text || CountFolderLines(*text) > kMaxListingEntries)
        return std::nullopt;
    TFolderLines lines = ParseFolderLines(*text, mlsd);
    if (utf8Names_)
        for (TListedEntry& entry : lines.Entries)
            entry.Name = EightBitFromUtf8(entry.Name);
    return lines;
}

std::optional<std::string> TIdFTP::ReceivePassiveListing(const std::string& command) {
    const TPassiveEndpoint endpoint = RequestUsablePassiveEndpoint();
    WriteLine(command);
    const TDataChannelScope scope(*this);
    TIdTCPClient& channel = MakePassiveChannel(endpoint);
    try {
        channel.OpenConnection(DefaultTimeLimit);
    } catch (const EIdSocketError&) {
        // A server that refuses the listing may close its port at once: then its refusal is the answer.
        const std::exception_ptr connectError = std::current_exception();
        if (IsRefusal(ReadExpectedReply({})))
            return std::nullopt;
        std::rethrow_exception(connectError);
    }
    if (!IsPreliminary(ReadExpectedReply({})))
        return std::nullopt;
    return ReceiveListingText(channel);
}

std::optional<std::string> TIdFTP::ReceiveActiveListing(const std::string& command) {
    const TDataChannelScope scope(*this);
    TIdSimpleServer& listener = ListenForActiveChannel();
    if (!IsPreliminary(SendCommand(command, TReplyCodes{})))
        return std::nullopt;
    if (!listener.AwaitConnection())
        throw EIdSocketError(WsaTimedOut);
    return ReceiveListingText(listener);
}

std::optional<std::string> TIdFTP::ReceiveListingText(TIdTCPConnection& channel) {
    if (dataProtected_)
        SecureDataChannel(channel);
    std::optional<std::string> text = channel.ReceiveUntilClosed(kMaxListingBytes);
    // Closed before the final reply is read: a server still sending (a flood) learns here that nobody listens.
    channel.CloseConnection();
    const int code = ReadTransferEnd(TReplyCodes{});
    if (code != 226 && code != 250)
        return std::nullopt;
    return text;
}
