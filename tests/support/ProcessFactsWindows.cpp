#include "tests/support/ProcessFacts.h"

#include <windows.h>

#include <psapi.h>

namespace ferrylo::testing {

// Wine (8.0) answers 0 here, so under Wine the no-leak checks hold trivially; a real Windows counts.
int openHandleCount() {
    DWORD count = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &count);
    return static_cast<int>(count);
}

long peakResidentKiB() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
}

} // namespace ferrylo::testing
