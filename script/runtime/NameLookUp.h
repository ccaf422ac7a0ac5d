#pragma once
// How a plain name reaches its variable: the thread's values first, then
// the function and its enclosing modules outwards, then the natives. The
// cached form remembers the answer per instruction while nothing that could
// change it has changed.

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
// thread values and this generation; null when it must look again.
inline Var* CacheHit(const NameCache& cache, const void* function, const void* threadValues, uint64_t generation) {
    const bool valid =
        cache.generation == generation && cache.function == function && cache.threadValues == threadValues;
    return valid ? cache.variable : nullptr;
}

// LookUpByName through cache; the cached pin is null when the frame keeps
// the scope alive anyway.
Var* CachedLookUp(NameCache& cache, Thread& thread, CallFrame& frame, ScriptVM& vm, const char* name,
                  uint64_t generation);

// The member of the plain structure variable holds, through cache; null
// when the variable holds no plain structure or the structure lacks it.
Var* CachedMember(MemberCache& cache, Var& variable, const char* member, uint64_t generation);

}  // namespace Vrel
