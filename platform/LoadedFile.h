#pragma once
// Ownership of a buffer that FileManager::LoadFile handed out.

#include <cstdlib>
#include <memory>

struct FreeLoadedFile {
    void operator()(char* buffer) const { std::free(buffer); }
};
using LoadedFile = std::unique_ptr<char, FreeLoadedFile>;
