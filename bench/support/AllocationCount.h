#pragma once
// Heap allocations through operator new, counted process-wide. Linking this
// piece replaces the program's operator new.

#include <cstdint>

namespace bench {

// Allocations made so far.
uint64_t AllocationCount();

// While on, each allocation prints its call stack to stderr: what a steady
// frame that should allocate nothing allocates, and from where.
void TraceAllocations(bool on);

}  // namespace bench
