#pragma once
// Shared by the value tests: a script machine with its types registered,
// and short ways to make values.

#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarString.h"

#include <initializer_list>
#include <string>

namespace valuetest {

inline void EnsureTypes() { Vrel::ScriptVM::Global(); }

inline Vrel::Var Int(int v) { return Vrel::Var(v); }
inline Vrel::Var Float(float v) { return Vrel::Var(v); }
inline Vrel::Var Bool(bool v) { return Vrel::Var(v); }
inline Vrel::Var Const(const char* text) {
    Vrel::Var v;
    v.SetStringConst(text);
    return v;
}
inline Vrel::Var Str(const char* text) { return Vrel::Var(text); }

inline Vrel::Var Array(std::initializer_list<Vrel::Var> elements) {
    auto* array = new Vrel::VarArray;
    array->Resize(static_cast<int>(elements.size()));
    int i = 0;
    for (const Vrel::Var& e : elements) array->GetAt(i++)->Assign(e);
    return Vrel::Var(static_cast<Vrel::VarExtension*>(array));
}

inline std::string Text(const Vrel::Var& v) { return v.ToString(); }

}  // namespace valuetest
