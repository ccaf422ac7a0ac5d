#pragma once
// Internal to the data tree: its process-wide documents and root pointers,
// shared by the path code and the document code.

#include <tinyxml.h>

#include "platform/DataTree.h"

#include <deque>
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
    // Saved files kept aside as damaged that the player has not been told of.
    std::deque<std::string> damagedFiles;
    VolumeListener volumeListener;
};

State& GetState();

// Unlinks and deletes an element; roots at or below it become missing.
void DeleteElement(TiXmlElement* element);

}  // namespace DataTree::detail
