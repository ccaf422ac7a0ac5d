#include "minigames/pipes/PipesGenerator.h"

#include <utility>

namespace {

// Marks a channel on trial while the search looks for a piece that joins
// two sides; no real colour index reaches it.
constexpr int32_t kProbeColour = 127;
constexpr int32_t kExitSwaps = 16;
constexpr int32_t kTurnsPerCircle = 4;
// A piece tried in one rotation (a copy, its openings, a colouring) costs
// about as much as three random draws.
constexpr int32_t kTrialWork = 3;

constexpr int32_t kStepX[kPipesSides] = {0, 1, 0, -1};
constexpr int32_t kStepY[kPipesSides] = {-1, 0, 1, 0};

}  // namespace

const char* PipesGenerator::Generate() {
    for (;;) {
        if (attempts_ >= kMaxAttempts || OutOfWork()) {
            return "no board could be generated (the paths cannot be carved)";
        }
        ++attempts_;
        switch (TryOnce()) {
        case Attempt::kLaid: return nullptr;
        case Attempt::kImpossible: return "an outlet lies off the board";
        case Attempt::kRetry: break;
        }
    }
}

PipesGenerator::Attempt PipesGenerator::TryOnce() {
    ResetBoard();
    PlaceInlets(ShuffledColours(static_cast<int32_t>(board_.inletSlots.size())));
    const Attempt placed = PlaceOutlets(ShuffledColours(static_cast<int32_t>(board_.outlets.size())));
    if (placed != Attempt::kLaid) return placed;
    if (!CarvePaths()) return Attempt::kRetry;
    FillAndScramble();
    board_.ComputeFlow();
    for (PipesTile& slot : board_.inletSlots) board_.UpdateChannelColors(slot);
    for (PipesTile& tile : board_.board) board_.UpdateChannelColors(tile);
    return Attempt::kLaid;
}

void PipesGenerator::ResetBoard() {
    work_ += static_cast<int64_t>(board_.board.size());
    for (int32_t y = 0; y < board_.GetCountY(); ++y) {
        for (int32_t x = 0; x < board_.GetCountX(); ++x) {
            PipesTile& tile = board_.TileAt(x, y);
            tile.typeIndex = -1;
            tile.cellX = x;
            tile.cellY = y;
            tile.rotation = 0;
            tile.turnSteps = 0;
            for (int8_t& colour : tile.sideColour) colour = kPipesNoColour;
            tile.channelColour[0] = tile.channelColour[1] = kPipesNoColour;
        }
    }
}

// i mod the colour count, then 2 x count swaps of two random positions.
std::vector<int32_t> PipesGenerator::ShuffledColours(int32_t count) {
    work_ += 3 * count;
    std::vector<int32_t> order(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) order[i] = i % board_.GetColourCount();
    for (int32_t swap = 0; swap < 2 * count; ++swap) {
        const int32_t p = random_.NextIndex(count);
        const int32_t q = random_.NextIndex(count);
        std::swap(order[p], order[q]);
    }
    return order;
}

void PipesGenerator::PlaceInlets(const std::vector<int32_t>& order) {
    for (PipesTile& inlet : board_.inlets) {
        inlet.channelColour[0] = inlet.channelColour[1] = kPipesNoColour;
        inlet.turnSteps = 0;
    }
    for (size_t i = 0; i < board_.inletSlots.size(); ++i) {
        PipesTile& slot = board_.inletSlots[i];
        slot = board_.inlets[order[i]];
        slot.cellX = board_.inlets[i].cellX;
        slot.cellY = board_.inlets[i].cellY;
        slot.rotation = board_.inlets[i].rotation;
        board_.ColorChannel(slot, kPipesNoSide, order[i]);
    }
}

PipesGenerator::Attempt PipesGenerator::PlaceOutlets(const std::vector<int32_t>& order) {
    for (size_t i = 0; i < board_.outlets.size(); ++i) {
        PipesTile& outlet = board_.outlets[i];
        outlet.channelColour[0] = outlet.channelColour[1] = kPipesNoColour;
        outlet.turnSteps = 0;
        board_.ColorChannel(outlet, kPipesNoSide, order[i]);
    }
    for (size_t i = 0; i < board_.outlets.size(); ++i) {
        const PipesTile& outlet = board_.outlets[i];
        if (!board_.IsOnBoard(outlet.cellX, outlet.cellY)) return Attempt::kImpossible;
        PipesTile& tile = board_.TileAt(outlet.cellX, outlet.cellY);
        tile = board_.outlets[order[i]];
        tile.cellX = outlet.cellX;
        tile.cellY = outlet.cellY;
        tile.rotation = outlet.rotation;
    }
    return Attempt::kLaid;
}

