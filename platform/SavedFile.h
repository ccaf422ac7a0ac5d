#pragma once
// The player's files on disk. A save never leaves a half-written file: the
// bytes go to "<name>.tmp", are flushed to the disk and only then renamed
// over the old file. A file that cannot be used is moved aside as
// "<name>.bad" rather than overwritten by the next save.

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
// Renames the file to "<path>.bad", replacing an older one.
bool KeepAsDamaged(const std::string& path);

}  // namespace SavedFile
