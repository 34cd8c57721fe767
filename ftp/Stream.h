#pragma once
// A readable, seekable byte source, as the upload needs it. Sizes and positions are 64-bit so files of 2 GiB and
// more are sent whole.

#include <cstdint>

class TStream {
public:
    virtual ~TStream() = default;
    virtual int64_t Size() const = 0;
    virtual int64_t Position() const = 0;
    virtual void Seek(int64_t position) = 0;
    // Reads up to `count` bytes into `buffer` and advances the position; returns the bytes read (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // The platform file behind the stream, for a channel that sends straight from a file without copying its
    // bytes through the program; -1 when there is none (the stream is then read).
    virtual std::intptr_t PlatformFile() const { return -1; }
};
