#include "copy/UploadTally.h"

void TUploadTally::Reset(std::int64_t resumedFrom) {
    *this = TUploadTally();
    resumedFrom_ = resumedFrom;
}

void TUploadTally::Begin(std::int64_t expectedBytes) {
    Reset(resumedFrom_);
    begun_ = true;
    expected_ = expectedBytes;
}

void TUploadTally::Work(std::int64_t sentSoFar) {
    if (begun_ && !ended_)
        sent_ = sentSoFar;
}

void TUploadTally::End() {
    if (begun_)
        ended_ = true;
}

bool TUploadTally::Confirms(std::optional<std::int64_t> sizeOnDiskNow) const {
    return begun_ && ended_ && sent_ == expected_ && sizeOnDiskNow && *sizeOnDiskNow == resumedFrom_ + expected_;
}
