#include "platform/os/Random.h"

namespace os {
namespace {

uint32_t& RandState() {
    static uint32_t state = 1;
    return state;
}

}  // namespace

void SeedRand(uint32_t seed) { RandState() = seed; }

int32_t Rand() {
    uint32_t& s = RandState();
    s = s * 214013u + 2531011u;
    return static_cast<int32_t>((s >> 16) & 0x7FFF);
}

}  // namespace os
