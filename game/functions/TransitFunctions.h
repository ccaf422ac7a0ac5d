#pragma once
// The script functions that move the player between scenes and menus:
// transit with its saving, the way back to the main menu, ending or
// continuing the game, and quitting. Each checks its arguments and leaves
// the work to the game.

#include "script/runtime/library/FunctionAdapter.h"

namespace TransitFunctions {

// "Transit"(scene): Game::Transit; further arguments are ignored. Script
// after the call never runs.
void Transit(Vrel::t_Interface& call);
// "ShowMainMenu" (arguments ignored): Game::ShowMainMenu. Script after the
// call never runs.
void ShowMainMenu(Vrel::t_Interface& call);
// "GameOver" (arguments ignored): the end of the story, Game::EndStory.
// Script after the call never runs.
void GameOver(Vrel::t_Interface& call);
// "GameStateEnd": Game::EndGameState; "ContinueGame": Game::ContinueGame,
// false when the saved game could not go on (the main menu is then shown
// afresh, for the caller to tell the player).
void GameStateEnd();
bool ContinueGame();
// True with an open profile whose "[PLAYER]/LastScene" has two or more
// characters; a story ended by "GameOver" has none.
bool CanContinueGame();
// Game::CanStartNewGame: whether the campaign can start a new game; false
// with its cause on standard error.
bool CanStartNewGame();
// Ends the main loop at its next pass and saves the settings (not the
// player document).
void QuitGame();

}  // namespace TransitFunctions
