#pragma once
// A packed ".tvk" archive: one data folder's files, each its own zlib stream,
// behind a name-sorted directory. Only reads; the directory is loaded once and
// every opened entry gets a stream with its own file handle.

#include "platform/RefObj.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class ArchiveStream;

struct ArchiveEntry {
    uint32_t dataOffset;
    uint32_t reserved;  // stored by the packer, never interpreted
    uint32_t unpackedSize;
    const char* name;   // points into the names block
};

class FileArchive : public halvo::RefObj {
public:
    static constexpr uint32_t kMagic = 0x32746164;  // "dat2"
    static constexpr uint32_t kNewestVersion = 0x10001;
    static constexpr uint64_t kHeaderSize = 20;
    static constexpr uint64_t kEntrySize = 16;

    FileArchive() = default;
    ~FileArchive() override;

    // Reads the header, directory and names; a damaged or too new archive is
    // refused and the archive stays closed.
    bool Open(const char* path);
    // False, changing nothing, while an entry stream is still open.
    bool Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Case-insensitive look-up (ASCII letters); null when missing, when the
    // archive is closed, or when the entry's stored sizes cannot be right.
    ArchiveStream* OpenEntry(const char* name);

    size_t GetEntryCount() const { return entries_.size(); }
    const ArchiveEntry& GetEntry(size_t index) const { return entries_[index]; }
    int32_t GetOpenStreamCount() const { return openStreams_; }

private:
    friend class ArchiveStream;
    void StreamClosed() { --openStreams_; }

    bool ReadDirectory(std::FILE* file, uint64_t fileSize);
    const ArchiveEntry* FindEntry(const char* name) const;
    bool EntryFitsFile(const ArchiveEntry& entry) const;
    void Discard();

    std::unique_ptr<char[]> names_;
    uint32_t namesSize_ = 0;
    std::vector<ArchiveEntry> entries_;
    std::string path_;
    std::FILE* file_ = nullptr;
    uint64_t fileSize_ = 0;
    int32_t openStreams_ = 0;
};
