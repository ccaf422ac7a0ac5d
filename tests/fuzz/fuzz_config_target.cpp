// Target configurations from arbitrary bytes; the root element's "delay",
// "friends" and "enemies" attributes stand in for the data-tree values.
// What must hold: an accepted configuration is won by the autoplay cheat
// within a bound worked out from its round lengths, with the score at or
// above the goal, every target's counts in range, and each shot of the
// cheat at an enemy of the grid.

#include "minigames/target/TargetConfig.h"
#include "minigames/target/TargetRules.h"
#include "platform/XmlUtil.h"
#include "platform/os/Random.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

int32_t IntOr(const TiXmlElement* root, const char* name, int32_t fallback) {
    return XmlGetAttributeString(root, name) ? XmlGetAttributeInt(root, name) : fallback;
}

// Ten rounds of five points, each: the pause, a preview (flip up, show,
// flip down), a shot and a flip up per enemy, and a reveal.
int64_t WinBound(const TargetConfig& config) {
    const int64_t preview = 19 + config.showFrames + 4 + 19;
    const int64_t shooting = static_cast<int64_t>(config.enemyCount) * (TargetRules::kFlipSteps + 2);
    const int64_t reveal = 2 * 19 + 15 + 199;
    return 2 * 10 * (TargetRules::kCheatRoundPause + preview + shooting + reveal);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument document;
    if (!XmlParseText(document, text.data())) return 0;
    const TiXmlElement* root = document.FirstChildElement();
    TargetConfig config;
    config.delayMs = root && XmlGetAttributeString(root, "delay") ? XmlGetAttributeFloat(root, "delay") : 170.0f;
    config.friendCount = IntOr(root, "friends", 1);
    config.enemyCount = IntOr(root, "enemies", 1);
    if (ReadTargetConfig(document, config)) return 0;
    os::SeedRand(static_cast<uint32_t>(size));
    TargetRules rules(config, {64, 64}, true);
    const int64_t bound = WinBound(config);
    for (int64_t step = 0; step < bound && !rules.IsWon(); ++step) {
        const TargetClick shot = rules.Step(true).shot;
        // The cheat shoots only enemies, and the screen looks its target up.
        Check(shot.shot == TargetShot::kNone ||
              (shot.shot == TargetShot::kEnemy && shot.tile >= 0 &&
               static_cast<size_t>(shot.tile) < rules.GetTiles().size()));
        for (const TargetTile& t : rules.GetTiles()) {
            Check(t.upLeft >= 0 && t.downLeft >= 0 && t.upLeft <= t.upTotal + 15);
            Check(t.column >= 0 && t.column < config.columns && t.row >= 0 && t.row < config.rows);
        }
    }
    Check(rules.IsWon());
    Check(rules.GetScore() >= rules.GetGoal());
    return 0;
}
