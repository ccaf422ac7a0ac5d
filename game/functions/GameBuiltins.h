#pragma once
// Registers the game's star and pulsar animators with the GUI, then binds the
// GUI's script functions and the game's own to the script machine, after
// the core library so that the game's "Sleep" and "Include" replace the
// core's. Safe to call again: a machine that was emptied (test fixtures
// release theirs) gets every binding back, and a name bound again only
// replaces itself.

#include <span>

namespace Vrel {
class ScriptVM;
namespace detail {
class function_adapter;
}
}  // namespace Vrel

// One script name and the adapter of its native; names that share a native
// share its one adapter.
struct GameBuiltin {
    const char* name;
    Vrel::detail::function_adapter* (*adapter)();
};

// The game's script functions in the order they are bound.
std::span<const GameBuiltin> GameBuiltinTable();

void RegisterGameBuiltins(Vrel::ScriptVM& vm);
