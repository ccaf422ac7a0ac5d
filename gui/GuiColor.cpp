#include "gui/GuiColor.h"

#include "platform/Math.h"

namespace halvo {

Color ColorFromWord(uint32_t word) {
    return {static_cast<uint8_t>(word & 0xFF), static_cast<uint8_t>((word >> 8) & 0xFF),
            static_cast<uint8_t>((word >> 16) & 0xFF), static_cast<uint8_t>(word >> 24)};
}

uint8_t ClampToByte(int32_t value) {
    if (value < 0) return 0;
    if (value > 255) return 255;
    return static_cast<uint8_t>(value);
}

uint8_t ScaleAlphaByte(uint8_t alpha, float factor) {
    return ClampToByte(TruncateToInt(static_cast<float>(alpha) * factor + 0.5f));
}

uint8_t AlphaFractionToByte(float alpha) { return ClampToByte(TruncateToInt(alpha * 255.0f)); }

}  // namespace halvo
