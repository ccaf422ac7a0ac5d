#include "gui/GuiTexture.h"

#include "gui/GuiColor.h"
#include "platform/GLState.h"

#include <cmath>
#include <numbers>

namespace halvo {

namespace {

const Vec2 kCacheAnchor{0, 0};
const Vec2 kRotationAnchor{0.5f, 0.5f};

}  // namespace

void GuiTexture::Draw(GuiTexture& texture, float x, float y, float w, float h, float alpha,
                      const Matrix4& matrix, const float* rotationDegrees) {
    if (texture.size.x <= 0 || texture.size.y <= 0) return;
    if (!(w > 0)) w = static_cast<float>(texture.size.x);
    if (!(h > 0)) h = static_cast<float>(texture.size.y);
    texture.scale = {w / static_cast<float>(texture.size.x), h / static_cast<float>(texture.size.y)};
    GLState::EnableBlend();
    GLState::SetColor({255, 255, 255, AlphaFractionToByte(alpha)});
    texture.position = {x, y};
    if (rotationDegrees) {
        SetRotationDegrees(texture, *rotationDegrees);
        texture.anchor = kRotationAnchor;
    }
    texture.matrixDirty = true;
    texture.GLImage::Draw(matrix);
    if (rotationDegrees) {
        // Every other user of this cached image draws it unturned.
        texture.rotation = Quaternion();
        texture.anchor = kCacheAnchor;
        texture.matrixDirty = true;
    }
}

void SetRotationDegrees(GLImage& image, float degrees) {
    const float wrapped = std::isfinite(degrees) ? WrapDegrees(degrees) : 0.0f;
    image.rotation = Quaternion::FromAngleZ(wrapped * 2.0f * std::numbers::pi_v<float> / 360.0f);
    image.matrixDirty = true;
}

}  // namespace halvo
