#pragma once
// How a plain name reaches its variable: the thread's values first, then
// the function and its enclosing modules outwards, then the natives. The
// cached form remembers the answer per instruction while nothing that could
// change it has changed.

#include "script/runtime/values/t_Named.h"

#include <cstdint>

namespace Vrel {

class BinCode;
class CallFrame;
class ScriptVM;
class Thread;
class Var;
class VarExtension;

// The last by-name look-up of one instruction: valid for this function on
// this thread's values while the member layout generation stays the same.
struct NameCache {
    uint64_t generation = ~uint64_t{0};
    const void* function = nullptr;
    const void* threadValues = nullptr;
    Var* variable = nullptr;
    // The module the look-up had to keep alive, null when the frame holds
    // it anyway.
    VarExtension* pin = nullptr;
    // Found among the thread's own values: then the answer is that
    // thread's alone.
    bool inThreadValues = false;
};

// The member a by-name member push reached in the structure it found,
// valid for that structure while the generation stays the same.
struct MemberCache {
    uint64_t generation = ~uint64_t{0};
    const VarExtension* structure = nullptr;
    Var* member = nullptr;
};

// The variable name reaches from frame's function, and the scope that must
// stay alive while a reference to it is held (null: none found).
Var* LookUpByName(Thread& thread, CallFrame& frame, ScriptVM& vm, const char* name, BinCode*& scopeToPin);

// The cached variable when the cache still answers for this function, these
// thread values and this generation; null when it must look again. A name
// found outside the thread values is found alike by every thread that has
// no values of its own: threads running one function share the answer.
inline Var* CacheHit(const NameCache& cache, const void* function, const t_Named& threadValues, uint64_t generation) {
    if (cache.generation != generation || cache.function != function) return nullptr;
    if (cache.threadValues == &threadValues) return cache.variable;
    return !cache.inThreadValues && threadValues.GetMembers().empty() ? cache.variable : nullptr;
}

// LookUpByName through cache; the cached pin is null when the frame keeps
// the scope alive anyway.
Var* CachedLookUp(NameCache& cache, Thread& thread, CallFrame& frame, ScriptVM& vm, const char* name,
                  uint64_t generation);

// The member of the plain structure variable holds, through cache; null
// when the variable holds no plain structure or the structure lacks it.
Var* CachedMember(MemberCache& cache, Var& variable, const char* member, uint64_t generation);

}  // namespace Vrel
