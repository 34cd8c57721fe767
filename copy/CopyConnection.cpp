#include "copy/CopyConnection.h"

#include "copy/CopyHost.h"
#include "copy/RemotePath.h"
#include "copy/SourceFiles.h"
#include "copy/UploadFailure.h"
#include "copy/UploadTally.h"
#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "ftps/FtpsTrust.h"
#include "settings/Settings.h"
#include "ui/UiLayer.h"
#include "util/TimeTexts.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <vector>

namespace copyjob {
namespace {

// Where a resumed upload starts: the size of the server's shorter copy, or 0 for the whole file.
std::int64_t ResumeOffset(TIdFTP& ftp, const std::string& remote, std::optional<std::int64_t> localSize) {
    const TFtpFeatures& features = ftp.Features();
    if (!features.RestStream || !features.Size || !localSize)
        return 0;
    const auto remoteSize = ftp.RemoteSize(remote);
    return remoteSize && *remoteSize > 0 && *remoteSize < *localSize ? *remoteSize : 0;
}

TAttempt FailedAttempt(const std::exception_ptr& failure) {
    return ClassifyUploadFailure(failure) == TUploadFailure::MayPass ? TAttempt::MayPass : TAttempt::WillLast;
}

// A store refused because its folder is not there (any more).
bool RefusedForMissingFolder(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const EIdProtocolReplyError& refused) {
        return refused.ReplyCode() == 550 || refused.ReplyCode() == 553;
    } catch (...) {
        return false;
    }
}

void CheckPathIsSafe(const std::string& path) {
    // A line break would end the command early and let the rest be read as another one.
    if (BreaksCommandLine(path))
        throw std::invalid_argument("Remote folder holds a line break or NUL");
}

// The remote folder of `remote` made and entered, the server left in "/"; how many of its folders were taken
// as known. A failure that may pass comes back as such; a refused folder throws, as it always has.
std::optional<std::size_t> ReachFolderOf(TUploadHost& host, const std::string& remote) {
    TCopyState& state = host.CopyState();
    try {
        if (host.Options().KnownFolders)
            return MakeKnownRemotePath(host.Ftp(), state.KnownRemoteFolders, RemoteFolderOf(remote));
        MakeRemotePath(host.Ftp(), RemoteFolderOf(remote));
        return 0;
    } catch (const std::exception&) {
        // A line that went away may come back; a refused folder stays the job's error, as ever.
        if (FailedAttempt(std::current_exception()) == TAttempt::MayPass)
            return std::nullopt;
        throw;
    }
}

} // namespace

bool ConnectToServer(TUploadHost& host) {
    return ConnectToServer(host, host.ServerLogin().Server);
}

bool ConnectToServer(TUploadHost& host, const std::string& server) {
    const TServerLogin login = host.ServerLogin();
    TIdFTP& ftp = host.Ftp();
    ui::ProcessMessages();
    ftp.LeaveServerQuietly(); // a connection left open by a failed job may have been dropped meanwhile
    // A port that is none reaches no server.
    bool connected = ftp.SetServer(server);
    ftp.TLSHostName = ftp.Host();                         // the certificate names the host typed, without its port
    host.CopyState().KnownRemoteFolders.SetAtRoot(false); // a new connection starts in its login folder
    ftp.Username = login.Login;
    ftp.Password = login.Password;
    ftp.OnVerifyPeer = [&host, server](const TIdTLSPeer& peer) { return host.AcceptCertificate(server, peer); };
    const ftps::TTlsWhenRemembered tls(ftp, host.CopyState().Certificates);
    try {
        if (connected)
            ftp.ConnectAndLogIn(true, -1);
    } catch (const std::exception& error) {
        ui::ProcessMessages();
        connected = false;
        // Asked for encryption and did not get it: the user learns why, and nothing went in clear.
        if (const QString why = ftps::FailureText(error, tls.Forced()); !why.isEmpty()) {
            host.AppendLog(NowStamp() + ": " + why.toLocal8Bit().toStdString());
            host.ShowMessageBox(why);
        }
    }
    if (connected && !ftp.TLSVersion().empty())
        host.AppendLog(NowStamp() + ": " + ftps::EncryptedConnectionText(ftp.TLSVersion()).toLocal8Bit().toStdString());
    ui::ProcessMessages();
    return connected;
}

void CopyClientSettings(const TIdFTP& from, TIdFTP& to) {
    to.Passive = from.Passive;
    to.UseTLS = from.UseTLS;
    to.DefaultPort = from.DefaultPort;
    to.DataConnectTimeLimit = from.DataConnectTimeLimit;
    to.FollowUpTimeLimit = from.FollowUpTimeLimit;
    to.ConnectTimeLimit = from.ConnectTimeLimit;
    to.ReplyTimeLimit = from.ReplyTimeLimit;
    to.SendStallTimeLimit = from.SendStallTimeLimit;
    to.ReadTimeout = from.ReadTimeout;
    to.MaxLineLength = from.MaxLineLength;
    to.RecvBufferSize = from.RecvBufferSize;
    to.SendBufferSize = from.SendBufferSize;
    to.BoundIP = from.BoundIP;
    to.SetTransferType(from.TransferType());
}

