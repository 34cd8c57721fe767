#include "sftp/SftpClient.h"

#include "ftp/FileStream.h"

#include <algorithm>
#include <libssh2.h>
#include <libssh2_sftp.h>
#include <vector>

namespace sftp {
namespace {

constexpr std::int64_t kReadBytes = 32 * 1024;
// How much of the file is handed to libssh2 at once: it splits it into packets and keeps them in flight together,
// which is what keeps a far server busy.
constexpr std::int64_t kInFlightBytes = 32 * kReadBytes;

} // namespace

TSftpClient::TSftpClient(TSshSession& session) : session_(session) {
    session_.Await([this] {
        sftp_ = libssh2_sftp_init(session_.Native());
        return sftp_ != nullptr ? 0 : libssh2_session_last_errno(session_.Native());
    });
    if (sftp_ == nullptr)
        throw ESshError(TSshFailure::Protocol, "SFTP could not start");
}

TSftpClient::~TSftpClient() {
    if (sftp_ != nullptr) {
        try {
            session_.Await([this] { return libssh2_sftp_shutdown(sftp_); });
        } catch (const ESshError&) {
            // A connection that is gone has nothing left to close.
        }
    }
}

void TSftpClient::ThrowRefused(const std::string& what) const {
    const int error = libssh2_session_last_errno(session_.Native());
    if (error != LIBSSH2_ERROR_SFTP_PROTOCOL)
        throw ESshError(TSshFailure::Protocol, what + ": the session broke", error);
    throw ESshError(TSshFailure::Refused, what + ": refused", static_cast<int>(libssh2_sftp_last_error(sftp_)));
}

std::optional<TRemoteEntry> TSftpClient::Stat(const std::string& path) {
    LIBSSH2_SFTP_ATTRIBUTES attributes{};
    const int result = session_.Await([&] {
        return libssh2_sftp_stat_ex(sftp_, path.c_str(), static_cast<unsigned>(path.size()), LIBSSH2_SFTP_STAT,
                                    &attributes);
    });
    if (result != 0) {
        if (result == LIBSSH2_ERROR_SFTP_PROTOCOL && libssh2_sftp_last_error(sftp_) == LIBSSH2_FX_NO_SUCH_FILE)
            return std::nullopt;
        ThrowRefused("Stat " + path);
    }
    TRemoteEntry entry;
    if (attributes.flags & LIBSSH2_SFTP_ATTR_SIZE)
        entry.Size = static_cast<std::int64_t>(attributes.filesize);
    if (attributes.flags & LIBSSH2_SFTP_ATTR_PERMISSIONS)
        entry.Folder = LIBSSH2_SFTP_S_ISDIR(attributes.permissions);
    return entry;
}

void TSftpClient::MakeFolder(const std::string& path) {
    const int result = session_.Await(
        [&] { return libssh2_sftp_mkdir_ex(sftp_, path.c_str(), static_cast<unsigned>(path.size()), 0755); });
    if (result == 0)
        return;
    // Servers answer a folder that is there with a failure of one kind or another: it is looked at instead.
    if (result == LIBSSH2_ERROR_SFTP_PROTOCOL) {
        const std::optional<TRemoteEntry> there = Stat(path);
        if (there && there->Folder)
            return;
    }
    ThrowRefused("Make folder " + path);
}

void TSftpClient::Upload(const std::string& local, const std::string& remote, std::int64_t offset,
                         const std::function<void(std::int64_t)>& sent) {
    TFileStream file(local);
    file.Seek(offset);
    const unsigned long flags = LIBSSH2_FXF_WRITE | LIBSSH2_FXF_CREAT | (offset == 0 ? LIBSSH2_FXF_TRUNC : 0);
    LIBSSH2_SFTP_HANDLE* handle = nullptr;
    session_.Await([&] {
        handle = libssh2_sftp_open_ex(sftp_, remote.c_str(), static_cast<unsigned>(remote.size()), flags, 0644,
                                      LIBSSH2_SFTP_OPENFILE);
        return handle != nullptr ? 0 : libssh2_session_last_errno(session_.Native());
    });
    if (handle == nullptr)
        ThrowRefused("Open " + remote);
    // What went to libssh2 so far: several writes are in flight at once, so the server may hold more than it
    // acknowledged, never more than this.
    std::int64_t handed = 0, done = 0;
    try {
        if (offset > 0)
            libssh2_sftp_seek64(handle, static_cast<libssh2_uint64_t>(offset));
        std::vector<char> buffer(static_cast<std::size_t>(kInFlightBytes));
        for (;;) {
            // Reads of 32 KiB fill the buffer; libssh2 sends it as several packets at once.
            std::int64_t filled = 0;
            while (filled < kInFlightBytes) {
                const std::int64_t got =
                    file.Read(buffer.data() + filled, std::min(kReadBytes, kInFlightBytes - filled));
                if (got <= 0)
                    break;
                filled += got;
            }
            if (filled == 0)
                break;
            handed = done + filled;
            for (std::int64_t written = 0; written < filled;) {
                // After a wait libssh2 wants the very same call again: `written` moves only once it took bytes.
                ssize_t wrote = 0;
                session_.Await([&] {
                    wrote =
                        libssh2_sftp_write(handle, buffer.data() + written, static_cast<std::size_t>(filled - written));
                    return wrote < 0 ? static_cast<int>(wrote) : 0;
                });
                if (wrote <= 0)
                    ThrowRefused("Write " + remote);
                written += wrote;
                done += wrote;
                if (sent)
                    sent(done);
            }
        }
    } catch (...) {
        libssh2_sftp_close_handle(handle); // not waited for: the session is broken or going
        if (sent && handed > done)
            sent(handed); // what the server may hold of this upload
        throw;
    }
    // The server's word that the file is closed is the end of the upload.
    if (session_.Await([&] { return libssh2_sftp_close_handle(handle); }) != 0)
        ThrowRefused("Close " + remote);
}

} // namespace sftp
