#pragma once
// Internal to the data tree: the pieces of its saved documents that the
// making and deleting of profiles (DataTreeProfiles.cpp) shares with their
// reading, opening and saving (DataTreeDocuments.cpp).

#include <tinyxml.h>

#include "platform/DataTree.h"

#include <cstdint>
#include <memory>
#include <string>

namespace DataTree::detail {

std::string SlotName(int32_t slot);
std::string PlayerFileName(int32_t slot);
// The path of the user folder's file `name`.
std::string UserFile(const std::string& name);

// An empty document as the game writes one: its declaration and "root".
std::unique_ptr<TiXmlDocument> NewDocument();
// Null when the child would take a saved document past a bound (told on
// the log), so that what the game adds itself never makes a file it cannot
// write.
TiXmlElement* AddChild(TiXmlElement* parent, const char* name);
TiXmlElement* FindOrAddChild(TiXmlElement* parent, const char* name);
// The settings every profile starts with, as the game-wide options do,
// wherever `options` lacks them.
void AddMissingSettings(TiXmlElement* options);

// A damaged file that could not be moved aside: it stays where it is.
bool IsHeldDamaged(const std::string& name);
// The bytes a save of the document writes to the user folder's file `name`;
// kNone, or why nothing may be written: a damaged file that stays there
// (kRefused), or bytes the next start would refuse (kPastBounds). The
// callers have a user folder.
SaveFailure PrintForSave(const TiXmlDocument& document, const std::string& name, std::string& bytes);
// Writes the document to the user folder's file `name`: kNone, or why it
// did not reach the disk.
SaveFailure WriteDocument(const TiXmlDocument& document, const std::string& name);
// Notes how the save of a document in use went; true when it reached the disk.
bool NoteSave(const std::string& name, SaveFailure failure);
// Writes the document and notes how it went: true when it reached the disk,
// or when, without a user folder, it is held in memory for a run that plays
// on unsaved.
bool SaveForPlay(const TiXmlDocument& document, const std::string& name);
// A new profile, a new game or a delete refused whole changed nothing and
// is told by the caller that asked for it: `why` is what the next
// TakeSaveFailure hands out, whatever was untold before.
void TellRefusedWhole(SaveFailure why);

// Tells the statistics listener of the change while "[STATS]" is open.
void TellStats(StatsChange change);
// Closes "[SETTINGS]", "[STATS]", "[LOG]" and "[PLAYER]", the statistics
// listener told first.
void CloseProfileRoots();
// Points the profile roots at the slot's settings, statistics and logs,
// "[PLAYER]" closed, and tells the statistics listener; false, changing
// nothing, when the slot has no profile.
bool OpenSlotRoots(int32_t slot);
// Makes `player` the open player document and its slot the current one.
void OpenPlayer(std::unique_ptr<TiXmlDocument> player, int32_t slot);

}  // namespace DataTree::detail
