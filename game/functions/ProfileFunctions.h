#pragma once
// The script functions that keep the player's progress and choices in the
// data tree: values stored by scripts, settings by path, the profiles in
// their four slots, the language and the states of adventure hotspots.
// Nothing here saves a file unless it says so.

#include "platform/DataTree.h"
#include "script/runtime/library/FunctionAdapter.h"

namespace ProfileFunctions {

// The profile slots scripts may create: 0 to 3.
inline constexpr int32_t kSlotCount = DataTree::kProfileSlots;

// "SetValue"(key, value): exactly two arguments, the key a text; stores the
// value under "[PLAYER]/Data/<key>" (a key with '/' nests elements).
void SetValue(Vrel::t_Interface& call);
// "GetValue"(key): the stored value, nil when there is none.
Vrel::Var GetValue(Vrel::t_Interface& call);

// Settings by their whole data-tree path; missing values read as 0, 0.0 or
// empty text, and a path the tree cannot hold is not stored (false).
float OptionsGetFloat(const char* path);
bool OptionsSetFloat(const char* path, float value);
int32_t OptionsGetInt(const char* path);
bool OptionsSetInt(const char* path, int32_t value);
const char* OptionsGetString(const char* path);
bool OptionsSetString(const char* path, const char* value);
// Saves the settings file; the argument is ignored.
void OptionsSave(int32_t ignored);

Vrel::Var GetPlayerName(int32_t slot);
int32_t GetCurrentProfileSlot();
bool SetCurrentProfileSlot(int32_t slot);
bool DeleteProfile(int32_t slot);
// "CreateProfile"(slot, name): exactly two arguments, a slot of 0 to 3 and a
// name given as text; the new profile is the open one. False when it could
// not be saved (see DataTree::CreateProfile).
bool CreateProfile(Vrel::t_Interface& call);
// Opens the slot's profile with its game started over: a new player file,
// the settings and statistics kept. False, changing nothing, for a slot
// without a profile, when the new file cannot be written, or for the open
// profile when a new game cannot start (Game::CanStartNewGame, which tells
// the author why). The open profile's file keeps its game under way until
// the new game's first scene has loaded (Game::HoldForNewGame).
bool StartPlayerOver(int32_t slot);

// The name of a saved file that could not be read ("gamedata.xml",
// "data2.xml"), each handed out once, the oldest first; empty text when the
// player has been told of all of them.
const char* TakeDamagedSave();
// "GetDamagedSaveCopy"(name): the name that damaged file was kept aside as
// ("data2.xml.bad"); empty text when it could not be moved and stays as it
// is, never written over.
const char* GetDamagedSaveCopy(const char* name);
// True once per run of failed saves (see DataTree::TakeSaveFailure): a
// script that tells the player of a failed save takes it, so that the game
// does not tell the same failure again.
bool TakeSaveFailure();
// Why the saves of the run TakeSaveFailure last handed out failed:
// "no_folder" (the game has none to save in: no home), "folder_not_made"
// (the folder to save in could not be made), "refused" (the folder refused
// the file: full, write-protected, or a damaged file in the way),
// "past_bounds" (the file would pass the bounds the game reads back),
// "not_removed" (a deleted player's game could not be removed and stays);
// empty text before a run was handed out.
const char* SaveFailureReason();

bool CanChangeLanguage();
const char* GetLanguageByPos(int32_t position);
bool ChangeLanguage(const char* language);
const char* GetLoadedLanguage();

// "GetHotspotState"(name, [scene]) and "SetHotspotState"(name, value,
// [scene]): "[PLAYER]/scenes/<scene>/<name>", the scene being the shown
// adventure scene when none is given.
bool GetHotspotState(Vrel::t_Interface& call);
void SetHotspotState(Vrel::t_Interface& call);

}  // namespace ProfileFunctions
