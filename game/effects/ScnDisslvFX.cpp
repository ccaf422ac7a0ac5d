#include "game/effects/ScnDisslvFX.h"

#include <cmath>

namespace {
constexpr float kPi = 3.1415927f;
}  // namespace

const ClassRecord ScnDisslvFX::kClassRecord = {"ScnDisslvFX", &SceneFX::kClassRecord,
                                               &ScnDisslvFX::Create};

halvo::RefObj* ScnDisslvFX::Create() { return new ScnDisslvFX; }

void ScnDisslvFX::Draw(const Matrix4& matrix) {
    const float size = std::fabs(std::sin(kPi * progress));
    DrawScaled(matrix, size, 255 * size);
}
