#pragma once
// The game's random numbers: 0..32767 per call, whatever the C library's own
// rand() range is, because game code divides by 32767 to get fractions.

#include <cstdint>

namespace os {

constexpr int32_t kRandMax = 0x7FFF;

void SeedRand(uint32_t seed);
int32_t Rand();

}  // namespace os
