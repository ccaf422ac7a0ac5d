// The making of a new profile, staged so that a failure or a death at any
// step leaves no profile on another's game, and the deleting of one.

#include "platform/DataTree.h"

#include "platform/DataTreeDocuments.h"
#include "platform/DataTreeState.h"
#include "platform/Loca.h"
#include "platform/Log.h"
#include "platform/NumberText.h"
#include "platform/SavedFile.h"

namespace DataTree {

namespace {

using detail::AddChild;
using detail::FindOrAddChild;
using detail::GetState;
using detail::PlayerFileName;
using detail::SlotName;
using detail::State;
using detail::UserFile;

// A copy of the game data with a new profile in the slot (replacing one
// there): its name, a copy of the game-wide options with the language in
// use, empty statistics and logs, and the slot as the last one.
std::unique_ptr<TiXmlDocument> WithNewProfile(int32_t slot, std::u16string_view name) {
    auto gameData = std::make_unique<TiXmlDocument>(*GetState().gameData);
    TiXmlElement* root = gameData->FirstChildElement();
    TiXmlElement* profiles = FindOrAddChild(root, "profiles");
    if (TiXmlElement* old = profiles->FirstChildElement(SlotName(slot).c_str())) profiles->RemoveChild(old);
    TiXmlElement* profile = AddChild(profiles, SlotName(slot).c_str());
    profile->SetAttribute("name", Loca::WideToUtf8(name).c_str());
    TiXmlElement* options = FindOrAddChild(root, "options");
    detail::AddMissingSettings(options);
    TiXmlElement* settings = profile->LinkEndChild(options->Clone())->ToElement();
    settings->SetAttribute("language", Loca::Global().GetLanguageCode().c_str());
    AddChild(profile, "stats");
    AddChild(profile, "logs");
    FindOrAddChild(root, "global")->SetAttribute("last_slot", NumberText::FormatInt(slot).c_str());
    return gameData;
}

// A copy of the game data as it is once the slot's profile is deleted:
// without it, nor, when it is the one open, the slot as the last one.
std::unique_ptr<TiXmlDocument> WithoutProfile(int32_t slot) {
    auto gameData = std::make_unique<TiXmlDocument>(*GetState().gameData);
    TiXmlElement* root = gameData->FirstChildElement();
    TiXmlElement* profiles = root->FirstChildElement("profiles");
    profiles->RemoveChild(profiles->FirstChildElement(SlotName(slot).c_str()));
    if (slot == GetState().currentSlot)
        FindOrAddChild(root, "global")->SetAttribute("last_slot", NumberText::FormatInt(kNoSlot).c_str());
    return gameData;
}

// Writes the game data without the slot's profile; false when that failed.
// A refused delete applies nothing in memory, so the file's last save stands
// as it was (kept, or still failed) and nothing of it is lost: the failure
// is told by the caller, as a refused new profile is, and not counted
// against the file at the end. Without a folder the delete is made in
// memory, as everything is.
bool SaveWithoutProfile(int32_t slot) {
    const SaveFailure failure = detail::WriteDocument(*WithoutProfile(slot), kGameDataFile);
    if (failure != SaveFailure::kNone && !GetState().userFolder.empty()) {
        detail::TellRefusedWhole(failure);
        return false;
    }
    detail::NoteSave(kGameDataFile, failure);
    return true;
}

// The game data in place names the new profile, whose player file could
// not follow it: the game data in memory, which does not name it yet, is
// written over it. False when that fails too.
bool RollBackGameData() { return SaveGameData(); }

// Puts a new profile's staged game data, then its staged player file in
// place, the slot's file already kept aside as `kept`; false when either
// cannot be, with what was moved put back, the game data first.
bool CommitNewProfile(const std::string& file, const std::string& gameDataFile, const std::string& kept) {
    if (!SavedFile::CommitStaged(gameDataFile)) {
        SavedFile::DropStaged(file);
    } else if (SavedFile::CommitStaged(file)) {
        return true;
    } else if (!RollBackGameData()) {
        // The kept file stays aside: the profile opens with its game started over.
        halvo::LogMessage("DataTree::CreateProfile - '%s' names a profile without its player file", kGameDataFile);
        return false;
    }
    if (!kept.empty()) SavedFile::PutBack(kept, file);
    return false;
}

// Writes the new profile's files: the empty player file and the game data
// naming it; kNone, or why not, with the folder as it was.
SaveFailure WriteNewProfile(int32_t slot, const TiXmlDocument& player, const TiXmlDocument& gameData) {
    const std::string file = UserFile(PlayerFileName(slot)), gameDataFile = UserFile(kGameDataFile);
    std::string playerBytes, gameDataBytes;
    SaveFailure refused = detail::PrintForSave(player, PlayerFileName(slot), playerBytes);
    if (refused == SaveFailure::kNone) refused = detail::PrintForSave(gameData, kGameDataFile, gameDataBytes);
    if (refused != SaveFailure::kNone) return refused;
    if (!SavedFile::Stage(file, playerBytes)) return SaveFailure::kRefused;
    if (!SavedFile::Stage(gameDataFile, gameDataBytes)) {
        SavedFile::DropStaged(file);
        return SaveFailure::kRefused;
    }
    // A file in the slot is not the new profile's own: it is a replaced or
    // lost profile's game. It goes aside before the game data names the
    // new profile, and the new player file comes last, so that a death at
    // any step leaves no profile on another's game: the profile without a
    // player file opens with its game started over. A failure puts back
    // what was moved, the game data first: both files hold the profile or
    // neither does.
    std::string kept;
    if (!SavedFile::KeepAsOld(file, kept)) {
        SavedFile::DropStaged(file);
        SavedFile::DropStaged(gameDataFile);
        return SaveFailure::kRefused;
    }
    return CommitNewProfile(file, gameDataFile, kept) ? SaveFailure::kNone : SaveFailure::kRefused;
}

}  // namespace

bool CreateProfile(int32_t slot, std::u16string_view name) {
    if (slot < 0) return false;
    // The copy below is the game data from now on: the open profile's
    // statistics go into it as they stand.
    detail::TellStats(StatsChange::kLeaving);
    std::unique_ptr<TiXmlDocument> player = detail::NewDocument();
    std::unique_ptr<TiXmlDocument> gameData = WithNewProfile(slot, name);
    // Without a folder nothing can be kept, yet the player plays: the
    // profile lives in memory, and its saves tell that there is no folder.
    if (GetState().userFolder.empty()) {
        detail::SaveForPlay(*player, PlayerFileName(slot));
    } else {
        const SaveFailure refused = WriteNewProfile(slot, *player, *gameData);
        if (refused != SaveFailure::kNone) {
            detail::TellRefusedWhole(refused);
            return false;
        }
        detail::NoteSave(PlayerFileName(slot), SaveFailure::kNone);
    }
    detail::CloseProfileRoots();
    GetState().gameData = std::move(gameData);
    detail::OpenSlotRoots(slot);
    detail::OpenPlayer(std::move(player), slot);
    return true;
}

bool DeleteProfile(int32_t slot) {
    State& state = GetState();
    TiXmlElement* profiles = Resolve("[ROOT]/profiles/", false);
    TiXmlElement* old = slot >= 0 && profiles ? profiles->FirstChildElement(SlotName(slot).c_str()) : nullptr;
    if (!old) return false;
    // The game data is written without them before anything changes: a
    // delete that cannot be saved leaves the player listed, with their game,
    // and what the menu shows stays what the disk holds.
    if (!SaveWithoutProfile(slot)) return false;
    if (slot == state.currentSlot) {
        detail::CloseProfileRoots();
        SetCurrentSlot(kNoSlot);
    }
    detail::DeleteElement(old);
    // The player was asked whether their game goes with them: it goes now
    // that the game data no longer names them. A damaged file that stays in
    // place is kept as it is, as every damaged one is. A failed save of it
    // loses nothing the player still wants; a game that cannot be removed
    // stays on disk against their word, and is told as a failed save of it.
    const std::string file = PlayerFileName(slot);
    state.failedSaves.erase(file);
    if (!state.userFolder.empty() && !detail::IsHeldDamaged(file) && !SavedFile::Remove(UserFile(file)))
        detail::NoteSave(file, SaveFailure::kNotRemoved);
    return true;
}

}  // namespace DataTree
