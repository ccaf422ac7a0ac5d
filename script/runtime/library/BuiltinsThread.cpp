// The built-ins that act on the calling thread or on other threads. A call
// made without a thread (from native code) changes no thread.

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/library/BuiltinFunctions.h"
#include "script/runtime/library/BuiltinSupport.h"
#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/execution/Scheduler.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

#include <cstdio>
#include <string>
#include <vector>

namespace Vrel::builtins {

namespace {

std::string JoinedText(const t_Interface& call, int first) {
    std::string text;
    for (int i = first; i < call.count; ++i)
        if (const Var* part = call.GetArg(i)) text += part->ToString();
    return text;
}

// The one invalid-parameter message that leaves without a source position:
// straight to the machine's output, with the debugger's context if any.
void ReportNotAFunction(const t_Interface& call, const Var* found) {
    ScriptVM& vm = MachineOf(call);
    std::string text = "Invalid parameter 2: found ";
    text += found ? found->GetTypeName() : "(null)";
    text += " / expected BinCode";
    if (DebugHandler* handler = vm.GetDebugHandler()) {
        if (const char* context = handler->GetContext()) {
            text += " at c-call ";
            text += context;
        }
    }
    vm.Output(text.c_str());
}

// Past the scheduler's cap a script is taken to be starting threads without
// end: the calling thread ends with the message, and nothing is started.
bool RefuseOverTheThreadCap(const t_Interface& call) {
    if (MachineOf(call).GetScheduler().GetCount() < Scheduler::kMaxListedThreads) return false;
    static constexpr const char* kMessage = "ThreadCreate - too many threads: %zu are waiting already; no thread started";
    if (Thread* thread = call.thread) {
        thread->Error(CallingFrame(call), kMessage, Scheduler::kMaxListedThreads);
        thread->SetState(kThreadEnded);
    } else {
        char text[128];
        std::snprintf(text, sizeof text, kMessage, Scheduler::kMaxListedThreads);
        Report(call, text);
    }
    return true;
}

}  // namespace

void SetReturnValue(t_Interface& call) {
    if (call.thread) StoreCopy(call.thread->GetValue(), call.GetArg(0));
}

bool Assert(t_Interface& call) {
    const Var* condition = call.GetArg(0);
    if (!condition || !condition->IsBool()) {
        Report(call, "assert value is not bool");
        return false;
    }
    Thread* thread = call.thread;
    if (thread) ++thread->AssertionsMade();
    bool holds = false;
    condition->ToBool(holds);
    if (holds) return true;
    if (thread) ++thread->AssertionsFailed();
    std::string message = JoinedText(call, 1);
    if (!message.empty()) Report(call, message.c_str());
    if (DebugHandler* handler = MachineOf(call).GetDebugHandler()) handler->AssertFailed(2);
    return false;
}

int AssertThrown(t_Interface& call) { return call.thread ? call.thread->AssertionsFailed() : 0; }

int AssertCount(t_Interface& call) { return call.thread ? call.thread->AssertionsMade() : 0; }

void Debugout(t_Interface& call) {
    std::string text = JoinedText(call, 0);
    MachineOf(call).Notify(text.c_str());
}

int DebugPC(t_Interface& call) {
    CallFrame* frame = CallingFrame(call);
    return frame ? static_cast<int>(frame->pc) : -1;
}

int DebugStackpos(t_Interface& call) {
    CallFrame* frame = CallingFrame(call);
    return frame ? static_cast<int>(frame->GetCount()) : -1;
}

void Stop(t_Interface& call) {
    if (!call.thread) return;
    call.thread->SetState(kThreadIdle);
    StoreCopy(call.thread->GetValue(), call.GetArg(0));
}

void Sleep(t_Interface& call) {
    if (call.count > 1) {
        Report(call, "void Sleep(int Ticks) - has only one optional parameter");
        return;
    }
    float time = 0.0f;
    const Var* ticks = call.GetArg(0);
    if (ticks && ticks->IsNumber()) ticks->ToFloat(time);
    if (call.thread) call.thread->Sleep(time);
}

void Pause(t_Interface& call) {
    if (call.count > 0) {
        Report(call, "void Pause() - no parameters expected");
        return;
    }
    if (call.thread) call.thread->SetState(kThreadPaused);
}

Var ThreadGetCurrent(t_Interface& call) {
    if (call.count > 0) {
        Report(call, "GetCurrentThread() has no parameters");
        return Var();
    }
    return call.thread ? Var(static_cast<VarExtension*>(call.thread)) : Var();
}

Var ThreadCreate(t_Interface& call) {
    const Var* first = call.GetArg(0);
    BinCode* function = first ? ToBinCode(*first) : nullptr;
    if (!function) {
        ReportNotAFunction(call, first);
        return Var();
    }
    if (RefuseOverTheThreadCap(call)) return Var();
    // The started function receives the further arguments, as values: the
    // caller's variables are gone by the time it runs.
    std::vector<Var> arguments(call.count > 1 ? static_cast<size_t>(call.count - 1) : 0);
    for (size_t i = 0; i < arguments.size(); ++i)
        if (const Var* argument = call.GetArg(static_cast<int>(i) + 1)) arguments[i].Assign(*argument);
    halvo::AutoRef<Thread> thread(new Thread(MachineOf(call)));
    if (call.thread) thread->SetLineage(call.thread->GetLineage());
    if (!thread->Run(function, true, arguments.data(), static_cast<int>(arguments.size()))) return Var();
    return Var(static_cast<VarExtension*>(thread.Get()));
}

bool ThreadIsRunning(Var* value) {
    Thread* thread = value ? ToThread(*value) : nullptr;
    return thread && thread->GetState() > kThreadIdle;
}

Var ThreadGetReturnValue(Var* value) {
    Thread* thread = value ? ToThread(*value) : nullptr;
    if (!thread || thread->GetState() != kThreadIdle) return Var();
    return CopyOf(&thread->GetValue());
}

bool ThreadSetValue(Thread* thread, const char* name, Var* value) {
    if (!thread || !name || !*name) return false;
    StoreCopy(*thread->GetThreadValues().GetOrAddMember(name), value);
    return true;
}

Var ThreadGetValue(Thread* thread, const char* name) {
    Var* entry = thread && name ? thread->GetThreadValues().FindMember(name) : nullptr;
    return entry ? CopyOf(entry) : Var();
}

void ThreadStop(Thread* thread, Var* value) {
    if (!thread) return;
    thread->SetState(kThreadIdle);
    StoreCopy(thread->GetValue(), value);
}

void ThreadSleep(Thread* thread, float time) {
    if (thread) thread->Sleep(time);
}

void ThreadResume(Thread* thread) {
    if (thread) thread->Sleep(0.0f);
}

}  // namespace Vrel::builtins
