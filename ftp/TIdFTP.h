#pragma once
// The FTP client: control commands (log-in, type, folders, abort, quit) over its control connection, and the
// upload of one stream or file over a fresh data connection per transfer, passive (PASV) or active (PORT).

#include "ftp/FolderListing.h"
#include "ftp/FtpFeatures.h"
#include "ftp/PassiveReply.h"
#include "ftp/TIdRFCReply.h"
#include "ftp/TIdSSLIOHandlerSocket.h"
#include "ftp/TIdSimpleServer.h"
#include "ftp/TIdSocketHandle.h"
#include "ftp/TIdTCPClient.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum TIdFTPTransferType { ftASCII, ftBinary };

class TIdFTP : public TIdTCPClient {
public:
    TIdFTP();
    ~TIdFTP() override;

    std::string Username;
    std::string Password;
    bool Passive = false; // true: we connect to the server (PASV); false: the server connects to us (PORT)
    TIdRFCReply LoginReply;
    std::string SystemDescription; // first line of the SYST reply, or "Unknown"

    // Bounds on waits that the server controls, in milliseconds. Both end as an upload failure.
    int DataConnectTimeLimit = 60000; // active mode: the server's data connection
    // A 426 or 450 is final; some servers add a second reply, many do not: it is read only if it comes this soon.
    int FollowUpTimeLimit = 2000;
    int DefaultPort = 21; // the port of a server typed without ":port"

    // Explicit TLS, from the next connection on: after the welcome AUTH TLS and the handshake, then the log-in,
    // PBSZ 0 and PROT P; every data connection then runs TLS too. A refusal or a failed step ends the connection
    // before USER is sent. Off: plain FTP, no AUTH sent.
    bool UseTLS = false;
    // The name (or address) the server's certificate must carry; empty: Host().
    std::string TLSHostName;
    // Asked about a certificate that the system's authorities do not vouch for; true lets the connection go on.
    // Unset: such a certificate is refused.
    std::function<bool(const TIdTLSPeer& peer)> OnVerifyPeer;
    // The TLS version of the control connection as negotiated ("TLS 1.3"); empty when it runs in clear.
    std::string TLSVersion() const;

    TIdFTPTransferType TransferType() const { return transferType_; }
    // Ignored while a transfer runs; announced at once when connected.
    void SetTransferType(TIdFTPTransferType type);
    // The connection of the running transfer; null outside a transfer.
    TIdTCPConnection* DataChannel() const { return dataChannel_.get(); }

    // Connects, reads the 220 welcome and, with autoLogin, logs in, picks the encoding of names, announces the
    // type and asks SYST.
    // On any failure the connection is closed and the same exception raised.
    void ConnectAndLogIn(bool autoLogin = true, int timeout = DefaultTimeLimit);
    void LogIn();
    void AnnounceTransferType();
    void ChangeRemoteDir(const std::string& path);
    void MakeRemoteDir(const std::string& name);
    // MKD that answers a refusal instead of raising it: true when the folder was made (257). A walk meets
    // existing folders on almost every file, and a raised refusal costs far more than the command itself.
    // Failures of the connection still raise.
    bool TryMakeRemoteDir(const std::string& name);
    // "ABOR" without reading a reply, then DropDataChannel.
    virtual void AbortTransfer();
    virtual void DropDataChannel();
    // "QUIT" without reading a reply, then CloseConnection; nothing when closed.
    void LeaveServer();
    // When open: AbortTransfer, then LeaveServer; a goodbye that fails (the server already dropped the line)
    // only closes the connection. For callers whose work is done whatever the server says now.
    void LeaveServerQuietly();

    // Host and port from the server as typed ("host" or "host:port"); false, with nothing changed, when
    // the port is not one.
    bool SetServer(const std::string& typed);
    // The FEAT answer of this connection, asked once per connection; nothing listed when it is refused.
    const TFtpFeatures& Features();
    // SIZE of a stored file; nothing when the server refuses or answers no number.
    std::optional<std::int64_t> RemoteSize(const std::string& remoteName);
    // MDTM: the file's modification time, UTC seconds; nothing when refused or not a valid "YYYYMMDDHHMMSS[.fff]".
    std::optional<std::int64_t> RemoteModified(const std::string& remoteName);
    // The same for several files, the commands sent together (up to 64 at a time) and their replies read in order:
    // a round trip for them all. A name that would break the command line is not sent and has no time.
    std::vector<std::optional<std::int64_t>> RemoteModified(const std::vector<std::string>& remoteNames);

