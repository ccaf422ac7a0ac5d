#pragma once
// Colour words of widget properties (0xAABBGGRR, red in the lowest byte) and
// the one conversion of computed alphas into colour bytes: every product of
// an alpha and a factor is truncated and then clamped to 0..255, so that a
// factor above 1, a negative one or NaN can never wrap around in a byte.

#include "platform/Color.h"

#include <cstdint>

namespace halvo {

// The word byte for byte: red lowest, alpha highest.
Color ColorFromWord(uint32_t word);
// 0..255; below 0 gives 0, above 255 gives 255.
uint8_t ClampToByte(int32_t value);
// trunc(alpha * factor + 0.5), clamped; NaN gives 0.
uint8_t ScaleAlphaByte(uint8_t alpha, float factor);
// trunc(alpha * 255) for an alpha fraction, clamped; NaN gives 0.
uint8_t AlphaFractionToByte(float alpha);

}  // namespace halvo
