#pragma once
// The allocator's pools and the memory they hold free.

// Gives the memory the allocator holds free back to the system. Threads that have ended leave their pools of the
// allocator behind, mostly free but still counted against the program; once a job's connections are gone, nothing
// of theirs needs those pages. Does nothing where the allocator offers no such call.
void ReturnFreeMemory();

// Makes every thread allocate from one pool. By default each thread that allocates gets a pool of its own, and
// keeps its pages resident after the thread ends: with eight connections about 0.4 MiB more at the job's peak and
// after it. The connections' threads allocate little once their buffers are made, so one pool costs them no speed.
// Call first thing in main, before any thread starts. Does nothing where the allocator offers no such setting.
void ShareOneAllocatorPool();
