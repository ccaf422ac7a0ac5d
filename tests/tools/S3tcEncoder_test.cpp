// Compressed blocks decoded again by the rules of the S3TC formats: what a
// driver would show must stay close to the picture.

#include "tools/datawriters/S3tcEncoder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using s3tc::Block;

struct Rgba {
    int r, g, b, a;
};

Rgba Expand565(uint16_t v) {
    const int r = v >> 11 & 31, g = v >> 5 & 63, b = v & 31;
    return {r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2, 255};
}

// Texel t of a colour block in four-colour mode (the only mode DXT5 knows,
// and the one the encoder always chooses for DXT1).
Rgba DecodeColour(const uint8_t* block, int t) {
    const uint16_t e0 = static_cast<uint16_t>(block[0] | block[1] << 8);
    const uint16_t e1 = static_cast<uint16_t>(block[2] | block[3] << 8);
    const uint32_t bits = block[4] | block[5] << 8 | block[6] << 16 | uint32_t(block[7]) << 24;
    const Rgba c0 = Expand565(e0), c1 = Expand565(e1);
    switch (bits >> (2 * t) & 3) {
        case 0: return c0;
        case 1: return c1;
        case 2: return {(2 * c0.r + c1.r) / 3, (2 * c0.g + c1.g) / 3, (2 * c0.b + c1.b) / 3, 255};
        default: return {(c0.r + 2 * c1.r) / 3, (c0.g + 2 * c1.g) / 3, (c0.b + 2 * c1.b) / 3, 255};
    }
}

int DecodeAlpha(const uint8_t* block, int t) {
    const int a0 = block[0], a1 = block[1];
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
    const int index = static_cast<int>(bits >> (3 * t) & 7);
    if (index == 0) return a0;
    if (index == 1) return a1;
    if (a0 > a1) return ((8 - index) * a0 + (index - 1) * a1) / 7;
    return index == 6 ? 0 : index == 7 ? 255 : ((6 - index) * a0 + (index - 1) * a1) / 5;
}

Block MakeBlock(Rgba (*texel)(int x, int y)) {
    Block block;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const Rgba c = texel(x, y);
            uint8_t* t = block.texels[y * 4 + x];
            t[0] = static_cast<uint8_t>(c.b), t[1] = static_cast<uint8_t>(c.g);
            t[2] = static_cast<uint8_t>(c.r), t[3] = static_cast<uint8_t>(c.a);
        }
    }
    return block;
}

void ExpectClose(const Block& block, const uint8_t* colour, int tolerance, const char* what) {
    for (int t = 0; t < 16; ++t) {
        const Rgba got = DecodeColour(colour, t);
        EXPECT_NEAR(got.r, block.texels[t][2], tolerance) << what << " texel " << t;
        EXPECT_NEAR(got.g, block.texels[t][1], tolerance) << what << " texel " << t;
        EXPECT_NEAR(got.b, block.texels[t][0], tolerance) << what << " texel " << t;
    }
}

TEST(S3tcEncoder, ColourBlocksDecodeCloseToThePicture) {
    struct Case {
        const char* what;
        Rgba (*texel)(int, int);
        int tolerance;
    } cases[] = {
        {"solid", [](int, int) { return Rgba{200, 100, 30, 255}; }, 4},
        {"black and white", [](int x, int y) {
             return (x + y) % 2 ? Rgba{255, 255, 255, 255} : Rgba{0, 0, 0, 255};
         }, 0},
        {"two colours", [](int x, int) {
             return x < 2 ? Rgba{10, 90, 200, 255} : Rgba{240, 200, 20, 255};
         }, 4},
        // Four entries along a line of colours: within a third of a step.
        {"gradient", [](int x, int y) {
             return Rgba{40 + 15 * (x + y), 60 + 10 * (x + y), 100 + 5 * (x + y), 255};
         }, 16},
    };
    for (const Case& c : cases) {
        const Block block = MakeBlock(c.texel);
        uint8_t out[8];
        s3tc::EncodeColourBlock(block, out);
        const uint16_t e0 = static_cast<uint16_t>(out[0] | out[1] << 8);
        const uint16_t e1 = static_cast<uint16_t>(out[2] | out[3] << 8);
        // A first end colour below the second would switch DXT1 into its
        // three-colour mode with a transparent fourth entry.
        EXPECT_GE(e0, e1) << c.what;
        ExpectClose(block, out, c.tolerance, c.what);
    }
}

TEST(S3tcEncoder, AlphaBlocksKeepHardEdgesAndIgnoreHiddenColours) {
    const Block block = MakeBlock([](int x, int) {
        // Transparent texels carry a wild colour that must not pull the ends.
        return x < 2 ? Rgba{250, 0, 250, 0} : Rgba{30, 160, 70, 255};
    });
    uint8_t out[16];
    s3tc::EncodeDxt5Block(block, out);
    for (int t = 0; t < 16; ++t) {
        EXPECT_EQ(DecodeAlpha(out, t), block.texels[t][3]) << t;
        if (block.texels[t][3] == 255) {
            const Rgba got = DecodeColour(out + 8, t);
            EXPECT_NEAR(got.g, 160, 4) << t;
            EXPECT_NEAR(got.r, 30, 4) << t;
        }
    }
    const Block soft = MakeBlock([](int x, int y) { return Rgba{0, 0, 0, 17 * (x + 4 * y)}; });
    s3tc::EncodeDxt5Block(soft, out);
    for (int t = 0; t < 16; ++t) EXPECT_NEAR(DecodeAlpha(out, t), soft.texels[t][3], 19) << t;
}

TEST(S3tcEncoder, TexturesAreBlocksRowByRow) {
    std::vector<uint8_t> texels(8 * 4 * 4, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 4; x < 8; ++x) texels[(y * 8 + x) * 4 + 2] = 255;  // right block red
    }
    const auto dxt1 = s3tc::EncodeDxt1(texels.data(), 8, 4);
    ASSERT_EQ(dxt1.size(), 16u);
    EXPECT_EQ(DecodeColour(dxt1.data(), 5).r, 0);
    EXPECT_EQ(DecodeColour(dxt1.data() + 8, 5).r, 255);
    EXPECT_EQ(s3tc::EncodeDxt5(texels.data(), 8, 4).size(), 32u);
}

}  // namespace
