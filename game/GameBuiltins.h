#pragma once
// Binds the game's script functions to the script machine, after the core
// library so that the game's "Sleep" and "Include" replace the core's.

#include <span>

namespace Vrel {
class ScriptVM;
namespace detail {
class function_adapter;
}
}  // namespace Vrel

struct GameBuiltin {
    const char* name;
    Vrel::detail::function_adapter* (*adapter)();
};

std::span<const GameBuiltin> GameBuiltinTable();

void RegisterGameBuiltins(Vrel::ScriptVM& vm);
