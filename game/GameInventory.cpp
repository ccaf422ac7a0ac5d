// The playable character and each character's inventory of tokens, kept as
// the attributes of "[PLAYER]/<character>/inv/" in the order they came. The
// tokens are attribute names written through DataTree::EncodeName, so any
// name a script gives ("1st key") survives a save and a reload.

#include <cstring>
#include <string>
#include <tinyxml.h>

#include "game/screens/AdventureScreen.h"
#include "game/Game.h"
#include "game/scene/Scene.h"
#include "game/screens/SceneScreen.h"
#include "gui/GuiWidget.h"
#include "platform/DataTree.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

namespace {

constexpr const char* kCurrentCharKey = "[PLAYER]/CurrentChar";
constexpr const char* kInventoryModule = "inventory";
constexpr const char* kCharacterModule = "character";
constexpr const char* kCharacterChangeFunction = "OnCharacterChange";
constexpr const char* kAddTokenFunction = "AddToken";
constexpr const char* kRemoveTokenFunction = "RemoveToken";
// Where a token comes from when it does not fly in.
constexpr Vec2 kNoFlight{-1.0f, -1.0f};

// Negative indexes are refused like those past the table.
bool IsCharacter(int32_t character) { return character >= 0 && character < Game::kCharacterCount; }

TiXmlElement* Inventory(int32_t character, bool create) {
    if (!IsCharacter(character)) return nullptr;
    const std::string path = std::string("[PLAYER]/") + Game::kCharacterNames[character] + "/inv/";
    return DataTree::Resolve(path.c_str(), create);
}

void RunOnNewThread(const char* module, const char* function, const Vrel::Var* arguments, int count) {
    halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
    Vrel::Thread::RunFunction(thread.Get(), module, function, arguments, count);
}

}  // namespace

bool Game::SetCharacter(int32_t index) {
    if (!IsCharacter(index)) return false;
    if (index == character) return true;
    halvo::AutoRef<Game> self(this);
    const int32_t previous = character;
    character = index;
    DataTree::SetInt(kCurrentCharKey, index);
    const Vrel::Var arguments[2] = {Vrel::Var(index), Vrel::Var(previous)};
    for (const char* module : {kCharacterModule, kInventoryModule})
        if (Vrel::ScriptVM::Global().HasFunction(module, kCharacterChangeFunction))
            RunOnNewThread(module, kCharacterChangeFunction, arguments, 2);
    return true;
}

int32_t Game::CharacterIndex(const char* name) {
    if (!name) return kCharacterCount;
    for (int32_t i = 0; i < kCharacterCount; ++i)
        if (std::strcmp(kCharacterNames[i], name) == 0) return i;
    return kCharacterCount;
}

int32_t Game::CountInventoryItems(int32_t character) {
    const TiXmlElement* inventory = Inventory(character, false);
    int32_t count = 0;
    for (const TiXmlAttribute* a = inventory ? inventory->FirstAttribute() : nullptr; a; a = a->Next()) ++count;
    return count;
}

std::string Game::GetInventoryItem(int32_t index, int32_t character) {
    const TiXmlElement* inventory = Inventory(character, false);
    if (!inventory || index < 0) return {};
    const TiXmlAttribute* a = inventory->FirstAttribute();
    for (int32_t i = 0; a && i < index; ++i) a = a->Next();
    return a ? DataTree::DecodeName(a->Name()) : std::string();
}

bool Game::AddToken(const char* token, int32_t character, bool flyIn) {
    if (!IsCharacter(character)) return false;
    if (!token) return true;
    const std::string name = DataTree::EncodeName(token);
    TiXmlElement* inventory = Inventory(character, true);
    // A token past the bounds of the player's file is not kept (and said so
    // on the log); it is neither shown nor told to the scripts.
    if (!inventory || inventory->Attribute(name.c_str()) || !DataTree::SetAttribute(inventory, name, "1")) return true;
    halvo::AutoRef<Game> self(this);
    Vec2 start = kNoFlight;
    const AdventureScreen* adventure = AdventureScreen::Shown(*this);
    const Scene* scene = adventure ? adventure->GetScene() : nullptr;
    const SceneObject* object = flyIn && scene ? scene->FindObject(token) : nullptr;
    halvo::GuiWidget* hud = GetHudGui();
    if (object && hud) start = hud->ScreenToLocal(object->hotSpot.Center() - adventure->GetScroll());
    const Vrel::Var arguments[4] = {Vrel::Var(character), Vrel::Var(token), Vrel::Var(start.x), Vrel::Var(start.y)};
    RunOnNewThread(kInventoryModule, kAddTokenFunction, arguments, 4);
    return true;
}

bool Game::RemoveToken(int32_t character, const char* token) {
    TiXmlElement* inventory = Inventory(character, false);
    if (!inventory || !token) return false;
    const std::string name = DataTree::EncodeName(token);
    if (!DataTree::RemoveAttribute(inventory, name)) return false;
    halvo::AutoRef<Game> self(this);
    const Vrel::Var arguments[2] = {Vrel::Var(character), Vrel::Var(token)};
    RunOnNewThread(kInventoryModule, kRemoveTokenFunction, arguments, 2);
    return true;
}
