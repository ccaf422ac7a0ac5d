#pragma once
// Set once the game object is being destroyed: objects destroyed after that
// point (fonts) skip clean-up of libraries that may already be gone. A game
// started again in the same process clears it, so that its objects clean up
// as the first game's did.

namespace halvo {

void MarkProcessShuttingDown();
bool IsProcessShuttingDown();
void ClearProcessShuttingDown();

}  // namespace halvo
