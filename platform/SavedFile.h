#pragma once
// The player's files on disk. A save never leaves a half-written file: the
// bytes go to "<name>.tmp", are flushed to the disk and only then renamed
// over the old file. A file that cannot be used is moved aside as
// "<name>.bad" rather than overwritten by the next save, and one a new file
// replaces as "<name>.old"; later copies are numbered ("<name>.bad2", ...),
// so none replaces another.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace SavedFile {

// Larger files are not player data (a player's files hold tens of
// kilobytes); they count as damaged. The data tree's parser takes some
// 30 ns a byte, so that a file this large loads in about a tenth of a second.
inline constexpr size_t kMaxSize = size_t(4) << 20;

// kNotAFile: a folder, a named pipe, a device or a link to one, refused
// without waiting on it.
enum class ReadResult { kLoaded, kMissing, kUnreadable, kTooLarge, kNotAFile };

// False (and the old file untouched) when any step fails.
bool WriteAtomically(const std::string& path, std::string_view bytes);
// A save in two steps, for a file that must not replace the old one before
// something else is saved: the bytes go to "<path>.tmp" and reach the disk;
// false, with nothing left behind, when that fails. What stands under that
// name is a leftover and goes first, a named pipe or a link too, without
// being waited on or written through; a folder there refuses the save.
bool Stage(const std::string& path, std::string_view bytes);
// Renames the staged file over `path`; false, the staged file removed and
// `path` untouched, when that fails.
bool CommitStaged(const std::string& path);
// Removes the staged file of `path`, as a start does with one a save cut
// short left behind; a folder standing under that name is not one and stays.
void DropStaged(const std::string& path);
ReadResult ReadWhole(const std::string& path, std::string& out);
// The copies of one file kept aside: "<path>.bad", then "<path>.bad2" up
// to this number, far more than one player's folder gathers; it bounds the
// names tried, and past it a file can no longer be moved aside.
inline constexpr int kMaxCopies = 99;

// Renames the file to the first free name of "<path>.bad", "<path>.bad2",
// ...; that name, or empty when it could not be moved (it then stays).
std::string KeepAsDamaged(const std::string& path);
// Moves the file under `path`, if any, aside the same way as "<path>.old",
// "<path>.old2", ..., so that a file put there later writes over nothing:
// true with that name in `kept` (empty when nothing stood there); false,
// the file untouched, when it could not be moved.
bool KeepAsOld(const std::string& path, std::string& kept);
// Moves a file KeepAsOld kept aside back to `path`; false when it stays.
bool PutBack(const std::string& kept, const std::string& path);
// Removes the file; false, logged, when it is still there.
bool Remove(const std::string& path);

// Called before each step that changes the folder (creating a staged file,
// a rename, a removal) with what the step is and the name it brings or
// removes. Tests stop the process there as a kill or a power cut would, or
// put an obstacle in the way; the game sets none.
using StepWatcher = std::function<void(std::string_view step, const std::string& path)>;
void SetStepWatcher(StepWatcher watcher);

}  // namespace SavedFile
