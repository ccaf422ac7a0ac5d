// The built-ins that inspect, convert and size values.

#include "script/runtime/library/BuiltinFunctions.h"
#include "script/runtime/library/BuiltinSupport.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarExtension.h"

namespace Vrel::builtins {

namespace {

// The member GetMember and HasMember look at, or null.
Var* FindObjectMember(const t_Interface& call) {
    if (call.count < 2) return nullptr;
    const Var* holder = call.GetArg(0);
    VarExtension* object = holder ? holder->GetObject() : nullptr;
    const char* name = ArgText(call, 1);
    return object && name ? object->GetMember(name) : nullptr;
}

}  // namespace

const char* TypeName(t_Interface& call) {
    const Var* value = call.GetArg(0);
    if (!value) return "(null)";
    const char* name = value->GetTypeName();
    return name ? name : "(internal)";
}

Var GetMember(t_Interface& call) {
    Var* member = FindObjectMember(call);
    return member ? CopyOf(member) : Var();
}

bool HasMember(t_Interface& call) { return FindObjectMember(call) != nullptr; }

bool IsNil(t_Interface& call) {
    const Var* value = call.GetArg(0);
    if (!value) return true;
    if (value->GetTag() == kTagReference && !value->GetReferenced()) return true;
    return value->IsNil();
}

Var ToStringValue(Var* value) {
    if (!value) return Var();
    return Var(value->ToString().c_str());
}

float ToFloatValue(Var* value) {
    float result = 0.0f;
    if (value && !value->ToFloat(result)) result = 0.0f;
    return result;
}

int ToIntValue(Var* value) {
    int result = 0;
    if (value && !value->ToInt(result)) result = 0;
    return result;
}

bool ToBoolValue(Var* value) {
    bool result = false;
    if (value && !value->ToBool(result)) result = false;
    return result;
}

bool SetSize(t_Interface& call) {
    if (call.count < 2) {
        Report(call, "SetSize must be called at least with two parameters");
        return false;
    }
    const Var* first = RawArg(call, 0);
    Var* variable = first ? first->GetReferenced() : nullptr;
    if (!variable) {
        Report(call, "SetSize: LValue expected as first parameter");
        return false;
    }
    const Var* size = call.GetArg(1);
    const char* failure = VarArray::SetSizeOf(variable->Followed(), size ? *size : Var::SharedEmpty());
    if (failure) Report(call, failure);
    return !failure;
}

int GetSize(t_Interface& call) {
    if (call.count != 1) {
        Report(call, "GetSize must be called with an array");
        return 0;
    }
    const Var* value = call.GetArg(0);
    return value ? value->GetCount() : 0;
}

}  // namespace Vrel::builtins
