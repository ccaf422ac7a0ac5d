#pragma once
// What a bind value holds: the adapter of one native function, and the
// argument record the interpreter hands it. Adapters live as long as the
// program; a bind value adds a reference and never releases it.

#include "platform/RefObj.h"

#include <cstdint>

namespace Vrel {

class Thread;
class Var;

// The arguments of one native call. thread may be null for calls that no
// script thread makes; args holds the argument array.
struct t_Interface {
    Thread* thread = nullptr;
    int32_t count = 0;
    Var* args = nullptr;

    // Argument index with one reference followed and a declaration made an
    // empty value of its type; null when there is no such argument.
    Var* GetArg(int index) const;
};

}  // namespace Vrel

namespace Vrel::detail {

class function_adapter : public halvo::RefObj {
public:
    ~function_adapter() override = default;
    // Converts the arguments, calls the native function and stores the
    // wrapped result into result, which arrives empty. Answers result.
    virtual Var* Call(Var* result, t_Interface& args) = 0;
};

}  // namespace Vrel::detail
