// Jigsaw masks from arbitrary bytes (a TGA file, the picture made to match).
// What must hold: the reader refuses or accepts a mask with pieces; every
// scattered group has its centre on the tray; the drawing order holds every
// piece once; and help solves the puzzle within a bounded number of steps.

#include "minigames/puzzle/PuzzleConfig.h"
#include "minigames/puzzle/PuzzleRules.h"
#include "platform/TgaFile.h"
#include "platform/os/Random.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

// Each group is turned at most three times and joined once, the first also
// moved, with an action every second step; centring after each join adds one.
int32_t SolveBound(size_t pieces) { return static_cast<int32_t>(2 * (pieces * 6 + 8)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Point2i maskSize;
    int32_t maskBits = 0;
    std::unique_ptr<uint8_t[]> mask = LoadTGAFromMemory(&maskSize, &maskBits, data, size);
    if (!mask) return 0;
    const size_t pixels = maskSize.x > 0 && maskSize.y > 0 ? static_cast<size_t>(maskSize.x) * maskSize.y : 0;
    std::vector<uint8_t> picture(pixels * 4, 0x80);
    PuzzleConfig config;
    config.picture = "picture";
    config.mask = "mask";
    SetPuzzleScreen(config, {1920, 1080}, size % 2 ? 1080 : 0);
    if (ReadPuzzleConfig({maskSize, 32, picture.data()}, {maskSize, maskBits, mask.get()}, config)) return 0;
    os::SeedRand(static_cast<uint32_t>(size));
    PuzzleRules rules(config);
    Check(!rules.GetTiles().empty());
    for (int32_t root : rules.GetTopGroups()) {
        const Point2i c = rules.GetGroupCentre(root);
        Check(c.x >= 0 && c.x <= config.trayWidth && c.y >= 0 && c.y <= config.trayHeight);
    }
    Check(rules.GetDrawOrder().size() == rules.GetTiles().size());
    rules.StartAutoSolve();
    PuzzleResult result = PuzzleResult::kNone;
    const int32_t bound = SolveBound(rules.GetTiles().size());
    for (int32_t step = 0; step < bound && result == PuzzleResult::kNone; ++step) result = rules.Step(false);
    Check(result == PuzzleResult::kSkipped);
    Check(rules.IsSolved());
    return 0;
}
