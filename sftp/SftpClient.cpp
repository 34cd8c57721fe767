#include "sftp/SftpClient.h"

#include "ftp/FileStream.h"

#include <algorithm>
#include <cstring>
#include <libssh2.h>
#include <libssh2_sftp.h>
#include <vector>

namespace sftp {
namespace {

constexpr std::int64_t kReadBytes = 32 * 1024;
// How much of the file libssh2 is offered at any time: it splits it into packets and keeps them in flight together,
// which is what keeps a far server busy. The offer is topped up as the server acknowledges, so the line never
// drains between two reads.
constexpr std::int64_t kInFlightBytes = 64 * kReadBytes;

// The bytes offered to libssh2, those it has not had acknowledged first, in one block as it wants them; room for
// the next reads is made by moving the rest to the front only when the front half is used up.
class TOffer {
public:
    // `bytes`: what is left to send; a small file takes no more room than it needs.
    explicit TOffer(std::int64_t bytes)
        : buffer_(
              static_cast<std::size_t>(std::min(2 * kInFlightBytes, std::max<std::int64_t>(bytes, 0)) + kReadBytes)) {}
    const char* Data() const { return buffer_.data() + head_; }
    std::int64_t Size() const { return size_; }
    // Room for another read, and less than the most to keep on offer (a file that grew since it was measured may
    // fill a small block: it waits for acknowledgements then).
    bool WantsMore() const {
        return size_ < kInFlightBytes && size_ + kReadBytes <= static_cast<std::int64_t>(buffer_.size());
    }
    // Reads the next 32 KiB of `file` after the bytes on offer; false at the end of the file.
    bool TopUp(TFileStream& file) {
        if (head_ + size_ + kReadBytes > static_cast<std::int64_t>(buffer_.size())) {
            std::memmove(buffer_.data(), buffer_.data() + head_, static_cast<std::size_t>(size_));
            head_ = 0;
        }
        const std::int64_t got = file.Read(buffer_.data() + head_ + size_, kReadBytes);
        size_ += std::max<std::int64_t>(got, 0);
        return got > 0;
    }
    void Acknowledged(std::int64_t bytes) {
        head_ += bytes;
        size_ -= bytes;
    }

private:
    std::vector<char> buffer_;
    std::int64_t head_ = 0;
    std::int64_t size_ = 0;
};

TRemoteEntry EntryOf(const LIBSSH2_SFTP_ATTRIBUTES& attributes) {
    TRemoteEntry entry;
    if (attributes.flags & LIBSSH2_SFTP_ATTR_SIZE)
        entry.Size = static_cast<std::int64_t>(attributes.filesize);
    if (attributes.flags & LIBSSH2_SFTP_ATTR_PERMISSIONS) {
        entry.Folder = LIBSSH2_SFTP_S_ISDIR(attributes.permissions);
        entry.File = LIBSSH2_SFTP_S_ISREG(attributes.permissions);
    }
    if (attributes.flags & LIBSSH2_SFTP_ATTR_ACMODTIME)
        entry.ModifiedUtc = static_cast<std::int64_t>(attributes.mtime);
    return entry;
}

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
    // Always asked, also after a cut (a connection that is gone fails at once and frees what it held); a server
    // that keeps the channel from closing is not waited for long.
    if (sftp_ != nullptr)
        session_.Finish([this] { return libssh2_sftp_shutdown(sftp_); });
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
    return EntryOf(attributes);
}

std::optional<std::vector<TNamedEntry>> TSftpClient::ListFolder(const std::string& path) {
    LIBSSH2_SFTP_HANDLE* handle = nullptr;
    session_.Await([&] {
        handle =
            libssh2_sftp_open_ex(sftp_, path.c_str(), static_cast<unsigned>(path.size()), 0, 0, LIBSSH2_SFTP_OPENDIR);
        return handle != nullptr ? 0 : libssh2_session_last_errno(session_.Native());
    });
    if (handle == nullptr) {
        if (libssh2_session_last_errno(session_.Native()) == LIBSSH2_ERROR_SFTP_PROTOCOL)
            return std::nullopt; // refused: no such folder, or not ours to read
        ThrowRefused("Open folder " + path);
    }
    std::vector<TNamedEntry> entries;
    bool whole = true;
    try {
        std::vector<char> name(4096);
        for (;;) {
            LIBSSH2_SFTP_ATTRIBUTES attributes{};
            int got = 0;
            session_.Await([&] {
                got = libssh2_sftp_readdir_ex(handle, name.data(), name.size(), nullptr, 0, &attributes);
                return got < 0 ? got : 0;
            });
            if (got == 0)
                break;
            if (got < 0 && got != LIBSSH2_ERROR_SFTP_PROTOCOL && got != LIBSSH2_ERROR_BUFFER_TOO_SMALL)
                ThrowRefused("Read folder " + path); // the session broke
            if (got < 0 || entries.size() >= kMaxListingEntries) {
                whole = false; // a refusal halfway, a name longer than any file system keeps, or a flood
                break;
            }
            std::string entryName(name.data(), static_cast<std::size_t>(got));
            if (entryName != "." && entryName != "..")
                entries.push_back({std::move(entryName), EntryOf(attributes)});
        }
    } catch (...) {
        session_.Finish([handle] { return libssh2_sftp_close_handle(handle); });
        throw;
    }
    session_.Finish([handle] { return libssh2_sftp_close_handle(handle); });
    if (!whole)
        return std::nullopt;
    return entries;
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
        TOffer offer(file.Size() - offset);
        bool more = true;
        for (;;) {
            while (more && offer.WantsMore())
                more = offer.TopUp(file);
            if (offer.Size() == 0)
                break;
            handed = done + offer.Size();
            // After a wait libssh2 wants the very same call again; it may be offered more after the bytes it has.
            ssize_t wrote = 0;
            session_.Await([&] {
                wrote = libssh2_sftp_write(handle, offer.Data(), static_cast<std::size_t>(offer.Size()));
                return wrote < 0 ? static_cast<int>(wrote) : 0;
            });
            if (wrote <= 0)
                ThrowRefused("Write " + remote);
            offer.Acknowledged(wrote);
            done += wrote;
            if (sent)
                sent(done);
        }
    } catch (...) {
        session_.Finish([handle] { return libssh2_sftp_close_handle(handle); });
        if (sent && handed > done)
            sent(handed); // what the server may hold of this upload
        throw;
    }
    // The server's word that the file is closed is the end of the upload.
    if (session_.Await([&] { return libssh2_sftp_close_handle(handle); }) != 0)
        ThrowRefused("Close " + remote);
}

} // namespace sftp
