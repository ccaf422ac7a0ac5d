#include "platform/FileArchive.h"

#include "platform/ArchiveStream.h"
#include "platform/AsciiCase.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Deflate cannot expand more than this per input byte (plus a small
// constant), so a larger stored size can only be a lie.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr uint64_t kInflateSlack = 64;
// Read counts are 32-bit signed, so no entry may be larger.
constexpr uint64_t kMaxEntrySize = 0x80000000u;

uint32_t ReadLe32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

bool ReadExactly(std::FILE* file, void* buffer, size_t size) {
    return size == 0 || std::fread(buffer, 1, size, file) == size;
}

bool FileSize(std::FILE* file, uint64_t& size) {
    if (fseeko(file, 0, SEEK_END) != 0) return false;
    off_t end = ftello(file);
    if (end < 0 || fseeko(file, 0, SEEK_SET) != 0) return false;
    size = static_cast<uint64_t>(end);
    return true;
}

}  // namespace

FileArchive::~FileArchive() { Close(); }

bool FileArchive::Open(const char* path) {
    Close();
    if (!path || openStreams_ != 0) return false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    uint64_t fileSize = 0;
    if (!FileSize(file, fileSize) || !ReadDirectory(file, fileSize)) {
        std::fclose(file);
        Discard();
        return false;
    }
    file_ = file;
    fileSize_ = fileSize;
    path_ = path;
    return true;
}

bool FileArchive::ReadDirectory(std::FILE* file, uint64_t fileSize) {
    unsigned char header[kHeaderSize];
    if (!ReadExactly(file, header, sizeof header)) return false;
    if (ReadLe32(header) != kMagic || ReadLe32(header + 4) > kNewestVersion) return false;
    int32_t storedCount = static_cast<int32_t>(ReadLe32(header + 12));
    uint64_t count = storedCount > 0 ? uint64_t(storedCount) : 0;
    uint32_t namesSize = ReadLe32(header + 16);
    // Everything the header promises must be in the file before anything is
    // allocated from its numbers.
    if (kHeaderSize + kEntrySize * count + namesSize > fileSize) return false;

    std::vector<unsigned char> directory(kEntrySize * count);
    if (!ReadExactly(file, directory.data(), directory.size())) return false;
    std::unique_ptr<char[]> names(new (std::nothrow) char[namesSize + 1]);
    if (!names || !ReadExactly(file, names.get(), namesSize)) return false;
    names[namesSize] = 0;
    if (count > 0 && (namesSize == 0 || names[namesSize - 1] != 0)) return false;

    std::vector<ArchiveEntry> entries(count);
    for (uint64_t i = 0; i < count; ++i) {
        const unsigned char* raw = directory.data() + kEntrySize * i;
        uint32_t nameOffset = ReadLe32(raw + 12);
        if (nameOffset >= namesSize) return false;
        entries[i] = {ReadLe32(raw), ReadLe32(raw + 4), ReadLe32(raw + 8), names.get() + nameOffset};
    }
    names_ = std::move(names);
    namesSize_ = namesSize;
    entries_ = std::move(entries);
    return true;
}

bool FileArchive::Close() {
    if (openStreams_ != 0) return false;
    if (file_) std::fclose(file_);
    file_ = nullptr;
    Discard();
    return true;
}

void FileArchive::Discard() {
    names_.reset();
    namesSize_ = 0;
    entries_.clear();
    entries_.shrink_to_fit();
    path_.clear();
    fileSize_ = 0;
}

ArchiveStream* FileArchive::OpenEntry(const char* name) {
    if (!IsOpen() || !name) return nullptr;
    const ArchiveEntry* entry = FindEntry(name);
    if (!entry || !EntryFitsFile(*entry)) return nullptr;
    ArchiveStream* stream = ArchiveStream::Open(this, *entry);
    if (stream) ++openStreams_;
    return stream;
}

const ArchiveEntry* FileArchive::FindEntry(const char* name) const {
    auto first = std::lower_bound(entries_.begin(), entries_.end(), name,
        [](const ArchiveEntry& entry, const char* wanted) {
            return halvo::AsciiCompareNoCase(entry.name, wanted) < 0;
        });
    if (first == entries_.end() || !halvo::AsciiEqualNoCase(first->name, name)) return nullptr;
    return &*first;
}

bool FileArchive::EntryFitsFile(const ArchiveEntry& entry) const {
    if (entry.dataOffset > fileSize_) return false;
    if (entry.unpackedSize >= kMaxEntrySize) return false;
    uint64_t packed = fileSize_ - entry.dataOffset;
    return entry.unpackedSize <= kMaxInflateRatio * packed + kInflateSlack;
}
