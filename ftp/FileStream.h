#pragma once
// A local file as a TStream for uploading: opened read-only while other programs may still read and write it,
// closed when the stream goes. Reads pass a test seam that can make the n-th read fail.

#include "ftp/Stream.h"

#include <cstdint>
#include <stdexcept>
#include <string>

// The file cannot be opened: "Cannot open file "<path>". <system reason>".
class EFOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A read of an opened file failed: "Cannot read file "<path>". <system reason>".
class EReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& path);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Size() const override;
    int64_t Position() const override { return position_; }
    void Seek(int64_t position) override;
    int64_t Read(void* buffer, int64_t count) override;

    // How many TFileStream objects are open in this process (tests prove every path closes its file).
    static int OpenCount();

private:
    std::string path_;
    std::intptr_t handle_;
    int64_t position_ = 0;
};

namespace ftp::faults {

// The `n`-th TFileStream read from now on (1 = the next) fails with the system error `errorNumber`
// (an errno value; on Windows a system error code).
void FailNthFileRead(int n, int errorNumber);
// Disarms the file-read fault.
void ResetFileFaults();

} // namespace ftp::faults
