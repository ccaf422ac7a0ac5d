#include "script/runtime/library/ArgumentConversion.h"

#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/Var.h"

namespace Vrel {

void ReportParameterTypeError(Thread* thread, const Var* value, int index, const char* expected) {
    ScriptVM& vm = thread ? thread->GetVM() : ScriptVM::Global();
    const char* source = thread ? thread->GetSourceName() : "(unknown)";
    vm.Error(source, Thread::GetCurrentLine(thread), "Invalid parameter %d: found %s / expected %s", index + 1,
             value ? value->GetTypeName() : "(null)", TextOrUnknown(expected));
}

void ReportParameterTypeError(const Var* value, int index, const char* expected, Thread* thread) {
    ReportParameterTypeError(thread, value, index, expected);
}

namespace detail {

int ArgToIntSlow(const Var* arg, int index, Thread* thread) {
    if (!arg) return 0;
    if (!arg->IsNumber()) {
        ReportParameterTypeError(thread, arg, index, "int");
        return 0;
    }
    return arg->AsInt();
}

float ArgToFloat(const Var* arg, int index, Thread* thread) {
    float value = 0.0f;
    if (!arg) return value;
    if (!arg->IsNumber()) {
        ReportParameterTypeError(thread, arg, index, "float");
        return value;
    }
    arg->ToFloat(value);
    return value;
}

bool ArgToBool(const Var* arg, int index, Thread* thread) {
    bool value = false;
    if (!arg) return value;
    if (!arg->IsBool() && !arg->IsInt()) {
        ReportParameterTypeError(thread, arg, index, "bool");
        return value;
    }
    arg->ToBool(value);
    return value;
}

const char* ArgToTextSlow(const Var* arg, int index, Thread* thread) {
    if (!arg) return nullptr;
    const char* text = arg->GetCString();
    if (!text) ReportParameterTypeError(thread, arg, index, "string");
    return text;
}

Var* ArgToVar(Var* arg, int, Thread*) { return arg; }

VarExtension* ArgToObject(const Var* arg, int index, Thread* thread, const ClassRecord& cls) {
    if (!arg || !arg->IsObject()) {
        ReportParameterTypeError(thread, arg, index, "AutoRef*");
        return nullptr;
    }
    VarExtension* object = arg->GetObject();
    return object && object->IsKindOf(cls) ? object : nullptr;
}

}  // namespace detail

}  // namespace Vrel
