#pragma once
// Compresses B G R A texels into S3TC blocks (DXT1 for opaque pictures, DXT5
// where alpha matters), the compressed tile formats the image container
// uploads as they are. Endpoints follow each block's main colour axis, which
// suits drawn pictures of flat areas and soft gradients.

#include <cstdint>
#include <vector>

namespace s3tc {

inline constexpr int kBlockSide = 4;
inline constexpr int kTexelsPerBlock = kBlockSide * kBlockSide;
inline constexpr int kDxt1BlockBytes = 8;
inline constexpr int kDxt5BlockBytes = 16;

// One 4x4 block: 16 texels of B G R A, rows from the top.
struct Block {
    uint8_t texels[kTexelsPerBlock][4];
};

// Eight bytes: two 5:6:5 end colours (first above second, so four-colour
// mode) and sixteen 2-bit indices.
void EncodeColourBlock(const Block& block, uint8_t out[kDxt1BlockBytes]);
// Eight bytes of alpha (two end values and sixteen 3-bit indices), then the
// colour block.
void EncodeDxt5Block(const Block& block, uint8_t out[kDxt5BlockBytes]);

// A whole texture of width x height texels (each a multiple of 4), B G R A
// rows from the top, as the blocks of the format, row of blocks by row.
std::vector<uint8_t> EncodeDxt1(const uint8_t* texels, int width, int height);
std::vector<uint8_t> EncodeDxt5(const uint8_t* texels, int width, int height);

}  // namespace s3tc
