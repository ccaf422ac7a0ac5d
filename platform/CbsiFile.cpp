// Reading the ".cbi" container ("CBSI"): an image already cut into
// GPU-ready tiles, optionally followed by a one-bit hit mask. Every field is
// untrusted: sizes are checked against the format and the bytes left before
// anything is allocated or uploaded.

#include "platform/GLImage.h"
#include "platform/GLState.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kCbsiVersion = 0x10002;
constexpr int32_t kLargestTileSide = 4096;

constexpr const char* kNotCbsi = "File is not a CBSI";
constexpr const char* kBadVersion = "Unsupported Version of CBSI";
constexpr const char* kUnknownFormat = "Unknown Format in CBSI";
constexpr const char* kCannotAddTile = "Cannot add Subimage in CBSI";

struct FormatName {
    char tag[4];
    int32_t code;
};
constexpr FormatName kFormats[] = {
    {{'R', 'G', 'B', ' '}, kFormatRGB},  {{'R', 'G', 'B', 'A'}, kFormatRGBA},
    {{'D', 'X', 'T', '1'}, kFormatDXT1}, {{'D', 'X', 'T', '3'}, kFormatDXT3},
    {{'D', 'X', 'T', '5'}, kFormatDXT5}, {{'P', 'V', 'R', '2'}, kFormatPVR2},
    {{'P', 'V', 'R', '4'}, kFormatPVR4},
};

int32_t FormatCode(const char tag[4]) {
    for (const FormatName& f : kFormats)
        if (std::memcmp(f.tag, tag, 4) == 0) return f.code;
    return kFormatNone;
}

struct TileRecord {
    uint32_t x, y, textureWidth, textureHeight, contentWidth, contentHeight, border, dataSize;
};

bool ReadTileRecord(ByteSource& file, TileRecord* tile) {
    uint32_t* fields[] = {&tile->x, &tile->y, &tile->textureWidth, &tile->textureHeight,
                          &tile->contentWidth, &tile->contentHeight, &tile->border,
                          &tile->dataSize};
    for (uint32_t* field : fields)
        if (!file.ReadU32(field)) return false;
    return true;
}

bool IsTileSide(uint32_t side, int32_t largest) {
    return side >= 1 && side <= static_cast<uint32_t>(largest) && (side & (side - 1)) == 0;
}

Point2i AsPoint(uint32_t x, uint32_t y) {
    return {static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

// Reads one tile's data and uploads it; false for any field the format,
// the driver or the rest of the file cannot honour.
bool ReadTile(GLImage& image, ByteSource& file, int32_t largestSide,
              std::vector<uint8_t>& scratch) {
    TileRecord tile;
    if (!ReadTileRecord(file, &tile)) return false;
    if (!IsTileSide(tile.textureWidth, largestSide) || !IsTileSide(tile.textureHeight, largestSide))
        return false;
    const Point2i texture = AsPoint(tile.textureWidth, tile.textureHeight);
    const uint64_t needed = TileDataSize(image.format, texture);
    if (tile.dataSize < needed || tile.dataSize > file.BytesLeft()) return false;
    if (scratch.size() < tile.dataSize) scratch.resize(tile.dataSize);
    if (!file.ReadExact(scratch.data(), tile.dataSize)) return false;
    const Point2i offset = TileOffset(AsPoint(tile.x, tile.y), image.size);
    return image.AddSubImage(scratch.data(), tile.dataSize, image.format, texture, offset,
                             AsPoint(tile.contentWidth, tile.contentHeight),
                             static_cast<int32_t>(tile.border)) != nullptr;
}

}  // namespace

bool GLImage::LoadFromMemory(const void* data, size_t byteCount) {
    Clear();
    MemoryByteSource file(data, byteCount);
    if (ReadCBSI(file) == nullptr) return true;
    MarkLoadFailed();
    return false;
}

const char* GLImage::ReadCBSI(ByteSource& file) {
    char magic[4];
    if (!file.ReadExact(magic, 4) || std::memcmp(magic, "CBSI", 4) != 0) return kNotCbsi;
    uint32_t version = 0;
    if (!file.ReadU32(&version) || version != kCbsiVersion) return kBadVersion;
    char tag[4];
    if (!file.ReadExact(tag, 4) || (format = FormatCode(tag)) == kFormatNone) return kUnknownFormat;
    uint32_t width = 0, height = 0, count = 0;
    if (!file.ReadU32(&width) || !file.ReadU32(&height) || !file.ReadU32(&count))
        return kCannotAddTile;
    size = AsPoint(width, height);
    const auto tileCount = static_cast<int32_t>(count);
    if (tileCount > 0 && static_cast<size_t>(tileCount) > kMaxTiles) return kCannotAddTile;
    if (tileCount > 0) {
        const int32_t largest = std::min(kLargestTileSide, GLState::Gl().MaxTextureSize());
        std::vector<uint8_t> scratch;
        for (int32_t i = 0; i < tileCount; ++i)
            if (!ReadTile(*this, file, largest, scratch)) return kCannotAddTile;
    }
    for (char id[4]; file.ReadExact(id, 4);)
        if (std::memcmp(id, "MASK", 4) == 0) ReadMask(file);
    return nullptr;
}

bool GLImage::ReadMask(ByteSource& file) {
    const uint64_t stride = (uint64_t{static_cast<uint32_t>(size.x)} + 7) / 8;
    const uint64_t bytes = uint64_t{static_cast<uint32_t>(size.y)} * stride;
    mask_ = {};
    maskStride_ = 0;
    if (bytes > file.BytesLeft()) return false;
    mask_.resize(bytes);
    maskStride_ = static_cast<int32_t>(stride);
    const size_t read = file.Read(mask_.data(), bytes);
    // Rows a failing stream could not deliver read as "no hit".
    std::fill(mask_.begin() + static_cast<ptrdiff_t>(read), mask_.end(), 0);
    return read == bytes;
}
