#pragma once
// One open entry of a FileArchive: its own handle on the archive file and its
// own inflate state, so that several entries can be read side by side.

#include "platform/FileArchive.h"
#include "platform/RefObj.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>

class ArchiveStream {
public:
    static constexpr size_t kInputBufferSize = 0x20000;

    // Whole items inflated into buffer: fewer than asked when the entry or
    // the file ends early, 0 once the end has been reached, -1 for damaged
    // data. A null buffer skips that many items.
    int32_t Read(void* buffer, size_t itemSize, size_t itemCount);
    // Releases the stream (the object is gone afterwards).
    void Close();

    uint32_t GetSize() const { return size_; }

private:
    friend class FileArchive;
    // Null when the archive file cannot be reopened or zlib cannot start.
    static ArchiveStream* Open(FileArchive* archive, const ArchiveEntry& entry);

    ArchiveStream() = default;
    ~ArchiveStream();
    ArchiveStream(const ArchiveStream&) = delete;
    ArchiveStream& operator=(const ArchiveStream&) = delete;

    // Inflates up to `room` bytes into out; the byte count, or -1.
    int64_t Inflate(unsigned char* out, size_t room);
    bool Refill();

    halvo::AutoRef<FileArchive> archive_;
    std::FILE* file_ = nullptr;
    z_stream inflater_ = {};
    bool inflaterReady_ = false;
    bool atEnd_ = false;
    uint32_t size_ = 0;
    unsigned char input_[kInputBufferSize];
};
