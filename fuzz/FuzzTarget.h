#pragma once
// The body every fuzz target shares: run one entry, and turn an escaping exception (a broken property or an
// exception type the reader must never raise) into an abort with its message, which the fuzzer records as a crash.

#include "fuzz/FuzzEntries.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace fuzz {

inline int RunTarget(void (*entry)(const uint8_t*, size_t), const uint8_t* data, size_t size) {
    try {
        entry(data, size);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fuzz finding: %s\n", error.what());
        std::abort();
    }
    return 0;
}

} // namespace fuzz
