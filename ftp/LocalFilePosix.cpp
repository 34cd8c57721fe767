#include "ftp/LocalFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ftp::local_file {

Handle OpenForReading(const std::string& path) {
    // POSIX opens never lock others out, which is the sharing the upload wants. Opened without waiting, so a
    // FIFO put where a file was never blocks the program; only a regular file is read.
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (fd < 0 && errno == EINTR);
    struct stat info;
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        const bool folder = S_ISDIR(info.st_mode);
        ::close(fd);
        errno = folder ? EISDIR : EINVAL;
        return kNoFile;
    }
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

void Close(Handle file) {
    ::close(static_cast<int>(file));
}

int64_t SizeOf(Handle file) {
    struct stat info;
    return ::fstat(static_cast<int>(file), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

int64_t ReadAt(Handle file, void* buffer, int64_t count, int64_t position) {
    ssize_t got;
    do
        got = ::pread(static_cast<int>(file), buffer, static_cast<std::size_t>(count), static_cast<off_t>(position));
    while (got < 0 && errno == EINTR);
    return got < 0 ? -1 : static_cast<int64_t>(got);
}

int LastError() {
    return errno;
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

} // namespace ftp::local_file
