#pragma once

#include <cstdint>
#include <cstdio>

class ArchiveStream;

// One open data file, owned by the caller from FileManager::OpenFile until
// FileManager::Close. Exactly one of file and entry is set.
struct FileHandle {
    std::FILE* file = nullptr;
    ArchiveStream* entry = nullptr;
    uint32_t size = 0;  // for an archive entry: its unpacked size
};
