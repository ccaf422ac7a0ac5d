#include "minigames/puzzle/PuzzleCutter.h"

#include <cstring>

namespace {

constexpr size_t kBytesPerPixel = 4;

}  // namespace

std::vector<uint8_t> CutPuzzleTile(const PuzzleImage& picture, const PuzzleConfig& config,
                                    const PuzzleTile& piece) {
    const size_t width = static_cast<size_t>(piece.size.x), height = static_cast<size_t>(piece.size.y);
    std::vector<uint8_t> pixels(width * height * kBytesPerPixel, 0);
    const size_t maskWidth = static_cast<size_t>(config.maskSize.x);
    for (size_t row = 0; row < height; ++row) {
        const size_t y = static_cast<size_t>(piece.home.y) + row;
        for (size_t column = 0; column < width; ++column) {
            const size_t at = y * maskWidth + static_cast<size_t>(piece.home.x) + column;
            if (config.maskBytes[at] != piece.id) continue;
            std::memcpy(&pixels[(row * width + column) * kBytesPerPixel], picture.pixels + at * kBytesPerPixel,
                        kBytesPerPixel);
        }
    }
    return pixels;
}
