// The documents behind the data tree: defaults, the saved game data and the
// player documents of the profile slots as they are read, opened and saved,
// and the language choice. New profiles are made and profiles deleted in
// DataTreeProfiles.cpp.

#include "platform/DataTree.h"

#include "platform/DataTreeBounds.h"
#include "platform/DataTreeDocuments.h"
#include "platform/DataTreeState.h"
#include "platform/DataTreeTally.h"
#include "platform/Loca.h"
#include "platform/Log.h"
#include "platform/NumberText.h"
#include "platform/SavedFile.h"
#include "platform/XmlUtil.h"

#include <cstdio>
#include <memory>
#include <utility>

namespace DataTree {

namespace {

using detail::GetState;
using detail::State;

constexpr uint16_t kUiLanguageGerman = 7;
constexpr uint16_t kUiLanguageEnglish = 9;

// The element the game writes as the whole of both of its saved files.
constexpr const char* kRootElement = "root";

// Paths below one profile slot, such as "[ROOT]/profiles/slot2/options/".
std::string SlotPath(int32_t slot, const char* rest) {
    return "[ROOT]/profiles/" + detail::SlotName(slot) + "/" + rest;
}

// The slot's settings; null when the slot has no profile.
TiXmlElement* SlotOptions(int32_t slot) { return Resolve(SlotPath(slot, "options/").c_str(), false); }

// A default that would take its file past a bound is left out, as any
// change past one is: the file stays one the game can write.
void SetIfMissing(TiXmlElement* element, const char* name, const std::string& value) {
    if (element && !element->Attribute(name)) detail::KeepAttribute(*element, name, value.c_str(), {});
}

}  // namespace

namespace detail {

std::string SlotName(int32_t slot) { return "slot" + std::to_string(slot); }

std::string PlayerFileName(int32_t slot) {
    char name[32];
    std::snprintf(name, sizeof name, kPlayerFileFormat, slot);
    return name;
}

std::string UserFile(const std::string& name) { return GetState().userFolder + name; }

std::unique_ptr<TiXmlDocument> NewDocument() {
    auto document = std::make_unique<TiXmlDocument>();
    document->LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", ""));
    document->LinkEndChild(new TiXmlElement(kRootElement));
    return document;
}

TiXmlElement* AddChild(TiXmlElement* parent, const char* name) {
    if (!parent || !MayAddElement(*parent, name, {})) return nullptr;
    return parent->LinkEndChild(new TiXmlElement(name))->ToElement();
}

TiXmlElement* FindOrAddChild(TiXmlElement* parent, const char* name) {
    TiXmlElement* child = parent ? parent->FirstChildElement(name) : nullptr;
    return child ? child : AddChild(parent, name);
}

void AddMissingSettings(TiXmlElement* options) {
    SetIfMissing(options, "volume_music", NumberText::FormatFloat(0.7f));
    SetIfMissing(options, "volume_sfx", NumberText::FormatFloat(0.7f));
    SetIfMissing(options, "difficulty", NumberText::FormatInt(0));
    SetIfMissing(options, "animations", NumberText::FormatInt(1));
}

bool IsHeldDamaged(const std::string& name) {
    const auto& copies = GetState().damagedCopies;
    auto found = copies.find(name);
    return found != copies.end() && found->second.empty();
}

SaveFailure PrintForSave(const TiXmlDocument& document, const std::string& name, std::string& bytes) {
    if (IsHeldDamaged(name)) {
        halvo::LogMessage("DataTree::Save - '%s' is damaged and stays as it is: nothing is written over it",
                          name.c_str());
        return SaveFailure::kRefused;
    }
    TiXmlPrinter printer;
    document.Accept(&printer);
    bytes.assign(printer.CStr(), printer.Size());
    std::string why = CheckBounds(bytes);
    if (why.empty()) return SaveFailure::kNone;
    halvo::LogMessage("DataTree::Save - '%s' is not written, as the next start would refuse it: it would hold %s",
                      name.c_str(), why.c_str());
    return SaveFailure::kPastBounds;
}

SaveFailure WriteDocument(const TiXmlDocument& document, const std::string& name) {
    if (GetState().userFolder.empty()) {
        GetState().heldInMemory[name] = document;
        return GetState().withoutFolder;
    }
    std::string bytes;
    const SaveFailure refused = PrintForSave(document, name, bytes);
    if (refused != SaveFailure::kNone) return refused;
    return SavedFile::WriteAtomically(UserFile(name), bytes) ? SaveFailure::kNone : SaveFailure::kRefused;
}

// Every save of a document in use ends here, so that the player can be told
// of a save that did not reach the disk, once until that file's save
// succeeds again: a failure of a file after its good save starts a run, and
// a good save of another file ends none. (A new profile or a delete, refused
// whole, is told by its caller.)
bool NoteSave(const std::string& name, SaveFailure failure) {
    State& state = GetState();
    if (failure == SaveFailure::kNone) {
        state.failedSaves.erase(name);
        return true;
    }
    const bool runBegins = state.failedSaves.count(name) == 0;
    state.failedSaves[name] = failure;
    if (runBegins && state.untoldFailure == SaveFailure::kNone) state.untoldFailure = failure;
    return false;
}

bool SaveForPlay(const TiXmlDocument& document, const std::string& name) {
    return NoteSave(name, WriteDocument(document, name)) || GetState().userFolder.empty();
}

void TellRefusedWhole(SaveFailure why) { GetState().untoldFailure = why; }

void TellStats(StatsChange change) {
    const State& state = GetState();
    if (state.stats && state.statsListener) state.statsListener(change);
}

void CloseProfileRoots() {
    State& state = GetState();
    TellStats(StatsChange::kLeaving);
    state.player.reset();
    state.playerAside.reset();
    state.settings = state.stats = state.log = state.playerRoot = nullptr;
    ForgetTallies();  // the documents may be replaced
}

bool OpenSlotRoots(int32_t slot) {
    TiXmlElement* options = SlotOptions(slot);
    if (!options) return false;
    State& state = GetState();
    CloseProfileRoots();
    state.settings = options;
    state.stats = Resolve(SlotPath(slot, "stats/").c_str(), true);
    state.log = Resolve(SlotPath(slot, "logs/").c_str(), true);
    TellStats(StatsChange::kOpened);
    return true;
}

void OpenPlayer(std::unique_ptr<TiXmlDocument> player, int32_t slot) {
    State& state = GetState();
    state.player = std::move(player);
    state.playerRoot = state.player->FirstChildElement();
    ForgetTallies();
    SetCurrentSlot(slot);
}

}  // namespace detail

namespace {

using detail::AddChild;
using detail::AddMissingSettings;
using detail::CloseProfileRoots;
using detail::FindOrAddChild;
using detail::IsHeldDamaged;
using detail::NewDocument;
using detail::NoteSave;
using detail::OpenPlayer;
using detail::OpenSlotRoots;
using detail::PlayerFileName;
using detail::SlotName;
using detail::UserFile;
using detail::WriteDocument;

enum class DocumentLoad { kLoaded, kMissing, kDamaged };

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

// Why the bytes of a saved file are not a document the game wrote; empty
// when `into` now holds them. The bounds come first, so that no file costs
// the parser more than a real one; and once read, the document is counted
// as a save would write it (indented, escaped), so that a file no save could
// write back is not taken up to fail at every save.
std::string ReadDocument(std::string& bytes, TiXmlDocument& into) {
    std::string why = CheckBounds(bytes);
    if (!why.empty()) return "it holds " + why;
    if (!XmlParseText(into, bytes.data())) return "it is not XML";
    const TiXmlElement* root = into.FirstChildElement();
    if (!root) return "it holds no element";
    if (root->ValueStr() != kRootElement) return "its element is not the game's";
    why = detail::PassedBound(detail::CountDocument(into));
    if (!why.empty()) return "a save would write it with " + why;
    return {};
}

// Whether the user folder's file `name` holds the very bytes a save of the
// document writes.
bool AlreadyHolds(const TiXmlDocument& document, const std::string& name) {
    std::string bytes, held;
    if (detail::PrintForSave(document, name, bytes) != SaveFailure::kNone) return false;
    return SavedFile::ReadWhole(UserFile(name), held) == SavedFile::ReadResult::kLoaded && held == bytes;
}

// Saves a document in use. One the folder refuses lost nothing when its file
// already holds it byte for byte, as when what was last saved or read is
// saved again unchanged (the settings at Quit after a refused delete): it is
// on disk all the same, and a good save. Read back only then, so that a good
// save costs nothing more.
SaveFailure SaveInUse(const TiXmlDocument& document, const std::string& name) {
    const SaveFailure failure = WriteDocument(document, name);
    if (failure != SaveFailure::kRefused || IsHeldDamaged(name) || !AlreadyHolds(document, name)) return failure;
    halvo::LogMessage("DataTree::Save - '%s' was refused, but it already holds what was to be written", name.c_str());
    return SaveFailure::kNone;
}

// Reads the user folder's file `name` into a document of its own, so that a
// damaged file never empties the one in use. A file that is not one the game
// writes (outside the bounds, not XML, without the game's element) is damaged.
DocumentLoad LoadSavedDocument(const std::string& name, TiXmlDocument& into) {
    // Without a user folder nothing is saved, and nothing in the working
    // folder is taken for the player's files: what the run's saves would
    // have written is read back from memory.
    if (GetState().userFolder.empty()) {
        const auto held = GetState().heldInMemory.find(name);
        if (held == GetState().heldInMemory.end()) return DocumentLoad::kMissing;
        into = held->second;
        return DocumentLoad::kLoaded;
    }
    std::string bytes, why;
    switch (SavedFile::ReadWhole(UserFile(name), bytes)) {
        case SavedFile::ReadResult::kMissing:
            if (IsHeldDamaged(name)) GetState().damagedCopies.erase(name);  // gone
            return DocumentLoad::kMissing;
        case SavedFile::ReadResult::kUnreadable: why = "it cannot be read"; break;
        case SavedFile::ReadResult::kTooLarge: why = "it holds more bytes than " + std::to_string(kMaxFileSize); break;
        case SavedFile::ReadResult::kNotAFile: why = "it is not a file"; break;
        case SavedFile::ReadResult::kLoaded: why = ReadDocument(bytes, into); break;
    }
    if (!why.empty()) {
        halvo::LogMessage("DataTree::Load - '%s' is damaged: %s", name.c_str(), why.c_str());
        KeepDamaged(name);
        return DocumentLoad::kDamaged;
    }
    if (IsHeldDamaged(name)) GetState().damagedCopies.erase(name);  // mended
    return DocumentLoad::kLoaded;
}

// What a first start writes, wherever the game data lacks it: a file with
// parts missing reads as a fresh one would, and no profile's volumes as 0.
void AddMissingDefaults(TiXmlElement* root) {
    TiXmlElement* profiles = FindOrAddChild(root, "profiles");
    TiXmlElement* global = FindOrAddChild(root, "global");
    AddMissingSettings(FindOrAddChild(root, "options"));
    SetIfMissing(global, "fullscreen", NumberText::FormatInt(1));
    SetIfMissing(global, "resx", NumberText::FormatInt(1024));
    SetIfMissing(global, "resy", NumberText::FormatInt(576));
    SetIfMissing(root, "rating", NumberText::FormatInt(0));
    SetIfMissing(root, "rating_next", NumberText::FormatInt(5));
    for (int32_t slot = 0; slot < kProfileSlots; ++slot) {
        TiXmlElement* profile = profiles ? profiles->FirstChildElement(SlotName(slot).c_str()) : nullptr;
        TiXmlElement* options = profile ? profile->FirstChildElement("options") : nullptr;
        // A listed profile (one with a name) that lost its settings whole
        // gets them too, or choosing it would open nothing.
        if (!options && profile && profile->Attribute("name")) options = AddChild(profile, "options");
        if (options) AddMissingSettings(options);
    }
}

// Without the game data no profile leads to a player file, and a new
// profile would write over its slot's file unread: a damaged one is kept
// aside now, to be told after the game data.
void KeepDamagedPlayerFiles() {
    for (int32_t slot = 0; slot < kProfileSlots; ++slot) {
        TiXmlDocument probe;
        LoadSavedDocument(PlayerFileName(slot), probe);
    }
}

// A save cut short leaves its staged file behind, which nothing reads.
void ClearStagedFiles() {
    if (GetState().userFolder.empty()) return;
    SavedFile::DropStaged(UserFile(kGameDataFile));
    for (int32_t slot = 0; slot < kProfileSlots; ++slot) SavedFile::DropStaged(UserFile(PlayerFileName(slot)));
}

void LoadGameData() {
    auto loaded = std::make_unique<TiXmlDocument>();
    if (LoadSavedDocument(kGameDataFile, *loaded) != DocumentLoad::kLoaded) {
        SetInt("[ROOT]/global/last_slot", kNoSlot);
        KeepDamagedPlayerFiles();
        return;
    }
    CloseProfileRoots();  // they point into the document being replaced
    GetState().currentSlot = kNoSlot;
    GetState().gameData = std::move(loaded);
    AddMissingDefaults(GetState().gameData->FirstChildElement());
    // A last player whose file is missing or damaged (kept aside, and told)
    // is still the last player: the profile opens with its game started
    // over, as choosing it in the menu would.
    int32_t slot = GetInt("[ROOT]/global/last_slot");
    if (slot != kNoSlot && !OpenProfile(slot)) StartPlayerOver(slot);
}

std::string CopyOf(const char* text) { return text ? text : ""; }

bool HasProfile(int32_t slot) { return SlotOptions(slot) != nullptr; }

// A new, empty player document for the slot, already on disk before anything
// changes; null, changing nothing, when its file could not be written.
std::unique_ptr<TiXmlDocument> WriteEmptyPlayer(int32_t slot) {
    std::unique_ptr<TiXmlDocument> player = NewDocument();
    // Without a folder the new game is played unsaved, as a new profile is.
    if (!detail::SaveForPlay(*player, PlayerFileName(slot))) return nullptr;
    return player;
}

// Whether the slot's player file would take a new game: an empty document's
// bytes are staged beside it and dropped again, the file itself untouched.
// A refusal is told as a refused new profile is: the trial was never to be
// kept and the file still holds the game under way, so nothing is lost and
// no run of failures of that file begins, whose next real failure would
// then go untold.
bool PlayerFileTakesNewGame(int32_t slot) {
    // Without a folder the new game is played unsaved, as a new profile is.
    if (GetState().userFolder.empty()) return true;
    const std::string name = PlayerFileName(slot);
    std::string bytes;
    SaveFailure why = detail::PrintForSave(*NewDocument(), name, bytes);
    if (why == SaveFailure::kNone && !SavedFile::Stage(UserFile(name), bytes)) why = SaveFailure::kRefused;
    if (why == SaveFailure::kNone) {
        SavedFile::DropStaged(UserFile(name));
        return true;
    }
    detail::TellRefusedWhole(why);
    return false;
}

// Opens `other` as the player document and hands back the one it replaces
// in its stead; the profile's slot and roots stay.
void SwapPlayer(std::unique_ptr<TiXmlDocument>& other) {
    State& state = GetState();
    std::swap(state.player, other);
    state.playerRoot = state.player->FirstChildElement();
    detail::ForgetTallies();
}

}  // namespace

void Init() {
    State& state = GetState();
    CloseProfileRoots();
    state.currentSlot = kNoSlot;
    state.gameData = NewDocument();
    AddMissingDefaults(state.gameData->FirstChildElement());
}

void Load(const std::string& userFolder, bool folderNotMade) {
    State& state = GetState();
    state.userFolder = userFolder;
    state.withoutFolder = folderNotMade ? SaveFailure::kFolderNotMade : SaveFailure::kNoFolder;
    if (!userFolder.empty() && userFolder.back() != '/') state.userFolder += '/';
    state.version.Clear();
    state.damagedFiles.clear();
    state.damagedCopies.clear();
    state.failedSaves.clear();
    state.heldInMemory.clear();
    state.untoldFailure = state.takenFailure = SaveFailure::kNone;
    if (!XmlLoadFile(state.version, kVersionFile))
        halvo::LogMessage("DataTree::Load - Unable to load '%s'", kVersionFile);
    if (state.settings) SetString("[SETTINGS]/language", CopyOf(GetString("[VERSION]/language/default")).c_str());
    ClearStagedFiles();
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

bool SaveGameData() { return NoteSave(kGameDataFile, SaveInUse(*GetState().gameData, kGameDataFile)); }

bool SavePlayer() {
    State& state = GetState();
    if (state.currentSlot < 0 || !state.player) return false;
    if (state.playerAside) return true;
    const std::string file = PlayerFileName(state.currentSlot);
    return NoteSave(file, SaveInUse(*state.player, file));
}

bool LastSaveFailed() { return !GetState().failedSaves.empty(); }

std::vector<UnsavedFile> UnsavedFiles() {
    std::vector<UnsavedFile> files;
    for (const auto& [name, why] : GetState().failedSaves) files.push_back({name, why});
    return files;
}

bool TakeSaveFailure() {
    State& state = GetState();
    if (state.untoldFailure == SaveFailure::kNone) return false;
    state.takenFailure = state.untoldFailure;
    state.untoldFailure = SaveFailure::kNone;
    return true;
}

SaveFailure TakenSaveFailure() { return GetState().takenFailure; }

bool OpenProfile(int32_t slot) {
    if (!OpenSlotRoots(slot)) return false;
    auto player = std::make_unique<TiXmlDocument>();
    if (LoadSavedDocument(PlayerFileName(slot), *player) != DocumentLoad::kLoaded) return false;
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

bool StartPlayerOverHeld(int32_t slot) {
    State& state = GetState();
    if (slot != state.currentSlot || !state.player) return StartPlayerOver(slot);
    if (!PlayerFileTakesNewGame(slot)) return false;
    std::unique_ptr<TiXmlDocument> replaced = NewDocument();
    SwapPlayer(replaced);
    // A new game held back already gives way to this one; the game under
    // way stays the one kept.
    if (!state.playerAside) state.playerAside = std::move(replaced);
    return true;
}

bool KeepNewPlayer() {
    State& state = GetState();
    if (!state.playerAside) return true;
    state.playerAside.reset();
    return SavePlayer();
}

bool PutOldPlayerBack() {
    State& state = GetState();
    if (!state.playerAside) return false;
    SwapPlayer(state.playerAside);
    state.playerAside.reset();
    return true;
}

bool HoldsPlayerAside() { return GetState().playerAside != nullptr; }

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

void SetStatsListener(StatsListener listener) { GetState().statsListener = std::move(listener); }

}  // namespace DataTree
