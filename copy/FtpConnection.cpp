#include "copy/FtpConnection.h"

#include "copy/KnownFolders.h"
#include "copy/LogLine.h"
#include "copy/RemotePath.h"
#include "copy/UploadHost.h"
#include "ftp/FolderListing.h"
#include "ftp/IdExceptions.h"
#include "ftp/WaitSlices.h"
#include "ftps/FtpsTrust.h"
#include "ftps/LoginRefusal.h"
#include "ui/SystemText.h"

#include <vector>

namespace copyjob {
namespace {

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

// Makes and enters every folder of `names` from `first` on; the server must stand in the folder before it. Which
// folder the walk made first, if any.
std::optional<std::size_t> WalkNames(TIdFTP& ftp, const std::vector<std::string>& names, std::size_t first,
                                     TKnownFolders* known) {
    std::optional<std::size_t> firstMade;
    for (std::size_t i = first; i < names.size(); ++i) {
        try {
            // Most often the folder exists: entering it tells whether it is usable.
            if (ftp.TryMakeRemoteDir(names[i]) && !firstMade)
                firstMade = i;
        } catch (const std::exception&) {
            // A failing connection shows again at once, in the change of folder below.
        }
        ftp.ChangeRemoteDir(names[i]);
        if (known)
            known->Remember(names, i + 1);
    }
    return firstMade;
}

// Below the known folders, each folder of the chain is made with one MKD of its full path, by one connection of the
// job while the others wait for it; one the server does not make but lets the connection enter is known too. How
// many folders of the chain are known now; from the first that is not, the walk takes over.
std::size_t MakeByFullPath(TIdFTP& ftp, TKnownFolders& known, const std::vector<std::string>& names, std::size_t first,
                           std::optional<std::size_t>& firstMade) {
    // A stop cuts this connection (through the hook); it then stops waiting and fails on its own.
    const auto cut = [&ftp] {
        ftp::RunWaitSliceHook();
        return !ftp.IsOpen();
    };
    for (std::size_t i = first; i < names.size(); ++i) {
        const std::string path = TKnownFolders::PathOf(names, i + 1);
        if (!known.ClaimToMake(path, cut))
            continue; // another connection made it meanwhile
        bool there = false;
        try {
            there = ftp.TryMakeRemoteDir(path);
            if (there && !firstMade)
                firstMade = i;
            if (!there) {
                known.SetAtRoot(false);
                ftp.ChangeRemoteDir(path);
                there = true;
            }
        } catch (const EIdProtocolReplyError&) {
            // Neither made nor entered: the walk tells why, as it always has.
        } catch (...) {
            known.FinishMaking(path, false);
            throw;
        }
        known.FinishMaking(path, there);
        if (!there)
            return i;
    }
    return names.size();
}

// The walk that skips what `known` holds: it starts in the deepest folder of the chain that the job made or
// entered, and a chain known to its end costs at most a "CWD /" on a new connection. A known folder that cannot be
// entered any more is forgotten and its chain walked from "/".
TFolderWalk WalkKnown(TIdFTP& ftp, TKnownFolders& known, const std::vector<std::string>& names) {
    TKnownFolders::TStart start = known.StartFor(names);
    std::optional<std::size_t> firstMade;
    if (start.KnownNames < names.size() &&
        MakeByFullPath(ftp, known, names, start.KnownNames, firstMade) == names.size()) {
        if (!known.AtRoot())
            ftp.ChangeRemoteDir("/");
        known.SetAtRoot(true);
        return {start.KnownNames, firstMade};
    }
    start = known.StartFor(names);
    if (start.KnownNames == names.size()) {
        // The store names the full path: only a new connection needs to be taken to "/".
        if (!known.AtRoot())
            ftp.ChangeRemoteDir("/");
        known.SetAtRoot(true);
        return {start.KnownNames, std::nullopt};
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
    const std::optional<std::size_t> walkMade = WalkNames(ftp, names, start.KnownNames, &known);
    ftp.ChangeRemoteDir("/");
    known.SetAtRoot(true);
    return {start.KnownNames, firstMade ? firstMade : walkMade};
}

TRemoteItem ItemOf(const TListedEntry& entry) {
    return {.File = entry.Kind == TListedEntry::TKind::File,
            .Folder = entry.Kind == TListedEntry::TKind::Folder,
            .Size = entry.Size,
            .ModifiedUtc = entry.ModifiedUtc};
}

} // namespace

TFtpConnection::TFtpConnection(const TClientSettings& settings) {
    ApplyClientSettings(settings, ftp_);
    ftp_.OnWorkBegin = [this](TIdComponent*, TWorkMode mode, std::int64_t max) {
        if (mode == wmWrite && Events.Begin)
            Events.Begin(max);
    };
    ftp_.OnWork = [this](TIdComponent*, TWorkMode mode, std::int64_t count) {
        if (mode == wmWrite && Events.Work)
            Events.Work(count);
    };
    ftp_.OnWorkEnd = [this](TIdComponent*, TWorkMode mode) {
        if (mode == wmWrite && Events.End)
            Events.End();
    };
}

bool TFtpConnection::Connect(TUploadHost& host) {
    const TServerLogin login = host.ServerLogin();
    const std::string& server = login.Server;
    ftp_.LeaveServerQuietly(); // a connection left open may have been dropped meanwhile
    // A port that is none reaches no server.
    bool connected = ftp_.SetServer(server);
    ftp_.TLSHostName = ftp_.Host();                   // the certificate names the host typed, without its port
    host.State().KnownRemoteFolders.SetAtRoot(false); // a new connection starts in its login folder
    ftp_.Username = login.Login;
    ftp_.Password = login.Password;
    host.State().Trust.Verify(ftp_, server);
    const ftps::TTlsWhenRemembered tls(ftp_, host.State().Trust.Remembered());
    try {
        if (connected)
            ftp_.ConnectAndLogIn(true, -1);
    } catch (const EIdException& error) {
        // Only the client's own failures mean "no connection"; anything else is the job's error and ends it.
        connected = false;
        // Asked for encryption and did not get it: the user learns why, and nothing went in clear.
        if (const QString why = ftps::FailureText(error, tls.Forced()); !why.isEmpty()) {
            host.AppendLog(StampedLine(why));
            host.ShowMessageBox(why);
        }
        ReportRefusal(host, error, ftp_.UseTLS);
    }
    if (connected && !ftp_.TLSVersion().empty())
        host.AppendLog(StampedLine(ftps::EncryptedConnectionText(ftp_.TLSVersion())));
    return connected;
}

TFolderWalk TFtpConnection::MakeFolders(const std::string& path, TKnownFolders* known) {
    const std::vector<std::string> names = RemoteWalkNames(path);
    if (known)
        return WalkKnown(ftp_, *known, names);
    ftp_.ChangeRemoteDir("/");
    const std::optional<std::size_t> firstMade = WalkNames(ftp_, names, 0, nullptr);
    ftp_.ChangeRemoteDir("/");
    return {0, firstMade};
}

bool TFtpConnection::CanResume() {
    return ftp_.Features().RestStream;
}

bool TFtpConnection::TellsSizes() {
    return ftp_.Features().Size;
}

std::optional<std::int64_t> TFtpConnection::RemoteSize(const std::string& remote) {
    return ftp_.RemoteSize(remote);
}

std::optional<TRemoteListing> TFtpConnection::ListFolder(const std::string& folder) {
    const std::optional<TFolderLines> lines = ftp_.ListFolder(folder);
    // A listing with nothing readable in it is no listing: garbage must not read as an empty folder.
    if (!lines || (lines->Entries.empty() && lines->Unreadable > 0))
        return std::nullopt;
    TRemoteListing listing;
    listing.Partial = lines->Unreadable > 0;
    for (const TListedEntry& entry : lines->Entries)
        listing.Add(entry.Name, ItemOf(entry));
    return listing;
}

std::vector<std::optional<std::int64_t>> TFtpConnection::RemoteModified(const std::vector<std::string>& remotes) {
    if (!ftp_.Features().Mdtm)
        return std::vector<std::optional<std::int64_t>>(remotes.size());
    return ftp_.RemoteModified(remotes);
}

void TFtpConnection::Store(const std::string& local, const std::string& remote, std::int64_t offset) {
    if (offset > 0)
        ftp_.ResumeUpload(local, remote, offset);
    else
        ftp_.UploadFile(local, remote, false);
}

TUploadFailure TFtpConnection::Classify(const std::exception_ptr& failure) {
    return ClassifyUploadFailure(failure);
}

bool TFtpConnection::IsRefusal(const std::exception_ptr& failure) {
    const int code = RefusalCode(failure);
    return code >= 400 && code < 600;
}

bool TFtpConnection::RefusedForMissingFolder(const std::exception_ptr& failure) {
    const int code = RefusalCode(failure);
    return code == 550 || code == 553;
}

void TFtpConnection::Abort() {
    try {
        if (ftp_.DataChannel() != nullptr)
            ftp_.AbortTransfer();
    } catch (const std::exception&) {
        // The control line is gone already.
    }
    ftp_.DropDataChannel();
    ftp_.DropSocket();
}

void TFtpConnection::Leave() {
    try {
        ftp_.LeaveServerQuietly();
    } catch (...) {
        // A connection that fails on the way out has nothing left to do.
    }
}

} // namespace copyjob
