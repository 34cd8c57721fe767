#pragma once
// What uploading files over one connection needs: the connection, its own state, the job's options and
// login, a way to tell the user, and the job's stop. Each connection of the engine is such a host, on its own
// thread; it reads no window.

#include "copy/KnownFolders.h"
#include "copy/RemoteListings.h"
#include "copy/UploadTally.h"
#include "ftps/CertificateTrust.h"
#include "ftps/HostKeyTrust.h"
#include "settings/ServerLogin.h"
#include "settings/Settings.h"

#include <cstdint>
#include <vector>

class QString;

namespace copyjob {
class TUploadConnection;
}

// One connection's part of the job.
struct TConnectionState {
    std::int64_t ResumedBytes = 0; // of the current file, on the server before its upload resumed
    bool ResumeRefused = false;    // the server refused a resumed store during this job: files go whole
    // The waits before the retries of a file that failed for a reason that may pass, in milliseconds.
    std::vector<int> RetryWaitsMs;
    // The remote folders the job made or entered (shared by its connections), and where this one stands.
    TKnownFolders KnownRemoteFolders;
    // The job's listings of its remote folders, shared by its connections; null when files are not skipped.
    copyjob::TRemoteListings* Listings = nullptr;
    // The current file may still be found on the server and skipped: nothing of it was sent yet.
    bool CheckIfThere = false;
    TUploadTally Tally; // the upload under way (or last finished)
    // How this connection decides about a certificate. A refusal is said once, and no "Нет связи" after it.
    ftps::TCertificateTrust Trust;
    // How this connection decides about an SSH server's host key.
    ftps::THostKeyTrust HostKeys;
};

class TUploadHost {
public:
    virtual ~TUploadHost() = default;

    virtual TCopyOptions Options() const = 0;             // as the job started
    virtual void AppendLog(const QString& line) = 0;      // one line of the log, as shown
    virtual void ShowMessageBox(const QString& text) = 0; // a message the user must see
    virtual TConnectionState& State() = 0;
    virtual copyjob::TUploadConnection& Connection() = 0;
    virtual TServerLogin ServerLogin() const = 0;
    // The job is stopped, or this connection is no longer wanted: whatever it waits for ends.
    virtual bool StopRequested() const = 0;
};
