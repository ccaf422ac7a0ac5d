#pragma once
// Writes a whole picture as a ".cbi" container: cut into power-of-two tiles
// of at most kMaxTextureSide texels, each with a border of repeated edge
// texels (so that filtering at a tile's edge never reads the wrong
// neighbour), in one of the container's tile formats.

#include "tools/datawriters/Picture.h"

#include <cstdint>
#include <string_view>
#include <vector>

enum class CbsiFormat {
    kAuto,  // DXT1 for opaque pictures, DXT5 for pictures with transparency
    kRgb,   // uncompressed, drawn opaque
    kRgba,  // uncompressed with alpha
    kDxt1,  // 4 bits a texel, opaque
    kDxt5,  // 8 bits a texel, with alpha
};

class CbsiEncoder {
public:
    // Every texture of the drawing code may be this large; larger tiles
    // save nothing but break older drivers.
    static constexpr int kMaxTextureSide = 1024;
    // Compressed textures come in whole 4x4 blocks; 16 keeps every side a
    // multiple of them with room for the border.
    static constexpr int kMinTextureSide = 16;
    // Four texels keep the content of every compressed tile block-aligned.
    static constexpr int kBorder = 4;

    // Null when the name is none of "auto", "rgb", "rgba", "dxt1", "dxt5".
    static const CbsiFormat* FormatByName(std::string_view name);
    // The format kAuto stands for with this picture.
    static CbsiFormat Resolve(CbsiFormat format, const Picture& picture);

    // Null on success with the file's bytes in `out`, else why not.
    static const char* Encode(const Picture& picture, CbsiFormat format,
                              std::vector<uint8_t>& out);

    // The texture sides that cover `extent` pixels, each with its content.
    struct Span {
        int start = 0, content = 0, side = 0;
    };
    static std::vector<Span> Cut(int extent);
};
