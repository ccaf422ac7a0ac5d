#pragma once
// Lays a pipe board that can be solved: the outlets are placed, a random
// path of pieces is carved from every inlet to each outlet of its colour,
// the other cells get random pieces, and every plain piece is turned at
// random for the player to turn back. All draws come from the game's own
// twister, so one seed word gives one board.

#include "minigames/pipes/MersenneTwister.h"
#include "minigames/pipes/PipesBoard.h"

#include <array>
#include <cstdint>

class PipesGenerator {
public:
    // A carve that fails starts the whole board over. The sample needed at
    // most 37 attempts over 10,000 seeds, a 16 x 16 board with 4 inlets at
    // most 120 over 20: this stops configurations that can never be carved
    // (an outlet boxed in, no bending piece).
    static constexpr int32_t kMaxAttempts = 5000;
    // Work summed over all attempts, in units of about one random draw:
    // cells cleared, draws, pairings and piece trials. The sample needs at
    // most about 100,000 over 10,000 seeds; a board that cannot be carved, of any size up to the
    // largest with 128 kinds of piece, gives up within about 30 ms in a
    // release build.
    static constexpr int64_t kMaxWork = 1'500'000;

    PipesGenerator(PipesBoard& board, MersenneTwister& random) : board_(board), random_(random) {}

    // Null when the board is laid out, else why not.
    const char* Generate();

    int32_t GetAttempts() const { return attempts_; }
    int64_t GetWork() const { return work_; }

private:
    enum class Attempt { kLaid, kRetry, kImpossible };

    Attempt TryOnce();
    void ResetBoard();
    std::vector<int32_t> ShuffledColours(int32_t count);
    void PlaceInlets(const std::vector<int32_t>& order);
    Attempt PlaceOutlets(const std::vector<int32_t>& order);
    bool CarvePaths();
    bool SearchPath(int32_t x, int32_t y, int32_t colour, int32_t entryBit, const PipesTile& outlet);
    bool TryExit(int32_t x, int32_t y, int32_t colour, int32_t entryBit, int32_t exitBit, const PipesTile& outlet);
    bool OutOfWork() const { return work_ >= kMaxWork; }
    bool FitUntypedTile(PipesTile& tile, int32_t entryBit, int32_t exitBit);
    void FillAndScramble();

    PipesBoard& board_;
    MersenneTwister& random_;
    int32_t attempts_ = 0;
    int64_t work_ = 0;
    // The kinds in the order the current fit tries them.
    std::array<int32_t, PipesConfig::kMaxPlainTypes> typeOrder_{};
};
