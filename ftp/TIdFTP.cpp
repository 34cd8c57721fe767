#include "ftp/TIdFTP.h"

#include "ftp/FileStream.h"
#include "ftp/IdExceptions.h"
#include "ftp/ServerAddress.h"
#include "ftp/TIdIOHandlerSocket.h"
#include "ftp/WsaErrors.h"
#include "util/WireText.h"

#include <algorithm>
#include <charconv>
#include <exception>

TIdFTP::TIdFTP() {
    SetPort(21);
}

TIdFTP::~TIdFTP() = default;

void TIdFTP::SetTransferType(TIdFTPTransferType type) {
    if (type == transferType_ || dataChannel_)
        return;
    transferType_ = type;
    if (IsOpen())
        AnnounceTransferType();
}

void TIdFTP::ConnectAndLogIn(bool autoLogin, int timeout) {
    dataProtected_ = false;
    if (UseTLS && !dynamic_cast<TIdSSLIOHandlerSocket*>(IOHandler()) && !(IOHandler() && IOHandler()->ChannelOpen()))
        SetIOHandler(std::make_unique<TIdSSLIOHandlerSocket>());
    features_.reset(); // another connection may reach another server
    utf8Names_ = false;
    try {
        OpenConnection(timeout);
        ReadExpectedReply({220});
        WelcomeReply = LastReply;
        if (UseTLS)
            SecureControlConnection();
        if (!autoLogin)
            return;
        LogIn();
        if (UseTLS)
            ProtectDataConnections();
        ChooseNameEncoding();
        AnnounceTransferType();
        const int code = SendCommand("SYST", TReplyCodes{200, 215, 500});
        if (code == 500)
            SystemDescription = "Unknown";
        else
            SystemDescription = LastReply.Text.empty() ? std::string() : LastReply.Text.front();
    } catch (...) {
        CloseConnection();
        throw;
    }
}

void TIdFTP::SecureControlConnection() {
    TIdSSLIOHandlerSocket* tls = ControlTLS();
    if (tls == nullptr)
        throw EIdTLSError("the control connection has no TLS channel.");
    if (SendCommand("AUTH TLS", TReplyCodes{}) != 234)
        throw EIdTLSRefused();
    // Bytes that came in clear behind the 234 would later be read as if they had come protected.
    if (PendingInputSize() > 0)
        throw EIdTLSError("bytes in clear after AUTH TLS.");
    tls->StartTLS(CertificateName(), ReplyTimeLimit);
    const TIdTLSPeer& peer = tls->Peer();
    if (!peer.Trusted && !(OnVerifyPeer && OnVerifyPeer(peer)))
        throw EIdTLSPeerRejected();
}

void TIdFTP::ProtectDataConnections() {
    if (SendCommand("PBSZ 0", TReplyCodes{}) != 200 || SendCommand("PROT P", TReplyCodes{}) != 200)
        throw EIdTLSRefused();
    dataProtected_ = true;
}

void TIdFTP::SecureDataChannel(TIdTCPConnection& channel) {
    BeginDataChannelTLS(channel);
    CompleteDataChannelTLS(channel);
}

void TIdFTP::BeginDataChannelTLS(TIdTCPConnection& channel) {
    auto* data = dynamic_cast<TIdSSLIOHandlerSocket*>(channel.IOHandler());
    const TIdSSLIOHandlerSocket* control = ControlTLS();
    if (data == nullptr || control == nullptr || !control->TLSActive())
        throw EIdTLSError("the data connection has no TLS channel.");
    data->BeginTLS(CertificateName(), control);
}

void TIdFTP::CompleteDataChannelTLS(TIdTCPConnection& channel) {
    auto* data = dynamic_cast<TIdSSLIOHandlerSocket*>(channel.IOHandler());
    const TIdSSLIOHandlerSocket* control = ControlTLS();
    if (data == nullptr || control == nullptr)
        throw EIdTLSError("the data connection has no TLS channel.");
    data->CompleteTLS(ReplyTimeLimit);
    // Whoever answers on the data port must be the server we confirmed, not a host that raced it there.
    if (data->Peer().Fingerprint != control->Peer().Fingerprint)
        throw EIdTLSError("the data connection showed another certificate.");
}

