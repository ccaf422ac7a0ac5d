#pragma once
// The rules of match-three: a board of typed tiles; dragging a tile onto a
// neighbour swaps them when that makes a line of three or more; lines vanish,
// tiles above fall and new ones drop in; each exploded line of type t adds a
// tile to its stack, which holds t + 1; won when every stack is full. A board
// with no move left vanishes and a settled new one replaces it. Time counts in
// 17 ms steps. The scan orders are fixed (explosions from the top, refills and
// the move search from the bottom) so that a seed always makes the same board.

#include "minigames/match3/Match3Config.h"

#include <cstdint>
#include <vector>

struct Match3Tile {
    int32_t type = -1;       // 0..types-1; -1 empty
    int32_t shownType = -1;  // whose image is drawn; stays while the tile vanishes
    float fromX = 0, fromY = 0;
    float targetX = 0, targetY = 0;
    float currentX = 0, currentY = 0;  // drawn here, centred
    float scale = 1.0f;
    int32_t swapSteps = 0;
    int32_t vanishSteps = 0;
    int32_t fallSteps = 0;
};

enum class Match3Press { kIgnored, kPicked, kNoTile };
enum class Match3Release { kNoDrag, kDropped, kSwapped, kRefused };
enum class Match3Step { kBusy, kAtRest, kCleared, kWon };

class Match3Rules {
public:
    static constexpr int32_t kSwapSteps = 15;
    static constexpr int32_t kVanishSteps = 30;
    static constexpr int32_t kFallSteps = 30;
    static constexpr int32_t kStackFillSteps = 30;
    static constexpr float kLiftedScale = 1.25f;
    // New tiles start this many rows above the top row.
    static constexpr int32_t kDropRows = 5;

    // From a configuration ReadMatch3Config accepted: fills the board row by
    // row through os::Rand and settles it at once (no lines left).
    explicit Match3Rules(const Match3Config& config);

    // False when settling the start board ran past its bound on work; the
    // screen then refuses the game.
    bool IsReady() const { return ready_; }
    int32_t GetCountX() const { return countX_; }
    int32_t GetCountY() const { return countY_; }
    int32_t GetTypeCount() const { return typeCount_; }
    // Cell index y·countX + x; null outside the board.
    const Match3Tile* TileAt(int32_t x, int32_t y) const;
    // The cell under a point of the game, -1 off the board.
    int32_t CellAt(float x, float y) const;
    bool IsDragging() const { return dragging_; }
    int32_t GetFirst() const { return first_; }
    int32_t GetSecond() const { return second_; }
    bool IsWon() const { return won_; }
    // Whether the board is being replaced (cleared for want of a move).
    bool IsClearing() const { return state_ == kStateCleared; }
    int32_t GetCollected(int32_t type) const;
    // 0 empty .. 1 filled, for slot 0..type of the type's stack.
    float GetStackFill(int32_t type, int32_t slot) const;
    // Totals since construction; the screen plays a sound per new one.
    int64_t GetExplosionCount() const { return explosions_; }
    int64_t GetLandingCount() const { return landings_; }
    // Some swap of neighbours would make a line.
    bool HasMove() const;

    // A press on the board picks up the tile under it (not an empty or
    // falling one). Ignored while a drag is on.
    Match3Press Press(float x, float y);
    void MovePointer(float x, float y);
    // Ends the drag: swaps the picked tile with the one it was dragged onto
    // when that makes a line; refused (both slide back) otherwise, or when
    // either tile is vanishing or falling.
    Match3Release Release();
    // One 17 ms step: follows the drag, animates, explodes, refills, and at
    // rest tests the win and whether a move is left. With autoPlay a board
    // at rest gets one automatic swap.
    Match3Step Step(bool autoPlay);

private:
    static constexpr int32_t kStateRest = 0;
    static constexpr int32_t kStateExploding = 1;
    static constexpr int32_t kStateDropping = 2;
    static constexpr int32_t kStateCleared = 3;

    struct Animation {
        bool moving = false, vanishing = false, vanished = false;
        bool falling = false, landed = false;
    };

    int32_t Index(int32_t x, int32_t y) const { return y * countX_ + x; }
    float CentreX(int32_t x) const { return float(offX_ + spcX_ * x); }
    float CentreY(int32_t y) const { return float(offY_ + spcY_ * y); }
    int32_t TypeAt(int32_t x, int32_t y) const;
    bool IsBusy(int32_t cell) const;
    bool IsInRun(int32_t x, int32_t y) const;
    void ClearCell(Match3Tile& tile, bool instant);
    void ExplodeRun(int32_t x, int32_t y, bool instant);
    void Collect(int32_t type);
    void ExplodeAll(bool instant);
    bool Refill(bool instant);
    bool Settle(bool refillFirst);
    void MoveTileTo(int32_t cell, int32_t destination);
    bool SwapMakesLine(int32_t a, int32_t b) const;
    bool TrySwap(bool commit);
    void ClearBoard();
    void FollowDrag();
    void Animate(Match3Tile& tile, int32_t cell, Animation& seen);
    void AutoPlayStep();
    bool AllStacksFull() const;
    void StepStacks();

    std::vector<Match3Tile> tiles_;
    std::vector<int32_t> collected_;
    std::vector<int32_t> stackTimer_;
    std::vector<float> stackFill_;
    int32_t typeCount_ = 0;
    int32_t countX_ = 0, countY_ = 0;
    int32_t offX_ = 0, offY_ = 0;
    int32_t spcX_ = 1, spcY_ = 1;
    float pressX_ = 0, pressY_ = 0;
    float pointerX_ = 0, pointerY_ = 0;
    int32_t first_ = -1;
    int32_t second_ = -1;
    int32_t state_ = kStateRest;
    int64_t explosions_ = 0;
    int64_t landings_ = 0;
    bool dragging_ = false;
    bool won_ = false;
    bool ready_ = false;
};
