// The documents behind the data tree: defaults, the saved game data, the
// player documents of the profile slots, and the language choice.

#include "platform/DataTree.h"

#include "platform/DataTreeState.h"
#include "platform/Loca.h"
#include "platform/Log.h"
#include "platform/SavedFile.h"
#include "platform/XmlUtil.h"

#include <cstdio>

namespace DataTree {

namespace {

using detail::GetState;
using detail::State;

constexpr uint16_t kUiLanguageGerman = 7;
constexpr uint16_t kUiLanguageEnglish = 9;

enum class DocumentLoad { kLoaded, kMissing, kDamaged };

std::string SlotName(int32_t slot) { return "slot" + std::to_string(slot); }

// Paths below one profile slot, such as "[ROOT]/profiles/slot2/options/".
std::string SlotPath(int32_t slot, const char* rest) {
    return "[ROOT]/profiles/" + SlotName(slot) + "/" + rest;
}

std::string PlayerFileName(int32_t slot) {
    char name[32];
    std::snprintf(name, sizeof name, kPlayerFileFormat, slot);
    return name;
}

std::string UserFile(const std::string& name) { return GetState().userFolder + name; }

std::unique_ptr<TiXmlDocument> NewDocument() {
    auto document = std::make_unique<TiXmlDocument>();
    document->LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", ""));
    document->LinkEndChild(new TiXmlElement("root"));
    return document;
}

TiXmlElement* AddChild(TiXmlElement* parent, const char* name) {
    return parent->LinkEndChild(new TiXmlElement(name))->ToElement();
}

// A damaged file that could not be moved aside: it stays where it is.
bool IsHeldDamaged(const std::string& name) {
    const auto& copies = GetState().damagedCopies;
    auto found = copies.find(name);
    return found != copies.end() && found->second.empty();
}

// Keeps the damaged file aside under a name of its own and queues it to be
// told. One that cannot be moved stays, is told once, and no save writes
// over it until it reads again or is gone.
void KeepDamaged(const std::string& name) {
    State& state = GetState();
    const bool toldHeld = IsHeldDamaged(name);
    std::string kept = SavedFile::KeepAsDamaged(UserFile(name));
    if (!kept.empty()) kept.erase(0, state.userFolder.size());
    state.damagedCopies[name] = kept;
    if (!kept.empty() || !toldHeld) state.damagedFiles.push_back(name);
}

// Reads the user folder's file `name` into a document of its own, so that a
// damaged file never empties the one in use. `needsElement`: a document
// without an element is damaged.
DocumentLoad LoadSavedDocument(const std::string& name, TiXmlDocument& into, bool needsElement) {
    // Without a user folder nothing is saved, and nothing in the working
    // folder is taken for the player's files.
    if (GetState().userFolder.empty()) return DocumentLoad::kMissing;
    std::string bytes;
    SavedFile::ReadResult read = SavedFile::ReadWhole(UserFile(name), bytes);
    const bool parsed = read == SavedFile::ReadResult::kLoaded && XmlParseText(into, bytes.data()) &&
                        (!needsElement || into.FirstChildElement());
    if (!parsed && read != SavedFile::ReadResult::kMissing) {
        KeepDamaged(name);
        return DocumentLoad::kDamaged;
    }
    if (IsHeldDamaged(name)) GetState().damagedCopies.erase(name);  // mended or gone
    return parsed ? DocumentLoad::kLoaded : DocumentLoad::kMissing;
}

bool SaveDocument(const TiXmlDocument& document, const std::string& name) {
    if (GetState().userFolder.empty()) return false;
    if (IsHeldDamaged(name)) {
        halvo::LogMessage("DataTree::Save - '%s' is damaged and stays as it is: nothing is written over it",
                          name.c_str());
        return false;
    }
    TiXmlPrinter printer;
    document.Accept(&printer);
    return SavedFile::WriteAtomically(UserFile(name), std::string_view(printer.CStr(), printer.Size()));
}

// Every document save ends here, so that the player can be told of a save
// that did not reach the disk, once until one does again.
bool NoteSave(bool saved) {
    State& state = GetState();
    state.lastSaveFailed = !saved;
    if (saved) state.failureRunTold = false;
    else if (!state.failureRunTold) state.saveFailureUntold = true;
    return saved;
}

void CloseProfileRoots() {
    State& state = GetState();
    state.player.reset();
    state.settings = state.stats = state.log = state.playerRoot = nullptr;
}

void WriteDefaults(TiXmlElement* globalOptions) {
    State& state = GetState();
    state.settings = globalOptions;
    SetFloat("[SETTINGS]/volume_music", 0.7f);
    SetFloat("[SETTINGS]/volume_sfx", 0.7f);
    SetInt("[SETTINGS]/difficulty", 0);
    SetInt("[ROOT]/global/fullscreen", 1);
    SetInt("[ROOT]/global/resx", 1024);
    SetInt("[ROOT]/global/resy", 576);
    SetInt("[SETTINGS]/animations", 1);
    SetInt("[ROOT]/rating", 0);
    SetInt("[ROOT]/rating_next", 5);
    state.settings = nullptr;
}

// Without the game data no profile leads to a player file, and a new
// profile would write over its slot's file unread: a damaged one is kept
// aside now, to be told after the game data.
void KeepDamagedPlayerFiles() {
    for (int32_t slot = 0; slot < kProfileSlots; ++slot) {
        TiXmlDocument probe;
        LoadSavedDocument(PlayerFileName(slot), probe, false);
    }
}

void LoadGameData() {
    auto loaded = std::make_unique<TiXmlDocument>();
    if (LoadSavedDocument(kGameDataFile, *loaded, true) != DocumentLoad::kLoaded) {
        SetInt("[ROOT]/global/last_slot", kNoSlot);
        KeepDamagedPlayerFiles();
        return;
    }
    CloseProfileRoots();  // they point into the document being replaced
    GetState().currentSlot = kNoSlot;
    GetState().gameData = std::move(loaded);
    // A last player whose file is missing or damaged (kept aside, and told)
    // is still the last player: the profile opens with its game started
    // over, as choosing it in the menu would.
    int32_t slot = GetInt("[ROOT]/global/last_slot");
    if (slot != kNoSlot && !OpenProfile(slot)) StartPlayerOver(slot);
}

std::string CopyOf(const char* text) { return text ? text : ""; }

// The slot's settings; null when the slot has no profile.
TiXmlElement* SlotOptions(int32_t slot) { return Resolve(SlotPath(slot, "options/").c_str(), false); }

bool HasProfile(int32_t slot) { return SlotOptions(slot) != nullptr; }

// Points the profile roots at the slot's settings, statistics and logs,
// "[PLAYER]" closed; false, changing nothing, when the slot has no profile.
bool OpenSlotRoots(int32_t slot) {
    TiXmlElement* options = SlotOptions(slot);
    if (!options) return false;
    State& state = GetState();
    CloseProfileRoots();
    state.settings = options;
    state.stats = Resolve(SlotPath(slot, "stats/").c_str(), true);
    state.log = Resolve(SlotPath(slot, "logs/").c_str(), true);
    return true;
}

// A new, empty player document for the slot, already on disk before anything
// changes; null, changing nothing, when its file could not be written.
std::unique_ptr<TiXmlDocument> WriteEmptyPlayer(int32_t slot) {
    std::unique_ptr<TiXmlDocument> player = NewDocument();
    if (!NoteSave(SaveDocument(*player, PlayerFileName(slot)))) return nullptr;
    return player;
}

// Makes `player` the open player document and its slot the current one.
void OpenPlayer(std::unique_ptr<TiXmlDocument> player, int32_t slot) {
    State& state = GetState();
    state.player = std::move(player);
    state.playerRoot = state.player->FirstChildElement();
    SetCurrentSlot(slot);
}

}  // namespace

void Init() {
    State& state = GetState();
    CloseProfileRoots();
    state.currentSlot = kNoSlot;
    state.gameData = NewDocument();
    TiXmlElement* root = state.gameData->FirstChildElement();
    AddChild(root, "profiles");
    AddChild(root, "global");
    WriteDefaults(AddChild(root, "options"));
}

void Load(const std::string& userFolder) {
    State& state = GetState();
    state.userFolder = userFolder;
    if (!userFolder.empty() && userFolder.back() != '/') state.userFolder += '/';
    state.version.Clear();
    state.damagedFiles.clear();
    state.damagedCopies.clear();
    state.lastSaveFailed = state.saveFailureUntold = state.failureRunTold = false;
    if (!XmlLoadFile(state.version, kVersionFile))
        halvo::LogMessage("DataTree::Load - Unable to load '%s'", kVersionFile);
    if (state.settings) SetString("[SETTINGS]/language", CopyOf(GetString("[VERSION]/language/default")).c_str());
    LoadGameData();
}

const std::string& GetUserFolder() { return GetState().userFolder; }

std::string TakeDamagedFile() {
    std::deque<std::string>& damaged = GetState().damagedFiles;
    if (damaged.empty()) return {};
    std::string name = std::move(damaged.front());
    damaged.pop_front();
    return name;
}

std::string GetDamagedCopy(const std::string& name) {
    const auto& copies = GetState().damagedCopies;
    auto found = copies.find(name);
    return found != copies.end() ? found->second : std::string();
}

bool SaveGameData() { return NoteSave(SaveDocument(*GetState().gameData, kGameDataFile)); }

bool SavePlayer() {
    State& state = GetState();
    if (state.currentSlot < 0 || !state.player) return false;
    return NoteSave(SaveDocument(*state.player, PlayerFileName(state.currentSlot)));
}

bool LastSaveFailed() { return GetState().lastSaveFailed; }

bool TakeSaveFailure() {
    State& state = GetState();
    if (!state.saveFailureUntold) return false;
    state.saveFailureUntold = false;
    // A failure already followed by a good save ended its run: the next one is told again.
    state.failureRunTold = state.lastSaveFailed;
    return true;
}

bool CreateProfile(int32_t slot, std::u16string_view name) {
    if (slot < 0) return false;
    TiXmlElement* profiles = Resolve("[ROOT]/profiles/", true);
    TiXmlElement* options = Resolve("[ROOT]/options/", true);
    if (!profiles || !options) return false;
    // A file in the slot is not the new profile's own: it is a lost or
    // deleted profile's game, kept aside rather than written over.
    const std::string file = PlayerFileName(slot);
    if (IsHeldDamaged(file) || !SavedFile::KeepAsOld(UserFile(file))) return false;
    std::unique_ptr<TiXmlDocument> player = WriteEmptyPlayer(slot);
    if (!player) return false;
    if (TiXmlElement* old = profiles->FirstChildElement(SlotName(slot).c_str())) detail::DeleteElement(old);
    TiXmlElement* slotElement = AddChild(profiles, SlotName(slot).c_str());
    slotElement->SetAttribute("name", Loca::WideToUtf8(name).c_str());

    State& state = GetState();
    CloseProfileRoots();
    state.settings = slotElement->LinkEndChild(options->Clone())->ToElement();
    state.stats = AddChild(slotElement, "stats");
    state.log = AddChild(slotElement, "logs");
    OpenPlayer(std::move(player), slot);
    SetString("[SETTINGS]/language", Loca::Global().GetLanguageCode().c_str());
    return SaveGameData();
}

bool OpenProfile(int32_t slot) {
    if (!OpenSlotRoots(slot)) return false;
    auto player = std::make_unique<TiXmlDocument>();
    if (LoadSavedDocument(PlayerFileName(slot), *player, false) != DocumentLoad::kLoaded) return false;
    OpenPlayer(std::move(player), slot);
    return true;
}

bool StartPlayerOver(int32_t slot) {
    if (!HasProfile(slot)) return false;
    std::unique_ptr<TiXmlDocument> player = WriteEmptyPlayer(slot);
    if (!player) return false;
    OpenSlotRoots(slot);
    OpenPlayer(std::move(player), slot);
    return true;
}

void SetCurrentSlot(int32_t slot) {
    State& state = GetState();
    state.currentSlot = slot;
    SetInt("[ROOT]/global/last_slot", slot);
    float sfx = 0, music = 0;
    GetVolumes(&sfx, &music);
    if (state.volumeListener) state.volumeListener(sfx, music);
    if (slot < 0) return;
    SaveGameData();
    const char* language = GetString("[SETTINGS]/language");
    if (language) ChangeLanguage(CopyOf(language).c_str());
}

int32_t GetCurrentSlot() { return GetState().currentSlot; }

bool DeleteProfile(int32_t slot) {
    if (slot < 0) return false;
    State& state = GetState();
    if (slot == state.currentSlot) {
        CloseProfileRoots();
        SetCurrentSlot(kNoSlot);
    }
    TiXmlElement* profiles = Resolve("[ROOT]/profiles/", false);
    TiXmlElement* old = profiles ? profiles->FirstChildElement(SlotName(slot).c_str()) : nullptr;
    if (old) detail::DeleteElement(old);
    SaveGameData();
    return old != nullptr;
}

bool GetProfileName(int32_t slot, std::u16string& out) {
    if (slot == kNoSlot) slot = GetState().currentSlot;
    const char* name = GetStoredText(SlotPath(slot, "name").c_str());
    if (!name) return false;
    Loca::AssignUtf8(name, out);
    return true;
}

bool CanChangeLanguage() {
    TiXmlElement* languages = Resolve("[VERSION]/language/", false);
    TiXmlElement* first = languages ? languages->FirstChildElement() : nullptr;
    return first && first->NextSiblingElement();
}

std::string GetLanguageByPos(int32_t index) {
    TiXmlElement* languages = Resolve("[VERSION]/language/", false);
    if (!languages || index < 0) return {};
    TiXmlElement* language = languages->FirstChildElement();
    for (; language && index > 0; --index) language = language->NextSiblingElement();
    return language ? DecodeName(language->Value()) : std::string();
}

bool ChangeLanguage(const char* code) {
    if (!code) return false;
    for (int32_t index = 0;; ++index) {
        std::string listed = GetLanguageByPos(index);
        if (listed.empty()) return false;
        if (listed != code) continue;
        if (!Loca::Global().Load(listed.c_str())) return false;
        SetString("[SETTINGS]/language", listed.c_str());
        SaveGameData();
        return true;
    }
}

bool ChooseLanguage(uint16_t systemUiLanguage) {
    const char* saved = GetString("[SETTINGS]/language");
    if (saved && Loca::Global().Load(CopyOf(saved).c_str())) return true;
    uint16_t primary = systemUiLanguage & 0xFF;
    const char* system = primary == kUiLanguageGerman ? "german" : primary == kUiLanguageEnglish ? "english" : nullptr;
    if (system && ChangeLanguage(system)) return true;
    const char* fallback = GetString("[VERSION]/language/default");
    if (!fallback) return false;
    std::string code = fallback;
    bool loaded = Loca::Global().Load(code.c_str());
    SetString("[SETTINGS]/language", code.c_str());
    return loaded;
}

void GetVolumes(float* sfx, float* music) {
    const bool profileOpen = GetState().currentSlot >= 0;
    *sfx = GetFloat(profileOpen ? "[SETTINGS]/volume_sfx" : "[ROOT]/options/volume_sfx");
    *music = GetFloat(profileOpen ? "[SETTINGS]/volume_music" : "[ROOT]/options/volume_music");
}

void SetVolumeListener(VolumeListener listener) { GetState().volumeListener = std::move(listener); }

}  // namespace DataTree
