#include "tools/datawriters/LocaTableWriter.h"

#include <vector>

namespace {

void PutLe32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

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
    const auto indexOffset = static_cast<uint32_t>(bytes.size());
    bytes.resize(bytes.size() + 4 * offsets.size());
    for (size_t i = 0; i < offsets.size(); ++i) PutLe32(bytes, indexOffset + 4 * i, offsets[i]);
    PutLe32(bytes, 0, kMagic);
    PutLe32(bytes, 4, static_cast<uint32_t>(entries_.size()));
    PutLe32(bytes, 12, indexOffset);
    return bytes;
}