    static constexpr std::int64_t kMaxListingBytes = 16 << 20;
    static constexpr std::size_t kMaxListingEntries = 100000;
    // The listing of the absolute folder `folder`: MLSD when FEAT lists MLST, otherwise LIST. Nothing when the server
    // refuses it (any 4xx/5xx, the folder missing included), cuts it (the transfer does not end with 226/250), or sends
    // more than kMaxListingBytes or kMaxListingEntries lines; the control connection stays in step in each of these.
    // A LIST path with a glob character (*?[) gets nothing without asking: a server may expand it. A failing
    // connection raises as any command does. Defined in ListTransfer.cpp.
    std::optional<TFolderLines> ListFolder(const std::string& folder);

    // Uploads a local file under `remoteName` (STOR; APPE with `append`; STOU for an empty name).
    // EFOpenError when the file cannot be opened; the file is closed on every path.
    void UploadFile(const std::string& localPath, const std::string& remoteName, bool append = false);
    void UploadStream(TStream& stream, const std::string& remoteName, bool append = false);
    // STOR of the file from `offset` on, after "REST <offset>", onto a stored file of that size.
    void ResumeUpload(const std::string& localPath, const std::string& remoteName, std::int64_t offset);

protected:
    void RunUpload(const std::string& command, TStream& stream);
    TPassiveEndpoint RequestPassiveEndpoint();
    void AnnounceActiveEndpoint(const TIdSocketHandle& binding);
    void CopyChannelSettings();

private:
    class TDataChannelScope;

    void RunPassiveTransfer(const std::string& command, TStream& stream);
    void RunActiveTransfer(const std::string& command, TStream& stream);
    // PASV, and the endpoint only when its fields make one; a 227 that names none raises.
    TPassiveEndpoint RequestUsablePassiveEndpoint();
    // The passive data connection as dataChannel_, not yet connected: to the control connection's peer (whatever
    // address the 227 names, so a server cannot send data to a third host), with this connection's bounds and TLS.
    TIdTCPClient& MakePassiveChannel(const TPassiveEndpoint& endpoint);
    // The active data listener as dataChannel_, listening for the control connection's peer only and announced
    // with PORT.
    TIdSimpleServer& ListenForActiveChannel();
    // `announcedEarly`: the reply was waiting before the data connection was closed.
    void ReadFinalReply(bool announcedEarly);
    // The final reply of a transfer, any code in `allowed`; after a 426 or 450 (final: the transfer was aborted)
    // also a follow-up if one comes within FollowUpTimeLimit, so the control connection stays in step. LastReply
    // keeps the first.
    int ReadTransferEnd(const TReplyCodes& allowed);
    // The text a listing command brings over the data connection; nothing when refused or cut.
    std::optional<std::string> ReceivePassiveListing(const std::string& command);
    std::optional<std::string> ReceiveActiveListing(const std::string& command);
    std::optional<std::string> ReceiveListingText(TIdTCPConnection& channel);
    // "REST" right before the transfer command, when a resumed upload runs.
    void AnnounceRestart();
    const TIdSocketHandle& ControlBinding() const;
    void SecureControlConnection();
    void ProtectDataConnections();
    // The data connection runs TLS too, offering the control connection's session and showing its certificate.
    void SecureDataChannel(TIdTCPConnection& channel);
    void BeginDataChannelTLS(TIdTCPConnection& channel);
    void CompleteDataChannelTLS(TIdTCPConnection& channel);
    // After the last byte: the TLS goodbye, then a bounded wait until the server has seen the end.
    void FinishDataChannel(TIdTCPConnection& channel);
    TIdSSLIOHandlerSocket* ControlTLS() const;
    std::string CertificateName() const;
    // Where the program's text is not UTF-8 (Windows): a server whose FEAT lists UTF8 is asked to take UTF-8
    // (OPTS UTF8 ON) and gets its names in UTF-8 from then on. Elsewhere nothing is sent.
    void ChooseNameEncoding();
    // A name (CWD, MKD, SIZE, STOR, APPE) in the encoding the server reads.
    std::string WireName(const std::string& name) const;

    TIdFTPTransferType transferType_ = ftBinary;
    std::unique_ptr<TIdTCPConnection> dataChannel_;
    bool dataProtected_ = false; // PROT P holds on this control connection
    std::int64_t restartAt_ = 0;
    std::optional<TFtpFeatures> features_; // of the connection in place
    bool utf8Names_ = false;               // names go out in UTF-8 on this connection
};
