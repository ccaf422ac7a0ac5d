#include "script/runtime/execution/Scheduler.h"

#include "script/runtime/execution/DebugHandler.h"
#include "script/runtime/execution/Thread.h"

namespace Vrel {

namespace {

// A stopped thread's value says nothing of what it held.
void Idle(Thread& thread) {
    thread.SetState(kThreadIdle);
    MakeEmpty(thread.GetValue());
}

}  // namespace

Scheduler::~Scheduler() { Clear(); }

void Scheduler::Add(Thread* thread) {
    // A listener thread that finished and went to sleep again in the same
    // frame is still listed: a second entry would run its timer twice.
    if (!thread || thread->IsListed()) return;
    thread->SetListed(true);
    threads_.emplace_back(thread);
    ++count_;
}

bool Scheduler::Contains(const Thread* thread) const {
    for (const auto& listed : threads_)
        if (listed.Get() == thread) return true;
    return false;
}

bool Scheduler::Pass(float elapsed, DebugHandler* handler) {
    bool result = false;
    if (handler) {
        result = handler->Query();
        if (handler->IsPaused()) return result;
    }
    if (threads_.empty()) return result;
    // Walked by position: threads that run may append entries, which this
    // pass visits too. Only this loop removes any, by moving the entries it
    // keeps down over the ones it drops, in order.
    const uint32_t clears = clears_;
    size_t kept = 0;
    size_t runs = 0;
    for (size_t next = 0; next < threads_.size(); ++next) {
        halvo::AutoRef<Thread> thread = threads_[next];
        // Past the cap a due thread keeps its timer and runs next pass.
        if (thread->GetState() == kThreadSleeping && TimerDue(*thread, elapsed) && runs < kMaxRunsPerPass) {
            ++runs;
            Run(*thread, handler);
            if (clears_ != clears) return true;
        }
        const int32_t state = thread->GetState();
        if (state == kThreadEnded || state == kThreadIdle) {
            thread->SetListed(false);
            threads_[next].Reset();
            --count_;
            continue;
        }
        if (kept != next) threads_[kept] = std::move(threads_[next]);
        ++kept;
    }
    threads_.erase(threads_.begin() + static_cast<std::ptrdiff_t>(kept), threads_.end());
    return true;
}

bool Scheduler::TimerDue(Thread& thread, float elapsed) {
    const Var& value = thread.GetValue();
    float timer = 0.0f;
    if (value.GetTag() == kTagFloat)
        timer = value.RawFloat();
    else
        value.ToFloat(timer);
    if (timer < elapsed) return true;
    thread.GetValue().SetFloat(timer - elapsed);
    return false;
}

void Scheduler::Run(Thread& thread, DebugHandler* handler) {
    Thread::RunThread(&thread);
    if (handler) handler->AfterExecute(&thread);
}

void Scheduler::StopAll() {
    for (auto& thread : threads_) {
        if (thread) Idle(*thread);  // null: dropped earlier in the running pass
    }
}

bool Scheduler::HasWaiting(uint32_t lineage) const {
    for (const auto& thread : threads_) {
        if (!thread || thread->GetLineage() != lineage) continue;
        const int32_t state = thread->GetState();
        if (state != kThreadEnded && state != kThreadIdle) return true;
    }
    return false;
}

void Scheduler::Stop(uint32_t lineage) {
    for (auto& thread : threads_) {
        if (thread && thread->GetLineage() == lineage) Idle(*thread);
    }
}

void Scheduler::Clear() {
    std::vector<halvo::AutoRef<Thread>> threads = std::move(threads_);
    threads_.clear();
    count_ = 0;
    ++clears_;
    for (auto& thread : threads) {
        if (!thread) continue;  // dropped earlier in the running pass
        thread->SetListed(false);
        // A waiting thread's frames may hold the module that holds the
        // thread: letting the frames go breaks that cycle.
        thread->Reset();
    }
}

}  // namespace Vrel
