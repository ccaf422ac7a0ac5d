#pragma once
// The player's files on disk. A save never leaves a half-written file: the
// bytes go to "<name>.tmp", are flushed to the disk and only then renamed
// over the old file. A file that cannot be used is moved aside as
// "<name>.bad" rather than overwritten by the next save; later copies are
// numbered ("<name>.bad2", ...), so none replaces another.

#include <cstddef>
#include <string>
#include <string_view>

namespace SavedFile {

// Larger files are not player data; they count as damaged.
inline constexpr size_t kMaxSize = size_t(64) << 20;

enum class ReadResult { kLoaded, kMissing, kUnreadable };

// False (and the old file untouched) when any step fails.
bool WriteAtomically(const std::string& path, std::string_view bytes);
ReadResult ReadWhole(const std::string& path, std::string& out);
// The copies of one file kept aside: "<path>.bad", then "<path>.bad2" up
// to this number, far more than one player's folder gathers; it bounds the
// names tried, and past it a file can no longer be moved aside.
inline constexpr int kMaxCopies = 99;

// Renames the file to the first free name of "<path>.bad", "<path>.bad2",
// ...; that name, or empty when it could not be moved (it then stays).
std::string KeepAsDamaged(const std::string& path);
// Moves a readable file that a new one would replace aside the same way, as
// "<path>.old", "<path>.old2", ...; true when nothing stands at `path` any
// more, false (the file untouched) when it could not be moved.
bool KeepAsOld(const std::string& path);

}  // namespace SavedFile
