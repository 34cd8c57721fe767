#include "copy/UploadLane.h"

#include "copy/CopyConnection.h"
#include "copy/FtpConnection.h"
#ifdef FERRYLO_SFTP
#include "copy/SftpConnection.h"
#endif
#include "copy/LogLine.h"
#include "copy/RemotePath.h"
#include "copy/RetryingUpload.h"
#include "ftp/WaitSlices.h"
#include "ftps/FtpsTrust.h"
#include "ui/SystemText.h"

#include <exception>

namespace copyjob {
namespace {

std::unique_ptr<TUploadConnection> MakeConnection(const TUploadJob& job) {
#ifdef FERRYLO_SFTP
    if (job.Sftp)
        return std::make_unique<TSftpConnection>(job.Client);
#endif
    return std::make_unique<TFtpConnection>(job.Client);
}

} // namespace

TUploadLane::TUploadLane(TLaneBoard& board, std::size_t lane, const TUploadJob& job, const TKnownFolders& known,
                         TRemoteListings& listings, ftps::TCertificateTrust trust, ftps::THostKeyTrust hostKeys)
    : board_(board), lane_(lane), job_(job), connection_(MakeConnection(job)) {
    if (job.Options.SkipExisting)
        state_.Listings = &listings;
    state_.RetryWaitsMs = job.RetryWaitsMs;
    state_.Trust = std::move(trust);
    state_.HostKeys = std::move(hostKeys);
    if (!IsFirst()) {
        state_.HostKeys.OnRefused = [this](const QString& text) {
            board_.Post(TLaneMessage{.Note = TLaneNote::Message, .Text = text.toStdU16String()});
        };
        // No box from the other connections: the window tells of a changed certificate once.
        state_.Trust.OnRefused = [this](const ftps::TRefusal& refusal) {
            if (refusal.Standing == ftps::TCertificateStanding::Changed) {
                board_.Post(
                    TLaneMessage{.Note = TLaneNote::Message,
                                 .Text = ftps::ChangedCertificateText(refusal.Typed, refusal.Remembered, refusal.Peer)
                                             .toStdU16String()});
            } else {
                AppendLog(StampedLine(QStringLiteral(u"Сертификат сервера не подтвержден")));
            }
        };
    }
    state_.KnownRemoteFolders = known.SharedView();
    WatchWork();
}

TUploadLane::~TUploadLane() {
    if (thread_.joinable()) {
        board_.RequestStop();
        thread_.join();
    }
}

void TUploadLane::Start() {
    thread_ = std::thread([this] { Run(); });
}

void TUploadLane::Join() {
    if (thread_.joinable())
        thread_.join();
}

void TUploadLane::AppendLog(const QString& line) {
    board_.Post(TLaneMessage{.Note = TLaneNote::Log, .Text = line.toStdU16String()});
}

void TUploadLane::ShowMessageBox(const QString& text) {
    // The reason is in the log too: one box per connection would pile up.
    if (IsFirst())
        board_.Post(TLaneMessage{.Note = TLaneNote::Message, .Text = text.toStdU16String()});
}

void TUploadLane::WatchWork() {
    const TClientSettings& watcher = job_.Client;
    connection_->Events.Begin = [this, &watcher](std::int64_t max) {
        state_.Tally.Begin(max);
        board_.Progress(lane_, state_.ResumedBytes);
        if (watcher.OnWorkBegin)
            watcher.OnWorkBegin(nullptr, wmWrite, max);
    };
    connection_->Events.Work = [this, &watcher](std::int64_t count) {
        state_.Tally.Work(count);
        board_.Progress(lane_, state_.ResumedBytes + count); // the resumed part counts as sent
        if (watcher.OnWork)
            watcher.OnWork(nullptr, wmWrite, count);
        WatchStop(); // a fast line may send a whole file without one wait
    };
    connection_->Events.End = [this, &watcher] {
        state_.Tally.End();
        if (watcher.OnWorkEnd)
            watcher.OnWorkEnd(nullptr, wmWrite);
    };
}

void TUploadLane::WatchStop() {
    if (dismissed_)
        return;
    // A connection still logging in once every file is taken has nothing left to carry: a server that keeps it
    // waiting must not hold up the job's end.
    if (!board_.StopRequested() && !(connecting_ && board_.AllTaken()))
        return;
    dismissed_ = true;
    connection_->Abort();
}

bool TUploadLane::Connect() {
    connecting_ = !IsFirst(); // the first one logs in before any file is taken, and a job may have none
    const bool connected = ConnectToServer(*this);
    connecting_ = false;
    if (IsFirst()) {
        board_.Post(connected ? TLaneMessage{.Note = TLaneNote::Connected}
                              : TLaneMessage{.Note = TLaneNote::NotConnected,
                                             .Refused = state_.Trust.Refused() || state_.HostKeys.Refused()});
    } else if (!connected && !StopRequested()) { // cut by a stop or for want of files, not refused by the server
        AppendLog(StampedLine(QStringLiteral(u"Еще одно соединение с сервером не установлено")));
    }
    return connected;
}

void TUploadLane::MakeDestination() {
    MakeRemoteFolders(*this, job_.Destination);
    board_.Post(TLaneMessage{.Note = TLaneNote::Ready});
}

bool TUploadLane::UploadFile(std::size_t index) {
    const std::string& item = job_.Files[index];
    TLaneMessage done{.Note = TLaneNote::FileDone, .Index = index, .Bytes = FileSizeOf(item).value_or(0)};
    board_.BeginFile(lane_, index, done.Bytes);
    if (!job_.Options.SkipExisting) // otherwise once the file is known not to be on the server
        AppendLog(FileStartedLine(item));
    try {
        const TFileResult result =
            UploadAndVerify(*this, item, RemotePathOf(item, job_.Source, job_.Destination), board_.Moving());
        done.Stored = result.Outcome == TFileOutcome::Stored;
        done.Skipped = result.Outcome == TFileOutcome::Skipped;
        done.Confirmed = result.Confirmed;
    } catch (...) {
        done.Error = std::current_exception(); // the window's thread shows it, as any error of the job
    }
    const bool goOn = (done.Stored || done.Skipped) && !StopRequested();
    if (!goOn)
        board_.Close(); // before the others take another file: a failure starts no new one
    board_.EndFile(lane_, std::move(done));
    return goOn;
}

void TUploadLane::Run() {
    ftp::SetWaitSliceHook([this] { WatchStop(); });
    try {
        if (Connect()) {
            if (IsFirst())
                MakeDestination();
            while (const std::optional<std::size_t> index = board_.Take()) {
                if (!UploadFile(*index))
                    break;
            }
        }
    } catch (...) {
        // Nothing may leave the thread, and nothing may pass unseen: the job ends with this error.
        board_.Close();
        board_.Post(TLaneMessage{.Note = TLaneNote::Failed, .Error = std::current_exception()});
    }
    connection_->Leave();
    ftp::SetWaitSliceHook({});
    board_.Post(TLaneMessage{.Note = TLaneNote::LaneEnded});
    ended_.store(true);
}

} // namespace copyjob
