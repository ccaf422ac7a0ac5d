#include "platform/TgaFile.h"

#include "platform/ByteSource.h"

#include <vector>

namespace {

constexpr size_t kHeaderSize = 18;

enum TgaType : uint8_t { kColorMapped = 1, kTrueColor = 2, kGrey = 3 };

struct TgaHeader {
    uint8_t idLength, colorMapType, imageType;
    uint16_t colorMapLength;
    uint8_t colorMapEntryBits;
    int16_t width, height;
    uint8_t bitsPerPixel;
};

TgaHeader ParseHeader(const uint8_t* h) {
    auto u16 = [&](int at) { return static_cast<uint16_t>(h[at] | h[at + 1] << 8); };
    return {h[0], h[1], h[2], u16(5), h[7], static_cast<int16_t>(u16(12)),
            static_cast<int16_t>(u16(14)), h[16]};
}

bool Skip(ByteSource& file, uint64_t count) {
    if (count > file.BytesLeft()) return false;
    std::vector<uint8_t> discard(static_cast<size_t>(count));
    return file.ReadExact(discard.data(), discard.size());
}

std::unique_ptr<uint8_t[]> ReadBytes(ByteSource& file, uint64_t count) {
    if (count > file.BytesLeft()) return nullptr;
    auto bytes = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(count));
    if (!file.ReadExact(bytes.get(), static_cast<size_t>(count))) return nullptr;
    return bytes;
}

std::unique_ptr<uint8_t[]> WidenToBgra(const uint8_t* bgr, uint64_t pixelCount) {
    auto out = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(pixelCount * 4));
    for (uint64_t i = 0; i < pixelCount; ++i) {
        out[i * 4] = bgr[i * 3];
        out[i * 4 + 1] = bgr[i * 3 + 1];
        out[i * 4 + 2] = bgr[i * 3 + 2];
        out[i * 4 + 3] = 255;
    }
    return out;
}

}  // namespace

std::unique_ptr<uint8_t[]> LoadTGAFromMemory(Point2i* size, int32_t* bitsPerPixel,
                                             const void* data, size_t byteCount) {
    MemoryByteSource file(data, byteCount);
    uint8_t raw[kHeaderSize];
    if (!file.ReadExact(raw, kHeaderSize)) return nullptr;
    const TgaHeader header = ParseHeader(raw);
    *size = {header.width, header.height};
    *bitsPerPixel = header.bitsPerPixel;
    const bool plainType = header.imageType == kColorMapped || header.imageType == kTrueColor ||
                           header.imageType == kGrey;
    if (!plainType || header.width <= 0 || header.height <= 0) return nullptr;
    if (!Skip(file, header.idLength)) return nullptr;
    const uint64_t pixelCount = uint64_t(header.width) * uint64_t(header.height);
    switch (header.bitsPerPixel) {
        case 8: {
            const uint64_t entryBytes = (header.colorMapEntryBits + 7u) / 8u;
            if (!Skip(file, header.colorMapLength * entryBytes)) return nullptr;
            return ReadBytes(file, pixelCount);
        }
        case 24: {
            auto bgr = ReadBytes(file, pixelCount * 3);
            if (!bgr) return nullptr;
            *bitsPerPixel = 32;
            return WidenToBgra(bgr.get(), pixelCount);
        }
        case 32:
            return ReadBytes(file, pixelCount * 4);
        default:
            return nullptr;
    }
}
