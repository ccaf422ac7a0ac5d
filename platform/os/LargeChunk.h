#pragma once
// Memory for long-lived pools in chunks the system may back with large
// pages: a pool that fills many chunks then costs a few page faults instead
// of thousands.

#include <cstddef>

namespace os {

// A chunk of bytes aligned to their own size (a power of two), never
// released; throws std::bad_alloc when there is no memory.
void* AllocateLargeChunk(std::size_t bytes);

}  // namespace os
