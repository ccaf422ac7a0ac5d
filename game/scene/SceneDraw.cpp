// Scene: drawing background, objects, strips, overlays, light cone, effects
// and the optional hotspot outlines, in that order.

#include "game/Game.h"
#include "game/scene/Scene.h"
#include "platform/GLState.h"

namespace {

// Clicks are locked after too many misses: the scene is dimmed meanwhile.
constexpr Color kLockDimming{0, 0, 0, 200};
constexpr Point2i kFallbackDesignSize{1920, 1080};

Vec2 DesignCorner() {
    const Game* game = Game::Current();
    const Point2i size = game ? game->designSize : kFallbackDesignSize;
    return {static_cast<float>(size.x), static_cast<float>(size.y)};
}

}  // namespace

void Scene::Draw(const Matrix4& matrix) {
    // A difference scene's halves draw themselves.
    if (type == kSceneDifference) return;
    GLState::SetColor(Color::White);
    GLState::DisableBlend();
    if (background) background->Draw(matrix);
    GLState::EnableBlend();
    for (const auto& object : allObjects) {
        const bool shown = type == kSceneDifferenceLeft    ? object->visibleLeft
                           : type == kSceneDifferenceRight ? object->visibleRight
                                                           : object->visible;
        if (shown) object->Draw(matrix);
    }
    GLState::SetColor(Color::White);
    for (const auto& strip : animations) {
        const SceneAnimationFrame* frame = strip->CurrentFrame();
        if (frame && frame->image) frame->image->Draw(matrix);
    }
    DrawOverlay(matrix);
    if (viewMask) viewMask->Draw(matrix);
    for (size_t i = 0; i < effects.size(); ++i) effects[i]->Draw(matrix);
    const Game* game = Game::Current();
    if (game && game->cheatShowHotspots) DrawHotspots(matrix);
}

void Scene::DrawOverlay(const Matrix4& matrix) {
    const bool locked = lockTime > 0;
    if (!locked && overlayColor.a == 0) return;
    GLState::SetModelview(matrix);
    GLState::SetColor(locked ? kLockDimming : overlayColor);
    GLState::DrawRect({0, 0}, DesignCorner());
    if (locked) GLState::SetColor(Color::White);
}

void Scene::DrawHotspots(const Matrix4& matrix) {
    GLState::SetModelview(matrix);
    for (const auto& object : remaining) {
        if (object->hotSpot.Points().empty() || !object->visible) continue;
        object->hotSpot.DrawHighlight(object->hotSpot.Contains(mousePos));
    }
}
