#include "copy/CopyConnection.h"

#include "copy/CopyHost.h"
#include "copy/RemotePath.h"
#include "copy/SourceFiles.h"
#include "copy/UploadFailure.h"
#include "copy/UploadTally.h"
#include "ftp/TIdFTP.h"
#include "ftps/FtpsTrust.h"
#include "settings/Settings.h"
#include "ui/UiLayer.h"
#include "util/TimeTexts.h"

#include <exception>
#include <stdexcept>

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

} // namespace

bool ConnectToServer(TCopyHost& host, const std::string& server) {
    TIdFTP& ftp = host.Ftp();
    ui::ProcessMessages();
    ftp.LeaveServerQuietly(); // a connection left open by a failed job may have been dropped meanwhile
    // A port that is none reaches no server.
    bool connected = ftp.SetServer(server);
    ftp.TLSHostName = ftp.Host(); // the certificate names the host typed, without its port
    ftp.Username = FtpSettings.Login;
    ftp.Password = CurrentPassword;
    try {
        if (connected)
            ftp.ConnectAndLogIn(true, -1);
    } catch (const std::exception& error) {
        ui::ProcessMessages();
        connected = false;
        // Asked for encryption and did not get it: the user learns why, and nothing went in clear.
        if (const QString why = ftps::FailureText(error); !why.isEmpty()) {
            host.AppendLog(NowStamp() + ": " + why.toLocal8Bit().toStdString());
            ui::ShowMessage(why);
        }
    }
    if (connected && !ftp.TLSVersion().empty())
        host.AppendLog(NowStamp() + ": " + ftps::EncryptedConnectionText(ftp.TLSVersion()).toLocal8Bit().toStdString());
    ui::ProcessMessages();
    return connected;
}

void MakeRemotePath(TIdFTP& ftp, const std::string& path) {
    // A line break would end the command early and let the rest be read as another one.
    if (BreaksCommandLine(path))
        throw std::invalid_argument("Remote folder holds a line break or NUL");
    ftp.ChangeRemoteDir("/");
    for (const std::string& name : RemoteWalkNames(path)) {
        try {
            ftp.TryMakeRemoteDir(name); // most often the folder exists: entering it tells whether it is usable
        } catch (const std::exception&) {
            // A failing connection shows again at once, in the change of folder below.
        }
        ftp.ChangeRemoteDir(name);
    }
    ftp.ChangeRemoteDir("/");
}

TAttempt TryUpload(TCopyHost& host, const std::string& local, const std::string& remote, bool mayResume) {
    TIdFTP& ftp = host.Ftp();
    TCopyState& state = host.CopyState();
    state.ResumedBytes = 0;
    CurrentUploadTally().Reset();
    // A name with CR, LF or NUL could smuggle a command of its own ("x\r\nDELE y"): the file fails
    // before anything of it reaches the server.
    if (BreaksCommandLine(remote))
        return TAttempt::WillLast;
    // A server that dropped the line between two files is reached again; when that fails, so does this file.
    if (!ftp.IsOpen() && !ConnectToServer(host, FtpSettings.Server))
        return TAttempt::MayPass;
    try {
        MakeRemotePath(ftp, RemoteFolderOf(remote));
        if (mayResume)
            state.ResumedBytes = ResumeOffset(ftp, remote, FileSizeOf(local));
    } catch (const std::exception&) {
        // A line that went away may come back; a refused folder stays the job's error, as ever.
        if (FailedAttempt(std::current_exception()) == TAttempt::MayPass)
            return TAttempt::MayPass;
        throw;
    }
    CurrentUploadTally().Reset(state.ResumedBytes);
    try {
        if (state.ResumedBytes > 0)
            ftp.ResumeUpload(local, remote, state.ResumedBytes);
        else
            ftp.UploadFile(local, remote, false);
        return TAttempt::Stored;
    } catch (const std::exception&) {
        const TAttempt failed = FailedAttempt(std::current_exception());
        ui::ProcessMessages();
        return failed;
    }
}

bool UploadOne(TCopyHost& host, const std::string& local, const std::string& remote) {
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
