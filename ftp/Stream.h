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
};
