#include "platform/os/FolderListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace os {

FolderListing::~FolderListing() { Close(); }

bool FolderListing::Open(const char* path) {
    Close();
    if (!path) {
        errno = ENOENT;
        return false;
    }
    size_t length = std::strlen(path);
    // Room is kept for the separator and a wildcard the way the listing was
    // always limited, so that the same data fails the same way everywhere.
    if (length + 3 > kMaxListedPath) {
        errno = ENAMETOOLONG;
        return false;
    }
    char resolved[PATH_MAX];
    if (!realpath(path, resolved)) {
        if (errno != ENOENT && errno != ENOTDIR) errno = ENOMEM;
        return false;
    }
    folder_ = opendir(path);
    if (!folder_) {
        errno = ENOENT;
        return false;
    }
    std::memcpy(path_, path, length + 1);
    pathLength_ = length;
    return true;
}

bool FolderListing::Next(FolderEntry& entry) {
    if (!folder_) return false;
    while (dirent* found = readdir(folder_)) {
        size_t length = std::strlen(found->d_name);
        if (length > kMaxEntryName) continue;
        std::memcpy(entry.name, found->d_name, length + 1);
        entry.length = length;
        entry.type = EntryType(found->d_name, found->d_type);
        return true;
    }
    return false;
}

void FolderListing::Close() {
    if (folder_) closedir(folder_);
    folder_ = nullptr;
    pathLength_ = 0;
}

uint32_t FolderListing::EntryType(const char* name, unsigned char direntType) const {
    // Links and file systems without d_type need a status query; links are
    // followed so that a linked data folder behaves like a real one.
    if (direntType == DT_UNKNOWN || direntType == DT_LNK) {
        char full[kMaxListedPath + kMaxEntryName + 2];
        std::memcpy(full, path_, pathLength_);
        full[pathLength_] = '/';
        std::strcpy(full + pathLength_ + 1, name);
        struct stat status;
        if (stat(full, &status) != 0) return 0;
        if (S_ISDIR(status.st_mode)) return kEntryFolder;
        if (S_ISREG(status.st_mode)) return kEntryFile;
        if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) return kEntryDevice;
        return 0;
    }
    switch (direntType) {
    case DT_DIR: return kEntryFolder;
    case DT_REG: return kEntryFile;
    case DT_CHR:
    case DT_BLK: return kEntryDevice;
    default: return 0;
    }
}

}  // namespace os
