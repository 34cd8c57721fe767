#include "ftp/PendingInput.h"

#include "ftp/IdExceptions.h"

#include <algorithm>

void TPendingInput::Append(const void* data, int64_t count) {
    if (count <= 0)
        return;
    const char* bytes = static_cast<const char*>(data);
    storage_.insert(storage_.end(), bytes, bytes + count);
}

int64_t TPendingInput::Find(char byte, int64_t from) const {
    if (from < 0)
        from = 0;
    if (from >= Size())
        return -1;
    const auto begin = storage_.begin() + static_cast<std::ptrdiff_t>(readPos_);
    const auto it = std::find(begin + from, storage_.end(), byte);
    return it == storage_.end() ? -1 : it - begin;
}

std::string TPendingInput::Take(int64_t count) {
    if (count < 0 || count > Size())
        throw EIdNotEnoughDataInBuffer();
    const auto begin = storage_.begin() + static_cast<std::ptrdiff_t>(readPos_);
    std::string taken(begin, begin + count);
    readPos_ += static_cast<size_t>(count);
    if (readPos_ == storage_.size()) {
        Clear();
    } else if (readPos_ >= static_cast<size_t>(CompactAfter)) {
        storage_.erase(storage_.begin(), storage_.begin() + static_cast<std::ptrdiff_t>(readPos_));
        readPos_ = 0;
    }
    return taken;
}

void TPendingInput::Clear() {
    storage_.clear();
    readPos_ = 0;
}
