#pragma once
// Internal to the data tree: its process-wide documents and root pointers,
// shared by the path code and the document code.

#include <tinyxml.h>

#include "platform/DataTree.h"

#include <deque>
#include <map>
#include <memory>
#include <string>

namespace DataTree::detail {

struct State {
    std::unique_ptr<TiXmlDocument> gameData = std::make_unique<TiXmlDocument>();
    TiXmlDocument version;
    std::unique_ptr<TiXmlDocument> player;
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
    // The last document save did not reach the disk.
    bool lastSaveFailed = false;
    // A run of failed saves began that the player has not been told of.
    bool saveFailureUntold = false;
    VolumeListener volumeListener;
};

State& GetState();

// Unlinks and deletes an element; roots at or below it become missing.
void DeleteElement(TiXmlElement* element);

}  // namespace DataTree::detail
