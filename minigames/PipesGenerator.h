#pragma once
// Lays a pipe board that can be solved: the outlets are placed, a random
// path of pieces is carved from every inlet to each outlet of its colour,
// the other cells get random pieces, and every plain piece is turned at
// random for the player to turn back. All draws come from the game's own
// twister, so one seed word gives one board.

#include "minigames/MersenneTwister.h"
#include "minigames/PipesBoard.h"

#include <cstdint>

class PipesGenerator {
public:
    // A carve that fails starts the whole board over. The sample needed at
    // most 36 attempts over 10,000 seeds, a 16 x 16 board with 4 inlets at
    // most 120 over 20: this stops configurations that can never be carved
    // (an outlet boxed in, no bending piece).
    static constexpr int32_t kMaxAttempts = 5000;
    // Cells entered by the path search, summed over all attempts: the sample
    // needed at most 2,356, the 16 x 16 board 134,000. An impossible 32 x 32
    // board reaches this in under two seconds.
    static constexpr int64_t kMaxSearchEntries = 5'000'000;

    PipesGenerator(PipesBoard& board, MersenneTwister& random) : board_(board), random_(random) {}

    // Null when the board is laid out, else why not.
    const char* Generate();

    int32_t GetAttempts() const { return attempts_; }
    int64_t GetSearchEntries() const { return searchEntries_; }

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
    bool FitUntypedTile(PipesTile& tile, int32_t entryBit, int32_t exitBit);
    void FillAndScramble();

    PipesBoard& board_;
    MersenneTwister& random_;
    int32_t attempts_ = 0;
    int64_t searchEntries_ = 0;
};
