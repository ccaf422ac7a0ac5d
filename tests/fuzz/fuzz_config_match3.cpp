// Match-three configurations from arbitrary bytes. A refused file must say
// why; an accepted one must build rules whose settled board holds no line
// (unless the settle ran out of its bound, which refuses the game), and then
// play itself for a while: types inside the tile list, stacks never over
// full, the picked tiles on the board.

#include "minigames/match3/Match3Rules.h"
#include "platform/XmlUtil.h"
#include "platform/os/Random.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Cell visits allowed for the play after loading (steps × cells).
constexpr int64_t kPlayWork = 2'000'000;
// Two types on a larger board can take the settle's whole bound, seconds
// per input; a timeout there would be no finding. The unit tests cover it.
constexpr int32_t kMaxTwoTypeCells = 100;

void Check(bool holds) {
    if (!holds) std::abort();
}

bool HasLine(const Match3Rules& rules) {
    for (int32_t y = 0; y < rules.GetCountY(); ++y) {
        for (int32_t x = 0; x < rules.GetCountX(); ++x) {
            const int32_t t = rules.TileAt(x, y)->type;
            const Match3Tile* r1 = rules.TileAt(x + 1, y);
            const Match3Tile* r2 = rules.TileAt(x + 2, y);
            const Match3Tile* d1 = rules.TileAt(x, y + 1);
            const Match3Tile* d2 = rules.TileAt(x, y + 2);
            if (t >= 0 && r2 && r1->type == t && r2->type == t) return true;
            if (t >= 0 && d2 && d1->type == t && d2->type == t) return true;
        }
    }
    return false;
}

void CheckBoard(const Match3Rules& rules) {
    const int32_t types = rules.GetTypeCount();
    for (int32_t y = 0; y < rules.GetCountY(); ++y) {
        for (int32_t x = 0; x < rules.GetCountX(); ++x) {
            const Match3Tile* tile = rules.TileAt(x, y);
            Check(tile && tile->type >= -1 && tile->type < types);
            Check(tile->shownType >= -1 && tile->shownType < types);
        }
    }
    for (int32_t t = 0; t < types; ++t) Check(rules.GetCollected(t) >= 0 && rules.GetCollected(t) <= t + 1);
    const int32_t cells = rules.GetCountX() * rules.GetCountY();
    Check(rules.GetFirst() >= -1 && rules.GetFirst() < cells);
    Check(rules.GetSecond() >= -1 && rules.GetSecond() < cells);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument file;
    if (!XmlParseText(file, text.data())) return 0;
    Match3Config config;
    if (const char* why = ReadMatch3Config(file, config)) {
        Check(*why != 0);
        return 0;
    }
    const int32_t cells = config.countX * config.countY;
    if (config.types.size() == 2 && cells > kMaxTwoTypeCells) return 0;
    os::SeedRand(uint32_t(size));
    Match3Rules rules(config);
    if (!rules.IsReady()) return 0;
    Check(!HasLine(rules));
    CheckBoard(rules);
    const int64_t steps = kPlayWork / cells;
    for (int64_t i = 0; i < steps && !rules.IsWon(); ++i) {
        // A drag now and then, from the bytes, besides the autoplay.
        if (i % 50 == 7) {
            const uint8_t b = data[i % size];
            const float x = float(config.offX + config.spcX * (b % config.countX));
            const float y = float(config.offY + config.spcY * ((b / 8) % config.countY));
            rules.Press(x, y);
            rules.MovePointer(x + float((b & 1 ? 1 : -1) * config.spcX), y);
        }
        if (i % 50 == 9) rules.Release();
        rules.Step(true);
        CheckBoard(rules);
    }
    return 0;
}