void TIdFTP::FinishDataChannel(TIdTCPConnection& channel) {
    auto* data = dynamic_cast<TIdSSLIOHandlerSocket*>(channel.IOHandler());
    if (data == nullptr)
        return;
    // A TLS 1.3 server may send records (session tickets) on the data connection that nobody reads, and closing a
    // socket with unread input resets the connection: the reset can cost the server the bytes it has not read yet,
    // and some servers then still report the file as stored. So the socket closes only once the server has seen
    // the end: it closed its side, or its final reply is there.
    data->FinishSending();
    if (!ftp::WaitInSlices(ReplyTimeLimit > 0 ? ReplyTimeLimit : -1,
                           [this, data](int slice) { return data->PeerFinished(slice) || InputWaiting(); }))
        throw EIdSocketError(WsaTimedOut);
}

TIdSSLIOHandlerSocket* TIdFTP::ControlTLS() const {
    return dynamic_cast<TIdSSLIOHandlerSocket*>(IOHandler());
}

std::string TIdFTP::CertificateName() const {
    return TLSHostName.empty() ? Host() : TLSHostName;
}

std::string TIdFTP::TLSVersion() const {
    const TIdSSLIOHandlerSocket* tls = ControlTLS();
    return tls != nullptr && tls->TLSActive() ? tls->Version() : std::string();
}

void TIdFTP::LogIn() {
    if (SendCommand("USER " + Username, TReplyCodes{230, 331}) == 331)
        SendCommand("PASS " + Password, TReplyCodes{230});
    LoginReply = LastReply;
}

void TIdFTP::ChooseNameEncoding() {
    if (!EightBitTextNeedsUtf8Wire() || !Features().Utf8)
        return;
    // A server that announced UTF8 reads UTF-8 names whether or not it takes the switch, so a refusal is no error.
    SendCommand("OPTS UTF8 ON", TReplyCodes{});
    utf8Names_ = true;
}

std::string TIdFTP::WireName(const std::string& name) const {
    return utf8Names_ ? Utf8FromEightBit(name) : name;
}

void TIdFTP::AnnounceTransferType() {
    SendCommand(transferType_ == ftASCII ? "TYPE A" : "TYPE I", TReplyCodes{200});
}

void TIdFTP::ChangeRemoteDir(const std::string& path) {
    SendCommand("CWD " + WireName(path), TReplyCodes{200, 250});
}

void TIdFTP::MakeRemoteDir(const std::string& name) {
    SendCommand("MKD " + WireName(name), TReplyCodes{257});
}

bool TIdFTP::TryMakeRemoteDir(const std::string& name) {
    return SendCommand("MKD " + WireName(name), TReplyCodes{}) == 257;
}

void TIdFTP::AbortTransfer() {
    if (IsOpen())
        WriteLine("ABOR");
    DropDataChannel();
}

void TIdFTP::DropDataChannel() {
    if (dataChannel_)
        dataChannel_->DropSocket();
}

void TIdFTP::LeaveServer() {
    if (!IsOpen()) {
        CloseConnection(); // a connection the server closed still holds its channel until here
        return;
    }
    try {
        WriteLine("QUIT");
    } catch (...) {
        CloseConnection();
        throw;
    }
    CloseConnection();
}

void TIdFTP::LeaveServerQuietly() {
    if (!IsOpen())
        return;
    try {
        AbortTransfer();
        LeaveServer();
    } catch (const EIdException&) {
        CloseConnection();
    }
}

bool TIdFTP::SetServer(const std::string& typed) {
    const auto address = ParseServerAddress(typed, DefaultPort);
    if (!address)
        return false;
    SetHost(address->Host);
    SetPort(address->Port);
    return true;
}

const TFtpFeatures& TIdFTP::Features() {
    if (!features_) {
        const int code = SendCommand("FEAT", TReplyCodes{});
        features_ = ParseFeatures(code, LastReply.Lines);
    }
    return *features_;
}

std::optional<std::int64_t> TIdFTP::RemoteSize(const std::string& remoteName) {
    if (SendCommand("SIZE " + WireName(remoteName), TReplyCodes{}) != 213 || LastReply.Text.empty())
        return std::nullopt;
    const std::string text = TrimBlanks(LastReply.Text.front());
    std::int64_t size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (error != std::errc() || end != text.data() + text.size() || size < 0)
        return std::nullopt;
    return size;
}

std::optional<std::int64_t> TIdFTP::RemoteModified(const std::string& remoteName) {
    if (SendCommand("MDTM " + WireName(remoteName), TReplyCodes{}) != 213 || LastReply.Text.empty())
        return std::nullopt;
    return ParseFtpTimestamp(TrimBlanks(LastReply.Text.front()));
}

