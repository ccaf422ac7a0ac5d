#pragma once
// The pipe game's own random numbers: MT19937 with a seed word taken from the
// game's running time, so that one load always generates one board. The
// other mini-games draw from os::Rand() instead.

#include <cstdint>

class MersenneTwister {
public:
    static constexpr uint32_t kDefaultSeed = 1234567890u;
    // Used when the time's bit pattern is 0 (a total time of 0 ms).
    static constexpr uint32_t kZeroTimeSeed = 987654321u;

    // The bit pattern of the total time as a single-precision float.
    static uint32_t SeedWordFromTime(double totalMs);

    // Starts over from the seed word at the next draw.
    void Seed(uint32_t seedWord);
    // The next tempered word.
    uint32_t NextWord();
    // In [0, 1]; both ends can occur.
    float NextFloat();
    // floor(n * NextFloat()) in single precision, at most n - 1; 0 when n < 1.
    int32_t NextIndex(int32_t n);

private:
    static constexpr uint32_t kStateSize = 624;
    static constexpr uint32_t kNeedsInit = kStateSize + 1;

    void Initialise();
    void Regenerate();

    uint32_t seedWord_ = kDefaultSeed;
    uint32_t state_[kStateSize] = {};
    uint32_t index_ = kNeedsInit;
};
