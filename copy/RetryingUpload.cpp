#include "copy/RetryingUpload.h"

#include "copy/CopyConnection.h"
#include "copy/CopyHost.h"
#include "copy/SourceFiles.h"
#include "copy/UploadTally.h"
#include "ftp/WaitSlices.h"
#include "settings/Settings.h"
#include "util/TimeTexts.h"

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

TFileOutcome UploadWithRetries(TUploadHost& host, const std::string& item, const std::string& remote) {
    TCopyState& state = host.CopyState();
    if (state.StopRequested)
        return TFileOutcome::Stopped;
    const std::int64_t finishedBefore = state.FinishedBytes;
    const std::vector<int> waits = state.RetryWaitsMs;
    const std::string ofAll = " из " + std::to_string(waits.size()) + ": ";

    TAttempt attempt = TryUpload(host, item, remote, false);
    // Once the server took our STOR, what it holds under that name is the start of this file, and only
    // then may a retry add the rest to it: an older, shorter file of the same name must not be extended.
    bool serverHasOurStart = state.Tally.Begun();
    bool resumeRefused = false;
    for (std::size_t retry = 1; attempt == TAttempt::MayPass && retry <= waits.size(); ++retry) {
        if (state.StopRequested || !WaitUnlessStopped(state, waits[retry - 1]))
            return TFileOutcome::Stopped;
        host.AppendLog(NowStamp() + ": Повтор " + std::to_string(retry) + ofAll + item);
        state.FinishedBytes = finishedBefore; // the failed attempt's end counted the whole file as done
        if (!ConnectToServer(host))
            continue;
        if (state.StopRequested)
            return TFileOutcome::Stopped;
        attempt = TryUpload(host, item, remote, serverHasOurStart && !resumeRefused);
        serverHasOurStart = serverHasOurStart || state.Tally.Begun();
        if (attempt == TAttempt::WillLast && state.ResumedBytes > 0) {
            // A server that offered to resume and then refused it gets the whole file on the next try.
            resumeRefused = true;
            attempt = TAttempt::MayPass;
        }
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
