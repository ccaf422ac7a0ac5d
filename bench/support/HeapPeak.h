#pragma once
// Live heap bytes through operator new and delete, with their high mark.
// Linking this piece replaces the program's operator new and delete.

#include <cstdint>

namespace bench {

// Starts a new high mark at the bytes live now.
void ResetHeapPeak();
// The most bytes live since the last reset, above what was live then.
uint64_t HeapPeakSinceReset();

}  // namespace bench
