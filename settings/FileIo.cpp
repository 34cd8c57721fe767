#include "settings/FileIo.h"

#include "util/NativePath.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // std::min below, not the header's macro
#endif
#include <io.h>
#include <windows.h>
#endif

namespace settings_io {

namespace {

// Bytes as they are (a Windows file opened in text mode would turn LF into CR LF inside a record),
// and not inherited by programs the user starts from the menu.
#ifdef _WIN32
constexpr int kRawAndPrivate = O_BINARY | O_NOINHERIT;
#else
constexpr int kRawAndPrivate = O_CLOEXEC;
#endif

namespace fs = std::filesystem;

fs::file_status StatusOf(const std::string& path) {
    std::error_code error;
    return fs::status(NativePath(path), error);
}

// A regular file without any write permission (on Windows: with the read-only attribute).
bool IsReadOnlyFile(const std::string& path) {
    const fs::file_status status = StatusOf(path);
    constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return fs::is_regular_file(status) && (status.permissions() & kAnyWrite) == fs::perms::none;
}

int OpenFile(const std::string& path, int flags, int mode = 0) {
#ifdef _WIN32
    return _wopen(NativePath(path).c_str(), flags, mode);
#else
    return ::open(path.c_str(), flags, mode);
#endif
}

#ifdef _WIN32
// Windows refuses to open a file that another program is replacing at that moment, and to replace a file that
// another program is reading; both last as long as one small file's read or rename. A settings file read during a
// save, or saved during a read, is tried again for up to a second (a loaded machine stretches that instant)
// before either side gives up.
template <typename Attempt> bool WithShortRetries(Attempt attempt) {
    for (int tries = 0; tries < 200; ++tries) {
        if (attempt())
            return true;
        const DWORD why = GetLastError();
        if (why != ERROR_SHARING_VIOLATION && why != ERROR_ACCESS_DENIED && why != ERROR_LOCK_VIOLATION)
            return false;
        Sleep(5);
    }
    return false;
}
#endif

} // namespace

FileHandle::~FileHandle() {
    Close();
}

bool FileHandle::Close() {
    if (fd_ < 0)
        return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

bool FileExists(const std::string& path) {
    const fs::file_status status = StatusOf(path);
    return fs::exists(status) && !fs::is_directory(status);
}

FileHandle OpenForReading(const std::string& path) {
#ifdef _WIN32
    int fd = -1;
    WithShortRetries([&] {
        fd = OpenFile(path, O_RDONLY | kRawAndPrivate);
        if (fd < 0 && errno == EACCES)
            SetLastError(ERROR_SHARING_VIOLATION); // the runtime reports a file in use as EACCES
        return fd >= 0;
    });
    return FileHandle(fd);
#else
    return FileHandle(OpenFile(path, O_RDONLY | kRawAndPrivate));
#endif
}

FileHandle OpenForUpdate(const std::string& path) {
    if (IsReadOnlyFile(path)) {
        errno = EACCES;
        return FileHandle();
    }
    return FileHandle(OpenFile(path, O_RDWR | kRawAndPrivate));
}

FileHandle CreateAnew(const std::string& path) {
    if (IsReadOnlyFile(path)) {
        errno = EACCES;
        return FileHandle();
    }
    return FileHandle(OpenFile(path, O_WRONLY | O_CREAT | O_TRUNC | kRawAndPrivate, 0666));
}

void RemoveFile(const std::string& path) {
    std::error_code error;
    fs::remove(NativePath(path), error);
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    bool replaced = false;
    if (IsReadOnlyFile(to)) {
        errno = EACCES;
    } else {
#ifdef _WIN32
        // rename() of the C runtime refuses to replace an existing file.
        replaced = WithShortRetries([&] {
            return MoveFileExW(NativePath(from).c_str(), NativePath(to).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        });
        if (!replaced)
            errno = EACCES;
#else
        replaced = ::rename(from.c_str(), to.c_str()) == 0;
#endif
    }
    if (!replaced) {
        const int why = errno;
        RemoveFile(from);
        errno = why;
    }
    return replaced;
}

bool ReadUpTo(const FileHandle& file, std::size_t limit, std::string& out) {
    char buffer[4096];
    while (out.size() < limit) {
        const std::size_t want = std::min(sizeof buffer, limit - out.size());
        const ssize_t got = ::read(file.Fd(), buffer, want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            break;
        out.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

bool WriteAll(const FileHandle& file, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t put = ::write(file.Fd(), data.data() + done, data.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

} // namespace settings_io
