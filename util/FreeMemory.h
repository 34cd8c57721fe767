#pragma once
// Gives the memory the allocator holds free back to the system. Threads that have ended leave their pools of the
// allocator behind, mostly free but still counted against the program; once a job's connections are gone, nothing
// of theirs needs those pages. Does nothing where the allocator offers no such call.

void ReturnFreeMemory();
