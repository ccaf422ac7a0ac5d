#include "game/effects/ScnExitFX.h"

#include <cmath>

namespace {
constexpr float kPi = 3.1415927f;
}  // namespace

const ClassRecord ScnExitFX::kClassRecord = {"ScnExitFX", &SceneFX::kClassRecord, &ScnExitFX::Create};

halvo::RefObj* ScnExitFX::Create() { return new ScnExitFX; }

void ScnExitFX::Draw(const Matrix4& matrix) {
    DrawScaled(matrix, 1, 128 + 127 * std::fabs(std::sin(kPi * progress)));
}
