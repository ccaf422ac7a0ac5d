#pragma once
// The core built-in library: the native functions every script can call
// without loading anything. Registered by ScriptVM::Initialize, before the
// game adds its own functions (a later registration of a name wins).

namespace Vrel {

class ScriptVM;

void RegisterBuiltins(ScriptVM& vm);

}  // namespace Vrel
