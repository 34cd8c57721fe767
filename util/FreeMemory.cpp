#include "util/FreeMemory.h"

#include <cstdlib> // names the C library, so that __GLIBC__ tells

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ReturnFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

void ShareOneAllocatorPool() {
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 1);
#endif
}
