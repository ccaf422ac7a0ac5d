#pragma once
// The configuration of the sliding picture. It has no file of its own: the
// screen gathers the grid size from the data tree and the sizes of the
// background and the picture it loaded, and ReadPushPuzzleConfig checks them.

#include <cstdint>

struct PushPuzzleConfig {
    // One piece cannot slide anywhere, so the smallest picture is 2 by 2.
    static constexpr int32_t kMinGridSize = 2;
    // The shuffle makes 8·N² slides, each found by about N²/3 random draws:
    // beyond 32 that is a long wait at load and a puzzle nobody finishes.
    static constexpr int32_t kMaxGridSize = 32;
    // Both image formats store 16-bit sides; the limit keeps every offset and
    // product of a side with the grid size inside 32 bits.
    static constexpr int32_t kMaxImageSide = 65535;

    int32_t gridSize = 0;  // "Gridsize": N pieces per side
    int32_t backgroundWidth = 0;
    int32_t backgroundHeight = 0;
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    int32_t pictureBitsPerPixel = 0;  // as the picture loader reported it
};

// Null when the values give a playable puzzle, else why not.
const char* ReadPushPuzzleConfig(const PushPuzzleConfig& config);