std::vector<std::optional<std::int64_t>> TIdFTP::RemoteModified(const std::vector<std::string>& remoteNames) {
    // Few enough that the commands and the replies each fit in the sockets' buffers: neither side blocks the other.
    constexpr std::size_t kBatch = 64;
    std::vector<std::optional<std::int64_t>> times(remoteNames.size());
    for (std::size_t first = 0; first < remoteNames.size(); first += kBatch) {
        const std::size_t end = std::min(first + kBatch, remoteNames.size());
        std::string commands;
        for (std::size_t i = first; i < end; ++i) {
            if (!BreaksCommandLine(remoteNames[i]))
                commands += "MDTM " + WireName(remoteNames[i]) + "\r\n";
        }
        WriteText(commands);
        for (std::size_t i = first; i < end; ++i) {
            if (BreaksCommandLine(remoteNames[i]))
                continue;
            if (ReadExpectedReply(TReplyCodes{}) == 213 && !LastReply.Text.empty())
                times[i] = ParseFtpTimestamp(TrimBlanks(LastReply.Text.front()));
        }
    }
    return times;
}

void TIdFTP::ResumeUpload(const std::string& localPath, const std::string& remoteName, std::int64_t offset) {
    TFileStream file(localPath);
    file.Seek(offset);
    restartAt_ = offset;
    try {
        UploadStream(file, remoteName, false);
    } catch (...) {
        restartAt_ = 0;
        throw;
    }
    restartAt_ = 0;
}

void TIdFTP::AnnounceRestart() {
    if (restartAt_ > 0)
        SendCommand("REST " + std::to_string(restartAt_), TReplyCodes{350});
}

void TIdFTP::UploadFile(const std::string& localPath, const std::string& remoteName, bool append) {
    TFileStream file(localPath);
    UploadStream(file, remoteName, append);
}

void TIdFTP::UploadStream(TStream& stream, const std::string& remoteName, bool append) {
    // Refused before PASV or PORT: a name that would split the command line sends nothing at all.
    if (BreaksCommandLine(remoteName))
        throw EIdUnsafeCommand();
    if (remoteName.empty())
        RunUpload("STOU ", stream);
    else if (append)
        RunUpload("APPE " + WireName(remoteName), stream);
    else
        RunUpload("STOR " + WireName(remoteName), stream);
}

void TIdFTP::RunUpload(const std::string& command, TStream& stream) {
    if (Passive)
        RunPassiveTransfer(command, stream);
    else
        RunActiveTransfer(command, stream);
}

void TIdFTP::RunPassiveTransfer(const std::string& command, TStream& stream) {
    const TPassiveEndpoint endpoint = RequestUsablePassiveEndpoint();
    AnnounceRestart();
    WriteLine(command);
    std::exception_ptr cutShort;
    bool endAnnouncedEarly = false;
    try {
        TIdTCPClient& channel = MakePassiveChannel(endpoint);
        try {
            channel.OpenConnection(DefaultTimeLimit);
            // The handshake starts before the reply is read: the server's hello then comes with it, not a round
            // trip after it.
            if (dataProtected_)
                BeginDataChannelTLS(channel);
            ReadExpectedReply({110, 125, 150});
            if (dataProtected_)
                CompleteDataChannelTLS(channel);
            try {
                channel.SendStream(stream, false);
            } catch (const EIdSocketError& error) {
                // DropDataChannel closed the socket under us: read the final reply to stay in step, then fail.
                if (error.SocketErrorCode() != WsaNotSocket)
                    throw;
                cutShort = std::current_exception();
            }
            endAnnouncedEarly = InputWaiting();
            if (dataProtected_ && !cutShort)
                FinishDataChannel(channel);
        } catch (...) {
            channel.CloseConnection();
            throw;
        }
        channel.CloseConnection();
    } catch (...) {
        dataChannel_.reset();
        throw;
    }
    dataChannel_.reset();
    ReadFinalReply(endAnnouncedEarly);
    if (cutShort)
        std::rethrow_exception(cutShort);
}

void TIdFTP::RunActiveTransfer(const std::string& command, TStream& stream) {
    bool endAnnouncedEarly = false;
    try {
        TIdSimpleServer& listener = ListenForActiveChannel();
        AnnounceRestart();
        SendCommand(command, TReplyCodes{125, 150});
        if (!listener.AwaitConnection())
            throw EIdSocketError(WsaTimedOut);
        if (dataProtected_)
            SecureDataChannel(listener);
        listener.SendStream(stream, restartAt_ == 0); // a resumed upload starts where the server's copy ends
        endAnnouncedEarly = InputWaiting();
        if (dataProtected_)
            FinishDataChannel(listener);
    } catch (...) {
        dataChannel_.reset();
        throw;
    }
    dataChannel_.reset();
    ReadFinalReply(endAnnouncedEarly);
}

