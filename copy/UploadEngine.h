#pragma once
// The upload engine: runs one job value over 1 to 8 connections, each on a thread of its own with a client of its
// own. The first connection logs in, makes the destination and starts taking files; the others join once the
// window's thread has seen it ready. Everything the user must see comes out through the board, read on the
// window's thread, which also asks for a stop.

#include "copy/KnownFolders.h"
#include "copy/LaneBoard.h"
#include "copy/UploadJob.h"
#include "copy/UploadLane.h"
#include "ftps/CertificateTrust.h"
#include "ftps/HostKeyTrust.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace copyjob {

class TUploadEngine {
public:
    // `trust`, `hostKeys`: how the first connection decides about a certificate or an SSH host key (the window's
    // question, as a rule); the others go only by what it went on with.
    TUploadEngine(TUploadJob job, ftps::TCertificateTrust trust, ftps::THostKeyTrust hostKeys = ftps::THostKeyTrust());
    // Stops and waits for every connection still running.
    ~TUploadEngine();
    TUploadEngine(const TUploadEngine&) = delete;
    TUploadEngine& operator=(const TUploadEngine&) = delete;

    const TUploadJob& Job() const { return job_; }
    TLaneBoard& Board() { return board_; }

    // The first connection; on the window's thread.
    void Start();
    // The other connections, with the certificates the first one went on with; on the window's thread once the
    // first connection is ready.
    void StartOthers();
    // Connections started so far: each posts LaneEnded once.
    std::size_t Started() const { return lanes_.size(); }
    // Once every started connection posted LaneEnded.
    void Join();

private:
    std::size_t LaneCount() const;

    const TUploadJob job_;
    TLaneBoard board_;
    TKnownFolders known_;      // the folders the job made or entered, shared by its connections
    TRemoteListings listings_; // what the remote folders of the job held, for the files it skips
    ftps::TCertificateTrust firstTrust_;
    ftps::THostKeyTrust firstHostKeys_;
    std::vector<std::unique_ptr<TUploadLane>> lanes_; // last: they go first, while the job and the board live
};

} // namespace copyjob
