// Pipe configurations from arbitrary bytes. What must hold: the reader
// either refuses or hands over a configuration whose board the generator
// lays out or refuses within its bounds; a laid board has a piece of a known
// kind and a quarter-turn rotation in every cell, inlets pouring known
// colours, and turning every plain piece back to the rotation it was laid
// with ends with every animation finished.

#include "minigames/pipes/PipesConfig.h"
#include "minigames/pipes/PipesRules.h"
#include "platform/XmlUtil.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

void CheckBoard(const PipesRules& rules, const PipesConfig& config) {
    const int32_t types = static_cast<int32_t>(config.tiles.size() + config.inlets.size() + config.outlets.size());
    for (int32_t y = 0; y < rules.GetCountY(); ++y) {
        for (int32_t x = 0; x < rules.GetCountX(); ++x) {
            const PipesTile& tile = rules.TileAt(x, y);
            Check(tile.cellX == x && tile.cellY == y);
            Check(tile.typeIndex >= 0 && tile.typeIndex < types);
            Check(tile.rotation >= 0 && tile.rotation < 4);
            Check(tile.channelColour[0] < static_cast<int32_t>(config.colours.size()));
        }
    }
    for (const PipesTile& slot : rules.GetInletSlots()) {
        // An inlet's one opening may lead into either channel.
        const int32_t colour = std::max<int32_t>(slot.channelColour[0], slot.channelColour[1]);
        Check(colour >= 0 && colour < static_cast<int32_t>(config.colours.size()));
    }
}

void TurnHome(PipesRules& rules) {
    for (int32_t y = 0; y < rules.GetCountY(); ++y) {
        for (int32_t x = 0; x < rules.GetCountX(); ++x) {
            for (int turn = 0; turn < 4 && !rules.IsWon(); ++turn) {
                const PipesTile& tile = rules.TileAt(x, y);
                if (tile.rotation == tile.solvedRotation || rules.IsOutletCell(x, y)) break;
                Check(rules.TryTurn(x, y) != PipesTurn::kRefused);
                for (int step = 0; step < PipesRules::kTurnSteps; ++step) rules.Step();
            }
        }
    }
    Check(!rules.IsTurning());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument document;
    if (!XmlParseText(document, text.data())) return 0;
    PipesConfig config;
    if (ReadPipesConfig(document, config)) return 0;
    auto rules = std::make_unique<PipesRules>(config, static_cast<uint32_t>(size) + 1u);
    if (!rules->IsReady()) return 0;
    Check(rules->GetCountX() == config.countX && rules->GetCountY() == config.countY);
    CheckBoard(*rules, config);
    TurnHome(*rules);
    CheckBoard(*rules, config);
    return 0;
}
