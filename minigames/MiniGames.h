#pragma once
// The mini-games by the names scripts start them with, and the one call
// that hands the game its starter. The program and the test fixtures call
// RegisterMiniGames themselves: a static registration in this library
// would be dropped by the linker.

class MiniGame;

// A new game of that name (exact comparison); null for any other name.
MiniGame* CreateMiniGame(const char* name);
void RegisterMiniGames();
