// Shared pieces of the FTP client tests: pointing a client at a test server, recording work events, and
// streams that record their reads or produce many bytes without memory.
#pragma once

#include "ftp/Stream.h"
#include "ftp/TIdFTP.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace ftptest {

template <typename Server>
void PointAt(TIdFTP& ftp, const Server& server, const std::string& user, const std::string& password) {
    ftp.SetHost(server.host());
    ftp.SetPort(server.port());
    ftp.Username = user;
    ftp.Password = password;
}

// Every work event in order, with its sender, as "begin 100", "work 32768", "end".
struct WorkRecorder {
    struct Event {
        TIdComponent* sender;
        std::string kind;
        int64_t count;
    };
    std::vector<Event> events;

    void Attach(TIdFTP& ftp) {
        ftp.OnWorkBegin = [this](TIdComponent* s, TWorkMode mode, int64_t max) {
            events.push_back({s, mode == wmWrite ? "begin" : "read-begin", max});
        };
        ftp.OnWork = [this](TIdComponent* s, TWorkMode mode, int64_t count) {
            events.push_back({s, mode == wmWrite ? "work" : "read-work", count});
        };
        ftp.OnWorkEnd = [this](TIdComponent* s, TWorkMode mode) {
            events.push_back({s, mode == wmWrite ? "end" : "read-end", 0});
        };
    }
    int Count(const std::string& kind) const {
        return static_cast<int>(std::count_if(events.begin(), events.end(), [&](auto& e) { return e.kind == kind; }));
    }
};

// A stream over bytes in memory that records the size of every read asked for.
class MemoryStream : public TStream {
public:
    explicit MemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
    int64_t Position() const override { return position_; }
    void Seek(int64_t position) override { position_ = position; }
    int64_t Read(void* buffer, int64_t count) override {
        reads.push_back(count);
        const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, Size() - position_));
        std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
        position_ += n;
        return n;
    }
    std::vector<int64_t> reads;

private:
    std::string bytes_;
    int64_t position_ = 0;
};

// `size` bytes of a repeating pattern, made on the fly; `shortBy` bytes fewer are actually delivered.
class SyntheticStream : public TStream {
public:
    explicit SyntheticStream(int64_t size, int64_t shortBy = 0) : size_(size), shortBy_(shortBy) {}
    int64_t Size() const override { return size_; }
    int64_t Position() const override { return position_; }
    void Seek(int64_t position) override { position_ = position; }
    int64_t Read(void* buffer, int64_t count) override {
        const int64_t n = std::max<int64_t>(0, std::min(count, size_ - shortBy_ - position_));
        std::memset(buffer, 'z', static_cast<std::size_t>(n));
        position_ += n;
        return n;
    }

private:
    int64_t size_;
    int64_t shortBy_;
    int64_t position_ = 0;
};

// `n` bytes whose values run through every byte value, so a lost or moved byte shows.
inline std::string PatternBytes(std::size_t n) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

} // namespace ftptest
