#include "minigames/pipes/PipesRules.h"

#include "minigames/pipes/PipesGenerator.h"

PipesRules::PipesRules(const PipesConfig& config, uint32_t seedWord) : board_(config) {
    random_.Seed(seedWord);
    PipesGenerator generator(board_, random_);
    refusal_ = generator.Generate();
    attempts_ = generator.GetAttempts();
    generatorWork_ = generator.GetWork();
}

bool PipesRules::IsTurning() const {
    for (const PipesTile& tile : board_.board) {
        if (tile.turnSteps > 0) return true;
    }
    return false;
}

bool PipesRules::AreOutletsFilled() const {
    for (const PipesTile& outlet : board_.outlets) {
        const PipesTile& tile = board_.TileAt(outlet.cellX, outlet.cellY);
        if (!tile.channelFilled[0] && !tile.channelFilled[1]) return false;
    }
    return true;
}

PipesTurn PipesRules::TryTurn(int32_t x, int32_t y) {
    if (won_ || !board_.IsOnBoard(x, y) || board_.IsOutletCell(x, y)) return PipesTurn::kRefused;
    PipesTile& tile = board_.TileAt(x, y);
    PipesBoard::TurnOnce(tile);
    tile.turnSteps = kTurnSteps;
    const std::vector<uint8_t> before = OutletFills();
    board_.ComputeFlow();
    const std::vector<uint8_t> after = OutletFills();
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i] & ~after[i]) return PipesTurn::kTurnedAndDrained;
    }
    return PipesTurn::kTurned;
}

PipesStepReport PipesRules::Step() {
    PipesStepReport report;
    if (won_) return report;
    bool oneEnded = false, stillTurning = false;
    for (PipesTile& tile : board_.board) {
        if (tile.turnSteps <= 0) continue;
        if (--tile.turnSteps == 0) oneEnded = true; else stillTurning = true;
    }
    if (!oneEnded || stillTurning) return report;
    const std::vector<uint8_t> before = OutletFills();
    board_.ComputeFlow();
    const std::vector<uint8_t> after = OutletFills();
    for (size_t i = 0; i < before.size(); ++i) {
        if (after[i] & ~before[i]) report.outletFilled = true;
    }
    if (AreOutletsFilled()) won_ = report.won = true;
    return report;
}

// Per outlet, bit 0 and bit 1 for its board tile's two channels.
std::vector<uint8_t> PipesRules::OutletFills() const {
    std::vector<uint8_t> fills;
    fills.reserve(board_.outlets.size());
    for (const PipesTile& outlet : board_.outlets) {
        const PipesTile& tile = board_.TileAt(outlet.cellX, outlet.cellY);
        fills.push_back(static_cast<uint8_t>((tile.channelFilled[0] ? 1 : 0) | (tile.channelFilled[1] ? 2 : 0)));
    }
    return fills;
}
