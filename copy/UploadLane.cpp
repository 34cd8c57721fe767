#include "copy/UploadLane.h"

#include "copy/CopyConnection.h"
#include "copy/LogLine.h"
#include "copy/RemotePath.h"
#include "copy/RetryingUpload.h"
#include "ftp/WaitSlices.h"
#include "ftps/FtpsTrust.h"
#include "ui/SystemText.h"

#include <exception>

namespace copyjob {

TUploadLane::TUploadLane(TLaneBoard& board, std::size_t lane, const TLaneJob& job, const TIdFTP& model,
                         const TKnownFolders& known)
    : board_(board), lane_(lane), job_(job) {
    CopyClientSettings(model, ftp_);
    state_.RetryWaitsMs = job.RetryWaitsMs;
    // No box on a lane's thread: only the job's remembered certificates pass, and the window tells of a change.
    state_.Trust = ftps::TCertificateTrust(ftps::TTrustMode::RememberedOnly, job.Certificates);
    state_.Trust.OnRefused = [this](const ftps::TRefusal& refusal) {
        if (refusal.Standing == ftps::TCertificateStanding::Changed) {
            board_.Post(TLaneMessage{
                .Note = TLaneNote::Message,
                .Text =
                    ftps::ChangedCertificateText(refusal.Typed, refusal.Remembered, refusal.Peer).toStdU16String()});
        } else {
            AppendLog(StampedLine(QStringLiteral(u"Сертификат сервера не подтвержден")));
        }
    };
    state_.KnownRemoteFolders = known.SharedView();
    ftp_.OnWorkBegin = [this](TIdComponent*, TWorkMode mode, std::int64_t max) {
        if (mode != wmWrite)
            return;
        state_.Tally.Begin(max);
        board_.Progress(lane_, state_.ResumedBytes);
    };
    ftp_.OnWork = [this](TIdComponent*, TWorkMode mode, std::int64_t count) {
        if (mode == wmWrite) {
            state_.Tally.Work(count);
            board_.Progress(lane_, state_.ResumedBytes + count); // the resumed part counts as sent
        }
        WatchStop(); // a fast line may send a whole file without one wait
    };
    ftp_.OnWorkEnd = [this](TIdComponent*, TWorkMode mode) {
        if (mode == wmWrite)
            state_.Tally.End();
    };
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

void TUploadLane::WatchStop() {
    if (state_.StopRequested)
        return;
    // A connection still logging in once every file is taken has nothing left to carry: a server that keeps it
    // waiting must not hold up the job's end.
    if (!board_.StopRequested() && !(connecting_ && board_.AllTaken()))
        return;
    state_.StopRequested = true;
    AbortConnection(ftp_);
}

bool TUploadLane::Connect() {
    bool connected = false;
    connecting_ = true;
    try {
        connected = ConnectToServer(*this);
    } catch (...) {
        board_.ReportConnect(false); // the first lane may be waiting to hear from every other one
        throw;
    }
    connecting_ = false;
    board_.ReportConnect(connected);
    if (connected)
        return true;
    // A server that allows fewer connections than asked for still gets every file, over those it allows. When
    // none of them got in, the first one goes on: its retries and their end are the single connection's.
    if (lane_ == 0 && !board_.WaitForConnects())
        return true;
    if (!state_.StopRequested) // cut by a stop or for want of files, not refused by the server
        AppendLog(StampedLine(QStringLiteral(u"Еще одно соединение с сервером не установлено")));
    return false;
}

bool TUploadLane::UploadFile(std::size_t index) {
    const std::string& item = job_.Files[index];
    TLaneMessage done{.Note = TLaneNote::FileDone, .Index = index, .Bytes = FileSizeOf(item).value_or(0)};
    board_.BeginFile(lane_, index, done.Bytes);
    AppendLog(StampedLine(QStringLiteral(u"Начал копироваться файл : ") + ui::FromSystemText(item)));
    try {
        const TFileResult result =
            UploadAndVerify(*this, item, RemotePathOf(item, job_.Source, job_.Destination), board_.Moving());
        done.Stored = result.Outcome == TFileOutcome::Stored;
        done.Confirmed = result.Confirmed;
    } catch (...) {
        done.Error = std::current_exception(); // the window's thread shows it, as it would its own
    }
    const bool goOn = done.Stored && !state_.StopRequested;
    if (!goOn)
        board_.Close(); // before the others take another file: a failure starts no new one
    board_.EndFile(lane_, std::move(done));
    return goOn;
}

void TUploadLane::Run() {
    ftp::SetWaitSliceHook([this] { WatchStop(); });
    try {
        if (Connect()) {
            while (const std::optional<std::size_t> index = board_.Take()) {
                if (!UploadFile(*index))
                    break;
            }
        }
    } catch (...) {
        // Nothing may leave the thread, and nothing may pass unseen: the job ends with this error, as it would
        // with the single connection's.
        board_.Close();
        board_.Post(TLaneMessage{.Note = TLaneNote::Failed, .Error = std::current_exception()});
    }
    try {
        ftp_.LeaveServerQuietly();
    } catch (...) {
        // A connection that fails on the way out has nothing left to do.
    }
    ftp::SetWaitSliceHook({});
    board_.Post(TLaneMessage{.Note = TLaneNote::LaneEnded});
}

} // namespace copyjob
