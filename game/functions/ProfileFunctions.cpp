#include "game/functions/ProfileFunctions.h"

#include <string>

#include "game/screens/AdventureScreen.h"
#include "game/Game.h"
#include "game/scene/Scene.h"
#include "game/screens/SceneScreen.h"
#include "platform/DataTree.h"
#include "platform/Loca.h"
#include "script/runtime/library/BuiltinSupport.h"
#include "script/runtime/library/DataTreeVar.h"
#include "script/runtime/values/VarUnicode.h"

namespace ProfileFunctions {

namespace {

constexpr const char* kValuesPrefix = "[PLAYER]/Data/";
constexpr const char* kScenesPrefix = "[PLAYER]/scenes/";

std::string ValuePath(const char* key) { return std::string(kValuesPrefix) + key; }

std::string HotspotPath(const std::string& scene, const char* hotspot) {
    return kScenesPrefix + scene + "/" + hotspot;
}

// The scene of the adventure screen under the root; empty without one.
std::string AdventureSceneName() {
    const Game* game = Game::Current();
    const AdventureScreen* screen = game ? AdventureScreen::Shown(*game) : nullptr;
    const Scene* scene = screen ? screen->GetScene() : nullptr;
    return scene ? scene->name : std::string();
}

// The scene argument at `index` when the call has one (null when it is no
// text), else the shown adventure scene (null without one).
bool SceneArgument(const Vrel::t_Interface& call, int index, std::string& scene) {
    if (call.count > index) {
        const char* text = Vrel::builtins::ArgText(call, index);
        scene = text ? text : "";
        return text != nullptr;
    }
    scene = AdventureSceneName();
    return !scene.empty();
}

// A profile name given as unicode, or as 8-bit text widened byte by byte.
bool ProfileName(const Vrel::Var* argument, std::u16string& name) {
    if (!argument) return false;
    if (const Vrel::VarUnicode* unicode = Vrel::ToVarUnicode(argument->Followed())) {
        name.assign(unicode->GetText());
        return true;
    }
    const char* text = argument->GetCString();
    if (!text) return false;
    name = WidenBytes(text);
    return true;
}

}  // namespace

// ---- saved values -----------------------------------------------------------------

void SetValue(Vrel::t_Interface& call) {
    const char* key = call.count == 2 ? Vrel::builtins::ArgText(call, 0) : nullptr;
    const Vrel::Var* value = call.GetArg(1);
    if (!key || !value) {
        Vrel::builtins::Report(call, "SetValue() - bad parameters");
        return;
    }
    DataTree::SetVar(ValuePath(key).c_str(), *value);
}

Vrel::Var GetValue(Vrel::t_Interface& call) {
    const char* key = call.count == 1 ? Vrel::builtins::ArgText(call, 0) : nullptr;
    Vrel::Var result;
    if (!key) {
        Vrel::builtins::Report(call, "GetValue() - bad parameters");
        return result;
    }
    DataTree::GetVar(ValuePath(key).c_str(), result);
    return result;
}

// ---- settings ---------------------------------------------------------------------

float OptionsGetFloat(const char* path) { return path ? DataTree::GetFloat(path) : 0.0f; }

bool OptionsSetFloat(const char* path, float value) { return path && DataTree::SetFloat(path, value); }

int32_t OptionsGetInt(const char* path) { return path ? DataTree::GetInt(path) : 0; }

bool OptionsSetInt(const char* path, int32_t value) { return path && DataTree::SetInt(path, value); }

const char* OptionsGetString(const char* path) {
    const char* text = path ? DataTree::GetString(path) : nullptr;
    return text ? text : "";
}

bool OptionsSetString(const char* path, const char* value) {
    return path && value && DataTree::SetString(path, value);
}

void OptionsSave(int32_t) { DataTree::SaveGameData(); }

// ---- profiles ---------------------------------------------------------------------

Vrel::Var GetPlayerName(int32_t slot) {
    std::u16string name;
    if (!DataTree::ProfileExists(slot, name)) return Vrel::Var();
    return Vrel::Var(new Vrel::VarUnicode(std::vector<char16_t>(name.begin(), name.end())));
}

int32_t GetCurrentProfileSlot() { return DataTree::GetCurrentSlot(); }

bool SetCurrentProfileSlot(int32_t slot) { return DataTree::OpenProfile(slot); }

bool DeleteProfile(int32_t slot) { return DataTree::DeleteProfile(slot); }

bool CreateProfile(Vrel::t_Interface& call) {
    int slot = -1;
    const Vrel::Var* slotArgument = call.GetArg(0);
    std::u16string name;
    const bool valid = call.count == 2 && slotArgument && slotArgument->ToInt(slot) && slot >= 0 &&
                       slot < kSlotCount && ProfileName(call.GetArg(1), name);
    if (!valid) {
        Vrel::builtins::Report(call, "CreateProfile(int slot, unicode name) - bad parameter");
        return false;
    }
    return DataTree::CreateProfile(slot, name);
}

bool StartPlayerOver(int32_t slot) {
    if (slot < 0 || slot >= kSlotCount) return false;
    // The open profile holds the game under way: it is traded only for a
    // new one that can start. Another slot's file (one that could not be
    // read) holds nothing to keep.
    if (slot == DataTree::GetCurrentSlot() && !Game::CanStartNewGame()) return false;
    // Its file keeps that game until the new one's first scene has loaded
    // (Game::LoadScene): a new game that does not begin puts it back.
    Game* game = Game::Current();
    return game && game->HoldForNewGame(slot);
}

const char* TakeDamagedSave() {
    // The adapter copies the text at once.
    static std::string name;
    name = DataTree::TakeDamagedFile();
    return name.c_str();
}

bool TakeSaveFailure() { return DataTree::TakeSaveFailure(); }

const char* SaveFailureReason() {
    switch (DataTree::TakenSaveFailure()) {
        case DataTree::SaveFailure::kNoFolder: return "no_folder";
        case DataTree::SaveFailure::kFolderNotMade: return "folder_not_made";
        case DataTree::SaveFailure::kRefused: return "refused";
        case DataTree::SaveFailure::kPastBounds: return "past_bounds";
        case DataTree::SaveFailure::kNotRemoved: return "not_removed";
        case DataTree::SaveFailure::kNone: break;
    }
    return "";
}

const char* GetDamagedSaveCopy(const char* name) {
    // The adapter copies the text at once.
    static std::string copy;
    copy = name ? DataTree::GetDamagedCopy(name) : std::string();
    return copy.c_str();
}

// ---- languages --------------------------------------------------------------------

bool CanChangeLanguage() { return DataTree::CanChangeLanguage(); }

const char* GetLanguageByPos(int32_t position) {
    // The adapter copies the text at once.
    static std::string language;
    language = DataTree::GetLanguageByPos(position);
    return language.c_str();
}

bool ChangeLanguage(const char* language) { return language && DataTree::ChangeLanguage(language); }

const char* GetLoadedLanguage() { return Loca::Global().GetLanguageCode().c_str(); }

// ---- hotspot states ---------------------------------------------------------------

bool GetHotspotState(Vrel::t_Interface& call) {
    const char* hotspot = call.count >= 1 ? Vrel::builtins::ArgText(call, 0) : nullptr;
    if (!hotspot) {
        Vrel::builtins::Report(call, "void GetHotspotState(string Name, [string scene]) - bad parameters");
        return false;
    }
    std::string scene;
    if (!SceneArgument(call, 1, scene)) {
        Vrel::builtins::Report(call, "void GetHotspotState(string Name) - adventure scene is missing");
        return false;
    }
    return DataTree::GetInt(HotspotPath(scene, hotspot).c_str()) != 0;
}

void SetHotspotState(Vrel::t_Interface& call) {
    const char* hotspot = call.count >= 2 ? Vrel::builtins::ArgText(call, 0) : nullptr;
    if (!hotspot) {
        Vrel::builtins::Report(call, "void SetHotspotState(string Name, bool value, [string scene]) - bad parameters");
        return;
    }
    bool value = false;
    if (const Vrel::Var* argument = call.GetArg(1)) argument->ToBool(value);
    std::string scene;
    if (!SceneArgument(call, 2, scene)) {
        const std::string message = std::string("void SetHotspotState(\"") + hotspot + "\", " +
                                    (value ? "true" : "false") + ") - adventure scene is missing";
        Vrel::builtins::Report(call, message.c_str());
        return;
    }
    // The shown scene changes at once; any other waits for its next visit.
    const Game* game = Game::Current();
    AdventureScreen* adventure = game ? AdventureScreen::Shown(*game) : nullptr;
    if (adventure && adventure->GetScene() && adventure->GetScene()->name == scene)
        adventure->ApplyHotspotState(hotspot, value);
    DataTree::SetInt(HotspotPath(scene, hotspot).c_str(), value ? 1 : 0);
}

}  // namespace ProfileFunctions
