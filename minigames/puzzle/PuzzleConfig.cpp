#include "minigames/puzzle/PuzzleConfig.h"

#include <cmath>

namespace {

constexpr float kSnapWindowPixels = 16.0f;
constexpr int32_t kPictureBits = 32;
constexpr int32_t kMaskBits = 8;

bool HasPiece(const std::vector<uint8_t>& mask) {
    for (uint8_t id : mask) {
        if (id != 0) return true;
    }
    return false;
}

const char* CheckScreen(const PuzzleConfig& config) {
    if (config.picture.empty() || config.mask.empty()) return "no picture or mask named";
    if (config.trayWidth < 1 || config.trayHeight < 1 || config.trayWidth > PuzzleConfig::kMaxTraySide ||
        config.trayHeight > PuzzleConfig::kMaxTraySide) {
        return "the tray has no sane size";
    }
    if (!std::isfinite(config.snapThreshold) || config.snapThreshold < 0) return "the snap distance is not finite";
    return nullptr;
}

const char* CheckImages(const PuzzleImage& picture, const PuzzleImage& mask) {
    if (!picture.pixels) return "the picture could not be read";
    if (!mask.pixels) return "the mask could not be read";
    if (!(picture.size == mask.size)) return "the picture and the mask differ in size";
    if (picture.bitsPerPixel != kPictureBits) return "the picture is not 24 or 32 bits per pixel";
    if (mask.bitsPerPixel != kMaskBits) return "the mask is not 8 bits per pixel";
    if (mask.size.x < 1 || mask.size.y < 1 || mask.size.x > PuzzleConfig::kMaxPictureSide ||
        mask.size.y > PuzzleConfig::kMaxPictureSide) {
        return "the picture is not 1 to 4096 pixels a side";
    }
    return nullptr;
}

}  // namespace

void SetPuzzleScreen(PuzzleConfig& config, Point2i logicalSize, int32_t windowHeight) {
    config.trayWidth = logicalSize.x * 9 / 10;
    config.trayHeight = logicalSize.y * 7 / 10;
    // A window of no height would make every drop snap.
    const float height = windowHeight > 0 ? static_cast<float>(windowHeight) : static_cast<float>(logicalSize.y);
    const float distance = kSnapWindowPixels * static_cast<float>(logicalSize.y) / height;
    config.snapThreshold = distance * distance;
}

const char* ReadPuzzleConfig(const PuzzleImage& picture, const PuzzleImage& mask, PuzzleConfig& config) {
    if (const char* why = CheckScreen(config)) return why;
    if (const char* why = CheckImages(picture, mask)) return why;
    const size_t bytes = static_cast<size_t>(mask.size.x) * static_cast<size_t>(mask.size.y);
    config.maskSize = mask.size;
    config.maskBytes.assign(mask.pixels, mask.pixels + bytes);
    // A mask of nothing but 0 cuts no piece: the puzzle could never end.
    if (!HasPiece(config.maskBytes)) return "the mask holds no piece";
    return nullptr;
}
