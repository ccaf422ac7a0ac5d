#include "game/functions/GameFlagFunctions.h"

#include "game/Game.h"

namespace GameFlagFunctions {

namespace {

void Toggle(bool Game::*flag) {
    if (Game* game = Game::Current()) game->*flag = !(game->*flag);
}

void SetHudInput(bool enable) {
    if (Game* game = Game::Current()) game->SetHudInput(enable);
}

}  // namespace

void GamePause(bool paused) {
    if (Game* game = Game::Current()) game->paused = paused;
}

float GetHelpFactor() {
    const Game* game = Game::Current();
    return game ? game->helpFactor : 0.0f;
}

bool IsHudEnabled() {
    const Game* game = Game::Current();
    return game && game->hudInputEnabled;
}

void DisableHud() { SetHudInput(false); }

void EnableHud() { SetHudInput(true); }

void ToggleCheatAutoplay() { Toggle(&Game::cheatAutoPlay); }

void ToggleCheatHotspots() { Toggle(&Game::cheatShowHotspots); }

void ToggleCheatQuickHelp() { Toggle(&Game::cheatQuickHelp); }

}  // namespace GameFlagFunctions
