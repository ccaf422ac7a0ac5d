#pragma once
// The rules of the wire puzzle: stone plates lie on places, each showing a
// colour on every side; the player turns a plate a step back or moves it to
// a free place, and a connection between two sides of two places is made
// when the plates there show one colour on those sides. The game is won
// when, after the last animation, every connection is made. The plates
// start scrambled, never solved; the self-play brings every plate home and
// unturned. Places are numbered in byte-wise label order, colours by their
// first appearance. No drawing, sound, host or hit test here.

#include "minigames/wirepuzzle/WirePuzzleConfig.h"
#include "platform/Math.h"

#include <cstdint>
#include <string>
#include <vector>

struct WireTile {
    int32_t id = 0;           // its place in the configuration's plate list, for its picture
    int32_t homePlace = 0;    // where it belongs
    int32_t currentPlace = 0; // where it lies
    std::vector<int32_t> sides;  // colour by side index
    bool fixed = false;
    Vec2 position;           // of its place; while dragged, the pointer
    int32_t rotation = 0;    // 0..n-1; 0 is the file's orientation
    int32_t prevRotation = 0;
    int32_t turnFrames = 0;  // steps of turn animation still to run
    Vec2 prevPosition;
    int32_t moveFrames = 0;  // steps of move animation still to run
};

struct WireCnnct {
    int32_t fromPlace = 0, fromSide = 0, toPlace = 0, toSide = 0;
    int32_t shownColour = -1;  // the colour of the made connection; -1 not made
};

enum class WireDrop {
    kMoved,    // onto a free place: one move
    kReturned  // no place, an occupied one, its own, or the game is won: slides back
};

struct WireStepReport {
    bool animationEnded = false;
    bool won = false;  // this step won the game
};

class WirePuzzleRules {
public:
    static constexpr int32_t kAnimationSteps = 15;
    static constexpr int32_t kNoPlate = -1;
    static constexpr int32_t kNoPlace = -1;
    // Scrambles tried while the board comes out solved; a board no scramble
    // can break (uniform colours, everything fixed) takes the last one.
    static constexpr int32_t kMaxScrambleAttempts = 1000;
    // Draws for one scramble's swaps: 64 plates of which two can move need
    // about 131,000; this is far above and stops a pathological board.
    static constexpr int64_t kMaxSwapDraws = 1'000'000;

    // Builds from a configuration ReadWirePuzzleConfig accepted, drawing
    // from os::Rand, and scrambles.
    explicit WirePuzzleRules(const WirePuzzleConfig& config);

    int32_t GetPlaceCount() const { return static_cast<int32_t>(placePositions_.size()); }
    Vec2 GetPlacePosition(int32_t place) const { return placePositions_[place]; }
    int32_t GetTileCount() const { return static_cast<int32_t>(tiles_.size()); }
    // In drawing and grab order; index 0 is the plate last grabbed.
    const WireTile& GetTile(int32_t index) const { return tiles_[index]; }
    const std::vector<WireCnnct>& GetConnections() const { return connections_; }
    const std::string& GetColourName(int32_t colour) const { return colourNames_[colour]; }
    // The index of the plate lying there, or kNoPlate.
    int32_t TileAtPlace(int32_t place) const;
    // The index into the plate's sides of what it shows at that side.
    static int32_t SideAt(const WireTile& tile, int32_t side);
    // The turn state shown now, swinging the short way while it turns.
    static float ShownTurn(const WireTile& tile);
    static Vec2 ShownPosition(const WireTile& tile);
    static bool IsAnimating(const WireTile& tile) { return tile.turnFrames > 0 || tile.moveFrames > 0; }
    int32_t GetGrabbed() const { return grabbed_; }
    bool IsWon() const { return won_; }
    int32_t GetScrambleAttempts() const { return scrambleAttempts_; }

    // Takes up the plate on that place unless it is fixed (or there is
    // none) and brings it to the front; true when one is held.
    bool Grab(int32_t place);
    void DragGrabbedTo(Vec2 position);
    // The held plate turns back a step: false when none is held or the game
    // is won.
    bool TurnGrabbed();
    WireDrop DropGrabbed(int32_t place);
    void Release() { grabbed_ = kNoPlate; }
    // Judges every connection and sets what it shows.
    bool AllConnected();
    // The self-play starts with the first plate turned back a step.
    void StartAutoPlay();
    // One 17 ms step; with `autoPlay` a self-play move follows each ended
    // animation while the board is unsolved.
    WireStepReport Step(bool autoPlay);
    // The self-play's next move; false when none applies.
    bool AutoPlayMove();

private:
    void Scramble();
    void TurnBack(WireTile& tile, bool animate);
    void MoveTo(WireTile& tile, int32_t place, bool immediate);
    bool IsPlaceFree(int32_t place) const { return TileAtPlace(place) == kNoPlate; }
    int32_t ColourIndex(const std::string& name);

    std::vector<std::string> placeLabels_;
    std::vector<Vec2> placePositions_;
    std::vector<WireTile> tiles_;
    std::vector<WireCnnct> connections_;
    std::vector<std::string> colourNames_;
    int32_t grabbed_ = kNoPlate;
    bool won_ = false;
    int32_t scrambleAttempts_ = 0;
};
