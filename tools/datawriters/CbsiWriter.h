#pragma once
// Builds ".cbi" container bytes field by field, including broken ones for
// tests: every field is written as given. CbsiEncoder uses it to write whole
// pictures.

#include <cstdint>
#include <string>
#include <vector>

struct CbsiTileFields {
    uint32_t x = 0, y = 0;
    uint32_t textureWidth = 0, textureHeight = 0;
    uint32_t contentWidth = 0, contentHeight = 0;
    uint32_t border = 0;
};

class CbsiWriter {
public:
    static constexpr uint32_t kVersion = 0x10002;

    std::vector<uint8_t> bytes;

    // Magic, version, format tag, size and tile count.
    CbsiWriter& Header(const char* format, uint32_t width, uint32_t height, int32_t tileCount,
                       const char* magic = "CBSI", uint32_t version = kVersion);
    // A tile record whose data-size field is the data's length.
    CbsiWriter& Tile(const CbsiTileFields& tile, const std::vector<uint8_t>& data);
    // A tile record with a data-size field of its own and `data` after it.
    CbsiWriter& TileSized(const CbsiTileFields& tile, uint32_t dataSize,
                          const std::vector<uint8_t>& data);
    // "MASK" and the rows.
    CbsiWriter& Mask(const std::vector<uint8_t>& rows);
    CbsiWriter& Raw(const std::string& text);
    CbsiWriter& U32(uint32_t value);

    // A tile of side x side texels, every one B G R A = the four bytes.
    static std::vector<uint8_t> SolidTexels(uint32_t side, uint8_t b, uint8_t g, uint8_t r,
                                            uint8_t a);
    // A whole single-tile RGBA image of side x side with the tile at (0, 0).
    static std::vector<uint8_t> SingleTileImage(uint32_t side);
};
