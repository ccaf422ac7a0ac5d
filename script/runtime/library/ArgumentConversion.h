#pragma once
// Conversion of script arguments to native parameter types. A missing
// argument takes the type's default silently (pointer types excepted); one
// that does not fit is reported as "Invalid parameter %d: found %s /
// expected %s" and takes the default too, and the native still runs.

#include "platform/ClassRecord.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/VarExtension.h"

namespace Vrel {

class Thread;
class VarExtension;

// The report at the thread's current position: its running function's
// source name ("(unkown)" without line map, "(unknown)" without frame) and
// the line of the call (-1 when there is none). index counts
// from 0; a missing value is "(null)".
void ReportParameterTypeError(Thread* thread, const Var* value, int index, const char* expected);
// The same with the arguments in the order the game's code passes them.
void ReportParameterTypeError(const Var* value, int index, const char* expected, Thread* thread);

namespace detail {

// int or float, also through references; floats truncate.
int ArgToIntSlow(const Var* arg, int index, Thread* thread);
inline int ArgToInt(const Var* arg, int index, Thread* thread) {
    if (arg && arg->GetTag() == kTagInt) return arg->RawInt();
    return ArgToIntSlow(arg, index, thread);
}
// int or float, also through references.
float ArgToFloat(const Var* arg, int index, Thread* thread);
// bool or int, also through references.
bool ArgToBool(const Var* arg, int index, Thread* thread);
// A string constant, a text object, or either through references; null for
// anything without text.
const char* ArgToTextSlow(const Var* arg, int index, Thread* thread);
inline const char* ArgToText(const Var* arg, int index, Thread* thread) {
    // A string constant or a text object the argument holds itself is read
    // without following references.
    const char* text = nullptr;
    if (arg && arg->GetTag() == kTagStringConst) {
        text = arg->RawText();
    } else if (arg && arg->GetTag() == kTagObject) {
        const VarExtension* object = arg->RawObject();
        if (object) text = object->GetCString();
    }
    return text ? text : ArgToTextSlow(arg, index, thread);
}
// The value itself; never refused.
Var* ArgToVar(Var* arg, int index, Thread* thread);
// The object of an object value when its class is cls; an object of another
// class or a null object gives null silently; a missing argument or one that
// is no object value is reported with "AutoRef*".
VarExtension* ArgToObject(const Var* arg, int index, Thread* thread, const ClassRecord& cls);

}  // namespace detail

}  // namespace Vrel
