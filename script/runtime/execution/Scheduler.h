#pragma once
// The threads that have to come back later (sleeping, paused, deferred), in
// insertion order. One pass per frame advances the sleep timers and resumes
// the threads that are due. Both the list and the work of a pass are bounded,
// so that a script that keeps starting threads cannot exhaust the machine or
// hold a frame for ever.

#include "platform/RefObj.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Vrel {

class DebugHandler;
class Thread;

class Scheduler {
public:
    // Most threads listed at once; past it "ThreadCreate" refuses. A listed
    // thread with its first frame costs about 1.6 KB, so the cap holds a
    // runaway script near 165 MB; the busiest script known (the thread
    // benchmark) lists 1,000, and game scripts a handful.
    static constexpr size_t kMaxListedThreads = 100000;
    // Most threads one pass starts or resumes; the due threads after them
    // wait for the next pass. A thread that starts another and ends would
    // otherwise keep one pass going for ever. A pass at the cap takes about
    // a frame's time (20 ms for threads that do next to nothing), so a
    // runaway slows the game instead of freezing it; the thread benchmark
    // resumes 1,000 a pass.
    static constexpr size_t kMaxRunsPerPass = 10000;

    Scheduler() = default;
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    // Appends the thread unless it is listed already.
    void Add(Thread* thread);
    // One pass with the frame time in milliseconds. Entries appended during
    // the pass are visited in the same pass, up to kMaxRunsPerPass runs;
    // threads that end during the pass leave the list at once. Answers
    // whether any thread was listed (or the debug handler's answer).
    bool Pass(float elapsed, DebugHandler* handler);
    // Every listed thread becomes idle with a nil value; the next pass
    // removes them.
    void StopAll();
    // Whether a listed thread of the lineage (Thread::GetLineage) is still
    // to run: sleeping, paused or on its way.
    bool HasWaiting(uint32_t lineage) const;
    // As StopAll, for the threads of one lineage alone.
    void Stop(uint32_t lineage);
    // Drops every entry, destroying the frames of threads that do not run.
    void Clear();
    // Listed threads, dropped entries of a running pass not counted.
    size_t GetCount() const { return count_; }
    bool Contains(const Thread* thread) const;

private:
    // Advances a sleeping thread's timer; true when it is due to run.
    static bool TimerDue(Thread& thread, float elapsed);
    void Run(Thread& thread, DebugHandler* handler);

    std::vector<halvo::AutoRef<Thread>> threads_;
    size_t count_ = 0;
    // Counts Clear calls: a pass that sees it move stops at once, since the
    // places it was walking are gone.
    uint32_t clears_ = 0;
};

}  // namespace Vrel
