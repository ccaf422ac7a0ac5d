#include "minigames/pipes/PipesBoard.h"

namespace {

constexpr int32_t kTurnsPerCircle = 4;

}  // namespace

int32_t PipesBoard::SideOfBit(int32_t bit) {
    switch (bit) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    case 8: return 3;
    default: return -1;
    }
}

int32_t PipesBoard::OppositeBit(int32_t bit) {
    const int32_t side = SideOfBit(bit);
    return side < 0 ? kPipesNoSide : BitOfSide((side + 2) % kPipesSides);
}

PipesBoard::PipesBoard(const PipesConfig& config)
    : plainTypeCount_(static_cast<int32_t>(config.tiles.size())),
      colourCount_(static_cast<int32_t>(config.colours.size())),
      countX_(config.countX),
      countY_(config.countY) {
    auto addType = [this](const PipesTypeInfo& type) {
        typeOpenings_.push_back({type.openings[0], type.openings[1], type.openings[2], type.openings[3]});
        return static_cast<int32_t>(typeOpenings_.size()) - 1;
    };
    for (const PipesTypeInfo& type : config.tiles) addType(type);
    auto placed = [&](const PipesPort& port) {
        PipesTile tile;
        tile.typeIndex = addType(port.type);
        tile.cellX = port.cellX;
        tile.cellY = port.cellY;
        tile.rotation = port.rotation;
        return tile;
    };
    for (const PipesPort& inlet : config.inlets) {
        inlets.push_back(placed(inlet));
        inletSlots.push_back(PipesTile{});
        inletAccess.push_back({inlet.accessX, inlet.accessY});
    }
    for (const PipesPort& outlet : config.outlets) outlets.push_back(placed(outlet));
    board.resize(static_cast<size_t>(countX_) * static_cast<size_t>(countY_));
}

bool PipesBoard::IsOutletCell(int32_t x, int32_t y) const {
    for (const PipesTile& outlet : outlets) {
        if (outlet.cellX == x && outlet.cellY == y) return true;
    }
    return false;
}

std::array<int32_t, kPipesSides> PipesBoard::GetOpenings(const PipesTile& tile) const {
    std::array<int32_t, kPipesSides> sides = {0, 0, 0, 0};
    if (tile.typeIndex < 0 || tile.typeIndex >= static_cast<int32_t>(typeOpenings_.size())) return sides;
    const std::array<int32_t, kPipesSides>& unturned = typeOpenings_[tile.typeIndex];
    for (int32_t k = 0; k < kPipesSides; ++k) sides[(k + tile.rotation) % kTurnsPerCircle] = unturned[k];
    return sides;
}

int32_t PipesBoard::OpeningBit(const PipesTile& tile) const {
    if (tile.typeIndex < 0 || tile.typeIndex >= static_cast<int32_t>(typeOpenings_.size())) return kPipesNoSide;
    const std::array<int32_t, kPipesSides>& unturned = typeOpenings_[tile.typeIndex];
    for (int32_t k = 0; k < kPipesSides; ++k) {
        if (unturned[k] != 0) return BitOfSide((k + tile.rotation) % kTurnsPerCircle);
    }
    return kPipesNoSide;
}

int32_t PipesBoard::PortColour(const PipesTile& tile) const {
    const int32_t side = SideOfBit(OpeningBit(tile));
    return side < 0 ? kPipesNoColour : tile.sideColour[side];
}

bool PipesBoard::ColorChannel(PipesTile& tile, int32_t sideBit, int32_t colour) const {
    if (IsPort(tile)) sideBit = OpeningBit(tile);
    const int32_t side = SideOfBit(sideBit);
    if (side < 0) return false;
    if (tile.typeIndex < 0) {
        tile.sideColour[side] = static_cast<int8_t>(colour);
        return true;
    }
    const std::array<int32_t, kPipesSides> openings = GetOpenings(tile);
    for (int32_t k = 0; k < kPipesSides; ++k) {
        if (openings[k] == 0) {
            tile.sideColour[k] = kPipesNoColour;
        } else if (openings[k] == openings[side]) {
            tile.sideColour[k] = static_cast<int8_t>(colour);
        }
    }
    return true;
}

