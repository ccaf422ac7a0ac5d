#pragma once
// The rules of the sliding picture: N × N cells, each showing the piece of
// some picture cell ("home"), the bottom-right piece missing (the gap).
// Shuffled by random legal slides at construction; a piece beside the gap
// slides into it; solved when every piece is home. Slides animate over
// 16 steps of 17 ms; the checks run when the last moving piece arrives.

#include "minigames/pushpuzzle/PushPuzzleConfig.h"

#include <cstdint>
#include <vector>

struct PushPuzzlePoint {
    float x = 0.0f;
    float y = 0.0f;
};

enum class PushPuzzleStep { kNone, kSolved };

class PushPuzzleRules {
public:
    static constexpr int32_t kSlideSteps = 16;  // a piece at 16 and above is at rest

    // From a configuration ReadPushPuzzleConfig accepted. Cuts the grid and
    // shuffles it through os::Rand (y before x per draw), again while the
    // result is solved.
    explicit PushPuzzleRules(const PushPuzzleConfig& config);

    // False when the shuffle ran past its bound on draws; the screen then
    // refuses the game as it would a broken configuration.
    bool IsReady() const { return ready_; }
    int32_t GetGridSize() const { return gridSize_; }
    int32_t GetCellCount() const { return gridSize_ * gridSize_; }
    int32_t GetTileWidth() const { return tileWidth_; }
    int32_t GetTileHeight() const { return tileHeight_; }
    // Top-left corner of the picture in the game: centred on the background.
    int32_t GetPictureX() const { return pictureX_; }
    int32_t GetPictureY() const { return pictureY_; }
    // The picture cell (N·y + x) whose piece cell shows; -1 outside the grid.
    int32_t HomeAt(int32_t cell) const;
    // The missing piece's home, always the bottom-right cell.
    int32_t GetGapHome() const { return GetCellCount() - 1; }
    bool IsGap(int32_t cell) const { return HomeAt(cell) == GetGapHome(); }
    bool IsSolved() const;
    bool IsAtRest() const;
    int32_t GetMoves() const { return moves_; }
    bool IsAutoSolved() const { return autoSolved_; }
    // Where the piece shown by a cell is drawn (its top-left corner).
    PushPuzzlePoint PiecePlace(int32_t cell) const;

    // The player's slide of the piece at (x, y) into the gap beside it; false
    // for the gap, a piece not beside it, or a cell outside the grid. Counts
    // a move. Accepted while other pieces still move.
    bool Slide(int32_t x, int32_t y);
    // The help: every piece slides home at once; the arrival ends the game
    // as solved by help, which the screen reports as skipped.
    void AutoSolve();
    // One 17 ms step. kSolved when the last moving piece arrived and the
    // picture is whole. With autoPlay an arrival brings one more piece home.
    PushPuzzleStep Step(bool autoPlay);

private:
    struct Entry {
        int32_t home = 0;      // picture cell shown here
        int32_t from = 0;      // cell the shown piece moves from
        int32_t progress = 0;  // animation step, 0..16
    };

    bool SlideCell(int32_t x, int32_t y, bool instant);
    bool Shuffle();
    void AutoPlayStep();
    bool HasPiece(const Entry& entry) const { return entry.home != GetGapHome(); }

    std::vector<Entry> entries_;
    int32_t gridSize_ = 0;
    int32_t tileWidth_ = 0;
    int32_t tileHeight_ = 0;
    int32_t pictureX_ = 0;
    int32_t pictureY_ = 0;
    int32_t moves_ = 0;
    bool autoSolved_ = false;
    bool ready_ = false;
};
