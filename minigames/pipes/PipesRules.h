#pragma once
// The rules of the pipe game: a generated board whose plain pieces the
// player turns a quarter clockwise, liquid running from the inlets through
// connected channels, and the win when every outlet gets liquid. A turning
// piece blocks the liquid until its animation ends; only then is the flow
// judged. No drawing, sound or host here: moves answer what happened and
// the screen turns that into pictures, sounds and host calls.

#include "minigames/pipes/MersenneTwister.h"
#include "minigames/pipes/PipesBoard.h"
#include "minigames/pipes/PipesConfig.h"

#include <cstdint>
#include <vector>

enum class PipesTurn {
    kRefused,          // off the board, an outlet's cell, or the game is won
    kTurned,           // the piece turns
    kTurnedAndDrained  // it turns and some outlet lost its liquid
};

struct PipesStepReport {
    bool outletFilled = false;  // a turn ended and some outlet got liquid
    bool won = false;           // this step won the game
};

class PipesRules {
public:
    // Steps of the quarter-turn animation.
    static constexpr int32_t kTurnSteps = 15;

    // Generates the board from the seed word (MersenneTwister::
    // SeedWordFromTime of the game's total time); not ready, with the
    // reason, when no board can be laid out.
    PipesRules(const PipesConfig& config, uint32_t seedWord);
    bool IsReady() const { return refusal_ == nullptr; }
    // Null when ready, else why no board could be laid out.
    const char* GetRefusal() const { return refusal_; }

    int32_t GetCountX() const { return board_.GetCountX(); }
    int32_t GetCountY() const { return board_.GetCountY(); }
    // The cell must be on the board.
    const PipesTile& TileAt(int32_t x, int32_t y) const { return board_.TileAt(x, y); }
    const std::vector<PipesTile>& GetInletSlots() const { return board_.inletSlots; }
    bool IsOutletCell(int32_t x, int32_t y) const { return board_.IsOutletCell(x, y); }
    bool IsWon() const { return won_; }
    bool IsTurning() const;
    // Every outlet's board tile has a channel filled.
    bool AreOutletsFilled() const;
    // Attempts and search work the generator needed for this board.
    int32_t GetGeneratorAttempts() const { return attempts_; }
    int64_t GetGeneratorWork() const { return generatorWork_; }

    PipesTurn TryTurn(int32_t x, int32_t y);
    // One 17 ms step: turn animations run on; when the last one ends, the
    // flow is judged.
    PipesStepReport Step();

private:
    std::vector<uint8_t> OutletFills() const;

    PipesBoard board_;
    MersenneTwister random_;
    const char* refusal_ = nullptr;
    bool won_ = false;
    int32_t attempts_ = 0;
    int64_t generatorWork_ = 0;
};
