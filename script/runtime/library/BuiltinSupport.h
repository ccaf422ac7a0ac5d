#pragma once
// Shared steps of the built-in functions that take the whole call: where
// their messages go and how they read their arguments.

#include "script/runtime/library/FunctionAdapter.h"

namespace Vrel {

class CallFrame;
class ScriptVM;

namespace builtins {

// The machine of the calling thread; the process's machine for calls that
// no thread makes.
ScriptVM& MachineOf(const t_Interface& call);
// The calling thread's current frame, or null.
CallFrame* CallingFrame(const t_Interface& call);
// Reports text (taken as it is, never as a format) at the calling script
// position: "%s(%d) : " with its source name and line, -1 when unknown.
void Report(const t_Interface& call, const char* text);
// Argument index as the call passed it: no reference followed.
Var* RawArg(const t_Interface& call, int index);
// The text of argument index: a string constant, an object's text, or the
// text a reference reaches; null for anything else.
const char* ArgText(const t_Interface& call, int index);
// An independent copy: references followed, the const bit dropped.
Var CopyOf(const Var* value);
// Stores a copy of source into target, which keeps no flag of its own.
void StoreCopy(Var& target, const Var* source);

}  // namespace builtins

}  // namespace Vrel
