#include "support/LocaTableWriter.h"

#include "support/ArchiveWriter.h"

#include <vector>

namespace testsupport {

std::string LocaTableWriter::Build() const {
    std::string bytes(kHeaderSize, '\0');
    std::vector<uint32_t> offsets;
    for (const auto& [key, value] : entries_) {
        offsets.push_back(static_cast<uint32_t>(bytes.size()));
        bytes += key;
        bytes += '\0';
        offsets.push_back(static_cast<uint32_t>(bytes.size()));
        bytes += value;
        bytes += '\0';
    }
    uint32_t indexOffset = static_cast<uint32_t>(bytes.size());
    bytes.resize(bytes.size() + 4 * offsets.size());
    for (size_t i = 0; i < offsets.size(); ++i) {
        ArchiveWriter::PutLe32(bytes, indexOffset + 4 * i, offsets[i]);
    }
    ArchiveWriter::PutLe32(bytes, 0, 0x41434f4c);
    ArchiveWriter::PutLe32(bytes, 4, static_cast<uint32_t>(entries_.size()));
    ArchiveWriter::PutLe32(bytes, 12, indexOffset);
    return bytes;
}

}  // namespace testsupport
