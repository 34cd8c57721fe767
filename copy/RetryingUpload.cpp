#include "copy/RetryingUpload.h"

#include "copy/CopyConnection.h"
#include "copy/CopyHost.h"
#include "copy/LogLine.h"
#include "copy/SourceFiles.h"
#include "copy/UploadTally.h"
#include "ftp/WaitSlices.h"
#include "settings/Settings.h"
#include "ui/SystemText.h"

#include <chrono>
#include <thread>

namespace copyjob {

bool WaitUnlessStopped(const TCopyState& state, int ms) {
    ftp::WaitInSlices(ms, [&state](int sliceMs) {
        if (!state.StopRequested && sliceMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(sliceMs));
        return state.StopRequested;
    });
    return !state.StopRequested;
}

namespace {

// The bytes of the file that the server can hold from this client after an attempt: what the attempt's store
// started from and sent. An attempt that sent nothing changed nothing.
std::int64_t SentByAttempt(const TCopyState& state, std::int64_t before) {
    return state.Tally.Begun() ? state.ResumedBytes + state.Tally.Sent() : before;
}

} // namespace

TFileOutcome UploadWithRetries(TUploadHost& host, const std::string& item, const std::string& remote) {
    TCopyState& state = host.CopyState();
    if (state.StopRequested)
        return TFileOutcome::Stopped;
    const std::int64_t finishedBefore = state.FinishedBytes;
    const std::vector<int> waits = state.RetryWaitsMs;
    const QString ofAll = QStringLiteral(u" из ") + QString::number(waits.size()) + QStringLiteral(u": ");

    TAttempt attempt = TryUpload(host, item, remote, 0);
    // What the server can hold of this file from this job: a resume never starts past it. Once the server took
    // our store, what it holds under that name is the start of this file; an older, shorter file of the same name
    // must not be extended.
    std::int64_t sentBefore = SentByAttempt(state, 0);
    for (std::size_t retry = 1; attempt == TAttempt::MayPass && retry <= waits.size(); ++retry) {
        if (state.StopRequested || !WaitUnlessStopped(state, waits[retry - 1]))
            return TFileOutcome::Stopped;
        host.AppendLog(
            StampedLine(QStringLiteral(u"Повтор ") + QString::number(retry) + ofAll + ui::FromSystemText(item)));
        state.FinishedBytes = finishedBefore; // the failed attempt's end counted the whole file as done
        if (!ConnectToServer(host))
            continue;
        if (state.StopRequested)
            return TFileOutcome::Stopped;
        attempt = TryUpload(host, item, remote, sentBefore);
        sentBefore = SentByAttempt(state, sentBefore);
    }
    if (state.StopRequested)
        return TFileOutcome::Stopped;
    return attempt == TAttempt::Stored ? TFileOutcome::Stored : TFileOutcome::Failed;
}

TFileResult UploadAndVerify(TUploadHost& host, const std::string& item, const std::string& remote, bool moving) {
    TFileResult result{UploadWithRetries(host, item, remote)};
    if (result.Outcome != TFileOutcome::Stored || !moving)
        return result;
    const std::optional<std::int64_t> localSize = FileSizeOf(item);
    if (RemoteSizeMatches(host.Ftp(), remote, localSize) == false)
        result.Outcome = TFileOutcome::Failed;
    else
        result.Confirmed = host.CopyState().Tally.Confirms(localSize);
    return result;
}

} // namespace copyjob
