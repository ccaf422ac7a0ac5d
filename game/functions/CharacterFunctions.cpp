#include "game/functions/CharacterFunctions.h"

#include <cstdint>
#include <string>
#include <tinyxml.h>

#include "game/Game.h"
#include "platform/DataTree.h"

namespace CharacterFunctions {

namespace {

constexpr const char* kNoText = "";

// Compared unsigned: every negative index lies outside too.
bool IsCharacter(int index) { return static_cast<uint32_t>(index) < static_cast<uint32_t>(Game::kCharacterCount); }

bool SetCharacter(int index) {
    Game* game = Game::Current();
    return game && game->SetCharacter(index);
}

}  // namespace

bool SetActiveCharacter(const char* name) {
    const int32_t index = Game::CharacterIndex(name);
    return IsCharacter(index) && SetCharacter(index);
}

int CharacterGet() {
    const Game* game = Game::Current();
    return game ? game->character : 0;
}

bool CharacterChange(int index) { return SetCharacter(index); }

const char* CharacterGetImage(int index) { return IsCharacter(index) ? Game::kCharacterNames[index] : kNoText; }

bool ItemAdd(int character, const char* item, const char* object) {
    Game* game = Game::Current();
    return game && item && game->AddToken(item, character, object != nullptr);
}

bool ItemIsOwned(int character, const char* item) {
    if (!IsCharacter(character) || !item) return false;
    // Read as the inventory stores it: an item name may hold a '/'.
    const std::string inventory = std::string("[PLAYER]/") + Game::kCharacterNames[character] + "/inv/";
    const TiXmlElement* element = DataTree::Resolve(inventory.c_str(), false);
    return element && element->Attribute(DataTree::EncodeName(item).c_str());
}

bool ItemRemove(int character, const char* item) {
    Game* game = Game::Current();
    return game && item && game->RemoveToken(character, item);
}

int CharacterGetItemCount(int character) { return Game::CountInventoryItems(character); }

const char* CharacterGetItem(int character, int n) {
    // Kept until the next call: the adapter copies the text at once.
    static std::string item;
    item = Game::GetInventoryItem(n, character);
    return item.c_str();
}

}  // namespace CharacterFunctions
