#include "tools/datawriters/S3tcEncoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace s3tc {
namespace {

// Power-iteration rounds for a block's main axis: the axis of 16 texels
// settles within a few.
constexpr int kAxisRounds = 8;

using Rgb = std::array<float, 3>;

Rgb ColourOf(const uint8_t texel[4]) {
    return {static_cast<float>(texel[2]), static_cast<float>(texel[1]),
            static_cast<float>(texel[0])};
}

uint16_t Pack565(const Rgb& c) {
    auto q = [](float v, int max) {
        return static_cast<uint16_t>(std::clamp(std::lround(v / 255.0f * max), 0L, long{max}));
    };
    return static_cast<uint16_t>(q(c[0], 31) << 11 | q(c[1], 63) << 5 | q(c[2], 31));
}

Rgb Unpack565(uint16_t v) {
    const int r = v >> 11 & 31, g = v >> 5 & 63, b = v & 31;
    return {static_cast<float>(r << 3 | r >> 2), static_cast<float>(g << 2 | g >> 4),
            static_cast<float>(b << 3 | b >> 2)};
}

float Distance(const Rgb& a, const Rgb& b) {
    float sum = 0;
    for (int i = 0; i < 3; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return sum;
}

// Texels that show: a fully transparent texel's colour is never seen, so it
// must not pull the end colours away from the visible ones.
std::vector<Rgb> VisibleColours(const Block& block) {
    std::vector<Rgb> colours;
    for (const auto& texel : block.texels) {
        if (texel[3] > 0) colours.push_back(ColourOf(texel));
    }
    if (colours.empty()) colours.push_back(ColourOf(block.texels[0]));
    return colours;
}

Rgb MainAxis(const std::vector<Rgb>& colours, const Rgb& mean) {
    float cov[3][3] = {};
    for (const Rgb& c : colours) {
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) cov[i][j] += (c[i] - mean[i]) * (c[j] - mean[j]);
        }
    }
    Rgb axis{1, 1, 1};
    for (int round = 0; round < kAxisRounds; ++round) {
        Rgb next{};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) next[i] += cov[i][j] * axis[j];
        }
        const float length = std::sqrt(next[0] * next[0] + next[1] * next[1] + next[2] * next[2]);
        if (length < 1e-6f) break;
        for (int i = 0; i < 3; ++i) axis[i] = next[i] / length;
    }
    return axis;
}

void PutLe16(uint8_t* out, uint16_t v) {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
}

Block GatherBlock(const uint8_t* texels, int width, int blockX, int blockY) {
    Block block;
    for (int y = 0; y < kBlockSide; ++y) {
        const uint8_t* row = texels + (static_cast<size_t>(blockY * kBlockSide + y) * width +
                                       static_cast<size_t>(blockX) * kBlockSide) * 4;
        std::memcpy(block.texels[y * kBlockSide], row, kBlockSide * 4);
    }
    return block;
}

template <int kBytes, void (*kEncode)(const Block&, uint8_t*)>
std::vector<uint8_t> EncodeTexture(const uint8_t* texels, int width, int height) {
    const int across = width / kBlockSide, down = height / kBlockSide;
    std::vector<uint8_t> out(static_cast<size_t>(across) * down * kBytes);
    uint8_t* next = out.data();
    for (int by = 0; by < down; ++by) {
        for (int bx = 0; bx < across; ++bx, next += kBytes) {
            kEncode(GatherBlock(texels, width, bx, by), next);
        }
    }
    return out;
}

void EncodeColour(const Block& block, uint8_t* out) { EncodeColourBlock(block, out); }
void EncodeAlphaAndColour(const Block& block, uint8_t* out) { EncodeDxt5Block(block, out); }

}  // namespace

void EncodeColourBlock(const Block& block, uint8_t out[kDxt1BlockBytes]) {
    const std::vector<Rgb> colours = VisibleColours(block);
    Rgb mean{};
    for (const Rgb& c : colours) {
        for (int i = 0; i < 3; ++i) mean[i] += c[i] / static_cast<float>(colours.size());
    }
    const Rgb axis = MainAxis(colours, mean);
    auto along = [&](const Rgb& c) {
        return (c[0] - mean[0]) * axis[0] + (c[1] - mean[1]) * axis[1] + (c[2] - mean[2]) * axis[2];
    };
    const auto [low, high] = std::minmax_element(
        colours.begin(), colours.end(), [&](const Rgb& a, const Rgb& b) { return along(a) < along(b); });
    uint16_t first = Pack565(*high), second = Pack565(*low);
    if (first < second) std::swap(first, second);
    PutLe16(out, first);
    PutLe16(out + 2, second);
    uint32_t indices = 0;
    if (first != second) {
        const Rgb c0 = Unpack565(first), c1 = Unpack565(second);
        Rgb palette[4] = {c0, c1, {}, {}};
        for (int i = 0; i < 3; ++i) {
            palette[2][i] = (2 * c0[i] + c1[i]) / 3;
            palette[3][i] = (c0[i] + 2 * c1[i]) / 3;
        }
        for (int t = 0; t < kTexelsPerBlock; ++t) {
            const Rgb c = ColourOf(block.texels[t]);
            uint32_t best = 0;
            for (uint32_t p = 1; p < 4; ++p) {
                if (Distance(c, palette[p]) < Distance(c, palette[best])) best = p;
            }
            indices |= best << (2 * t);
        }
    }
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(indices >> (8 * i));
}

void EncodeDxt5Block(const Block& block, uint8_t out[kDxt5BlockBytes]) {
    uint8_t high = 0, low = 255;
    for (const auto& texel : block.texels) {
        high = std::max(high, texel[3]);
        low = std::min(low, texel[3]);
    }
    out[0] = high;
    out[1] = low;
    uint64_t indices = 0;
    if (high != low) {
        // Eight-value mode (first above second): the two ends and six steps.
        int palette[8] = {high, low};
        for (int k = 1; k <= 6; ++k) palette[k + 1] = ((7 - k) * high + k * low) / 7;
        for (int t = 0; t < kTexelsPerBlock; ++t) {
            uint64_t best = 0;
            for (uint64_t p = 1; p < 8; ++p) {
                if (std::abs(palette[p] - block.texels[t][3]) <
                    std::abs(palette[best] - block.texels[t][3]))
                    best = p;
            }
            indices |= best << (3 * t);
        }
    }
    for (int i = 0; i < 6; ++i) out[2 + i] = static_cast<uint8_t>(indices >> (8 * i));
    EncodeColourBlock(block, out + 8);
}

std::vector<uint8_t> EncodeDxt1(const uint8_t* texels, int width, int height) {
    return EncodeTexture<kDxt1BlockBytes, EncodeColour>(texels, width, height);
}

std::vector<uint8_t> EncodeDxt5(const uint8_t* texels, int width, int height) {
    return EncodeTexture<kDxt5BlockBytes, EncodeAlphaAndColour>(texels, width, height);
}

}  // namespace s3tc
