#include "game/effects/ScnHelpFX.h"

#include <cmath>

namespace {
constexpr float kPi = 3.1415927f;
// Six pulses over the life of a hint spark.
constexpr float kPulseFrequency = 12 * kPi;
}  // namespace

const ClassRecord ScnHelpFX::kClassRecord = {"ScnHelpFX", &SceneFX::kClassRecord, &ScnHelpFX::Create};

halvo::RefObj* ScnHelpFX::Create() { return new ScnHelpFX; }

void ScnHelpFX::Draw(const Matrix4& matrix) {
    const float pulse = 1 - 0.5f * std::cos(kPulseFrequency * progress);
    position = progress < 0.5f ? Along(std::sin(kPi * progress)) : target;
    DrawScaled(matrix, pulse, 255 * pulse);
}
