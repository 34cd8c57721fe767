#include "copy/LaneBoard.h"

#include <chrono>

std::optional<TLaneFile> FileBarFile(const std::vector<std::optional<TLaneFile>>& sending) {
    std::optional<TLaneFile> chosen;
    for (const std::optional<TLaneFile>& file : sending) {
        if (!file || file->Sent >= file->Bytes)
            continue;
        const std::int64_t left = file->Bytes - file->Sent;
        if (!chosen || left < chosen->Bytes - chosen->Sent ||
            (left == chosen->Bytes - chosen->Sent && file->Index < chosen->Index))
            chosen = file;
    }
    return chosen;
}

TLaneBoard::TLaneBoard(std::size_t files, std::size_t lanes) : files_(files), sending_(lanes) {}

std::optional<std::size_t> TLaneBoard::Take() {
    const std::lock_guard lock(guard_);
    if (closed_ || next_ >= files_)
        return std::nullopt;
    return next_++;
}

void TLaneBoard::Close() {
    const std::lock_guard lock(guard_);
    closed_ = true;
}

bool TLaneBoard::AllTaken() const {
    const std::lock_guard lock(guard_);
    return closed_ || next_ >= files_;
}

void TLaneBoard::BeginFile(std::size_t lane, std::size_t index, std::int64_t bytes) {
    const std::lock_guard lock(guard_);
    sending_.at(lane) = TLaneFile{index, bytes, 0};
}

void TLaneBoard::Progress(std::size_t lane, std::int64_t sent) {
    const std::lock_guard lock(guard_);
    if (auto& file = sending_.at(lane))
        file->Sent = sent;
}

void TLaneBoard::EndFile(std::size_t lane, TLaneMessage done) {
    {
        const std::lock_guard lock(guard_);
        sending_.at(lane).reset();
        messages_.push_back(std::move(done));
    }
    posted_.notify_all();
}

void TLaneBoard::Post(TLaneMessage message) {
    {
        const std::lock_guard lock(guard_);
        messages_.push_back(std::move(message));
    }
    posted_.notify_all();
}

void TLaneBoard::RequestStop() {
    // Told under the lock: a stop asked from any thread is wholly done before the window's thread can see it and
    // let the board go.
    const std::lock_guard lock(guard_);
    stop_ = true;
    closed_ = true;
    posted_.notify_all();
}

bool TLaneBoard::StopRequested() const {
    const std::lock_guard lock(guard_);
    return stop_;
}

void TLaneBoard::SetMoving(bool moving) {
    const std::lock_guard lock(guard_);
    moving_ = moving;
}

bool TLaneBoard::Moving() const {
    const std::lock_guard lock(guard_);
    return moving_;
}

TLaneBoard::TPicture TLaneBoard::Look(int ms) {
    std::unique_lock lock(guard_);
    posted_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !messages_.empty(); });
    TPicture picture;
    picture.Messages.assign(std::make_move_iterator(messages_.begin()), std::make_move_iterator(messages_.end()));
    messages_.clear();
    picture.Sending = sending_;
    return picture;
}
