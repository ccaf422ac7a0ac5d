#pragma once
// What the jigsaw needs before its rules can be built: the tray size and
// snap distance from the screen, the picture and mask names from the data
// tree, and the mask bytes from its TGA file. The mask decides the pieces:
// each non-zero byte value is one piece.

#include "platform/Math.h"

#include <cstdint>
#include <string>
#include <vector>

// A picture or mask as the TGA loader hands it over: size, depth and the
// pixels in stored row order (null when the file could not be read).
struct PuzzleImage {
    Point2i size;
    int32_t bitsPerPixel = 0;
    const uint8_t* pixels = nullptr;
};

struct PuzzleConfig {
    // The largest picture a tray of the 1920 x 1080 design area can show
    // whole, with room to spare; the mask is kept in memory for hit tests.
    static constexpr int32_t kMaxPictureSide = 4096;
    // Trays are parts of the screen; a few design areas wide at most.
    static constexpr int32_t kMaxTraySide = 8192;

    // Put in by the screen (SetPuzzleScreen and the data tree):
    std::string background;  // may stay empty
    std::string picture;
    std::string mask;
    int32_t trayWidth = 0, trayHeight = 0;
    float snapThreshold = 0;  // squared design units
    // The box of the tray the scatter keeps pieces off (the host's timer
    // display); none while it is empty, as by default.
    Point2i clearMin, clearMax;
    // Added by the reader:
    Point2i maskSize;
    std::vector<uint8_t> maskBytes;  // row after row
};

// The tray is 9/10 by 7/10 of the logical screen; the snap distance is 16
// window pixels in design units, squared (with the design height standing
// in for a window height of 0 or less).
void SetPuzzleScreen(PuzzleConfig& config, Point2i logicalSize, int32_t windowHeight);

// Checks the picture and mask and copies the mask into `config`: null when
// they give a playable jigsaw, else why not.
const char* ReadPuzzleConfig(const PuzzleImage& picture, const PuzzleImage& mask, PuzzleConfig& config);