void AbortConnection(TIdFTP& ftp) {
    try {
        if (ftp.DataChannel() != nullptr)
            ftp.AbortTransfer();
    } catch (const std::exception&) {
        // The control line is gone already.
    }
    ftp.DropDataChannel();
    ftp.DropSocket();
}

namespace {

// Makes and enters every folder of `names` from `first` on; the server must stand in the folder before it.
void WalkNames(TIdFTP& ftp, const std::vector<std::string>& names, std::size_t first, TKnownFolders* known) {
    for (std::size_t i = first; i < names.size(); ++i) {
        try {
            ftp.TryMakeRemoteDir(names[i]); // most often the folder exists: entering it tells whether it is usable
        } catch (const std::exception&) {
            // A failing connection shows again at once, in the change of folder below.
        }
        ftp.ChangeRemoteDir(names[i]);
        if (known)
            known->Remember(names, i + 1);
    }
}

} // namespace

void MakeRemotePath(TIdFTP& ftp, const std::string& path) {
    CheckPathIsSafe(path);
    ftp.ChangeRemoteDir("/");
    WalkNames(ftp, RemoteWalkNames(path), 0, nullptr);
    ftp.ChangeRemoteDir("/");
}

std::size_t MakeKnownRemotePath(TIdFTP& ftp, TKnownFolders& known, const std::string& path) {
    CheckPathIsSafe(path);
    const std::vector<std::string> names = RemoteWalkNames(path);
    TKnownFolders::TStart start = known.StartFor(names);
    if (start.KnownNames == names.size()) {
        // The store names the full path: only a new connection needs to be taken to "/".
        if (!known.AtRoot())
            ftp.ChangeRemoteDir("/");
        known.SetAtRoot(true);
        return start.KnownNames;
    }
    const bool wasAtRoot = known.AtRoot();
    known.SetAtRoot(false); // until the walk is back in "/"
    if (start.KnownNames > 0) {
        try {
            ftp.ChangeRemoteDir(start.Folder);
        } catch (const EIdProtocolReplyError&) {
            // Gone since this job made it: walked again from the top.
            known.Forget(names);
            start = {"/", 0};
            ftp.ChangeRemoteDir("/");
        }
    } else if (!wasAtRoot) {
        ftp.ChangeRemoteDir("/");
    }
    WalkNames(ftp, names, start.KnownNames, &known);
    ftp.ChangeRemoteDir("/");
    known.SetAtRoot(true);
    return start.KnownNames;
}

TAttempt TryUpload(TUploadHost& host, const std::string& local, const std::string& remote, bool mayResume) {
    TIdFTP& ftp = host.Ftp();
    TCopyState& state = host.CopyState();
    const std::int64_t finishedBefore = state.FinishedBytes;
    state.ResumedBytes = 0;
    state.Tally.Reset();
    // A name with CR, LF or NUL could smuggle a command of its own ("x\r\nDELE y"): the file fails
    // before anything of it reaches the server.
    if (BreaksCommandLine(remote))
        return TAttempt::WillLast;
    // A server that dropped the line between two files is reached again; when that fails, so does this file.
    if (!ftp.IsOpen() && !ConnectToServer(host))
        return TAttempt::MayPass;
    const std::optional<std::size_t> takenAsKnown = ReachFolderOf(host, remote);
    if (!takenAsKnown)
        return TAttempt::MayPass;
    try {
        if (mayResume)
            state.ResumedBytes = ResumeOffset(ftp, remote, FileSizeOf(local));
    } catch (const std::exception&) {
        if (FailedAttempt(std::current_exception()) == TAttempt::MayPass)
            return TAttempt::MayPass;
        throw;
    }
    state.Tally.Reset(state.ResumedBytes);
    try {
        if (state.ResumedBytes > 0)
            ftp.ResumeUpload(local, remote, state.ResumedBytes);
        else
            ftp.UploadFile(local, remote, false);
        return TAttempt::Stored;
    } catch (const std::exception&) {
        const std::exception_ptr failure = std::current_exception();
        // A folder this job made may have been removed since: its chain is walked again and the file tried
        // once more, from its start.
        if (*takenAsKnown > 0 && RefusedForMissingFolder(failure) && !state.StopRequested) {
            state.KnownRemoteFolders.Forget(RemoteWalkNames(RemoteFolderOf(remote)));
            state.FinishedBytes = finishedBefore;
            return TryUpload(host, local, remote, false);
        }
        const TAttempt failed = FailedAttempt(failure);
        ui::ProcessMessages();
        return failed;
    }
}

bool UploadOne(TUploadHost& host, const std::string& local, const std::string& remote) {
    return TryUpload(host, local, remote, false) == TAttempt::Stored;
}

std::optional<bool> RemoteSizeMatches(TIdFTP& ftp, const std::string& remote, std::optional<std::int64_t> localSize) {
    try {
        if (!ftp.Features().Size)
            return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt; // no answer about SIZE is no SIZE: the upload's own tally decides
    }
    try {
        const auto remoteSize = ftp.RemoteSize(remote);
        return remoteSize && localSize && *remoteSize == *localSize;
    } catch (const std::exception&) {
        return false; // a size the server should tell and did not does not count as equal
    }
}

} // namespace copyjob
