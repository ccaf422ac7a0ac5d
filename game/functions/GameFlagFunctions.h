#pragma once
// The script functions that read and switch the game's flags: pause, the
// help factor, whether the HUD takes input, and the three cheats.

namespace GameFlagFunctions {

// Stored as given; countdowns, help time and mini-games stand still while set.
void GamePause(bool paused);
float GetHelpFactor();
bool IsHudEnabled();
void DisableHud();
void EnableHud();
void ToggleCheatAutoplay();
void ToggleCheatHotspots();
void ToggleCheatQuickHelp();

}  // namespace GameFlagFunctions
