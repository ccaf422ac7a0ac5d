#include "gui/GuiScriptArgs.h"

#include "gui/GuiWidget.h"
#include "script/runtime/library/BuiltinSupport.h"

namespace halvo {

GuiWidget* WidgetArg(const Vrel::t_Interface& call, int index) {
    const Vrel::Var* arg = call.GetArg(index);
    Vrel::VarExtension* object = arg ? arg->GetObject() : nullptr;
    return CastTo<GuiWidget>(object);
}

const char* TextArg(const Vrel::t_Interface& call, int index) { return Vrel::builtins::ArgText(call, index); }

Vrel::Var* VariableArg(const Vrel::t_Interface& call, int index) {
    const Vrel::Var* raw = Vrel::builtins::RawArg(call, index);
    Vrel::Var* variable = raw ? raw->GetReferenced() : nullptr;
    return variable ? &variable->Followed() : nullptr;
}

float NumberArg(const Vrel::t_Interface& call, int index) {
    const Vrel::Var* arg = call.GetArg(index);
    float number = 0.0f;
    if (!arg || !arg->IsNumber() || !arg->ToFloat(number)) return 0.0f;
    return number;
}

bool TruthArg(const Vrel::t_Interface& call, int index) {
    const Vrel::Var* arg = call.GetArg(index);
    bool truth = false;
    if (!arg || !arg->ToBool(truth)) return false;
    return truth;
}

void FillPairs(const Vrel::t_Interface& call, int first, Vrel::t_Named& into) {
    for (int i = first; i + 1 < call.count; i += 2) {
        const char* name = TextArg(call, i);
        if (!name) continue;
        const Vrel::Var* value = call.GetArg(i + 1);
        Vrel::builtins::StoreCopy(*into.GetOrAddMember(name), value);
    }
}

Vrel::Var ObjectResult(Vrel::VarExtension* object) { return object ? Vrel::Var(object) : Vrel::Var(); }

}  // namespace halvo
