#pragma once
// All game data is read through a FileManager: mounted roots searched in
// mount order, where any folder may instead be a packed ".tvk" archive. It
// only reads. Failures answer null and write no message: the caller decides.
//
// Path rules: '/' and '\' both separate components and empty components are
// dropped. Folder and archive names match exactly; the final file name is
// tried exactly and then, ignoring ASCII case, against the folder listing.
// Archive entries are found ignoring ASCII case.

#include "platform/DirInfo.h"
#include "platform/FileHandle.h"
#include "platform/LoadedFile.h"
#include "platform/RefObj.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FileManager : public halvo::RefObj {
public:
    // Longest formatted name; anything longer is treated as missing.
    static constexpr size_t kMaxNameLength = _DirInfo::kMaxPathLength - 1;
    static constexpr size_t kMaxComponents = kMaxNameLength / 2 + 1;

    // The main thread's instance.
    static FileManager& Global();

    // Mounts a root and lists it at once; mount order is search order.
    void AddRoot(const char* path);
    // Unmounts every root mounted under exactly that path.
    void RemoveRoot(const std::string& path);
    // The game's data roots: "Data/Windows", "Data/Shared", "Data/Global".
    void MountDataRoots();
    // For the sound thread's own instance: mounts, in order, the roots of
    // `global` whose path ends in "Global" or "Shared" (ignoring case).
    void MountSoundRoots(const FileManager& global);
    std::vector<std::string> GetRootPaths() const;

    // The caller owns the handle and gives it back with Close.
    FileHandle* OpenFile(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Whole items read (fewer at the end of the file, 0 once there); a null
    // buffer skips itemSize * itemCount bytes. -1 on error.
    static int32_t Read(FileHandle* handle, void* buffer, size_t itemSize, size_t itemCount);
    static void Close(FileHandle* handle);

    // The whole file followed by a 0 byte, in a buffer the caller releases
    // with free(). Null (and size 0) when the file is missing, cannot be
    // read completely or the buffer cannot be had.
    char* LoadFile(uint32_t* outSize, const char* format, ...) __attribute__((format(printf, 3, 4)));

    // Formats a data name printf-style; false when the format is null or the
    // name is longer than maxLength: a truncated name must never open some
    // other, shorter file.
    using NameBuffer = char[kMaxNameLength + 1];
    static bool FormatName(NameBuffer& name, size_t maxLength, const char* format, va_list args)
        __attribute__((format(printf, 3, 0)));

    // Forgets every folder listing and opened archive, so that files added
    // since become visible at the next look-up.
    void ResetDirectoryCaches();

private:
    FileHandle* OpenFormatted(const char* format, va_list args) __attribute__((format(printf, 2, 0)));
    FileHandle* OpenName(const char* name);
    static bool ReadWhole(FileHandle* handle, char* buffer, uint32_t size);

    halvo::AutoRefVector<_DirInfo> roots_;
};
