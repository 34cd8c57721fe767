#include "ftp/FileStream.h"

#include "util/NativePath.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::atomic<int> openCount{0};
std::atomic<int> readsUntilFault{0}; // 0: nothing armed
std::atomic<int> faultError{0};

// True when this read is the armed one; then `error` holds the number to report.
bool ReadMustFail(int& error) {
    int left = readsUntilFault.load(std::memory_order_relaxed);
    while (left > 0 && !readsUntilFault.compare_exchange_weak(left, left - 1))
        ;
    if (left != 1)
        return false;
    error = faultError.load();
    return true;
}

std::string SystemReason(int error) {
#ifdef _WIN32
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(error), 0,
                   text, sizeof text, nullptr);
    std::string reason = text;
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
        reason.pop_back();
    return reason;
#else
    return std::strerror(error);
#endif
}

int LastSystemError() {
#ifdef _WIN32
    return static_cast<int>(GetLastError());
#else
    return errno;
#endif
}

} // namespace

TFileStream::TFileStream(const std::string& path) : path_(path) {
#ifdef _WIN32
    HANDLE file = CreateFileW(NativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = file == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(file);
#else
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
        fd = -1;
        errno = folder ? EISDIR : EINVAL;
    }
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    handle_ = fd;
#endif
    if (handle_ == -1)
        throw EFOpenError("Cannot open file \"" + path + "\". " + SystemReason(LastSystemError()));
    ++openCount;
}

TFileStream::~TFileStream() {
#ifdef _WIN32
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
#else
    ::close(static_cast<int>(handle_));
#endif
    --openCount;
}

int64_t TFileStream::Size() const {
#ifdef _WIN32
    LARGE_INTEGER size{};
    GetFileSizeEx(reinterpret_cast<HANDLE>(handle_), &size);
    return size.QuadPart;
#else
    struct stat info;
    return ::fstat(static_cast<int>(handle_), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
#endif
}

void TFileStream::Seek(int64_t position) {
    position_ = position < 0 ? 0 : position;
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    int error = 0;
    if (ReadMustFail(error))
        throw EReadError("Cannot read file \"" + path_ + "\". " + SystemReason(error));
#ifdef _WIN32
    LARGE_INTEGER at;
    at.QuadPart = position_;
    SetFilePointerEx(reinterpret_cast<HANDLE>(handle_), at, nullptr, FILE_BEGIN);
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(count > 0x40000000 ? 0x40000000 : count);
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, wanted, &got, nullptr))
        throw EReadError("Cannot read file \"" + path_ + "\". " + SystemReason(LastSystemError()));
#else
    ssize_t got;
    // pread keeps the position ours, so Seek never touches the descriptor.
    do
        got =
            ::pread(static_cast<int>(handle_), buffer, static_cast<std::size_t>(count), static_cast<off_t>(position_));
    while (got < 0 && errno == EINTR);
    if (got < 0)
        throw EReadError("Cannot read file \"" + path_ + "\". " + SystemReason(LastSystemError()));
#endif
    position_ += static_cast<int64_t>(got);
    return static_cast<int64_t>(got);
}

int TFileStream::OpenCount() {
    return openCount.load();
}

namespace ftp::faults {

void FailNthFileRead(int n, int errorNumber) {
    faultError = errorNumber;
    readsUntilFault = n > 0 ? n : 0;
}

void ResetFileFaults() {
    readsUntilFault = 0;
}

} // namespace ftp::faults
