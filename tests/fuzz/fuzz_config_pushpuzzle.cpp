// Sliding-picture configurations from arbitrary bytes: the grid size, the
// two image sizes and the picture's depth, as the screen would gather them.
// A refused set must say why; an accepted one must shuffle to a board that
// is not solved, keep its cells a permutation of the picture, and solve
// itself (by autoplay, or by help when the last byte is odd) within the
// steps one arrival per piece needs; boards beyond 16 x 16 are only loaded.

#include "minigames/pushpuzzle/PushPuzzleRules.h"
#include "platform/os/Random.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kMaxPlayedCells = 16 * 16;

void Check(bool holds) {
    if (!holds) std::abort();
}

int32_t Field(const uint8_t* data, size_t size, size_t at) {
    int16_t value = 0;
    if (at + sizeof value <= size) std::memcpy(&value, data + at, sizeof value);
    return value;
}

void CheckPermutation(const PushPuzzleRules& rules) {
    std::vector<bool> seen(size_t(rules.GetCellCount()), false);
    for (int32_t cell = 0; cell < rules.GetCellCount(); ++cell) {
        const int32_t home = rules.HomeAt(cell);
        Check(home >= 0 && home < rules.GetCellCount() && !seen[home]);
        seen[home] = true;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    PushPuzzleConfig config;
    config.gridSize = static_cast<int8_t>(data[0]);
    config.backgroundWidth = Field(data, size, 1);
    config.backgroundHeight = Field(data, size, 3);
    config.pictureWidth = Field(data, size, 5);
    config.pictureHeight = Field(data, size, 7);
    config.pictureBitsPerPixel = size > 9 ? data[9] : 32;
    if (const char* why = ReadPushPuzzleConfig(config)) {
        Check(*why != 0);
        return 0;
    }
    os::SeedRand(uint32_t(size));
    PushPuzzleRules rules(config);
    Check(rules.IsReady() && !rules.IsSolved());
    Check(rules.GetTileWidth() >= 1 && rules.GetTileHeight() >= 1);
    CheckPermutation(rules);
    // Playing out is the same code on every size, and on the largest boards
    // takes seconds under the sanitizers: those are only loaded.
    if (rules.GetCellCount() > kMaxPlayedCells) return 0;
    const bool help = data[size - 1] & 1;
    if (help) rules.AutoSolve();
    const int32_t bound = PushPuzzleRules::kSlideSteps * (rules.GetCellCount() + 1);
    PushPuzzleStep last = PushPuzzleStep::kNone;
    // A broken permutation stays broken: checking once per slide's steps
    // finds it at a sixteenth of the cost.
    for (int32_t i = 0; i < bound && last != PushPuzzleStep::kSolved; ++i) {
        last = rules.Step(true);
        if (i % PushPuzzleRules::kSlideSteps == 0) CheckPermutation(rules);
    }
    CheckPermutation(rules);
    Check(last == PushPuzzleStep::kSolved && rules.IsAutoSolved() == help && rules.GetMoves() == 0);
    return 0;
}
