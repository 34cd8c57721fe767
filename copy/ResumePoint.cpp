#include "copy/ResumePoint.h"

TResumePoint ChooseResumePoint(std::optional<std::int64_t> serverSize, std::int64_t sentBefore,
                               std::int64_t localSize) {
    if (!serverSize || *serverSize < 0)
        return {0, TResumeDoubt::NoSize};
    if (*serverSize > sentBefore || *serverSize > localSize)
        return {0, TResumeDoubt::MoreThanSent};
    // A copy as long as the file is whole only if its final reply had come; it did not, so it goes again.
    if (*serverSize == localSize)
        return {};
    return {*serverSize, TResumeDoubt::None};
}
