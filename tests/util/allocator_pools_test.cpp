// Every thread allocates from the one pool once it is asked for: a connection's thread leaves no pool of its own.
#include "util/FreeMemory.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <thread>
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#include <malloc.h>

namespace {

// The allocator's own account of its pools, one "<heap nr=" per pool.
int AllocatorPools() {
    char* text = nullptr;
    std::size_t size = 0;
    FILE* report = open_memstream(&text, &size);
    malloc_info(0, report);
    std::fclose(report);
    int pools = 0;
    for (std::string_view rest(text, size); rest.find("<heap nr=") != std::string_view::npos; ++pools)
        rest.remove_prefix(rest.find("<heap nr=") + 1);
    std::free(text);
    return pools;
}

TEST(AllocatorPools, AThreadAllocatesFromTheSharedPool) {
    ShareOneAllocatorPool();
    std::thread([] {
        std::string held(64 * 1024, 'x'); // past the thread's small cache, so the pool itself is asked
        EXPECT_EQ(AllocatorPools(), 1);
    }).join();
}

} // namespace
#endif
