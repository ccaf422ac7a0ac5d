#pragma once

#include <cstdint>

// Four bytes red, green, blue, alpha, in that order in memory.
struct Color {
    uint8_t r = 0, g = 0, b = 0, a = 0;

    static const Color Black;
    static const Color White;
    bool operator==(const Color&) const = default;
};

inline constexpr Color Color::Black{0, 0, 0, 255};
inline constexpr Color Color::White{255, 255, 255, 255};
