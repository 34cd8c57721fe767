#pragma once
// Received bytes not yet consumed, first in first out. Taking bytes only advances a read position; the storage is
// compacted once 32768 taken bytes have piled up and emptied at once when everything is taken, so reading many
// short lines out of one large receive stays linear.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TPendingInput {
public:
    static constexpr int64_t CompactAfter = 32768;

    void Append(const void* data, int64_t count);
    int64_t Size() const { return static_cast<int64_t>(storage_.size() - readPos_); }
    bool Empty() const { return Size() == 0; }
    // Offset from the front of the first `byte` at or after offset `from`, or -1.
    int64_t Find(char byte, int64_t from) const;
    // Removes and returns the first `count` bytes; EIdNotEnoughDataInBuffer when fewer are pending.
    std::string Take(int64_t count);
    // True when the pending bytes begin with `prefix`; nothing is taken.
    bool StartsWith(const std::string& prefix) const {
        return Size() >= static_cast<int64_t>(prefix.size()) &&
               std::equal(prefix.begin(), prefix.end(), storage_.begin() + static_cast<std::ptrdiff_t>(readPos_));
    }
    void Clear();

    // Bytes held including those taken but not yet compacted away (shows when compaction happens).
    int64_t StorageSize() const { return static_cast<int64_t>(storage_.size()); }

private:
    std::vector<char> storage_;
    size_t readPos_ = 0;
};
