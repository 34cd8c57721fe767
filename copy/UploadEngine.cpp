#include "copy/UploadEngine.h"

#include "copy/RemotePath.h"
#include "ui/WindowThread.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace copyjob {

TUploadEngine::TUploadEngine(TUploadJob job, ftps::TCertificateTrust trust, ftps::THostKeyTrust hostKeys)
    : job_(std::move(job)), board_(job_.Files.size(), LaneCount()), firstTrust_(std::move(trust)),
      firstHostKeys_(std::move(hostKeys)) {
    board_.SetMoving(job_.Options.DeleteSources);
    if (job_.Options.SkipExisting) {
        std::vector<std::string> remotes;
        for (const std::string& file : job_.Files)
            remotes.push_back(RemotePathOf(file, job_.Source, job_.Destination));
        listings_.SetPlan(remotes);
    }
}

TUploadEngine::~TUploadEngine() {
    board_.RequestStop();
    Join();
}

std::size_t TUploadEngine::LaneCount() const {
    return std::clamp<std::size_t>(job_.Connections, 1, std::max<std::size_t>(job_.Files.size(), 1));
}

void TUploadEngine::Start() {
    lanes_.push_back(std::make_unique<TUploadLane>(board_, 0, job_, known_, listings_, firstTrust_, firstHostKeys_));
    lanes_.back()->Start();
}

void TUploadEngine::StartOthers() {
    // Only what the first connection went on with passes: no box from another thread.
    const TFtpsFile certificates = lanes_.front()->Certificates();
    for (std::size_t lane = 1; lane < LaneCount(); ++lane) {
        lanes_.push_back(
            std::make_unique<TUploadLane>(board_, lane, job_, known_, listings_,
                                          ftps::TCertificateTrust(ftps::TTrustMode::RememberedOnly, certificates)));
        lanes_.back()->Start();
    }
}

void TUploadEngine::Join() {
    for (const auto& lane : lanes_) {
        // The first connection may be waiting for its certificate question on this thread.
        while (!lane->Ended()) {
            ui::RunHandedWork();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        lane->Join();
    }
}

} // namespace copyjob
