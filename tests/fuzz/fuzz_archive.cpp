// Archive directory and entry streams from arbitrary bytes: opening must
// refuse or succeed without touching memory it does not own, and every
// entry must read to an end (or an error) within its stated size.

#include "platform/ArchiveStream.h"
#include "platform/FileArchive.h"
#include "support/TempFolder.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxEntriesRead = 8;
constexpr size_t kPiece = 8192;

void ReadEntry(FileArchive& archive, const ArchiveEntry& entry, bool skipFirst) {
    ArchiveStream* stream = archive.OpenEntry(entry.name);
    if (!stream) return;
    std::vector<unsigned char> buffer(kPiece);
    uint64_t total = 0;
    if (skipFirst) {
        int32_t skipped = stream->Read(nullptr, 3, 100);
        if (skipped > 0) total += uint64_t(skipped) * 3;
    }
    int32_t got;
    while ((got = stream->Read(buffer.data(), 1, buffer.size())) > 0) {
        total += uint64_t(got);
        if (total > uint64_t(entry.unpackedSize) + kPiece) __builtin_trap();
    }
    stream->Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static testsupport::TempFolder folder;
    static const std::string path = folder / "fuzz.tvk";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    halvo::AutoRef<FileArchive> archive(new FileArchive);
    if (!archive->Open(path.c_str())) return 0;
    size_t count = archive->GetEntryCount();
    for (size_t i = 0; i < count && i < kMaxEntriesRead; ++i) {
        ReadEntry(*archive, archive->GetEntry(i), i % 2 == 1);
    }
    if (size > 24) {
        std::string name(reinterpret_cast<const char*>(data) + size - 8, 8);
        if (ArchiveStream* stream = archive->OpenEntry(name.c_str())) stream->Close();
    }
    if (!archive->Close()) __builtin_trap();
    return 0;
}
