#include "script/runtime/execution/NameLookUp.h"

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/t_Named.h"

namespace Vrel {

Var* LookUpByName(Thread& thread, CallFrame& frame, ScriptVM& vm, const char* name, BinCode*& scopeToPin) {
    scopeToPin = nullptr;
    if (Var* value = thread.GetThreadValues().FindMember(name)) return value;
    BinCode* scope = frame.GetFunction();
    for (int hop = 0; scope && hop < kMaxModuleNesting; ++hop, scope = scope->GetParent()) {
        if (Var* member = scope->GetMember(name)) {
            scopeToPin = scope;
            return member;
        }
    }
    Var* bindMember = vm.GetRootModule()->GetMember("~bind");
    BinCode* bind = bindMember ? ToBinCode(*bindMember) : nullptr;
    Var* native = bind ? bind->GetMember(name) : nullptr;
    if (native) scopeToPin = bind;
    return native;
}

Var* CachedLookUp(NameCache& cache, Thread& thread, CallFrame& frame, ScriptVM& vm, const char* name,
                  uint64_t generation) {
    BinCode* function = frame.GetFunction();
    t_Named& threadValues = thread.GetThreadValues();
    if (Var* cached = CacheHit(cache, function, threadValues, generation)) return cached;
    BinCode* scope = nullptr;
    Var* variable = LookUpByName(thread, frame, vm, name, scope);
    if (!variable) return nullptr;
    const bool inThreadValues = scope == nullptr;
    // The frame holds its function and outermost module for the whole
    // call: pinning them again per statement buys nothing.
    if (scope == function || scope == frame.GetModule()) scope = nullptr;
    cache = {generation, function, &threadValues, variable, scope, inThreadValues};
    return variable;
}

Var* CachedMember(MemberCache& cache, Var& variable, const char* member, uint64_t generation) {
    // Only plain structures: other objects answer members their own way.
    VarExtension* object = variable.Followed().GetObject();
    if (!object || object->GetClassInfo() != &t_Named::kClassRecord) return nullptr;
    if (cache.generation != generation || cache.structure != object) {
        Var* found = static_cast<t_Named*>(object)->FindMember(member);
        if (!found) return nullptr;
        cache = {generation, object, found};
    }
    return cache.member;
}

}  // namespace Vrel
