#pragma once
// The script functions that move the player between the game and its menus.

#include "script/runtime/FunctionAdapter.h"

namespace TransitFunctions {

// "ShowMainMenu" and "GameOver" (arguments ignored): the current scene
// screen leaves the tree, every scheduled thread stops, the HUD gets an
// empty frame, the calling thread ends, the settings are saved, the open
// profile is read back from its file (dropping what the player gained since
// it was last saved) and the main menu opens. Script after the call never
// runs.
void ShowMainMenu(Vrel::t_Interface& call);

}  // namespace TransitFunctions
