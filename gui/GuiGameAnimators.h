#pragma once
// The game's own animator kinds, "StarAnimator" and "Pulsar": the game
// registers them into the GUI manager once at start-up.

namespace halvo {

void RegisterGameAnimators();

}  // namespace halvo
