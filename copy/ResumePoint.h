#pragma once
// Where an upload that broke off goes on. The server's word on how much of the file it holds is believed only as
// far as this client sent the file: a server that claims more, or a size that cannot be read, gets the whole file
// again, so no byte that this client never sent can end up inside a file it reports as stored.

#include <cstdint>
#include <optional>

enum class TResumeDoubt {
    None,         // resumed where the server's copy ends, or sent whole for a plain reason
    NoSize,       // the server gave no size that reads as one
    MoreThanSent, // the server claims more than was ever sent of the file
};

struct TResumePoint {
    std::int64_t Offset = 0; // 0: the whole file
    TResumeDoubt Doubt = TResumeDoubt::None;
};

// `serverSize`: the SIZE answer (nothing when there was none or it was no number); `sentBefore`: the bytes of this
// file that the earlier attempts handed to the server; `localSize`: the file as it is now.
TResumePoint ChooseResumePoint(std::optional<std::int64_t> serverSize, std::int64_t sentBefore, std::int64_t localSize);
