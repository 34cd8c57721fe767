#include "copy/RetryingUpload.h"

#include "copy/CopyConnection.h"
#include "copy/LogLine.h"
#include "copy/SourceFiles.h"
#include "copy/UploadHost.h"
#include "copy/UploadTally.h"
#include "ftp/WaitSlices.h"
#include "ui/SystemText.h"

#include <chrono>
#include <thread>

namespace copyjob {

bool WaitUnlessStopped(const TUploadHost& host, int ms) {
    ftp::WaitInSlices(ms, [&host](int sliceMs) {
        if (!host.StopRequested() && sliceMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(sliceMs));
        return host.StopRequested();
    });
    return !host.StopRequested();
}

namespace {

// The bytes of the file that the server can hold from this client after an attempt: what the attempt's store
// started from and sent. An attempt that sent nothing changed nothing.
std::int64_t SentByAttempt(const TConnectionState& state, std::int64_t before) {
    return state.Tally.Begun() ? state.ResumedBytes + state.Tally.Sent() : before;
}

} // namespace

TFileOutcome UploadWithRetries(TUploadHost& host, const std::string& item, const std::string& remote) {
    TConnectionState& state = host.State();
    if (host.StopRequested())
        return TFileOutcome::Stopped;
    const std::vector<int> waits = state.RetryWaitsMs;
    const QString ofAll = QStringLiteral(u" из ") + QString::number(waits.size()) + QStringLiteral(u": ");
    state.CheckIfThere = host.Options().SkipExisting && state.Listings != nullptr;

    TAttempt attempt = TryUpload(host, item, remote, 0);
    // What the server can hold of this file from this job: a resume never starts past it. Once the server took
    // our store, what it holds under that name is the start of this file; an older, shorter file of the same name
    // must not be extended.
    std::int64_t sentBefore = SentByAttempt(state, 0);
    for (std::size_t retry = 1; attempt == TAttempt::MayPass && retry <= waits.size(); ++retry) {
        if (!WaitUnlessStopped(host, waits[retry - 1]))
            return TFileOutcome::Stopped;
        host.AppendLog(
            StampedLine(QStringLiteral(u"Повтор ") + QString::number(retry) + ofAll + ui::FromSystemText(item)));
        if (!ConnectToServer(host))
            continue;
        if (host.StopRequested())
            return TFileOutcome::Stopped;
        attempt = TryUpload(host, item, remote, sentBefore);
        sentBefore = SentByAttempt(state, sentBefore);
    }
    if (host.StopRequested())
        return TFileOutcome::Stopped;
    if (attempt == TAttempt::AlreadyThere)
        return TFileOutcome::Skipped;
    return attempt == TAttempt::Stored ? TFileOutcome::Stored : TFileOutcome::Failed;
}

TFileResult UploadAndVerify(TUploadHost& host, const std::string& item, const std::string& remote, bool moving) {
    TFileResult result{UploadWithRetries(host, item, remote)};
    if (result.Outcome != TFileOutcome::Stored || !moving)
        return result;
    const std::optional<std::int64_t> localSize = FileSizeOf(item);
    if (RemoteSizeMatches(host, remote, localSize) == false)
        result.Outcome = TFileOutcome::Failed;
    else
        result.Confirmed = host.State().Tally.Confirms(localSize);
    return result;
}

} // namespace copyjob
