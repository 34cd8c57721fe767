#include "copy/CopyConnection.h"

#include "copy/LogLine.h"
#include "copy/RemotePath.h"
#include "copy/ResumePoint.h"
#include "copy/SourceFiles.h"
#include "copy/UploadFailure.h"
#include "copy/UploadHost.h"
#include "copy/UploadTally.h"
#include "ftp/IdExceptions.h"
#include "ftp/TIdFTP.h"
#include "ftps/FtpsTrust.h"
#include "ftps/LoginRefusal.h"
#include "ui/SystemText.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <vector>

namespace copyjob {
namespace {

QString ResumeDoubtText(TResumeDoubt doubt) {
    return doubt == TResumeDoubt::NoSize
               ? QStringLiteral(u"Сервер не сообщил размер своей копии, файл копируется с начала : ")
               : QStringLiteral(u"Сервер сообщил о копии больше отправленного, файл копируется с начала : ");
}

// Where this attempt starts: on a server that can resume, where its copy ends, but never past what the earlier
// attempts sent. A copy the server's word does not vouch for is said in the log, and the file goes whole.
std::int64_t ResumeOffset(TUploadHost& host, const std::string& local, const std::string& remote,
                          std::int64_t sentBefore) {
    if (sentBefore <= 0)
        return 0; // a first try asks the server nothing
    TIdFTP& ftp = host.Ftp();
    const TFtpFeatures& features = ftp.Features();
    const std::optional<std::int64_t> localSize = FileSizeOf(local);
    if (!features.RestStream || !features.Size || !localSize)
        return 0;
    const TResumePoint point = ChooseResumePoint(ftp.RemoteSize(remote), sentBefore, *localSize);
    if (point.Doubt != TResumeDoubt::None)
        host.AppendLog(StampedLine(ResumeDoubtText(point.Doubt) + ui::FromSystemText(local)));
    return point.Offset;
}

TAttempt FailedAttempt(const std::exception_ptr& failure) {
    return ClassifyUploadFailure(failure) == TUploadFailure::MayPass ? TAttempt::MayPass : TAttempt::WillLast;
}

// The reply code of a refusal by the server; 0 for any other failure.
int RefusalCode(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const EIdProtocolReplyError& refused) {
        return refused.ReplyCode();
    } catch (...) {
        return 0;
    }
}

// A store refused because its folder is not there (any more).
bool RefusedForMissingFolder(const std::exception_ptr& failure) {
    const int code = RefusalCode(failure);
    return code == 550 || code == 553;
}

// A resumed store that the server refused before any byte went: its REST or the store after it. Servers that
// list REST STREAM and refuse a store after it by default exist; they get whole files for the rest of the job.
bool RefusedResume(const TConnectionState& state, const std::exception_ptr& failure) {
    const int code = RefusalCode(failure);
    return state.ResumedBytes > 0 && !state.Tally.Begun() && code >= 400 && code < 600;
}

void CheckPathIsSafe(const std::string& path) {
    // A line break would end the command early and let the rest be read as another one.
    if (BreaksCommandLine(path))
        throw std::invalid_argument("Remote folder holds a line break or NUL");
}

// The remote folder of `remote` made and entered, the server left in "/"; how many of its folders were taken
// as known. A failure that may pass comes back as such; a refused folder throws, as it always has.
std::optional<std::size_t> ReachFolderOf(TUploadHost& host, const std::string& remote) {
    TConnectionState& state = host.State();
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

// A server that turned the connection away says why in the log; one that wants encryption from a connection in
// clear also tells the user where to switch it on.
void ReportRefusal(TUploadHost& host, const std::exception& error, bool encrypted) {
    const std::optional<ftps::TLoginRefusal> refusal = ftps::RefusalOf(error);
    if (!refusal)
        return;
    host.AppendLog(StampedLine(ftps::RefusalLogText(*refusal)));
    if (refusal->AsksForEncryption && !encrypted)
        host.ShowMessageBox(ftps::TickEncryptionText());
}

} // namespace

bool ConnectToServer(TUploadHost& host) {
    const TServerLogin login = host.ServerLogin();
    const std::string& server = login.Server;
    TIdFTP& ftp = host.Ftp();
    ftp.LeaveServerQuietly(); // a connection left open by a failed job may have been dropped meanwhile
    // A port that is none reaches no server.
    bool connected = ftp.SetServer(server);
    ftp.TLSHostName = ftp.Host();                     // the certificate names the host typed, without its port
    host.State().KnownRemoteFolders.SetAtRoot(false); // a new connection starts in its login folder
    ftp.Username = login.Login;
    ftp.Password = login.Password;
    host.State().Trust.Verify(ftp, server);
    const ftps::TTlsWhenRemembered tls(ftp, host.State().Trust.Remembered());
    try {
        if (connected)
            ftp.ConnectAndLogIn(true, -1);
    } catch (const EIdException& error) {
        // Only the client's own failures mean "no connection"; anything else is the job's error and ends it.
        connected = false;
        // Asked for encryption and did not get it: the user learns why, and nothing went in clear.
        if (const QString why = ftps::FailureText(error, tls.Forced()); !why.isEmpty()) {
            host.AppendLog(StampedLine(why));
            host.ShowMessageBox(why);
        }
        ReportRefusal(host, error, ftp.UseTLS);
    }
    if (connected && !ftp.TLSVersion().empty())
        host.AppendLog(StampedLine(ftps::EncryptedConnectionText(ftp.TLSVersion())));
    return connected;
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

TAttempt TryUpload(TUploadHost& host, const std::string& local, const std::string& remote, std::int64_t sentBefore) {
    TIdFTP& ftp = host.Ftp();
    TConnectionState& state = host.State();
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
        if (!state.ResumeRefused)
            state.ResumedBytes = ResumeOffset(host, local, remote, sentBefore);
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
        if (RefusedResume(state, failure) && !host.StopRequested()) {
            state.ResumeRefused = true;
            host.AppendLog(StampedLine(QStringLiteral(u"Сервер не позволил докачку, файл копируется с начала : ") +
                                       ui::FromSystemText(local)));
            return TryUpload(host, local, remote, 0);
        }
        // A folder this job made may have been removed since: its chain is walked again and the file tried
        // once more, from its start.
        if (*takenAsKnown > 0 && RefusedForMissingFolder(failure) && !host.StopRequested()) {
            state.KnownRemoteFolders.Forget(RemoteWalkNames(RemoteFolderOf(remote)));
            return TryUpload(host, local, remote, 0);
        }
        return FailedAttempt(failure);
    }
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
