#pragma once
// Lists one folder through POSIX opendir/readdir. Failures are reported the
// way the game's data code expects them: a false answer and the standard
// error number (ENAMETOOLONG, ENOENT or ENOMEM) left in errno.

#include <dirent.h>

#include <cstddef>
#include <cstdint>

namespace os {

// Kinds of folder entry, as the data code tests them.
enum : uint32_t {
    kEntryDevice = 0x2000,
    kEntryFolder = 0x4000,
    kEntryFile = 0x8000,
};

// Longest entry name and longest listable path, in characters.
inline constexpr size_t kMaxEntryName = 259;
inline constexpr size_t kMaxListedPath = 259;

struct FolderEntry {
    char name[kMaxEntryName + 1];
    size_t length;
    uint32_t type;  // one of the kEntry kinds, 0 for anything else
};

class FolderListing {
public:
    FolderListing() = default;
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;
    ~FolderListing();

    bool Open(const char* path);
    // Fills the next entry; false once the folder is exhausted. Names longer
    // than kMaxEntryName cannot be represented and are passed over.
    bool Next(FolderEntry& entry);
    void Close();

private:
    uint32_t EntryType(const char* name, unsigned char direntType) const;

    DIR* folder_ = nullptr;
    char path_[kMaxListedPath + 1] = {};
    size_t pathLength_ = 0;
};

}  // namespace os
