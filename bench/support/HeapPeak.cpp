#include "HeapPeak.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<uint64_t> gLive{0};
std::atomic<uint64_t> gHigh{0};
std::atomic<uint64_t> gBase{0};

void* Take(size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) return nullptr;
    const uint64_t live = gLive.fetch_add(malloc_usable_size(block), std::memory_order_relaxed) +
                          malloc_usable_size(block);
    uint64_t high = gHigh.load(std::memory_order_relaxed);
    while (live > high && !gHigh.compare_exchange_weak(high, live, std::memory_order_relaxed)) {
    }
    return block;
}

void Give(void* block) {
    if (!block) return;
    gLive.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

namespace bench {

void ResetHeapPeak() {
    const uint64_t live = gLive.load(std::memory_order_relaxed);
    gBase.store(live, std::memory_order_relaxed);
    gHigh.store(live, std::memory_order_relaxed);
}

uint64_t HeapPeakSinceReset() {
    return gHigh.load(std::memory_order_relaxed) - gBase.load(std::memory_order_relaxed);
}

}  // namespace bench

void* operator new(size_t size) {
    if (void* block = Take(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Take(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Take(size); }
void operator delete(void* block) noexcept { Give(block); }
void operator delete(void* block, size_t) noexcept { Give(block); }
void operator delete[](void* block) noexcept { Give(block); }
void operator delete[](void* block, size_t) noexcept { Give(block); }
