#pragma once
// What the connections of a parallel upload share with the window's thread: the files still to start, in the
// list's order; what each connection is sending now; and the messages the window's thread must show (log lines,
// files done). Every member may be called from any thread; the window's thread reads a consistent picture, so a
// file never counts twice (still sending and done) or not at all. Plain C++, no I/O.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

enum class TLaneNote {
    Connected,    // the first connection logged in
    Ready,        // the first connection made the destination: the job's uploads begin
    NotConnected, // the first connection did not log in (Refused: a certificate was refused, its box said why)
    Log,          // Text: a log line, stamped
    FileDone,     // Index: how its upload ended (Stored, Confirmed, Error)
    LaneEnded,    // the connection has left the server; nothing more comes from it
    Failed,       // Error: the connection met an error outside any file's upload (its log-in, say)
    Message,      // Text: a message box for the user, shown once a job however many connections post it
};

struct TLaneMessage {
    TLaneNote Note = TLaneNote::Log;
    std::u16string Text{}; // as shown: UTF-16, never the system's 8-bit text
    std::size_t Index = 0;
    std::int64_t Bytes = 0; // of the file, when its upload started
    bool Stored = false;
    bool Skipped = false;   // the server holds the file already: nothing was sent
    bool Confirmed = false; // every byte of the source as it is now went out: a move may delete it
    bool Refused = false;
    std::exception_ptr Error{}; // an error the job does not handle, for the window's error box
};

// The file a connection is sending now.
struct TLaneFile {
    std::size_t Index = 0;
    std::int64_t Bytes = 0; // the whole file
    std::int64_t Sent = 0;  // of it, a resumed part included
};

// The file the per-file bar follows: of those with bytes still to send, the one with the fewest left (the earlier
// in the list on a tie); nothing when none has any left. A file whose every byte went out only waits for the
// server's word, and would hold the bar full meanwhile.
std::optional<TLaneFile> FileBarFile(const std::vector<std::optional<TLaneFile>>& sending);

class TLaneBoard {
public:
    TLaneBoard(std::size_t files, std::size_t lanes);

    // The next file to start, in the list's order; nothing once every file is taken or the board is closed.
    std::optional<std::size_t> Take();
    // No file starts any more: a failure or a stop.
    void Close();
    // Closed, or every file has been taken.
    bool AllTaken() const;

    void BeginFile(std::size_t lane, std::size_t index, std::int64_t bytes);
    void Progress(std::size_t lane, std::int64_t sent);
    // The lane's file is no longer being sent and `done` is posted, in one step.
    void EndFile(std::size_t lane, TLaneMessage done);
    void Post(TLaneMessage message);

    // The job's one stop: asked by the window's thread, read by the lanes.
    void RequestStop();
    bool StopRequested() const;
    void SetMoving(bool moving);
    bool Moving() const;

    struct TPicture {
        std::vector<TLaneMessage> Messages;
        std::vector<std::optional<TLaneFile>> Sending; // by lane
    };
    // Waits up to `ms` for a message, then takes every message and what each lane is sending, at one moment.
    TPicture Look(int ms);

private:
    mutable std::mutex guard_;
    std::condition_variable posted_;
    std::size_t files_;
    std::size_t next_ = 0;
    bool closed_ = false;
    bool stop_ = false;
    bool moving_ = false;
    std::vector<std::optional<TLaneFile>> sending_;
    std::deque<TLaneMessage> messages_;
};
