#pragma once
// One connection of parallel uploads, on a thread of its own. It logs in as the window's client would, takes the
// next file from the board until none is left, and uploads it with the single connection's code (walk, retries,
// resume, size check): it is an upload host of its own. It reads no window; what the user must see goes to the
// board, and the window's thread shows it.

#include "copy/CopyHost.h"
#include "copy/LaneBoard.h"
#include "copy/SourceFiles.h"
#include "ftp/TIdFTP.h"

#include <cstddef>
#include <string>
#include <thread>
#include <vector>

namespace copyjob {

// What every connection of one job works from, fixed when the uploads start.
struct TLaneJob {
    std::vector<std::string> Files;
    TSourceSnapshot Source;
    std::string Destination;
    TServerLogin Login; // as the job started: a settings change meanwhile is not read from here
    TCopyOptions Options;
    std::vector<int> RetryWaitsMs;
    TFtpsFile Certificates; // remembered, as the window's connection left them: no lane reads ".ftps"
};

class TUploadLane final : public TUploadHost {
public:
    // The client takes the settings of `model` (the window's client); the folders known to the job are shared.
    TUploadLane(TLaneBoard& board, std::size_t lane, const TLaneJob& job, const TIdFTP& model,
                const TKnownFolders& known);
    // Asks the board for a stop when the lane still runs (an error on the window's thread), and waits for it.
    ~TUploadLane() override;
    TUploadLane(const TUploadLane&) = delete;
    TUploadLane& operator=(const TUploadLane&) = delete;

    void Start();
    void Join();

    TCopyOptions Options() const override { return job_.Options; }
    void AppendLog(const QString& line) override;
    void ShowMessageBox(const QString&) override {} // the reason is in the log; one box per connection would pile up
    TCopyState& CopyState() override { return state_; }
    TIdFTP& Ftp() override { return ftp_; }
    TServerLogin ServerLogin() const override { return job_.Login; }

private:
    void Run();
    // Whether this lane takes files: it is logged in, or it is the first and no other one is.
    bool Connect();
    // False when the job starts no new file after this one.
    bool UploadFile(std::size_t index);
    // On this lane's thread, inside its waits and work events: a stop asked for cuts its connection.
    void WatchStop();

    TLaneBoard& board_;
    const std::size_t lane_;
    const TLaneJob& job_;
    TIdFTP ftp_;
    TCopyState state_;        // this lane's part of the job: its retries, its upload, its certificates
    bool connecting_ = false; // the first log-in is under way
    std::thread thread_;
};

} // namespace copyjob
