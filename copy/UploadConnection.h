#pragma once
// One connection of the engine to the server, whatever its protocol: what logging in, making the remote folders
// and storing a file need of it. FTP (with FTPS) is one kind, SFTP another; the engine's rules (retries, resume,
// known folders, the size check before a move) are the same for both and live in CopyConnection.cpp.

#include "copy/RemoteListings.h"
#include "copy/UploadFailure.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TKnownFolders;
class TUploadHost;

namespace copyjob {

// Told of the bytes of each store as they go, on the connection's thread.
struct TWorkEvents {
    std::function<void(std::int64_t expected)> Begin; // the bytes this store will send
    std::function<void(std::int64_t sent)> Work;      // of them, sent so far
    std::function<void()> End;
};

// How a folder walk went.
struct TFolderWalk {
    std::size_t TakenAsKnown = 0; // folders of the chain taken as known, from the top
    // The first folder of the chain (an index into its walk names) that this walk made; nothing when it made none.
    std::optional<std::size_t> FirstMade;
};

class TUploadConnection {
public:
    virtual ~TUploadConnection() = default;

    virtual bool IsOpen() = 0;
    // Closes what is left open, then connects and logs in as `host` says; true when logged in. Why it did not goes
    // to the host's log, and to a box where the user must act.
    virtual bool Connect(TUploadHost& host) = 0;
    // Makes every folder of the absolute `path` that is not there; with `known`, the folders the job made or
    // entered already are skipped. A folder that cannot be made or entered throws.
    virtual TFolderWalk MakeFolders(const std::string& path, TKnownFolders* known) = 0;
    // Whether a store may start past the file's first byte, and whether the server tells sizes.
    virtual bool CanResume() = 0;
    virtual bool TellsSizes() = 0;
    // The server's size of a file; nothing when it gives none.
    virtual std::optional<std::int64_t> RemoteSize(const std::string& remote) = 0;
    // What the absolute remote `folder` holds; nothing when the server refuses the listing, cuts it, floods it or
    // sends one that cannot be read. A failing connection throws.
    virtual std::optional<TRemoteListing> ListFolder(const std::string& folder) = 0;
    // The server's modification times of files, UTC seconds (nothing for a file it tells none of), in one round trip
    // where the protocol allows.
    virtual std::vector<std::optional<std::int64_t>> RemoteModified(const std::vector<std::string>& remotes) = 0;
    // Stores the local file under `remote` from byte `offset` on (0: the whole file); Events tell the bytes.
    virtual void Store(const std::string& local, const std::string& remote, std::int64_t offset) = 0;

    // How a failure of these calls is taken: whether another try may help, whether the server refused (rather than
    // the line failing), whether it refused because the remote folder was missing.
    virtual TUploadFailure Classify(const std::exception_ptr& failure) = 0;
    virtual bool IsRefusal(const std::exception_ptr& failure) = 0;
    virtual bool RefusedForMissingFolder(const std::exception_ptr& failure) = 0;

    // From the wait hook of the connection's thread: whatever it waits for ends at once.
    virtual void Abort() = 0;
    // Says goodbye if it can; never throws.
    virtual void Leave() = 0;

    TWorkEvents Events;
};

} // namespace copyjob
