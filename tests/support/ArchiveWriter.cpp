#include "support/ArchiveWriter.h"

#include "platform/AsciiCase.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace testsupport {

namespace {

void AppendLe32(std::string& bytes, uint32_t value) {
    bytes.resize(bytes.size() + 4);
    ArchiveWriter::PutLe32(bytes, bytes.size() - 4, value);
}

}  // namespace

void ArchiveWriter::PutLe32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

std::string ArchiveWriter::Compress(std::string_view content) {
    uLongf size = compressBound(content.size());
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(content.data()), content.size(), 6) != Z_OK) {
        throw std::runtime_error("compress2 failed");
    }
    packed.resize(size);
    return packed;
}

void ArchiveWriter::Add(std::string_view name, std::string_view content) {
    AddPacked(name, Compress(content), static_cast<uint32_t>(content.size()));
}

void ArchiveWriter::AddPacked(std::string_view name, std::string_view packed, uint32_t unpackedSize) {
    entries_.push_back({std::string(name), std::string(packed), unpackedSize});
}

std::string ArchiveWriter::Build() const {
    std::vector<Pending> sorted = entries_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Pending& a, const Pending& b) {
        return halvo::AsciiCompareNoCase(a.name, b.name) < 0;
    });
    std::string names;
    std::vector<uint32_t> nameOffsets;
    for (const Pending& entry : sorted) {
        nameOffsets.push_back(static_cast<uint32_t>(names.size()));
        names += entry.name;
        names += '\0';
    }
    std::string bytes;
    AppendLe32(bytes, 0x32746164);
    AppendLe32(bytes, version_);
    AppendLe32(bytes, 0x5157);
    AppendLe32(bytes, static_cast<uint32_t>(sorted.size()));
    AppendLe32(bytes, static_cast<uint32_t>(names.size()));
    size_t dataOffset = kHeaderSize + kEntrySize * sorted.size() + names.size();
    for (size_t i = 0; i < sorted.size(); ++i) {
        AppendLe32(bytes, static_cast<uint32_t>(dataOffset));
        AppendLe32(bytes, static_cast<uint32_t>(sorted[i].packed.size()));
        AppendLe32(bytes, sorted[i].unpackedSize);
        AppendLe32(bytes, nameOffsets[i]);
        dataOffset += sorted[i].packed.size();
    }
    bytes += names;
    for (const Pending& entry : sorted) bytes += entry.packed;
    return bytes;
}

}  // namespace testsupport
