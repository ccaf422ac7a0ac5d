#include "script/runtime/Scheduler.h"

#include "script/runtime/DebugHandler.h"
#include "script/runtime/Thread.h"

namespace Vrel {

Scheduler::~Scheduler() { Clear(); }

void Scheduler::Add(Thread* thread) {
    // A listener thread that finished and went to sleep again in the same
    // frame is still listed: a second entry would run its timer twice.
    if (!thread || thread->IsListed()) return;
    thread->SetListed(true);
    threads_.emplace_back(thread);
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
    // std::list keeps iterators valid while threads run and append entries;
    // only this loop removes any.
    for (auto it = threads_.begin(); it != threads_.end();) {
        halvo::AutoRef<Thread> thread = *it;
        const int32_t state = thread->GetState();
        if (state == kThreadEnded || state == kThreadIdle) {
            thread->SetListed(false);
            it = threads_.erase(it);
            continue;
        }
        if (state == kThreadSleeping) Visit(*thread, elapsed, handler);
        ++it;
    }
    return true;
}

void Scheduler::Visit(Thread& thread, float elapsed, DebugHandler* handler) {
    float timer = 0.0f;
    thread.GetValue().ToFloat(timer);
    if (timer >= elapsed) {
        thread.GetValue().SetFloat(timer - elapsed);
        return;
    }
    Thread::RunThread(&thread);
    if (handler) handler->AfterExecute(&thread);
}

void Scheduler::StopAll() {
    for (auto& thread : threads_) {
        thread->SetState(kThreadIdle);
        MakeEmpty(thread->GetValue());
    }
}

void Scheduler::Clear() {
    std::list<halvo::AutoRef<Thread>> threads = std::move(threads_);
    threads_.clear();
    for (auto& thread : threads) {
        thread->SetListed(false);
        // A waiting thread's frames may hold the module that holds the
        // thread: letting the frames go breaks that cycle.
        thread->Reset();
    }
}

}  // namespace Vrel
