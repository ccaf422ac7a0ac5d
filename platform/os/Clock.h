#pragma once
// The millisecond clock and sleeping.

#include <cstdint>

namespace os {

// Milliseconds of the monotonic clock since boot, wrapping at 2^32 like the
// 32-bit tick counter that the frame timing was designed around.
uint32_t Milliseconds();

void SleepMs(uint32_t milliseconds);

}  // namespace os
