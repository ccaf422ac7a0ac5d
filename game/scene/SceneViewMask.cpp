#include "game/scene/SceneViewMask.h"

#include "platform/Color.h"
#include "platform/GLState.h"

namespace {

// How far the black bands reach beyond the picture: past any view a zoom
// can show.
constexpr float kBandReach = 10000.0f;
// The bands overlap the picture by half a unit so no seam shows.
constexpr float kSeamOverlap = 0.5f;

}  // namespace

void SceneViewMask::SetPosition(Vec2 point) { position = Vec2::Min(Vec2::Max(point, minPos), maxPos); }

void SceneViewMask::Draw(const Matrix4& matrix) {
    if (!image) return;
    const float halfW = static_cast<float>(image->size.x) * 0.5f;
    const float halfH = static_cast<float>(image->size.y) * 0.5f;
    GLState::EnableBlend();
    GLState::SetColor(Color::White);
    image->position = position;
    image->matrixDirty = true;
    image->Draw(matrix);
    // An empty picture leaves the model-view untouched: place the bands
    // around the mask's point all the same.
    if (image->size.x == 0 || image->size.y == 0) {
        Matrix4 at = matrix;
        Matrix4 shift;
        shift.m[12] = position.x;
        shift.m[13] = position.y;
        GLState::SetModelview(Matrix4::Multiply(shift, at));
    }
    GLState::SetColor(Color::Black);
    const float top = -halfH + kSeamOverlap, bottom = halfH - kSeamOverlap;
    const float left = -halfW + kSeamOverlap, right = halfW - kSeamOverlap;
    GLState::DrawRect({-kBandReach, -kBandReach}, {kBandReach, top});
    GLState::DrawRect({-kBandReach, bottom}, {kBandReach, kBandReach});
    GLState::DrawRect({-kBandReach, top}, {left, bottom});
    GLState::DrawRect({right, top}, {kBandReach, bottom});
}
