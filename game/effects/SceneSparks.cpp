#include "game/effects/SceneSparks.h"

#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kSparksPerUnit = 0.125f;

}  // namespace

int32_t SparkCount(Vec2 halfAxes) {
    const float a = halfAxes.x, b = halfAxes.y;
    if (!(a + b > 0)) return 0;
    const float ratio = (a - b) / (a + b);
    const float h = ratio * ratio;
    const float perimeter = kPi * (a + b) * (1 + 3 * h / (10 + std::sqrt(4 - 3 * h)));
    const float sparks = perimeter * kSparksPerUnit;
    if (!std::isfinite(sparks) || sparks < 1) return 0;
    return sparks >= kMaxSparks ? kMaxSparks : TruncateToInt(sparks);
}

Vec2 EllipsePoint(Vec2 centre, Vec2 halfAxes, int32_t index, int32_t count) {
    const float angle = 2 * kPi * static_cast<float>(index) / static_cast<float>(count);
    return {centre.x + halfAxes.x * std::cos(angle), centre.y + halfAxes.y * std::sin(angle)};
}
