#pragma once
// What the target game reads: the picture names and the grid from its XML
// file, and the preview time and the friends and enemies per round from the
// data tree (the screen puts those in first). Pictures stay names here.

#include <tinyxml.h>

#include <cstdint>
#include <string>
#include <vector>

struct TargetConfig {
    // Targets must stay large enough to hit on the design area.
    static constexpr int32_t kMaxGridSide = 16;
    // Cell centres stay within a few design areas.
    static constexpr int32_t kMaxCoordinate = 16384;
    // A preview of a minute is far longer than anyone waits.
    static constexpr float kMaxDelayMs = 60000.0f;
    static constexpr double kStepMs = 17.0;

    // From the data tree:
    float delayMs = 0;
    int32_t friendCount = 0;
    int32_t enemyCount = 0;
    // From the file:
    std::string background, tileBack, tileFront;
    std::vector<std::string> genericNames;  // when given, friend and enemy pictures are not read
    std::vector<std::string> friendNames;
    std::vector<std::string> enemyNames;
    int32_t columns = 0, rows = 0;
    int32_t offsetX = 0, offsetY = 0;
    int32_t spacingX = 0, spacingY = 0;
    // Worked out by the reader: the preview show time in steps, at least 1.
    int32_t showFrames = 0;

    bool IsGeneric() const { return !genericNames.empty(); }
};

// Adds the file's values to the data-tree values already in `config` and
// checks the whole: null when it gives a playable, finite game, else why not.
const char* ReadTargetConfig(const TiXmlDocument& file, TargetConfig& config);
