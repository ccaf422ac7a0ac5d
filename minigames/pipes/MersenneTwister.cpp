#include "minigames/pipes/MersenneTwister.h"

#include <cstring>

namespace {

constexpr uint32_t kMiddle = 397;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kInitMultiplier = 1812433253u;

}  // namespace

uint32_t MersenneTwister::SeedWordFromTime(double totalMs) {
    const float time = static_cast<float>(totalMs);
    uint32_t word = 0;
    std::memcpy(&word, &time, sizeof word);
    return word == 0 ? kZeroTimeSeed : word;
}

void MersenneTwister::Seed(uint32_t seedWord) {
    seedWord_ = seedWord;
    index_ = kNeedsInit;
}

uint32_t MersenneTwister::NextWord() {
    if (index_ >= kStateSize) {
        if (index_ == kNeedsInit) Initialise();
        Regenerate();
        index_ = 0;
    }
    uint32_t y = state_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

float MersenneTwister::NextFloat() {
    return static_cast<float>(static_cast<double>(NextWord()) / 4294967295.0);
}

int32_t MersenneTwister::NextIndex(int32_t n) {
    if (n < 1) return 0;
    // The product is never negative, so truncation is the floor (and much
    // cheaper: the board generator draws millions of these).
    const int32_t index = static_cast<int32_t>(static_cast<float>(n) * NextFloat());
    return index > n - 1 ? n - 1 : index;
}

void MersenneTwister::Initialise() {
    state_[0] = seedWord_;
    for (uint32_t i = 1; i < kStateSize; ++i) {
        state_[i] = kInitMultiplier * (state_[i - 1] ^ (state_[i - 1] >> 30)) + i;
    }
}

void MersenneTwister::Regenerate() {
    for (uint32_t i = 0; i < kStateSize; ++i) {
        const uint32_t y = (state_[i] & kUpperMask) | (state_[(i + 1) % kStateSize] & kLowerMask);
        state_[i] = state_[(i + kMiddle) % kStateSize] ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
    }
}
