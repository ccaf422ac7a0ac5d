#include "platform/WavDecoder.h"

#include "platform/FileManager.h"

#include <cstring>

namespace {

constexpr uint32_t kHeaderSize = 12;
constexpr uint32_t kChunkHeaderSize = 8;
constexpr uint32_t kFormatSize = 16;

// Format tags naming an encoding that is not plain integer PCM. Their
// samples would play as loud noise, so such files are refused; any other
// tag is read as PCM, as stored content has always been.
constexpr uint16_t kCompressedTags[] = {
    0x0002,  // ADPCM
    0x0003,  // IEEE float
    0x0006,  // A-law
    0x0007,  // mu-law
    0x0011,  // IMA ADPCM
    0x0055,  // MPEG layer 3
};
// The extensible form names its encoding in a sub-format GUID after the
// common 16 bytes: a 2-byte extension size, 2 bytes of valid bits, a 4-byte
// channel mask, then the GUID.
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr uint32_t kSubFormatOffset = 8;
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Le16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }
uint32_t Le32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}
bool TagIs(const uint8_t* tag, const char* upper, const char* lower) {
    return std::memcmp(tag, upper, 4) == 0 || std::memcmp(tag, lower, 4) == 0;
}

struct WavFormat {
    bool pcm = false;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
};

// Reads a handle while counting what is left, so that no size field can make
// the reader allocate or skip past the end of the file.
class ChunkReader {
public:
    explicit ChunkReader(FileHandle* handle) : handle_(handle), left_(handle->size) {}

    bool Read(void* buffer, uint32_t size) {
        if (size > left_) return false;
        if (size > 0 && FileManager::Read(handle_, buffer, size, 1) != 1) return false;
        left_ -= size;
        return true;
    }
    bool Skip(uint32_t size) { return Read(nullptr, size); }
    uint32_t Left() const { return left_; }

private:
    FileHandle* handle_;
    uint32_t left_;
};

bool IsCompressedTag(uint16_t tag) {
    for (uint16_t compressed : kCompressedTags)
        if (tag == compressed) return true;
    return false;
}

// Reads what follows the common 16 bytes of an extensible format chunk
// (`extra` bytes of it) and answers whether its sub-format is PCM.
bool ReadExtensibleIsPcm(ChunkReader& reader, uint32_t extra, bool& pcm) {
    uint8_t bytes[kSubFormatOffset + sizeof kPcmSubFormat];
    if (extra < sizeof bytes) {
        pcm = false;  // no sub-format: nothing says the samples are PCM
        return reader.Skip(extra);
    }
    if (!reader.Read(bytes, sizeof bytes)) return false;
    pcm = std::memcmp(bytes + kSubFormatOffset, kPcmSubFormat, sizeof kPcmSubFormat) == 0;
    return reader.Skip(extra - uint32_t(sizeof bytes));
}

bool ReadFormat(ChunkReader& reader, uint32_t size, WavFormat& format) {
    uint8_t bytes[kFormatSize];
    if (size < kFormatSize || !reader.Read(bytes, kFormatSize)) return false;
    const uint16_t tag = Le16(bytes);
    format.pcm = !IsCompressedTag(tag);
    format.channels = Le16(bytes + 2);
    format.rate = Le32(bytes + 4);
    format.bits = Le16(bytes + 14);
    if (tag == kTagExtensible) return ReadExtensibleIsPcm(reader, size - kFormatSize, format.pcm);
    return reader.Skip(size - kFormatSize);
}

bool ReadData(ChunkReader& reader, uint32_t size, DecodedSound& out) {
    if (size > reader.Left()) return false;
    out.data = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!out.data || !reader.Read(out.data, size)) return false;
    out.size = size;
    return true;
}

// Walks the chunks after the RIFF header; false on any damage.
bool ReadChunks(ChunkReader& reader, WavFormat& format, DecodedSound& out) {
    bool haveFormat = false;
    uint8_t header[kChunkHeaderSize];
    while (reader.Read(header, kChunkHeaderSize)) {
        uint32_t size = Le32(header + 4);
        if (TagIs(header, "FMT ", "fmt ")) {
            if (!ReadFormat(reader, size, format)) return false;
            haveFormat = true;
        } else if (TagIs(header, "DATA", "data")) {
            if (out.data || !ReadData(reader, size, out)) return false;
        } else if (!reader.Skip(size)) {
            return false;
        }
        if ((size & 1) && !reader.Skip(1)) break;  // a missing final pad byte is harmless
    }
    return haveFormat && out.data;
}

int32_t AlFormat(const WavFormat& format) {
    if (!format.pcm) return 0;
    if (format.channels == 1 && format.bits == 8) return DecodedSound::kMono8;
    if (format.channels == 2 && format.bits == 8) return DecodedSound::kStereo8;
    if (format.channels == 1 && format.bits == 16) return DecodedSound::kMono16;
    if (format.channels == 2 && format.bits == 16) return DecodedSound::kStereo16;
    return 0;
}

}  // namespace

bool DecodeWav(FileManager& files, const char* path, DecodedSound& out) {
    out.Reset();
    FileHandle* handle = files.OpenFile("%s", path);
    if (!handle) return false;
    ChunkReader reader(handle);
    uint8_t header[kHeaderSize];
    bool riff = reader.Read(header, kHeaderSize) &&
                ((std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "WAVE", 4) == 0) ||
                 (std::memcmp(header, "riff", 4) == 0 && std::memcmp(header + 8, "wave", 4) == 0));
    WavFormat format;
    bool ok = riff && ReadChunks(reader, format, out);
    FileManager::Close(handle);
    int32_t alFormat = AlFormat(format);
    if (!ok || alFormat == 0 || format.rate == 0 || format.rate > INT32_MAX) {
        out.Reset();
        return false;
    }
    // The device refuses data that is not a whole number of frames.
    uint32_t frameSize = format.channels * format.bits / 8;
    out.size -= out.size % frameSize;
    out.format = alFormat;
    out.rate = int32_t(format.rate);
    return true;
}
