#pragma once
// The script functions for the playable characters and their inventories.
// A character is an index into the game's character table (0 to 3);
// anything outside it is refused with the empty result.

namespace CharacterFunctions {

// False for a name not in the character table.
bool SetActiveCharacter(const char* name);
int CharacterGet();
bool CharacterChange(int index);
// The table's name; empty outside it.
const char* CharacterGetImage(int index);
// The object names the adventure scene's object the item flies in from; no
// text means no flight.
bool ItemAdd(int character, const char* item, const char* object);
// False outside the table.
bool ItemIsOwned(int character, const char* item);
bool ItemRemove(int character, const char* item);
int CharacterGetItemCount(int character);
// The n-th item in the order they were added; empty for none.
const char* CharacterGetItem(int character, int n);

}  // namespace CharacterFunctions