void PipesBoard::UpdateChannelColors(PipesTile& tile) const {
    const std::array<int32_t, kPipesSides> openings = GetOpenings(tile);
    for (int32_t channel = 1; channel <= 2; ++channel) {
        int8_t colour = kPipesNoColour;
        for (int32_t k = 0; k < kPipesSides; ++k) {
            if (openings[k] == channel) {
                colour = tile.sideColour[k];
                break;
            }
        }
        tile.channelColour[channel - 1] = colour;
    }
}

void PipesBoard::ComputeFlow() {
    for (PipesTile& tile : board) {
        tile.visited = 0;
        tile.channelFilled[0] = tile.channelFilled[1] = false;
        if (IsPlain(tile)) {
            for (int8_t& colour : tile.sideColour) colour = kPipesNoColour;
        }
    }
    // The outlets' own colours must stand before the liquid arrives, or the
    // first flow after generation would test against a stranger's colour.
    ApplyOutletColours();
    for (size_t i = 0; i < inletSlots.size(); ++i) {
        PipesTile& slot = inletSlots[i];
        slot.channelFilled[0] = slot.channelFilled[1] = true;
        const int32_t bit = OpeningBit(slot);
        if (bit == kPipesNoSide) continue;
        FlowInto(slot.sideColour[SideOfBit(bit)], OppositeBit(bit), inletAccess[i].x, inletAccess[i].y);
    }
    ApplyOutletColours();
    for (PipesTile& tile : board) UpdateChannelColors(tile);
}

void PipesBoard::TurnOnce(PipesTile& tile) {
    tile.prevRotation = tile.rotation;
    tile.rotation = (tile.rotation + 1) % kTurnsPerCircle;
    const int8_t last = tile.sideColour[kPipesSides - 1];
    for (int32_t k = kPipesSides - 1; k > 0; --k) tile.sideColour[k] = tile.sideColour[k - 1];
    tile.sideColour[0] = last;
}

void PipesBoard::FlowInto(int32_t colour, int32_t entryBit, int32_t x, int32_t y) {
    if (!IsOnBoard(x, y)) return;
    PipesTile& tile = TileAt(x, y);
    if (tile.visited & entryBit) return;
    tile.visited |= entryBit;
    const int32_t entry = SideOfBit(entryBit);
    const std::array<int32_t, kPipesSides> openings = GetOpenings(tile);
    // An inlet or outlet takes only its own colour, and only through its
    // opening: liquid at a closed side must not recolour it.
    const bool admits = IsPort(tile) ? openings[entry] != 0 && tile.sideColour[entry] == colour
                                     : tile.sideColour[entry] == kPipesNoColour;
    if (!admits || tile.turnSteps != 0) return;
    ColorChannel(tile, entryBit, colour);
    const int32_t channel = openings[entry];
    if (channel < 1) return;
    tile.channelFilled[channel - 1] = true;
    static constexpr int32_t kStepX[kPipesSides] = {0, 1, 0, -1};
    static constexpr int32_t kStepY[kPipesSides] = {-1, 0, 1, 0};
    for (int32_t k = 0; k < kPipesSides; ++k) {
        if (k == entry || openings[k] != channel) continue;
        FlowInto(colour, BitOfSide((k + 2) % kPipesSides), x + kStepX[k], y + kStepY[k]);
    }
}

void PipesBoard::ApplyOutletColours() {
    for (const PipesTile& outlet : outlets) {
        if (!IsOnBoard(outlet.cellX, outlet.cellY)) continue;
        PipesTile& tile = TileAt(outlet.cellX, outlet.cellY);
        for (int32_t k = 0; k < kPipesSides; ++k) tile.sideColour[k] = outlet.sideColour[k];
    }
}
