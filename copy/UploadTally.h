#pragma once
// What the work events of one upload reported. A final success reply alone does not prove that the
// server got the whole file (a short read, a file that shrank or grew while it was sent), and in
// move mode the local file is deleted afterwards: the tally is the second witness.

#include <cstdint>
#include <optional>

class TUploadTally {
public:
    // `resumedFrom`: the bytes of the file the server held before this upload (sent after REST).
    void Reset(std::int64_t resumedFrom = 0);
    void Begin(std::int64_t expectedBytes);
    void Work(std::int64_t sentSoFar);
    void End();

    bool Begun() const { return begun_; }
    bool Ended() const { return ended_; }
    std::int64_t Expected() const { return expected_; }
    std::int64_t Sent() const { return sent_; }

    // True when one complete work span sent exactly the bytes it announced and the file on disk
    // (looked up after the upload; nothing when it is gone) still has that size, with a resumed part.
    bool Confirms(std::optional<std::int64_t> sizeOnDiskNow) const;

private:
    bool begun_ = false;
    bool ended_ = false;
    std::int64_t expected_ = 0;
    std::int64_t sent_ = 0;
    std::int64_t resumedFrom_ = 0;
};
