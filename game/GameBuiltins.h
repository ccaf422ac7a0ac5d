#pragma once
// Registers the game's star and pulsar animators with the GUI, then binds the
// GUI's script functions and the game's own to the script machine, after
// the core library so that the game's "Sleep" and "Include" replace the
// core's. Safe to call again: a machine that was emptied (test fixtures
// release theirs) gets every binding back, and a name bound again only
// replaces itself.

namespace Vrel {
class ScriptVM;
}

void RegisterGameBuiltins(Vrel::ScriptVM& vm);
