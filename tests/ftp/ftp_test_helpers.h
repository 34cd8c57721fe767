// Shared pieces of the FTP client tests: pointing a client at a test server, recording work events, and
// streams that record their reads or produce many bytes without memory.
#pragma once

#include "ftp/Stream.h"
#include "ftp/TIdFTP.h"
#include "util/WireText.h"

#include <gtest/gtest.h>

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

// How many FEAT questions a log-in adds (see below): 1 where the 8-bit text is not UTF-8, else 0.
inline std::size_t FeatureQuestions() {
    return EightBitTextNeedsUtf8Wire() ? 1 : 0;
}

// The commands a server got, less the FEAT that a client whose 8-bit text is not UTF-8 (Windows) sends after the
// log-in to learn the names' encoding (windows_wire_test.cpp proves what follows from it); that FEAT must have come
// exactly there, and only there.
inline std::vector<std::string> WithoutFeatureQuestion(std::vector<std::string> commands) {
    const auto logIn = std::find_if(commands.begin(), commands.end(),
                                    [](const std::string& command) { return command.rfind("PASS ", 0) == 0; });
    const auto after = logIn == commands.end() ? commands.begin() + (commands.empty() ? 0 : 1) : logIn + 1;
    const bool asked = after != commands.end() && *after == "FEAT";
    EXPECT_EQ(asked, FeatureQuestions() == 1);
    if (asked)
        commands.erase(after);
    return commands;
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
