#pragma once
// The player's statistics: integer counters under "[STATS]/", each raised by
// reading the value and writing it back with the amount added.

#include <cstdint>

// Stops at the largest int instead of wrapping into a negative count; a
// negative amount is ignored.
void AddToStatistic(const char* path, int64_t amount = 1);
