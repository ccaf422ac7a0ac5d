#pragma once
// The pipe board as the rules and the generator share it: the placed
// pieces, the inlets as played and the outlets, and how liquid runs through
// them. Piece kinds are numbered as the configuration lists them: plain
// pieces first, then one per inlet, then one per outlet.

#include "minigames/pipes/PipesConfig.h"
#include "platform/Math.h"

#include <array>
#include <cstdint>
#include <vector>

// Side bits: 1 up, 2 right, 4 down, 8 left; 0 is "no side".
inline constexpr int32_t kPipesNoSide = 0;
inline constexpr int8_t kPipesNoColour = -1;

// One placed piece (or an inlet or outlet).
struct PipesTile {
    int32_t typeIndex = -1;  // -1 while unassigned
    int8_t sideColour[kPipesSides] = {-1, -1, -1, -1};
    int8_t channelColour[2] = {-1, -1};
    bool channelFilled[2] = {false, false};
    int32_t cellX = 0, cellY = 0;  // inlets may lie off the board
    int32_t rotation = 0;          // quarter turns clockwise
    int32_t prevRotation = 0;      // before the latest turn
    int32_t turnSteps = 0;         // steps left of the turn animation
    int32_t visited = 0;           // side bits entered by the current search or flow
    int32_t solvedRotation = 0;    // as the generator laid it, before scrambling
};

class PipesBoard {
public:
    static int32_t SideOfBit(int32_t bit);  // -1 for anything but 1, 2, 4, 8
    static int32_t BitOfSide(int32_t side) { return 1 << side; }
    static int32_t OppositeBit(int32_t bit);

    explicit PipesBoard(const PipesConfig& config);

    int32_t GetCountX() const { return countX_; }
    int32_t GetCountY() const { return countY_; }
    int32_t GetPlainTypeCount() const { return plainTypeCount_; }
    int32_t GetColourCount() const { return colourCount_; }
    bool IsOnBoard(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < countX_ && y < countY_; }
    bool IsPort(const PipesTile& tile) const { return tile.typeIndex >= plainTypeCount_; }
    bool IsPlain(const PipesTile& tile) const { return tile.typeIndex < plainTypeCount_; }
    bool IsOutletCell(int32_t x, int32_t y) const;
    PipesTile& TileAt(int32_t x, int32_t y) { return board[y * countX_ + x]; }
    const PipesTile& TileAt(int32_t x, int32_t y) const { return board[y * countX_ + x]; }

    // The four sides after the tile's rotation (0 closed, else the channel).
    std::array<int32_t, kPipesSides> GetOpenings(const PipesTile& tile) const;
    // The bit of an inlet's or outlet's one opening, turned by its rotation.
    int32_t OpeningBit(const PipesTile& tile) const;
    // The colour at that opening.
    int32_t PortColour(const PipesTile& tile) const;
    // Colours the channel that opens at the side bit (for an inlet or an
    // outlet: its opening, whatever bit is given). False for a bit that
    // names no side.
    bool ColorChannel(PipesTile& tile, int32_t sideBit, int32_t colour) const;
    void UpdateChannelColors(PipesTile& tile) const;
    // Where the liquid is now, from every inlet in order.
    void ComputeFlow();
    // Turns a quarter clockwise, side colours with it, without animation.
    static void TurnOnce(PipesTile& tile);

    // Written by the generator, then by the rules' turns.
    std::vector<PipesTile> board;       // countX x countY, row after row
    std::vector<PipesTile> inlets;      // as read
    std::vector<PipesTile> inletSlots;  // as played: the generator's pictures at the inlets' places
    std::vector<PipesTile> outlets;     // as read: cell and colour
    std::vector<Point2i> inletAccess;   // per inlet, the board cell it pours into

private:
    void FlowInto(int32_t colour, int32_t entryBit, int32_t x, int32_t y);
    void ApplyOutletColours();

    std::vector<std::array<int32_t, kPipesSides>> typeOpenings_;
    int32_t plainTypeCount_ = 0;
    int32_t colourCount_ = 0;
    int32_t countX_ = 0, countY_ = 0;
};
