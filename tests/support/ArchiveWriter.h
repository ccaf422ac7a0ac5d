#pragma once
// Builds ".tvk" archives for tests and fuzz seeds: header "dat2", directory
// sorted ignoring ASCII case, names block, one zlib stream per entry. Tests
// damage the bytes afterwards to check that the reader refuses them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class ArchiveWriter {
public:
    static constexpr size_t kHeaderSize = 20;
    static constexpr size_t kEntrySize = 16;

    void SetVersion(uint32_t version) { version_ = version; }
    // Stores `content` compressed.
    void Add(std::string_view name, std::string_view content);
    // Stores `packed` as it is, claiming `unpackedSize`.
    void AddPacked(std::string_view name, std::string_view packed, uint32_t unpackedSize);

    std::string Build() const;

    // Offset of the directory entry at `index` (sorted order) in Build()'s bytes.
    static size_t EntryOffset(size_t index) { return kHeaderSize + kEntrySize * index; }
    static std::string Compress(std::string_view content);
    static void PutLe32(std::string& bytes, size_t offset, uint32_t value);

private:
    struct Pending {
        std::string name;
        std::string packed;
        uint32_t unpackedSize;
    };
    uint32_t version_ = 0x10001;
    std::vector<Pending> entries_;
};

}  // namespace testsupport
