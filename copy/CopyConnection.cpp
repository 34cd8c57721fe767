#include "copy/CopyConnection.h"

#include "copy/ExistingCopy.h"
#include "copy/LogLine.h"
#include "copy/RemotePath.h"
#include "copy/ResumePoint.h"
#include "copy/SourceFiles.h"
#include "copy/UploadConnection.h"
#include "copy/UploadHost.h"
#include "copy/UploadTally.h"
#include "ftp/TIdTCPConnection.h"
#include "ui/SystemText.h"

#include <exception>
#include <optional>
#include <stdexcept>

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
    TUploadConnection& connection = host.Connection();
    const std::optional<std::int64_t> localSize = FileSizeOf(local);
    if (!connection.CanResume() || !connection.TellsSizes() || !localSize)
        return 0;
    const TResumePoint point = ChooseResumePoint(connection.RemoteSize(remote), sentBefore, *localSize);
    if (point.Doubt != TResumeDoubt::None)
        host.AppendLog(StampedLine(ResumeDoubtText(point.Doubt) + ui::FromSystemText(local)));
    return point.Offset;
}

TAttempt FailedAttempt(TUploadHost& host, const std::exception_ptr& failure) {
    return host.Connection().Classify(failure) == TUploadFailure::MayPass ? TAttempt::MayPass : TAttempt::WillLast;
}

// A resumed store that the server refused before any byte went. Servers that offer to resume and refuse a store
// after it by default exist; they get whole files for the rest of the job.
bool RefusedResume(TUploadHost& host, const std::exception_ptr& failure) {
    const TConnectionState& state = host.State();
    return state.ResumedBytes > 0 && !state.Tally.Begun() && host.Connection().IsRefusal(failure);
}

// The remote folder of `remote` made; how many of its folders were taken as known. A failure that may pass comes
// back as such; a refused folder throws, as it always has.
std::optional<std::size_t> ReachFolderOf(TUploadHost& host, const std::string& remote) {
    try {
        TKnownFolders* known = host.Options().KnownFolders ? &host.State().KnownRemoteFolders : nullptr;
        const TFolderWalk walk = host.Connection().MakeFolders(RemoteFolderOf(remote), known);
        NoteMadeFolders(host, RemoteFolderOf(remote), walk);
        return walk.TakenAsKnown;
    } catch (const std::exception&) {
        // A line that went away may come back; a refused folder stays the job's error, as ever.
        if (FailedAttempt(host, std::current_exception()) == TAttempt::MayPass)
            return std::nullopt;
        throw;
    }
}

} // namespace

bool ConnectToServer(TUploadHost& host) {
    return host.Connection().Connect(host);
}

void MakeRemoteFolders(TUploadHost& host, const std::string& path) {
    // A line break would end the command early and let the rest be read as another one.
    if (BreaksCommandLine(path))
        throw std::invalid_argument("Remote folder holds a line break or NUL");
    const TFolderWalk walk =
        host.Connection().MakeFolders(path, host.Options().KnownFolders ? &host.State().KnownRemoteFolders : nullptr);
    NoteMadeFolders(host, path, walk);
}

TAttempt TryUpload(TUploadHost& host, const std::string& local, const std::string& remote, std::int64_t sentBefore) {
    TUploadConnection& connection = host.Connection();
    TConnectionState& state = host.State();
    state.ResumedBytes = 0;
    state.Tally.Reset();
    // A name with CR, LF or NUL could smuggle a command of its own ("x\r\nDELE y"): the file fails
    // before anything of it reaches the server.
    if (BreaksCommandLine(remote))
        return TAttempt::WillLast;
    // A server that dropped the line between two files is reached again; when that fails, so does this file.
    if (!connection.IsOpen() && !ConnectToServer(host))
        return TAttempt::MayPass;
    try {
        // Before the walk: a file the server holds needs no folder made.
        if (state.CheckIfThere) {
            if (AlreadyOnServer(host, local, remote))
                return TAttempt::AlreadyThere;
            state.CheckIfThere = false;
            host.AppendLog(FileStartedLine(local));
        }
    } catch (const std::exception&) {
        if (FailedAttempt(host, std::current_exception()) == TAttempt::MayPass)
            return TAttempt::MayPass;
        throw;
    }
    const std::optional<std::size_t> takenAsKnown = ReachFolderOf(host, remote);
    if (!takenAsKnown)
        return TAttempt::MayPass;
    try {
        if (!state.ResumeRefused)
            state.ResumedBytes = ResumeOffset(host, local, remote, sentBefore);
    } catch (const std::exception&) {
        if (FailedAttempt(host, std::current_exception()) == TAttempt::MayPass)
            return TAttempt::MayPass;
        throw;
    }
    state.Tally.Reset(state.ResumedBytes);
    try {
        connection.Store(local, remote, state.ResumedBytes);
        return TAttempt::Stored;
    } catch (const std::exception&) {
        const std::exception_ptr failure = std::current_exception();
        if (RefusedResume(host, failure) && !host.StopRequested()) {
            state.ResumeRefused = true;
            host.AppendLog(StampedLine(QStringLiteral(u"Сервер не позволил докачку, файл копируется с начала : ") +
                                       ui::FromSystemText(local)));
            return TryUpload(host, local, remote, 0);
        }
        // A folder this job made may have been removed since: its chain is walked again and the file tried
        // once more, from its start.
        if (*takenAsKnown > 0 && connection.RefusedForMissingFolder(failure) && !host.StopRequested()) {
            state.KnownRemoteFolders.Forget(RemoteWalkNames(RemoteFolderOf(remote)));
            return TryUpload(host, local, remote, 0);
        }
        return FailedAttempt(host, failure);
    }
}

std::optional<bool> RemoteSizeMatches(TUploadHost& host, const std::string& remote,
                                      std::optional<std::int64_t> localSize) {
    try {
        if (!host.Connection().TellsSizes())
            return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt; // no answer about sizes is no sizes: the upload's own tally decides
    }
    try {
        const auto remoteSize = host.Connection().RemoteSize(remote);
        return remoteSize && localSize && *remoteSize == *localSize;
    } catch (const std::exception&) {
        return false; // a size the server should tell and did not does not count as equal
    }
}

} // namespace copyjob
