#pragma once
// The module file stream on a standard buffered file.

#include "script/runtime/machine/ScriptIO.h"

#include <cstdio>

namespace Vrel {

class FileIO : public ScriptIO {
public:
    FileIO() = default;
    ~FileIO() override;

    // Mode "rb"; records the file's size.
    bool OpenRead(const char* path) override;
    void Read(void* buffer, uint32_t size) override;
    // Also reports a failed final flush through the error flag.
    void Close() override;
    // Mode "wb"; a write-protected file is made writable and opened again.
    bool OpenWrite(const char* path) override;
    void Write(const void* buffer, uint32_t size) override;
    uint64_t Remaining() const override;

    uint32_t GetSize() const { return size_; }

private:
    uint32_t size_ = 0;
    uint64_t position_ = 0;
    std::FILE* file_ = nullptr;
    bool reading_ = false;
};

}  // namespace Vrel
