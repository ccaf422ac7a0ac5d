#include "platform/os/LargeChunk.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace os {

void* AllocateLargeChunk(std::size_t bytes) {
    void* chunk = std::aligned_alloc(bytes, bytes);
    if (!chunk) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    // Only advice: without large pages the chunk works all the same.
    ::madvise(chunk, bytes, MADV_HUGEPAGE);
#endif
    return chunk;
}

}  // namespace os
