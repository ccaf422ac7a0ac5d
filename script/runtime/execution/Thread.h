#pragma once
// A strand of script execution: up to 32 call frames, a run state, a value
// (the wake timer while sleeping, the result after a return) and named
// thread values. Threads are cooperative and run on the main thread only.

#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/execution/FastWindows.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarExtension.h"
#include "script/runtime/values/t_Named.h"

#include <array>
#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Vrel {

class BinCode;
class ScriptVM;

enum ThreadState : int32_t {
    kThreadEnded = 0,      // ended by an error, or ran off the end of its code
    kThreadIdle = 1,       // new, finished or stopped
    kThreadRunning = 2,
    kThreadSleeping = 3,   // the value holds the remaining milliseconds
    kThreadPaused = 4,
    kThreadReturned = 5,   // returned to a native caller
};

constexpr uint32_t kMaxCallDepth = 32;
// Spare argument arrays a thread keeps: an argument array and a return
// list for every call level, so deep recursion unwinding keeps them all.
constexpr uint32_t kMaxSpareArrays = 2 * kMaxCallDepth;

class Thread : public VarExtension {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create() { return new Thread; }

    // A thread of the global machine, or of vm.
    Thread();
    explicit Thread(ScriptVM& vm);
    ~Thread() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    const char* GetTypeName() const override { return "Thread"; }
    // State, depth, value, thread values and the call frames; written only.
    bool Serialize(ScriptIO& stream) override;

    // Starts function on this thread (see CallFunction); a thread left
    // sleeping or paused joins its machine's scheduler.
    bool Run(BinCode* function, bool deferred, const Var* arguments, int count);
    // The function a value holds, without arguments.
    bool Run(const Var& function);
    // Looks the function up by module and name and runs it at once. False
    // (with "Script function %s::%s not found") when either is missing.
    static bool RunFunction(Thread* thread, const char* module, const char* name, const Var* arguments,
                            int count);

    // Pushes a call of function from native code and, unless deferred, runs
    // it at once.
    static bool CallFunction(ScriptVM& vm, Thread* thread, BinCode* function, bool deferred, const Var* arguments,
                             int count);
    // Runs the current frame; false after an error (the thread then ends).
    static bool RunThread(Thread* thread);

    // Destroys every frame; idle. Refused while the thread runs.
    void Reset();
    void Sleep(float milliseconds);
    void Yield() { Sleep(0.0f); }
    // Wakes a paused thread at the scheduler's next pass. A thread stopped
    // or ended while it waited stays so: the scene it served may be gone.
    void Resume() {
        if (state_ == kThreadPaused) Yield();
    }
    // Reports a message at the frame's position (see the implementation).
    void Error(const CallFrame* frame, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void ErrorV(const CallFrame* frame, const char* format, va_list args) __attribute__((format(printf, 3, 0)));

    // "(unknown)" without a current frame with a function; "(unkown)" when
    // the function has no line map.
    const char* GetSourceName() const;
    // Null / -1 when there is no current frame, function or line map.
    static const char* GetCurrentSource(const Thread* thread);
    static int GetCurrentLine(const Thread* thread);

    int32_t GetState() const { return state_; }
    void SetState(int32_t state) { state_ = state; }
    Var& GetValue() { return value_; }
    // The value made an empty value of function's return type, for a
    // return to fill.
    Var& EmptyReturnValue(BinCode& function);
    t_Named& GetThreadValues() { return threadValues_; }
    const std::string& GetLastError() const { return lastError_; }
    bool HasError() const { return errorFlag_; }
    int16_t& AssertionsMade() { return assertionsMade_; }
    int16_t& AssertionsFailed() { return assertionsFailed_; }
    const std::string& GetName() const { return name_; }
    void SetName(const char* name) { name_ = name ? name : ""; }
    // The family of threads one native call set going (0: none), handed on
    // to every thread this one starts ("ThreadCreate"): the game can then
    // tell whether anything that call began is still to run, and stop it.
    uint32_t GetLineage() const { return lineage_; }
    void SetLineage(uint32_t lineage) { lineage_ = lineage; }

    uint32_t GetDepth() const { return depth_; }
    CallFrame* GetFrame(uint32_t index) const {
        return index <= depth_ && index < kMaxCallDepth ? frames_[index].get() : nullptr;
    }
    CallFrame* GetCurrentFrame() const { return GetFrame(depth_); }
    ScriptVM& GetVM() const { return *vm_; }
    // True while a RunThread of this thread is on the native stack.
    bool IsExecuting() const { return activeRuns_ > 0; }

    // Used by the interpreter.
    bool PushFrame(BinCode* function);
    void PopFrame();
    // Argument arrays of finished calls, emptied, for the next calls. Only
    // an array nothing else holds is kept; Take answers null when none fits.
    void KeepArgumentArray(Var& holder) {
        if (holder.GetTag() == kTagObject) KeepArgumentObject(holder);
    }
    // A returning call's result in its caller's stack: the callee slot
    // goes, and the result takes the list's slot, the list kept for the next
    // call.
    void DeliverResult(CallFrame& caller, const Var& result) {
        caller.Pop();
        KeepArgumentArray(caller.Top());
        caller.Top().CopyWithoutConst(result);
    }
    // A returning frame's values go top down, as closing the frame would let
    // them go; the list a return statement leaves serves the next call.
    void DropValues(CallFrame& frame) {
        while (frame.GetCount() > 0) {
            KeepArgumentArray(frame.Top());
            frame.Pop();
        }
    }
    halvo::AutoRef<VarArray> TakeArgumentArray(int count) {
        if (spareCount_ == 0) return {};
        halvo::AutoRef<VarArray>& spare = spareArrays_[--spareCount_];
        if (spare->Reuse(count)) return std::move(spare);
        // Reused only as it stands: a refused array is dropped.
        spare.Reset();
        return {};
    }
    FastWindows& GetFastWindows() { return fastWindows_; }
    // The scheduler's membership flag: a thread is listed at most once.
    bool IsListed() const { return listed_; }
    void SetListed(bool listed) { listed_ = listed; }

private:
    void DestroyFrames();
    // As DestroyFrames, but the frames keep their storage for the next call.
    void CloseFrames();
    void KeepArgumentObject(Var& holder);

    int16_t assertionsMade_ = 0;
    int16_t assertionsFailed_ = 0;
    int32_t state_ = kThreadIdle;
    std::string lastError_;
    bool errorFlag_ = false;
    Var value_;
    t_Named threadValues_;
    // Frames above the depth are closed and kept in place for the next
    // calls at their level.
    std::array<std::unique_ptr<CallFrame>, kMaxCallDepth> frames_;
    // The newest spare is at spareCount_ - 1; the places above are empty.
    std::array<halvo::AutoRef<VarArray>, kMaxSpareArrays> spareArrays_;
    uint32_t spareCount_ = 0;
    uint32_t depth_ = 0;
    std::string name_;
    uint32_t lineage_ = 0;
    ScriptVM* vm_;
    int activeRuns_ = 0;
    bool listed_ = false;
    FastWindows fastWindows_;
};

// Nil without flags or record: a value that says nothing of what it held.
inline void MakeEmpty(Var& value) {
    value.Clear();
    value.SetAutoFlag(false);
    value.SetConstFlag(false);
}

// The thread an object value holds, else null.
Thread* ToThread(const Var& value);

}  // namespace Vrel
