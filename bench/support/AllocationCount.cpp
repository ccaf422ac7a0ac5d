#include "AllocationCount.h"

#include <execinfo.h>
#include <unistd.h>

#include <cstdlib>
#include <new>

namespace {

// Plain data, so that reading it never allocates, even in a new thread.
thread_local uint64_t tAllocations = 0;
thread_local bool tTracing = false;
// Deep enough to get from the allocation out of the library into the engine.
constexpr int kTraceDepth = 24;

void Count() {
    ++tAllocations;
    if (!tTracing) return;
    // The stack printer allocates on its first use; no trace of that.
    tTracing = false;
    void* frames[kTraceDepth];
    const int depth = backtrace(frames, kTraceDepth);
    backtrace_symbols_fd(frames, depth, 2);
    static const char kEnd[] = "----\n";
    (void)!write(2, kEnd, sizeof kEnd - 1);
    tTracing = true;
}

}  // namespace

namespace bench {

uint64_t AllocationCount() { return tAllocations; }

void TraceAllocations(bool on) {
    if (on) {
        // Loads the unwinder now, not inside the first traced allocation.
        void* frame[1];
        backtrace(frame, 1);
    }
    tTracing = on;
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
