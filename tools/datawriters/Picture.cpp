#include "tools/datawriters/Picture.h"

#include "platform/TgaFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kTgaHeaderSize = 18;
constexpr uint8_t kTgaColourMapped = 1;
constexpr uint8_t kTgaGrey = 3;
constexpr uint8_t kTgaAlphaBits = 0x0F;
constexpr uint8_t kTgaRightToLeft = 0x10;
constexpr uint8_t kTgaTopToBottom = 0x20;

void FlipRows(Picture& p) {
    const size_t stride = static_cast<size_t>(p.width) * 4;
    std::vector<uint8_t> row(stride);
    for (int top = 0, bottom = p.height - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = p.pixels.data() + top * stride;
        uint8_t* b = p.pixels.data() + bottom * stride;
        std::memcpy(row.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, row.data(), stride);
    }
}

void FlipColumns(Picture& p) {
    for (int y = 0; y < p.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(p.pixels.data() + static_cast<size_t>(y) * p.width * 4);
        std::reverse(row, row + p.width);
    }
}

bool SizeAllowed(int width, int height) {
    return width > 0 && height > 0 && width <= Picture::kMaxSide && height <= Picture::kMaxSide;
}

}  // namespace

bool Picture::HasTransparency() const {
    for (size_t i = 3; i < pixels.size(); i += 4) {
        if (pixels[i] != 255) return true;
    }
    return false;
}

const char* ReadTgaPicture(const void* data, size_t size, Picture& out) {
    out = {};
    if (size < kTgaHeaderSize) return "too short for a TGA header";
    const auto* header = static_cast<const uint8_t*>(data);
    const uint8_t type = header[2], descriptor = header[17];
    if (type == kTgaColourMapped) return "colour-mapped TGA pictures are not read; save 24 or 32 bits";
    Point2i extent;
    int32_t bits = 0;
    std::unique_ptr<uint8_t[]> stored = LoadTGAFromMemory(&extent, &bits, data, size);
    if (!stored) return "not an uncompressed 8-bit grey, 24-bit or 32-bit TGA, or cut short";
    if (bits == 8 && type != kTgaGrey) return "8-bit TGA pictures must be grey";
    if (!SizeAllowed(extent.x, extent.y)) return "picture size out of range";
    out.width = extent.x;
    out.height = extent.y;
    const size_t count = static_cast<size_t>(extent.x) * extent.y;
    out.pixels.resize(count * 4);
    if (bits == 8) {
        for (size_t i = 0; i < count; ++i) {
            std::memset(&out.pixels[i * 4], stored[i], 3);
            out.pixels[i * 4 + 3] = 255;
        }
    } else {
        std::memcpy(out.pixels.data(), stored.get(), count * 4);
        // A 32-bit file that declares no alpha bits carries padding there.
        if (header[16] == 32 && (descriptor & kTgaAlphaBits) == 0) {
            for (size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = 255;
        }
    }
    if (!(descriptor & kTgaTopToBottom)) FlipRows(out);
    if (descriptor & kTgaRightToLeft) FlipColumns(out);
    return nullptr;
}

const char* ReadRawPicture(const void* data, size_t size, int width, int height, Picture& out) {
    out = {};
    if (!SizeAllowed(width, height)) return "picture size out of range";
    const size_t count = static_cast<size_t>(width) * height;
    if (size != count * 4) return "raw data is not width x height x 4 bytes";
    out.width = width;
    out.height = height;
    out.pixels.resize(count * 4);
    const auto* rgba = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* in = rgba + i * 4;
        uint8_t* px = &out.pixels[i * 4];
        px[0] = in[2], px[1] = in[1], px[2] = in[0], px[3] = in[3];
    }
    return nullptr;
}
