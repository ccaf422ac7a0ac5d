#pragma once
// The persistent data tree: every setting, statistic and piece of progress,
// kept as attributes of XML elements in three documents and addressed by
// paths such as "[SETTINGS]/volume_sfx".
//
// Roots: "[ROOT]" (the saved game data), "[SETTINGS]", "[STATS]", "[LOG]"
// (the current profile's parts of it), "[PLAYER]" (the current profile's
// own document) and "[VERSION]" (the shipped "logo/version.xml"). A root
// may be missing; every path through it then fails.
//
// Path grammar: segments separated by '/'. Each segment before the last
// '/' names a child element (the first of that name), a bracketed segment
// restarts the walk at a root, and the text after the last '/' names an
// attribute; a path ending in '/' names the element itself, a path without
// '/' names nothing. Element and attribute names that XML cannot hold are
// stored escaped (EncodeName), so any key survives a save and a reload.
//
// Values written by the typed setters are plain "%d" / "%f" text. Values
// written from script values carry a type prefix ("~i_", "~f_", "~b_",
// "~s_", "~u_"); see script/runtime/library/DataTreeVar.h. Every getter reads both.
// Numbers are written and read the same way whatever the process locale.
//
// Main thread only. Texts handed out point into the tree: they stay valid
// until the tree is next changed.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TiXmlElement;

