#include "tests/support/ProcessFacts.h"

#include <dirent.h>
#include <sys/resource.h>

namespace ferrylo::testing {

int openHandleCount() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr)
            ++count;
        ::closedir(dir);
    }
    return count;
}

long peakResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace ferrylo::testing
