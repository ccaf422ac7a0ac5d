#pragma once
// The script functions that fade the picture to black and back. The game's
// step moves the fade level; these only set its speed, and the waiting forms
// put the calling thread to sleep for the fade's length.

#include "script/runtime/library/FunctionAdapter.h"

namespace FadeFunctions {

// "Fade"(direction, seconds): towards black for a direction other than 0,
// back to the picture for 0, over the seconds (the game's default fade time
// for exactly 0). Answers the seconds used; the caller does not wait.
float Fade(int direction, float seconds);
// "FadeOut" and "FadeIn" (arguments ignored): over the default fade time,
// the calling thread sleeping that long.
void FadeOut(Vrel::t_Interface& call);
void FadeIn(Vrel::t_Interface& call);

}  // namespace FadeFunctions
