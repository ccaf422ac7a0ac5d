#include "tools/datawriters/CbsiWriter.h"

CbsiWriter& CbsiWriter::U32(uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
    return *this;
}

CbsiWriter& CbsiWriter::Raw(const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
}

CbsiWriter& CbsiWriter::Header(const char* format, uint32_t width, uint32_t height,
                               int32_t tileCount, const char* magic, uint32_t version) {
    Raw(std::string(magic, 4)).U32(version).Raw(std::string(format, 4));
    return U32(width).U32(height).U32(static_cast<uint32_t>(tileCount));
}

CbsiWriter& CbsiWriter::TileSized(const CbsiTileFields& t, uint32_t dataSize,
                                  const std::vector<uint8_t>& data) {
    U32(t.x).U32(t.y).U32(t.textureWidth).U32(t.textureHeight);
    U32(t.contentWidth).U32(t.contentHeight).U32(t.border).U32(dataSize);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return *this;
}

CbsiWriter& CbsiWriter::Tile(const CbsiTileFields& tile, const std::vector<uint8_t>& data) {
    return TileSized(tile, static_cast<uint32_t>(data.size()), data);
}

CbsiWriter& CbsiWriter::Mask(const std::vector<uint8_t>& rows) {
    Raw("MASK");
    bytes.insert(bytes.end(), rows.begin(), rows.end());
    return *this;
}

std::vector<uint8_t> CbsiWriter::SolidTexels(uint32_t side, uint8_t b, uint8_t g, uint8_t r,
                                             uint8_t a) {
    std::vector<uint8_t> texels;
    texels.reserve(size_t{side} * side * 4);
    for (uint32_t i = 0; i < side * side; ++i) texels.insert(texels.end(), {b, g, r, a});
    return texels;
}

std::vector<uint8_t> CbsiWriter::SingleTileImage(uint32_t side) {
    CbsiWriter w;
    w.Header("RGBA", side, side, 1);
    w.Tile({0, 0, side, side, side, side, 0}, SolidTexels(side, 10, 20, 30, 255));
    return w.bytes;
}
