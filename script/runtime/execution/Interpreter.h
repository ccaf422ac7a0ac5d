#pragma once
// The bytecode interpreter.

namespace Vrel {

class Thread;

// Runs the thread's current frame until the thread leaves the running
// state, returns to a native caller, or runs off the end of its code. True
// when it stopped in order, false after an error (reported on the thread).
bool Execute(Thread& thread);

}  // namespace Vrel