namespace DataTree {

// A segment (element or attribute name) this long or longer names nothing.
inline constexpr size_t kMaxSegment = 512;
// Paths with more segments name nothing: the tree never grows deeper than a
// saved file may nest when it is read back.
inline constexpr int kMaxSegments = 64;
inline constexpr int32_t kNoSlot = -1;
// Profiles live in slots 0 to kProfileSlots - 1.
inline constexpr int32_t kProfileSlots = 4;

inline constexpr const char* kGameDataFile = "gamedata.xml";
inline constexpr const char* kPlayerFileFormat = "data%d.xml";
inline constexpr const char* kVersionFile = "logo/version.xml";

// ---- paths and values -------------------------------------------------------

// The element that holds the path's attribute (the element itself for a
// path ending in '/'); with `create`, missing elements are appended.
TiXmlElement* Resolve(const char* path, bool create);

// Setters create the missing elements; false when the path resolves to
// nothing (no such root, no '/', a segment too long), or when the change
// would take its saved file past a bound of DataTreeBounds.h: then the
// value is not kept and one line on the log names the path and the bound,
// so that every file the game keeps can be written and read back.
bool SetInt(const char* path, int32_t value);
bool SetFloat(const char* path, float value);
bool SetString(const char* path, const char* text);
// The same for code that keeps attributes of an element Resolve gave it
// (scene states, inventories): `name` as EncodeName gives it.
bool SetAttribute(TiXmlElement* element, const std::string& name, const char* value);
bool RemoveAttribute(TiXmlElement* element, const std::string& name);

// Null when missing. "~s_" values come without their prefix; the other
// prefixed values have no 8-bit text and read as null.
const char* GetString(const char* path);
// The attribute's text exactly as stored, or null.
const char* GetStoredText(const char* path);
// 0 when missing; prefixed values are decoded, floats truncated, plain
// text read as a decimal number.
int32_t GetInt(const char* path);
float GetFloat(const char* path);

// Path ending in '/': the element exists; otherwise the attribute does.
bool Exists(const char* path);
// Removes the attribute, or for a path ending in '/' the element with its
// whole subtree. Roots inside a removed element become missing.
bool Remove(const char* path);

// The prefix letter of a script value text ('i', 'f', 'b', 's', 'u'), or 0.
char ValuePrefix(const char* stored);
inline constexpr size_t kPrefixLength = 3;

// Names that XML can hold come back unchanged, so files written before
// stay readable; any other name is stored as "_-" followed by its bytes,
// with '-' and every byte XML refuses written as '-' and two hex digits.
// Scene-state and inventory code that handles attributes itself uses these.
std::string EncodeName(std::string_view name);
std::string DecodeName(std::string_view stored);

// ---- documents and profiles -------------------------------------------------

// Empties the profile state and builds fresh game data with its defaults.
void Init();
// Start-up: reads "logo/version.xml" through the file manager, then the
// saved game data from `userFolder`, and reopens the last profile, with its
// game started over when its player file is missing or damaged. A saved
// file is damaged when it is not one the game writes: past the bounds of
// DataTreeBounds.h (checked before it is parsed, so that no file takes
// longer or more memory than a real one), not XML, or without the game's
// element "root" (an empty game is "<root />"), or read but past those
// bounds as a save would write it back (indented, escaped); so is anything
// under the name that is not a file (a folder, a named pipe, a device),
// refused without waiting on it. It is kept aside as "<name>.bad"
// ("<name>.bad2" and on when older copies are there) and treated as
// missing; one that cannot be moved aside stays, and no save
// writes over it. Game data with parts missing gets them from the defaults
// of a first start, its profiles' settings too (a named profile without
// any gets them all). Without the game data, every slot's player file is
// read to find those. The staged files of saves cut short are removed.
// Without a user folder (empty) nothing is read or saved, each save failing
// as kNoFolder, or as kFolderNotMade when `folderNotMade` tells that there
// was a home but the folder could not be made in it.
void Load(const std::string& userFolder, bool folderNotMade = false);
// The folder of the saved files, ending in '/'; empty before Load.
const std::string& GetUserFolder();
// The name within the user folder of a saved file that could not be read
// since Load, the oldest first; each is handed out once, so that the player
// is told once. Empty when none is left.
std::string TakeDamagedFile();
// The name in the user folder the damaged file `name` was last kept aside
// as ("data0.xml.bad2"); empty when it could not be moved and stays as it
// is, or was not found damaged.
std::string GetDamagedCopy(const std::string& name);

// Why a save did not reach the disk.
enum class SaveFailure {
    kNone,
    // No user folder (no home to make it in): nothing of the run is kept.
    kNoFolder,
    // The user folder could not be made (a file stands under its name, or
    // the documents folder refuses it): nothing of the run is kept.
    kFolderNotMade,
    // The folder refused the file: full, write-protected, or a damaged file
    // that could not be moved aside stands in its place.
    kRefused,
    // The next start would refuse the file: past a bound of DataTreeBounds.h.
    kPastBounds,
    // A deleted player's file could not be removed: their game stays on disk,
    // though no profile names it any more.
    kNotRemoved,
};

// Writes "gamedata.xml" / the current player document; false on failure,
// which leaves the previous file in place. A document whose file the next
// start would refuse (past the bounds) is not written: that is a failure.
// One the folder refuses while the file already holds it byte for byte
// lost nothing, and is a good save. While a new game is held back
// (StartPlayerOverHeld) SavePlayer writes nothing: the file keeps the game
// under way.
bool SaveGameData();
bool SavePlayer();
// True while the last save of any saved file did not reach the disk and no
// later save of that file did: what changed since its last good save is
// not kept.
bool LastSaveFailed();
struct UnsavedFile {
    std::string name;  // in the user folder: "data0.xml"
    SaveFailure why = SaveFailure::kRefused;
};
// The files LastSaveFailed speaks of, by name.
std::vector<UnsavedFile> UnsavedFiles();
// True once per run of failed saves of a file, the first time it is asked
// after its save failed (even when a good save followed); false again until
// a save of that file succeeds and a later one fails, so that the player is
// told once and not at every save.
bool TakeSaveFailure();
// Why the saves of the run TakeSaveFailure last handed out failed; kNone
// before it handed one out.
SaveFailure TakenSaveFailure();

// Makes a new profile in the slot and opens it: the game data naming it and
// its empty player file are both written, a file already in the slot kept
// aside as "data<slot>.xml.old" (numbered after the first). False when any
// of that fails: then neither file nor the tree in memory has changed (the
// previous profile stays open) and no file in the slot was moved. A death
// at any step leaves no profile, or the new one with its game started over
// at the next start; never one on the slot's old file. A refused profile
// is told by its caller: the next TakeSaveFailure hands it out, with why.
// Without a user folder it is made in memory alone and played unsaved, each
// save failing as the folder's absence is told.
bool CreateProfile(int32_t slot, std::u16string_view name);
// False without changing anything when the slot has no profile; false,
// with the slot's settings, statistics and logs open but "[PLAYER]"
// missing and the current slot unchanged, when its player file is missing
// or damaged. Without a user folder the player file is what the run's last
// save of it would have written, held in memory until the next Load.
bool OpenProfile(int32_t slot);
// Opens the slot's profile with a new, empty player document, written at
// once: the game starts over, the profile's settings, statistics and logs
// stay. False without changing anything when the slot has no profile or
// the new player file cannot be written (without a user folder the new
// game is played unsaved).
bool StartPlayerOver(int32_t slot);
// StartPlayerOver for a new game that must not cost the game under way
// before it has begun: the open profile's player document is kept aside, an
// empty one opens in its place, and the player file is not written (a
// SavePlayer writes nothing and answers true) until KeepNewPlayer, or
// PutOldPlayerBack opens the kept one again. Whether the file would take
// the new game is tried first, its bytes staged beside it and dropped, the
// file untouched: false, changing nothing, when the slot has no profile or
// the file would refuse them. A refused trial is told as a refused new
// profile is (the next TakeSaveFailure hands it out, with why) and is no
// failed save of the file, which still holds the game under way. A slot
// whose game is not open has none to keep: it starts over as
// StartPlayerOver does.
// Opening any profile, this one again among them, drops what was kept.
bool StartPlayerOverHeld(int32_t slot);
// The new game has begun: the kept document goes and the player file is
// saved, with SavePlayer's answer. True, doing nothing, when none is kept.
bool KeepNewPlayer();
// The new game did not begin: the kept document is the open one again, as
// it was, its file never written over. False when none is kept.
bool PutOldPlayerBack();
// Whether a game under way is kept aside for a new one (StartPlayerOverHeld).
bool HoldsPlayerAside();
void SetCurrentSlot(int32_t slot);
int32_t GetCurrentSlot();
// True when the slot's profile was deleted: the game data is saved without
// it first, then its player file goes (kept copies, ".bad" and ".old",
// stay) and a failed save of that file no longer counts as unsaved. A
// player file that cannot be removed stays, and counts as a failed save of
// it (kNotRemoved), told as one, until a new profile's file takes its place
// and keeps it aside as ".old". False, changing nothing, when the slot has
// no profile or the game data cannot be saved without it: told as a refused
// new profile is (the next TakeSaveFailure hands it out, with why), while
// the game data's last save stands as it was, for nothing of it was lost.
// Without a user folder the profile goes in memory alone.
bool DeleteProfile(int32_t slot);
// Slot -1 asks for the current slot.
bool GetProfileName(int32_t slot, std::u16string& out);
inline bool ProfileExists(int32_t slot, std::u16string& out) { return GetProfileName(slot, out); }

// ---- language -----------------------------------------------------------------

bool CanChangeLanguage();
// Empty past the last language.
std::string GetLanguageByPos(int32_t index);
bool ChangeLanguage(const char* code);
// Start-up choice, first success wins: the profile's saved language, the
// system's UI language (low byte 7 german, 9 english), the version
// document's default (which is then stored as the setting). True when a
// table loaded.
bool ChooseLanguage(uint16_t systemUiLanguage);

// The global volumes in force: the current profile's settings, or the
// game-wide options while no profile is open.
void GetVolumes(float* sfx, float* music);

// Receives the effect and music volumes whenever the current slot changes;
// the sound system installs it.
using VolumeListener = std::function<void(float sfx, float music)>;
void SetVolumeListener(VolumeListener listener);

// What a statistics listener hears: the open profile's statistics
// ("[STATS]") are about to be left, still open (also just before a new
// profile's game data is copied from the tree, whether or not it is then
// made), or another profile's have opened in their stead.
enum class StatsChange { kLeaving, kOpened };
// The game installs it: what it counts in memory for a player goes into
// that player's statistics before another's open, and counts on from theirs.
using StatsListener = std::function<void(StatsChange change)>;
void SetStatsListener(StatsListener listener);

}  // namespace DataTree
