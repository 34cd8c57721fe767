#pragma once
// SFTP over a logged-in SSH session: what a folder walk and an upload need. Names are UTF-8 on the wire, as SFTP
// has no other encoding. Every request is bounded by the session's reply bound; errors are ESshError.

#include "sftp/SshSession.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using LIBSSH2_SFTP = struct _LIBSSH2_SFTP;

namespace sftp {

struct TRemoteEntry {
    std::int64_t Size = 0;
    bool Folder = false;
    bool File = false;                       // a plain file: not a folder, a link or a device
    std::optional<std::int64_t> ModifiedUtc; // seconds since 1970 UTC, when the server tells it
};

struct TNamedEntry {
    std::string Name; // UTF-8, as on the wire
    TRemoteEntry Entry;
};

class TSftpClient {
public:
    explicit TSftpClient(TSshSession& session);
    ~TSftpClient();
    TSftpClient(const TSftpClient&) = delete;
    TSftpClient& operator=(const TSftpClient&) = delete;

    // Nothing when there is no such file or folder.
    std::optional<TRemoteEntry> Stat(const std::string& path);
    // The most entries a listing may hold: a server that sends more is not believed.
    static constexpr std::size_t kMaxListingEntries = 100000;
    // The entries of the folder at `path` ("." and ".." left out); nothing when the server refuses to list it, names
    // an entry that cannot be read, or sends more than kMaxListingEntries.
    std::optional<std::vector<TNamedEntry>> ListFolder(const std::string& path);
    // Makes the folder; one that is there already is no error. A folder that cannot be made throws Refused.
    void MakeFolder(const std::string& path);
    // Sends the local file from byte `offset` on (0: the remote file is made anew or emptied; more: the remote file
    // is written from there, as a resumed upload) in reads of 32 KiB, several writes in flight. `sent` is told the
    // bytes of this upload that the server took so far, after each write; when the upload fails, last, the bytes
    // that went out, which the server may hold although it did not say so.
    void Upload(const std::string& local, const std::string& remote, std::int64_t offset,
                const std::function<void(std::int64_t)>& sent);

private:
    [[noreturn]] void ThrowRefused(const std::string& what) const;

    TSshSession& session_;
    LIBSSH2_SFTP* sftp_ = nullptr;
};

} // namespace sftp
