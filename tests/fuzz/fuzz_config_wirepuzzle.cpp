// Wire puzzle configurations from arbitrary bytes. What must hold: the
// reader either refuses or hands over a configuration whose rules build and
// scramble within their bounds; every plate then lies on a place of its own
// with a rotation below its side count, and the self-play, started as the
// cheat starts it, wins or runs out of moves within a bounded number of
// steps without ever putting two plates on one place.

#include "minigames/wirepuzzle/WirePuzzleConfig.h"
#include "minigames/wirepuzzle/WirePuzzleRules.h"
#include "platform/XmlUtil.h"
#include "platform/os/Random.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

void CheckPlates(const WirePuzzleRules& rules) {
    std::vector<bool> taken(static_cast<size_t>(rules.GetPlaceCount()), false);
    for (int32_t i = 0; i < rules.GetTileCount(); ++i) {
        const WireTile& tile = rules.GetTile(i);
        Check(tile.currentPlace >= 0 && tile.currentPlace < rules.GetPlaceCount());
        Check(!taken[tile.currentPlace]);
        taken[tile.currentPlace] = true;
        Check(!tile.sides.empty() && tile.rotation >= 0 && tile.rotation < static_cast<int32_t>(tile.sides.size()));
        Check(WirePuzzleRules::SideAt(tile, -7) >= 0 && WirePuzzleRules::SideAt(tile, -7) < static_cast<int32_t>(tile.sides.size()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument document;
    if (!XmlParseText(document, text.data())) return 0;
    WirePuzzleConfig config;
    if (ReadWirePuzzleConfig(document, config)) return 0;
    os::SeedRand(static_cast<uint32_t>(size));
    WirePuzzleRules rules(config);
    Check(rules.GetScrambleAttempts() >= 1 && rules.GetScrambleAttempts() <= WirePuzzleRules::kMaxScrambleAttempts);
    CheckPlates(rules);
    rules.StartAutoPlay();
    // Each self-play move animates for one turn's steps; a plate needs at
    // most a move aside, a move home and a full turn.
    const int32_t maxSteps = WirePuzzleRules::kAnimationSteps * (rules.GetTileCount() * (2 + 64) + 2);
    for (int32_t step = 0; step < maxSteps && !rules.IsWon(); ++step) rules.Step(true);
    CheckPlates(rules);
    return 0;
}
