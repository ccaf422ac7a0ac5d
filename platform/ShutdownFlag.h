#pragma once
// Set once the game object is being destroyed and never cleared: objects
// destroyed after that point (fonts) skip clean-up of libraries that may
// already be gone.

namespace halvo {

void MarkProcessShuttingDown();
bool IsProcessShuttingDown();

}  // namespace halvo
