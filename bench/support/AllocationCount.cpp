#include "AllocationCount.h"

#include <execinfo.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<uint64_t> gAllocations{0};
std::atomic<bool> gTracing{false};
// Deep enough to get from the allocation out of the library into the engine.
constexpr int kTraceDepth = 24;

void Count() {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (!gTracing.load(std::memory_order_relaxed)) return;
    // The stack printer allocates on its first use; no trace of that.
    gTracing.store(false, std::memory_order_relaxed);
    void* frames[kTraceDepth];
    const int depth = backtrace(frames, kTraceDepth);
    backtrace_symbols_fd(frames, depth, 2);
    static const char kEnd[] = "----\n";
    (void)!write(2, kEnd, sizeof kEnd - 1);
    gTracing.store(true, std::memory_order_relaxed);
}

}  // namespace

namespace bench {

uint64_t AllocationCount() { return gAllocations.load(std::memory_order_relaxed); }

void TraceAllocations(bool on) {
    if (on) {
        // Loads the unwinder now, not inside the first traced allocation.
        void* frame[1];
        backtrace(frame, 1);
    }
    gTracing.store(on, std::memory_order_relaxed);
}

}  // namespace bench

void* operator new(size_t size) {
    Count();
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    Count();
    return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
