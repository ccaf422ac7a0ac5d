#include "minigames/pushpuzzle/PushPuzzleConfig.h"

namespace {

bool IsImageSide(int32_t side) { return side >= 1 && side <= PushPuzzleConfig::kMaxImageSide; }

}  // namespace

const char* ReadPushPuzzleConfig(const PushPuzzleConfig& config) {
    if (config.gridSize < PushPuzzleConfig::kMinGridSize) return "grid size below 2";
    if (config.gridSize > PushPuzzleConfig::kMaxGridSize) return "grid size above 32";
    if (!IsImageSide(config.backgroundWidth) || !IsImageSide(config.backgroundHeight)) {
        return "background size out of range";
    }
    if (!IsImageSide(config.pictureWidth) || !IsImageSide(config.pictureHeight)) {
        return "picture size out of range";
    }
    // The pieces are cut from the pixels as they are; other depths would need
    // a conversion nothing here does.
    if (config.pictureBitsPerPixel != 32) return "picture is not 32 bits per pixel";
    if (config.pictureWidth < config.gridSize || config.pictureHeight < config.gridSize) {
        return "picture smaller than one pixel per piece";
    }
    return nullptr;
}
