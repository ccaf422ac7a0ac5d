#include "game/scene/SceneObject.h"

#include <algorithm>

#include "platform/GLState.h"

namespace {

float ClampByte(float value) { return std::clamp(value, 0.0f, 255.0f); }

uint8_t ToByte(float value) { return static_cast<uint8_t>(TruncateToInt(value)); }

}  // namespace

Color Color4ub(float red, float green, float blue, float alpha) {
    return {ToByte(red), ToByte(green), ToByte(blue), ToByte(alpha)};
}

void SceneObject::UpdateFade() {
    fade += fadeSpeed;
    if (fade > 0 && fade < 1) return;
    // A NaN fade lands on 0 instead of staying NaN.
    fade = fade >= 1 ? 1.0f : 0.0f;
    visible = visibleLeft = visibleRight = false;
    fadeSpeed = 0;
}

void SceneObject::Draw(const Matrix4& matrix) {
    if (!image) return;
    const float shown = 1 - fade;
    GLState::SetColor(Color4ub(ClampByte(255 * shown), ClampByte(2 * 255 * shown),
                               ClampByte(2 * 255 * shown), ClampByte(255 * shown)));
    image->Draw(matrix);
}
