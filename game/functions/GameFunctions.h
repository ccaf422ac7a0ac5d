#pragma once
// The game's own versions of the general script functions: sleeping in
// seconds, and including a module from the game's "scripts/" folder.

#include "script/runtime/library/FunctionAdapter.h"

namespace GameFunctions {

// "Sleep"(seconds): exactly one argument; the calling thread sleeps
// seconds x 1000 ms (a value that is no number sleeps 0 ms). Any other
// count is reported and the thread runs on. The result is nil.
Vrel::Var Sleep(Vrel::t_Interface& call);
// "Include"(module): Game::RunInclude.
bool Include(const char* module);

}  // namespace GameFunctions
