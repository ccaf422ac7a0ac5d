#pragma once
// The short ways the interpreter and its compiled blocks take with plain
// numbers, each doing exactly what the general operation does on them.

#include "script/runtime/values/Var.h"

namespace Vrel {

inline bool IsPlainNumberTag(uint32_t tag) { return tag == kTagInt || tag == kTagFloat || tag == kTagBool; }

// What the typed assignment of a parameter does with a number of the
// variable's own kind: most parameters are numbers passed as numbers.
inline bool AssignParameterNumber(Var& target, const Var& value) {
    if (target.GetTag() != value.GetTag() || !IsPlainNumberTag(value.GetTag()) || target.HasAutoFlag()) return false;
    const bool wasConst = target.HasConstFlag();
    target.Assign(value);
    target.SetConstFlag(wasConst);
    return true;
}

// What "=" does with a number over a number of its own kind: the plain
// copy, keeping the variable's auto bit and clearing const.
inline bool AssignNumber(Var& target, const Var& value) {
    const uint32_t tag = target.GetTag();
    if (target.HasConstFlag() || !IsPlainNumberTag(tag) || tag != value.GetTag()) return false;
    const bool wasAuto = target.HasAutoFlag();
    target.Assign(value);
    if (wasAuto) target.SetAutoFlag(true);
    target.SetConstFlag(false);
    return true;
}

}  // namespace Vrel