TPassiveEndpoint TIdFTP::RequestUsablePassiveEndpoint() {
    const TPassiveEndpoint endpoint = RequestPassiveEndpoint();
    if (!endpoint.FieldsInRange || endpoint.Port < 1 || endpoint.Port > 65535)
        RaiseReplyError(); // the 227 names no usable address and port
    return endpoint;
}

TIdTCPClient& TIdFTP::MakePassiveChannel(const TPassiveEndpoint& endpoint) {
    const std::string address = ControlBinding().RemoteIP;
    auto client = std::make_unique<TIdTCPClient>();
    if (dataProtected_)
        client->SetIOHandler(std::make_unique<TIdSSLIOHandlerSocket>());
    TIdTCPClient& channel = *client;
    dataChannel_ = std::move(client);
    CopyChannelSettings();
    channel.SetHost(address.empty() ? endpoint.Address : address);
    channel.SetPort(endpoint.Port);
    channel.ConnectTimeLimit = ConnectTimeLimit;
    return channel;
}

TIdSimpleServer& TIdFTP::ListenForActiveChannel() {
    auto server = std::make_unique<TIdSimpleServer>();
    TIdSimpleServer& listener = *server;
    dataChannel_ = std::move(server);
    CopyChannelSettings();
    const TIdSocketHandle& control = ControlBinding();
    listener.BoundIP = control.IP;
    // Only the server may deliver the data connection; anyone racing it to the port is turned away.
    listener.AllowedPeerIP = control.RemoteIP;
    listener.AcceptTimeLimit = DataConnectTimeLimit;
    if (dataProtected_) {
        auto tls = std::make_unique<TIdSSLIOHandlerSocket>();
        tls->PrepareChannel();
        listener.SetIOHandler(std::move(tls));
    }
    listener.StartListening();
    AnnounceActiveEndpoint(*listener.Binding());
    return listener;
}

void TIdFTP::ReadFinalReply(bool announcedEarly) {
    const int code = ReadTransferEnd({225, 226, 250, 426, 450});
    // The server aborted the transfer: the file is not stored.
    if (code == 426 || code == 450)
        RaiseReplyError();
    // A server can know that a transfer ended only once the data connection is closed. A success reply that was
    // there before the last byte went and the connection closed speaks of data the server never read.
    if (announcedEarly)
        RaiseReplyError();
}

int TIdFTP::ReadTransferEnd(const TReplyCodes& allowed) {
    const int code = ReadExpectedReply(allowed);
    if (code != 426 && code != 450)
        return code;
    const TIdRFCReply aborted = LastReply;
    const int savedTimeout = ReadTimeout;
    ReadTimeout = FollowUpTimeLimit;
    try {
        ReadReply();
    } catch (const EIdException&) {
        // No follow-up (or the connection went): the abort is still the news.
    }
    ReadTimeout = savedTimeout;
    LastReply = aborted;
    return code;
}

TPassiveEndpoint TIdFTP::RequestPassiveEndpoint() {
    SendCommand("PASV", TReplyCodes{227});
    return ParsePassiveReply(LastReply.Text.empty() ? std::string() : LastReply.Text.front());
}

void TIdFTP::AnnounceActiveEndpoint(const TIdSocketHandle& binding) {
    SendCommand(BuildPortCommand(binding.IP, binding.Port), TReplyCodes{200});
}

void TIdFTP::CopyChannelSettings() {
    dataChannel_->SendBufferSize = SendBufferSize;
    dataChannel_->SendStallTimeLimit = SendStallTimeLimit;
    dataChannel_->ReplyTimeLimit = ReplyTimeLimit;
    dataChannel_->RecvBufferSize = RecvBufferSize;
    dataChannel_->OnWork = OnWork;
    dataChannel_->OnWorkBegin = OnWorkBegin;
    dataChannel_->OnWorkEnd = OnWorkEnd;
}

const TIdSocketHandle& TIdFTP::ControlBinding() const {
    auto* channel = dynamic_cast<TIdIOHandlerSocket*>(IOHandler());
    if (!channel || !channel->Binding())
        throw EIdNotConnected();
    return *channel->Binding();
}
