#pragma once
// The engine's rules for one file over one connection, whatever its protocol: log in, make the remote folders,
// store the file (resumed where the rules allow), and the size check before a move.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class TUploadHost;

namespace copyjob {

// Closes a connection left open, then connects and logs in as the host's ServerLogin says; true when logged in.
bool ConnectToServer(TUploadHost& host);

// Makes every folder of the absolute remote `path` (with "Не проверять уже созданные папки", skipping those the job
// made or entered). A folder name with a line break throws before anything is sent.
void MakeRemoteFolders(TUploadHost& host, const std::string& path);

// How one attempt to store a file ended.
enum class TAttempt {
    Stored,
    AlreadyThere, // the server holds the file already: it is skipped
    MayPass,      // failed for a reason that may pass: worth another connection and another try
    WillLast,     // failed for good
};

// Stores one local file under its full remote path, its folders made first. `sentBefore`: the bytes of the file
// that earlier attempts of this job handed to the server (0: none); a server that can resume gets only what its
// copy lacks, never counting more of it than that. A server that refuses the resumed store gets the whole file at
// once, and so does every later file of the job. A refused folder throws, as it always has. While the state says
// so, the file is first looked for on the server (and the start of its upload logged once it is not there).
TAttempt TryUpload(TUploadHost& host, const std::string& local, const std::string& remote, std::int64_t sentBefore);

// Whether the server's size of a stored file matches the local size. Nothing when the server tells no sizes (or
// did not answer whether it does); false also when it should tell one and does not.
std::optional<bool> RemoteSizeMatches(TUploadHost& host, const std::string& remote,
                                      std::optional<std::int64_t> localSize);

} // namespace copyjob
