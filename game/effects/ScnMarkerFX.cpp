#include "game/effects/ScnMarkerFX.h"

#include <cmath>

namespace {
constexpr float kPi = 3.1415927f;
}  // namespace

const ClassRecord ScnMarkerFX::kClassRecord = {"ScnMarkerFX", &SceneFX::kClassRecord,
                                               &ScnMarkerFX::Create};

halvo::RefObj* ScnMarkerFX::Create() { return new ScnMarkerFX; }

void ScnMarkerFX::Draw(const Matrix4& matrix) {
    const float size = std::fabs(std::sin(kPi * progress));
    position = Along(std::sin(kPi / 2 * progress));
    DrawScaled(matrix, size, 255 * size);
}
