#include "ftp/FileStream.h"

#include "ftp/LocalFile.h"

#include <atomic>

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

std::string CannotOpen(const std::string& path, int error) {
    return "Cannot open file \"" + path + "\". " + ftp::local_file::ErrorText(error);
}

std::string CannotRead(const std::string& path, int error) {
    return "Cannot read file \"" + path + "\". " + ftp::local_file::ErrorText(error);
}

} // namespace

TFileStream::TFileStream(const std::string& path) : path_(path), handle_(ftp::local_file::OpenForReading(path)) {
    if (handle_ == ftp::local_file::kNoFile)
        throw EFOpenError(CannotOpen(path, ftp::local_file::LastError()));
    ++openCount;
}

TFileStream::~TFileStream() {
    ftp::local_file::Close(handle_);
    --openCount;
}

int64_t TFileStream::Size() const {
    return ftp::local_file::SizeOf(handle_);
}

void TFileStream::Seek(int64_t position) {
    position_ = position < 0 ? 0 : position;
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0)
        return 0;
    int error = 0;
    if (ReadMustFail(error))
        throw EReadError(CannotRead(path_, error));
    // The position stays ours, so Seek never touches the file.
    const int64_t got = ftp::local_file::ReadAt(handle_, buffer, count, position_);
    if (got < 0)
        throw EReadError(CannotRead(path_, ftp::local_file::LastError()));
    position_ += got;
    return got;
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
