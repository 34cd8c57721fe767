#include "copy/ParallelUploads.h"

#include "copy/CopyHost.h"
#include "copy/LogLine.h"
#include "copy/ProgressMath.h"
#include "copy/UploadLane.h"
#include "settings/Settings.h"
#include "ui/SystemText.h"
#include "ui/TProgressBar.h"
#include "ui/UiLayer.h"
#include "util/ForceDeleteFile.h"

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

namespace copyjob {
namespace {

// How long the window's thread waits for news of the connections before it turns its message loop: a frame.
constexpr int kFrameMs = 16;

// The bars and counters from the files done and what each connection is sending; the file bar follows the file
// closest to its end.
void ShowProgress(TCopyHost& host, const std::vector<std::optional<TLaneFile>>& sending, std::int64_t finished) {
    std::int64_t inFlight = 0;
    for (const std::optional<TLaneFile>& file : sending)
        inFlight += file ? file->Sent : 0;
    TCopyState& state = host.CopyState();
    state.FinishedBytes = finished;
    state.SentBytes = finished + inFlight;
    const TProgressControls shown = host.Progress();
    shown.JobBar.SetPosition(JobBarPosition(finished, inFlight));
    const std::optional<TLaneFile> followed = FileBarFile(sending);
    shown.FileBar.SetMax(followed ? KilobyteScale(followed->Bytes) : 0);
    shown.FileBar.SetPosition(followed ? FileBarPosition(followed->Sent) : 0);
}

// One file's end as its connection reported it; the bytes it adds to the finished ones.
std::int64_t Settle(TCopyHost& host, const TLaneJob& job, const TLaneMessage& done, TParallelEnd& end) {
    const std::string& item = job.Files[done.Index];
    if (!done.Stored) {
        if (end.End == TParallelEnd::Done && !host.CopyState().StopRequested)
            end = {TParallelEnd::Failed, item, done.Error};
        return 0;
    }
    host.AppendLog(StampedLine(QStringLiteral(u"Скопирован файл ") + ui::FromSystemText(item)));
    // A stop keeps the sources still to be settled, as the single connection keeps its current one.
    if (host.Options().DeleteSources && done.Confirmed && !host.CopyState().StopRequested)
        ForceDeleteFile(item);
    return done.Bytes;
}

// A connection's error outside any file; the first failure of the job is the one shown.
void Fail(TCopyHost& host, const std::exception_ptr& error, TParallelEnd& end) {
    if (end.End == TParallelEnd::Done && !host.CopyState().StopRequested)
        end = {TParallelEnd::Failed, {}, error};
}

} // namespace

TParallelEnd UploadInParallel(TCopyHost& host, const TSourceSnapshot& source, std::size_t connections) {
    TCopyState& state = host.CopyState();
    const TLaneJob job{.Files = state.SourceList,
                       .Source = source,
                       .Destination = host.Destination(),
                       .Login = host.ServerLogin(),
                       .Options = host.Options(),
                       .RetryWaitsMs = state.RetryWaitsMs,
                       .Certificates = state.Trust.Remembered()};
    const std::size_t laneCount = std::clamp<std::size_t>(connections, 1, std::max<std::size_t>(job.Files.size(), 1));
    TLaneBoard board(job.Files.size(), laneCount);
    board.SetMoving(job.Options.DeleteSources);

    // Declared after the board and the job, so an error on this thread stops and joins the lanes before those go.
    std::vector<std::unique_ptr<TUploadLane>> lanes;
    for (std::size_t lane = 0; lane < laneCount; ++lane)
        lanes.push_back(std::make_unique<TUploadLane>(board, lane, job, host.Ftp(), state.KnownRemoteFolders));
    for (const auto& lane : lanes)
        lane->Start();

    TParallelEnd end;
    std::int64_t finished = 0;
    std::set<std::u16string> told; // one box per text, not one per connection
    for (std::size_t ended = 0; ended < laneCount;) {
        if (state.StopRequested)
            board.RequestStop();
        board.SetMoving(host.Options().DeleteSources); // a change made during a job applies from then on
        const TLaneBoard::TPicture picture = board.Look(kFrameMs);
        for (const TLaneMessage& message : picture.Messages) {
            if (message.Note == TLaneNote::Log)
                host.AppendLog(QString::fromStdU16String(message.Text));
            else if (message.Note == TLaneNote::FileDone)
                finished += Settle(host, job, message, end);
            else if (message.Note == TLaneNote::Failed)
                Fail(host, message.Error, end);
            else if (message.Note == TLaneNote::Message) {
                if (told.insert(message.Text).second)
                    host.ShowMessageBox(QString::fromStdU16String(message.Text));
            } else
                ++ended;
        }
        ShowProgress(host, picture.Sending, finished);
        ui::ProcessMessages();
    }
    for (const auto& lane : lanes)
        lane->Join();
    if (state.StopRequested)
        end = {TParallelEnd::Stopped, {}, nullptr};
    return end;
}

} // namespace copyjob
