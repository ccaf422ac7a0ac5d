#pragma once
// The folder of the player's saved files: "Tavrin/" inside the user's
// documents folder, created on first start.

#include <string>

// The user folder below `documentsFolder`, ending in '/', created when
// missing (an existing one is fine); empty when it cannot be created.
std::string PrepareUserFolder(const std::string& documentsFolder);
