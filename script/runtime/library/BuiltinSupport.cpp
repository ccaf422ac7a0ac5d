#include "script/runtime/library/BuiltinSupport.h"

#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

namespace Vrel::builtins {

ScriptVM& MachineOf(const t_Interface& call) { return call.thread ? call.thread->GetVM() : ScriptVM::Global(); }

CallFrame* CallingFrame(const t_Interface& call) { return call.thread ? call.thread->GetCurrentFrame() : nullptr; }

void Report(const t_Interface& call, const char* text) {
    const char* source = call.thread ? call.thread->GetSourceName() : "(unknown)";
    MachineOf(call).Error(source, Thread::GetCurrentLine(call.thread), "%s", text);
}

Var* RawArg(const t_Interface& call, int index) {
    if (!call.args || index < 0 || index >= call.count) return nullptr;
    return call.args->GetElement(index);
}

const char* ArgText(const t_Interface& call, int index) {
    const Var* arg = call.GetArg(index);
    return arg ? arg->GetCString() : nullptr;
}

Var CopyOf(const Var* value) {
    Var copy;
    if (value) copy.CopyWithoutConst(value->Followed());
    return copy;
}

void StoreCopy(Var& target, const Var* source) {
    // Copied out first: the source may live inside what target lets go of.
    Var copy = CopyOf(source);
    MakeEmpty(target);
    target.CopyWithoutConst(copy);
}

}  // namespace Vrel::builtins