bool PipesGenerator::CarvePaths() {
    for (const PipesTile& outlet : board_.outlets) {
        const int32_t colour = board_.PortColour(outlet);
        if (colour == kPipesNoColour) continue;
        work_ += static_cast<int64_t>(board_.inletSlots.size());
        for (size_t j = 0; j < board_.inletSlots.size(); ++j) {
            const PipesTile& slot = board_.inletSlots[j];
            if (board_.PortColour(slot) != colour) continue;
            if (OutOfWork()) return false;
            work_ += static_cast<int64_t>(board_.board.size());
            for (PipesTile& tile : board_.board) tile.visited = 0;
            const Point2i start = board_.inletAccess[j];
            const int32_t entry = PipesBoard::OppositeBit(board_.OpeningBit(slot));
            if (!SearchPath(start.x, start.y, colour, entry, outlet)) return false;
        }
    }
    return true;
}

bool PipesGenerator::SearchPath(int32_t x, int32_t y, int32_t colour, int32_t entryBit, const PipesTile& outlet) {
    if (OutOfWork()) return false;
    work_ += 1 + kExitSwaps;
    PipesTile& tile = board_.TileAt(x, y);
    if (tile.visited & entryBit) return false;
    tile.visited |= entryBit;
    const PipesTile saved = tile;
    const int32_t entry = PipesBoard::SideOfBit(entryBit);
    if (x == outlet.cellX && y == outlet.cellY) return outlet.sideColour[entry] == colour;
    if (board_.IsOutletCell(x, y)) return false;
    if (tile.sideColour[entry] != kPipesNoColour) return false;
    int32_t exits[kPipesSides] = {1, 2, 4, 8};
    for (int32_t swap = 0; swap < kExitSwaps; ++swap) {
        const int32_t p = random_.NextIndex(kPipesSides);
        const int32_t q = random_.NextIndex(kPipesSides);
        std::swap(exits[p], exits[q]);
    }
    for (int32_t exitBit : exits) {
        if (TryExit(x, y, colour, entryBit, exitBit, outlet)) return true;
    }
    board_.TileAt(x, y) = saved;
    return false;
}

bool PipesGenerator::TryExit(int32_t x, int32_t y, int32_t colour, int32_t entryBit, int32_t exitBit,
                             const PipesTile& outlet) {
    if (exitBit == entryBit || OutOfWork()) return false;
    const int32_t exitSide = PipesBoard::SideOfBit(exitBit);
    const int32_t nx = x + kStepX[exitSide], ny = y + kStepY[exitSide];
    if (!board_.IsOnBoard(nx, ny)) return false;
    PipesTile& tile = board_.TileAt(x, y);
    const PipesTile saved = tile;
    bool joins = false;
    if (tile.typeIndex < 0) {
        joins = FitUntypedTile(tile, entryBit, exitBit);
    } else {
        board_.ColorChannel(tile, entryBit, kProbeColour);
        joins = tile.sideColour[exitSide] == kProbeColour;
    }
    if (joins) {
        board_.ColorChannel(tile, entryBit, colour);
        if (SearchPath(nx, ny, colour, PipesBoard::OppositeBit(exitBit), outlet)) return true;
    }
    board_.TileAt(x, y) = saved;
    return false;
}

// The first kind and rotation, in a shuffled order of kinds, whose channel
// at the entry also opens at the exit; the tile keeps it.
bool PipesGenerator::FitUntypedTile(PipesTile& tile, int32_t entryBit, int32_t exitBit) {
    const int32_t typeCount = board_.GetPlainTypeCount();
    for (int32_t i = 0; i < typeCount; ++i) typeOrder_[i] = i;
    for (int32_t swap = 0; swap < 2 * typeCount; ++swap) {
        const int32_t p = random_.NextIndex(typeCount);
        const int32_t q = random_.NextIndex(typeCount);
        std::swap(typeOrder_[p], typeOrder_[q]);
    }
    work_ += 2 * typeCount;
    const PipesTile saved = tile;
    const int32_t exitSide = PipesBoard::SideOfBit(exitBit);
    for (int32_t i = 0; i < typeCount; ++i) {
        const int32_t type = typeOrder_[i];
        work_ += kTrialWork * kTurnsPerCircle;
        for (int32_t rotation = 0; rotation < kTurnsPerCircle; ++rotation) {
            tile = saved;
            tile.typeIndex = type;
            tile.rotation = rotation;
            board_.ColorChannel(tile, entryBit, kProbeColour);
            if (tile.sideColour[exitSide] == kProbeColour) return true;
        }
    }
    return false;
}

void PipesGenerator::FillAndScramble() {
    for (PipesTile& tile : board_.board) {
        if (tile.typeIndex < 0) tile.typeIndex = random_.NextIndex(board_.GetPlainTypeCount());
        if (!board_.IsPlain(tile)) continue;
        tile.solvedRotation = tile.rotation;
        const int32_t turns = 1 + random_.NextIndex(kTurnsPerCircle);
        for (int32_t t = 0; t < turns; ++t) PipesBoard::TurnOnce(tile);
        for (int32_t bit : {1, 2, 4, 8}) board_.ColorChannel(tile, bit, kPipesNoColour);
    }
}
