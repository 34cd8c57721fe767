#pragma once
// The copy job's use of the FTP client: connecting, walking a remote folder chain, one upload.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class TUploadHost;
class TIdFTP;
class TKnownFolders;

namespace copyjob {

// Closes a connection left open, then connects and logs in as the host's ServerLogin says; true when logged in.
bool ConnectToServer(TUploadHost& host);

// Ends what the client does at once, from inside one of its waits or work events: a transfer under way is told to
// end (ABOR) and its data connection closed; the control connection goes too, so that no wait for a reply or a
// connection outlasts the request.
void AbortConnection(TIdFTP& ftp);

// Creates every folder of an absolute remote path one level at a time; the server is left in "/".
// A folder that cannot be entered throws.
void MakeRemotePath(TIdFTP& ftp, const std::string& path);

// The same, skipping what `known` holds: the walk starts in the deepest folder of the chain that this job
// made or entered, and a chain known to its end costs at most a "CWD /" on a new connection. Returns how many
// folders of the chain were taken as known (0: the whole chain was walked). A known folder that cannot be
// entered any more is forgotten and its chain walked from "/".
std::size_t MakeKnownRemotePath(TIdFTP& ftp, TKnownFolders& known, const std::string& path);

// How one attempt to store a file ended.
enum class TAttempt {
    Stored,
    MayPass,  // failed for a reason that may pass: worth another connection and another try
    WillLast, // failed for good
};

// Stores one local file under its full remote path, its folders made first. `sentBefore`: the bytes of the file
// that earlier attempts of this job handed to the server (0: none); a server that can resume gets only what its
// copy lacks, never counting more of it than that. A server that refuses the resumed store gets the whole file at
// once, and so does every later file of the job. A refused folder throws, as it always has.
TAttempt TryUpload(TUploadHost& host, const std::string& local, const std::string& remote, std::int64_t sentBefore);

// Whether the server's size of a stored file matches the local size. Nothing when the server has
// no SIZE command (or FEAT got no answer); false also when SIZE gets none.
std::optional<bool> RemoteSizeMatches(TIdFTP& ftp, const std::string& remote, std::optional<std::int64_t> localSize);

} // namespace copyjob
