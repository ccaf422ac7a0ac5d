#pragma once
// Heap allocations through operator new, counted per thread: a frame's are
// those of the thread that runs it, not the sound thread's, which opens and
// decodes streams on its own time. Linking this piece replaces the
// program's operator new.

#include <cstdint>

namespace bench {

// Allocations the calling thread made so far.
uint64_t AllocationCount();

// While on, each allocation prints its call stack to stderr: what a steady
// frame that should allocate nothing allocates, and from where.
void TraceAllocations(bool on);

}  // namespace bench
