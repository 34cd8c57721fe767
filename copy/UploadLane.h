#pragma once
// One connection of the engine, on a thread of its own. It logs in, takes the next file from the board until none
// is left, and uploads it (walk, retries, resume, size check). The first connection also makes the destination
// and tells the window when the job's uploads begin. It reads no window: what the user must see goes to the board,
// and the window's thread shows it.

#include "copy/LaneBoard.h"
#include "copy/UploadConnection.h"
#include "copy/UploadHost.h"
#include "copy/UploadJob.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

namespace copyjob {

class TUploadLane final : public TUploadHost {
public:
    // The job, the board and the listings must outlive the lane; the folders known to the job are shared.
    TUploadLane(TLaneBoard& board, std::size_t lane, const TUploadJob& job, const TKnownFolders& known,
                TRemoteListings& listings, ftps::TCertificateTrust trust,
                ftps::THostKeyTrust hostKeys = ftps::THostKeyTrust());
    // Asks the board for a stop when the lane still runs (an error on the window's thread), and waits for it.
    ~TUploadLane() override;
    TUploadLane(const TUploadLane&) = delete;
    TUploadLane& operator=(const TUploadLane&) = delete;

    void Start();
    // Whether its thread has done all it will (a join returns at once).
    bool Ended() const { return ended_.load(); }
    void Join();
    // The certificates this connection goes by; read on the window's thread, which is where a question adds one.
    const TFtpsFile& Certificates() const { return state_.Trust.Remembered(); }

    TCopyOptions Options() const override { return job_.Options; }
    void AppendLog(const QString& line) override;
    void ShowMessageBox(const QString& text) override;
    TConnectionState& State() override { return state_; }
    TUploadConnection& Connection() override { return *connection_; }
    TServerLogin ServerLogin() const override { return job_.Login; }
    bool StopRequested() const override { return dismissed_ || board_.StopRequested(); }

private:
    bool IsFirst() const { return lane_ == 0; }
    void Run();
    // Whether this lane takes files; the first one tells the window either way.
    bool Connect();
    // The destination made and entered once, by the first connection, before any file.
    void MakeDestination();
    // False when the job starts no new file after this one.
    bool UploadFile(std::size_t index);
    // On this lane's thread, inside its waits and work events: a stop asked for cuts its connection.
    void WatchStop();
    void WatchWork();

    TLaneBoard& board_;
    const std::size_t lane_;
    const TUploadJob& job_;
    std::unique_ptr<TUploadConnection> connection_;
    TConnectionState state_;
    // A connection still logging in once every file is taken is not wanted any more.
    bool dismissed_ = false;
    bool connecting_ = false; // the first log-in is under way
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

} // namespace copyjob
