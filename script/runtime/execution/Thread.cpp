#include "script/runtime/execution/Thread.h"

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/Interpreter.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/values/VarArray.h"

#include <cstdio>
#include <string>

namespace Vrel {

const ClassRecord Thread::kClassRecord = {"Thread", &VarExtension::kClassRecord, &Thread::Create};

namespace {

constexpr size_t kMaxMessageLength = 512;

std::string Format(const char* format, const char* first, const char* second) {
    char text[kMaxMessageLength];
    std::snprintf(text, sizeof text, format, TextOrUnknown(first), TextOrUnknown(second));
    return text;
}

// The argument array of a call from native code. Deferred calls run after
// the caller has returned: their arguments must not refer to its values.
// In a spare list of the thread where one fits: a native that calls the same
// function every frame reuses the list of the call before.
Var MakeArguments(Thread& thread, const Var* arguments, int count, bool dereference) {
    if (!arguments || count < 0) count = 0;
    halvo::AutoRef<VarArray> array(thread.TakeArgumentArray(count));
    if (!array) array = VarArray::CreateWithCount(count);
    if (!array) array = VarArray::CreateWithCount(0);
    for (int i = 0; i < array->GetCount(); ++i)
        array->GetAt(i)->CopyWithoutConst(dereference ? arguments[i].Followed() : arguments[i]);
    return Var(static_cast<VarExtension*>(array.Get()));
}

}  // namespace

Thread::Thread() : vm_(&ScriptVM::Global()) {}

Thread::Thread(ScriptVM& vm) : vm_(&vm) {}

Thread::~Thread() { DestroyFrames(); }

void Thread::DestroyFrames() {
    for (uint32_t i = depth_ + 1; i-- > 0;) frames_[i].reset();
    for (auto& frame : frames_) frame.reset();
    depth_ = 0;
    state_ = kThreadIdle;
}

void Thread::CloseFrames() {
    for (uint32_t i = depth_; i > 0; --i)
        if (frames_[i]) frames_[i]->Close();
    if (CallFrame* base = frames_[0].get()) {
        DropValues(*base);
        base->Open(nullptr);
    }
    depth_ = 0;
    state_ = kThreadIdle;
}

void Thread::Reset() {
    // The frames of a running thread are in use further up the native stack.
    if (IsExecuting()) return;
    DestroyFrames();
}

void Thread::Sleep(float milliseconds) {
    state_ = kThreadSleeping;
    MakeEmpty(value_);
    value_.SetFloat(milliseconds);
}

Var& Thread::EmptyReturnValue(BinCode& function) {
    MakeEmpty(value_);
    if (const TypeRecord* record = function.GetReturnRecord())
        value_.InitTypeFromRecord(record);
    else
        value_.InitType(function.GetReturnType().c_str());
    return value_;
}

void Thread::Error(const CallFrame* frame, const char* format, ...) {
    va_list args;
    va_start(args, format);
    ErrorV(frame, format, args);
    va_end(args);
}

void Thread::ErrorV(const CallFrame* frame, const char* format, va_list args) {
    lastError_.clear();
    if (!format || !*format) {
        errorFlag_ = false;
        return;
    }
    errorFlag_ = true;
    char message[kMaxMessageLength];
    std::vsnprintf(message, sizeof message, format, args);
    BinCode* function = frame ? frame->GetFunction() : nullptr;
    const char* source = "c-call";
    int line = -1;
    char prefix[kMaxMessageLength];
    if (function) {
        source = function->GetSourceName();
        line = frame->GetLine();
        std::snprintf(prefix, sizeof prefix, "%s(%d) : ", source, line);
    } else {
        std::snprintf(prefix, sizeof prefix, "c-call(---) : ");
    }
    // The message may contain '%' from script texts: it is data here.
    vm_->Error(source, line, "%s", message);
    lastError_ = std::string(prefix) + message;
}

const char* Thread::GetSourceName() const {
    CallFrame* frame = GetCurrentFrame();
    if (!frame || !frame->GetFunction()) return "(unknown)";
    return frame->GetFunction()->GetSourceName();
}

const char* Thread::GetCurrentSource(const Thread* thread) {
    CallFrame* frame = thread ? thread->GetCurrentFrame() : nullptr;
    BinCode* function = frame ? frame->GetFunction() : nullptr;
    MapFile* map = function ? function->GetMapFile() : nullptr;
    return map ? map->GetSourceName() : nullptr;
}

int Thread::GetCurrentLine(const Thread* thread) {
    CallFrame* frame = thread ? thread->GetCurrentFrame() : nullptr;
    return frame ? frame->GetLine() : -1;
}

bool Thread::PushFrame(BinCode* function) {
    if (depth_ + 1 >= kMaxCallDepth) return false;
    std::unique_ptr<CallFrame>& frame = frames_[depth_ + 1];
    if (frame)
        frame->Open(function);
    else
        frame = std::make_unique<CallFrame>(function);
    ++depth_;
    return true;
}

void Thread::PopFrame() {
    if (depth_ == 0) return;
    CallFrame* frame = frames_[depth_].get();
    // Below the depth first: what closing releases no longer sees the frame.
    --depth_;
    if (frame) frame->Close();
}

void Thread::KeepArgumentObject(Var& holder) {
    if (spareCount_ >= kMaxSpareArrays) return;
    VarExtension* object = holder.RawObject();
    if (!object || object->GetClassInfo() != &VarArray::kClassRecord || object->GetRefCount() != 1) return;
    // The holder's reference moves to the spare list, and a plain copy
    // keeps the record; the holder is overwritten next.
    holder.HandOverObject();
    auto* array = static_cast<VarArray*>(object);
    // The elements go now, when the array's end would have let them go.
    array->Empty();
    // A release during Empty may have kept arrays of its own.
    if (spareCount_ < kMaxSpareArrays) spareArrays_[spareCount_++] = array;
    array->Release();
}

bool Thread::CallFunction(ScriptVM& vm, Thread* thread, BinCode* function, bool deferred, const Var* arguments,
                          int count) {
    if (!thread || !function) return false;
    halvo::AutoRef<Thread> keepThread(thread);
    halvo::AutoRef<BinCode> keepFunction(function);
    thread->vm_ = &vm;
    // A thread stopped in the middle of a call keeps its frames; a new call
    // must start clean, or stale frames pile up to the depth limit. Frames
    // of a run still on the native stack stay.
    const int32_t state = thread->state_;
    if ((state == kThreadEnded || state == kThreadIdle) && !thread->IsExecuting()) thread->CloseFrames();
    if (!thread->frames_[0]) thread->frames_[0] = std::make_unique<CallFrame>();
    CallFrame* caller = thread->GetCurrentFrame();
    if (thread->depth_ + 1 >= kMaxCallDepth) {
        thread->Error(caller, "Unable to call script function, because maximal call depth(%d) is reached",
                      static_cast<int>(kMaxCallDepth));
        return false;
    }
    // A script frame's stack holds pending operands (and the argument array
    // of the native that calls here): the call goes above them.
    const uint32_t callerDepth = thread->depth_;
    const uint32_t keptValues = callerDepth == 0 ? 0 : caller->GetCount();
    caller->Truncate(keptValues);
    // One slot at a time: a push may move the stack.
    Var* slot = caller->Push();
    if (slot) {
        *slot = MakeArguments(*thread, arguments, count, deferred);
        slot = caller->Push();
    }
    if (!slot) {
        caller->Truncate(keptValues);
        thread->Error(caller, "Fatal: value stack overflow (%u values)", kMaxStackValues);
        return false;
    }
    slot->SetObject(function);
    caller->enteredFromNative = true;
    thread->PushFrame(function);
    if (deferred) {
        thread->Sleep(0.0f);
        return true;
    }
    bool result = RunThread(thread);
    if (callerDepth > 0 && thread->depth_ <= callerDepth && thread->GetFrame(callerDepth) == caller)
        caller->Truncate(keptValues);
    return result;
}

bool Thread::RunThread(Thread* thread) {
    if (!thread) return false;
    // A handler may drop the last other reference to its own thread.
    halvo::AutoRef<Thread> keep(thread);
    ScriptVM& vm = thread->GetVM();
    if (!vm.EnterRun()) {
        thread->Error(thread->GetCurrentFrame(), "Unable to run script thread, because maximal nesting(%d) is reached",
                      kMaxRunNesting);
        thread->state_ = kThreadEnded;
        return false;
    }
    ++thread->activeRuns_;
    if (DebugHandler* handler = vm.GetDebugHandler()) handler->BeforeExecute(thread);
    bool result = Execute(*thread);
    if (!result || thread->state_ == kThreadRunning) thread->state_ = kThreadEnded;
    if (DebugHandler* handler = vm.GetDebugHandler()) {
        handler->AfterExecute(thread);
        if (thread->state_ == kThreadEnded || thread->state_ == kThreadIdle) handler->ThreadEnded(thread);
    }
    --thread->activeRuns_;
    vm.LeaveRun();
    return result;
}

bool Thread::Run(BinCode* function, bool deferred, const Var* arguments, int count) {
    if (!function) {
        vm_->Output("Invalid function pointer at Thread::Run(...)");
        return false;
    }
    halvo::AutoRef<Thread> keep(this);
    bool result = CallFunction(*vm_, this, function, deferred, arguments, count);
    if (result && (state_ == kThreadSleeping || state_ == kThreadPaused)) vm_->AddThread(this);
    return result;
}

bool Thread::Run(const Var& function) { return Run(ToBinCode(function), false, nullptr, 0); }

bool Thread::RunFunction(Thread* thread, const char* module, const char* name, const Var* arguments, int count) {
    ScriptVM& vm = thread ? thread->GetVM() : ScriptVM::Global();
    BinCode* found = module ? vm.FindModule(module) : nullptr;
    Var* member = found && name ? found->GetMember(name) : nullptr;
    BinCode* function = member ? ToBinCode(*member) : nullptr;
    if (!function || !thread) {
        vm.Output(Format("Script function %s::%s not found", module, name).c_str());
        return false;
    }
    thread->Run(function, false, arguments, count);
    return true;
}

Thread* ToThread(const Var& value) {
    VarExtension* object = value.GetObject();
    return object && object->IsKindOf(Thread::kClassRecord) ? static_cast<Thread*>(object) : nullptr;
}

}  // namespace Vrel
