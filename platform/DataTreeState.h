#pragma once
// Internal to the data tree: its process-wide documents and root pointers,
// shared by the path code and the document code.

#include <tinyxml.h>

#include "platform/DataTree.h"
#include "platform/DataTreeTally.h"

#include <deque>
#include <map>
#include <memory>
#include <string>

namespace DataTree::detail {

struct State {
    std::unique_ptr<TiXmlDocument> gameData = std::make_unique<TiXmlDocument>();
    TiXmlDocument version;
    std::unique_ptr<TiXmlDocument> player;
    // The game under way while a new one for the same profile has not begun
    // (StartPlayerOverHeld); its file holds it still. Null otherwise.
    std::unique_ptr<TiXmlDocument> playerAside;
    TiXmlElement* settings = nullptr;
    TiXmlElement* stats = nullptr;
    TiXmlElement* log = nullptr;
    TiXmlElement* playerRoot = nullptr;
    int32_t currentSlot = kNoSlot;
    std::string userFolder;
    // Saved files found damaged that the player has not been told of.
    std::deque<std::string> damagedFiles;
    // Each damaged file met since Load, with the name of its last copy kept
    // aside; empty while it could not be moved and stays, never written over.
    std::map<std::string, std::string> damagedCopies;
    // Each saved file whose last save did not reach the disk, with why.
    std::map<std::string, SaveFailure> failedSaves;
    // Without a user folder, each file as its last save would have written
    // it: read back in its stead, so that the run goes on from its saves.
    std::map<std::string, TiXmlDocument> heldInMemory;
    // Why the saves of a run of failures failed that the player has not
    // been told of (kNone when none), and of the run told last.
    SaveFailure untoldFailure = SaveFailure::kNone;
    SaveFailure takenFailure = SaveFailure::kNone;
    // How every save fails while there is no user folder.
    SaveFailure withoutFolder = SaveFailure::kNoFolder;
    // What each saved document would come to in its file, kept as it changes.
    CountedDocument countedGameData;
    CountedDocument countedPlayer;
    VolumeListener volumeListener;
    StatsListener statsListener;
};

State& GetState();

// Unlinks and deletes an element; roots at or below it become missing.
void DeleteElement(TiXmlElement* element);

}  // namespace DataTree::detail
