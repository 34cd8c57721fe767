#include "settings/FileIo.h"

#include <algorithm>
#include <cerrno>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // std::min below, not the header's macro
#endif
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

bool HasNoWriteBit(const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

#ifdef _WIN32
// Windows refuses to open a file that another program is replacing at that moment, and to replace a file that
// another program is reading; both last as long as one small file's read or rename. A settings file read during a
// save, or saved during a read, is tried again for a tenth of a second before either side gives up.
template <typename Attempt> bool WithShortRetries(Attempt attempt) {
    for (int tries = 0; tries < 50; ++tries) {
        if (attempt())
            return true;
        const DWORD why = GetLastError();
        if (why != ERROR_SHARING_VIOLATION && why != ERROR_ACCESS_DENIED && why != ERROR_LOCK_VIOLATION)
            return false;
        Sleep(2);
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
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

FileHandle OpenForReading(const std::string& path) {
#ifdef _WIN32
    int fd = -1;
    WithShortRetries([&] {
        fd = ::open(path.c_str(), O_RDONLY | kRawAndPrivate);
        if (fd < 0 && errno == EACCES)
            SetLastError(ERROR_SHARING_VIOLATION); // the runtime reports a file in use as EACCES
        return fd >= 0;
    });
    return FileHandle(fd);
#else
    return FileHandle(::open(path.c_str(), O_RDONLY | kRawAndPrivate));
#endif
}

FileHandle OpenForUpdate(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && HasNoWriteBit(st)) {
        errno = EACCES;
        return FileHandle();
    }
    return FileHandle(::open(path.c_str(), O_RDWR | kRawAndPrivate));
}

FileHandle CreateAnew(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && HasNoWriteBit(st)) {
        errno = EACCES;
        return FileHandle();
    }
    return FileHandle(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | kRawAndPrivate, 0666));
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    struct stat st {};
    bool replaced = false;
    if (stat(to.c_str(), &st) == 0 && S_ISREG(st.st_mode) && HasNoWriteBit(st)) {
        errno = EACCES;
    } else {
#ifdef _WIN32
        // rename() of the C runtime refuses to replace an existing file.
        replaced = WithShortRetries([&] {
            return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        });
        if (!replaced)
            errno = EACCES;
#else
        replaced = ::rename(from.c_str(), to.c_str()) == 0;
#endif
    }
    if (!replaced) {
        const int why = errno;
        std::remove(from.c_str());
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
