#pragma once
// The threads that have to come back later (sleeping, paused, deferred), in
// insertion order. One pass per frame advances the sleep timers and resumes
// the threads that are due.

#include "platform/RefObj.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Vrel {

class DebugHandler;
class Thread;

class Scheduler {
public:
    Scheduler() = default;
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // Appends the thread unless it is listed already.
    void Add(Thread* thread);
    // One pass with the frame time in milliseconds. Entries appended during
    // the pass are visited in the same pass. Answers whether any thread was
    // listed (or the debug handler's answer).
    bool Pass(float elapsed, DebugHandler* handler);
    // Every listed thread becomes idle with a nil value; the next pass
    // removes them.
    void StopAll();
    // Drops every entry, destroying the frames of threads that do not run.
    void Clear();
    size_t GetCount() const { return threads_.size(); }
    bool Contains(const Thread* thread) const;

private:
    void Visit(Thread& thread, float elapsed, DebugHandler* handler);

    std::vector<halvo::AutoRef<Thread>> threads_;
    // Counts Clear calls: a pass that sees it move stops at once, since the
    // places it was walking are gone.
    uint32_t clears_ = 0;
};

}  // namespace Vrel
