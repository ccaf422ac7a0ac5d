#include "game/screens/MapScreen.h"

#include <cmath>

#include "game/Game.h"
#include "game/ModuleCall.h"
#include "game/scene/Scene.h"
#include "script/runtime/values/Var.h"

namespace {

// The script that decides where a clicked place leads.
constexpr const char* kTravelModule = "inventory";
constexpr const char* kTravelFunction = "OnHotspot";
constexpr const char* kSceneKeyRoot = "[PLAYER]/scenes/";

}  // namespace

const ClassRecord MapScreen::kClassRecord = {"MapScreen", &GameScreen::kClassRecord, &MapScreen::Create};

halvo::RefObj* MapScreen::Create() { return new MapScreen(); }

MapScreen::MapScreen() {
    if (const Game* game = Game::Current()) SetSize(game->screenSize);
    SetPosition(GetScreenRectMin());
}

MapScreen::~MapScreen() { scene_.Reset(); }

bool MapScreen::OnInput(const InputEvent& event) {
    switch (event.kind) {
    case InputEvent::kButtonDown:
        if (event.button & InputEvent::kLeft) {
            dragging_ = true;
            dragDistance_ = {};
        }
        return false;
    case InputEvent::kPointer:
        OnPointerMotion(event);
        return false;
    case InputEvent::kButtonUp:
        dragging_ = false;
        if (!IsDrag()) OnHotspot({event.x, event.y});
        return true;
    default:
        return false;
    }
}

void MapScreen::OnUpdate(double totalMs, double stepMs) {
    if (momentum_.x != 0 || momentum_.y != 0) {
        if (!dragging_) ScrollBy(momentum_);
        momentum_ = momentum_ * kGlideDecay;
        if (LengthSquared(momentum_) < kGlideStopSquared) momentum_ = {};
    }
    if (scene_) {
        // The scene may run script that releases this screen.
        halvo::AutoRef<MapScreen> self(this);
        halvo::AutoRef<Scene> scene(scene_);
        scene->UpdateMarkers(totalMs, stepMs);
    }
}

void MapScreen::OnRender(const Matrix4& matrix) {
    if (scene_) scene_->Draw(matrix);
}

bool MapScreen::SetScene(Scene* scene) {
    if (!scene) return false;
    scene->owner = this;
    scene_ = scene;
    LoadSceneScript(scene->name.c_str());
    sceneKeyPrefix_ = kSceneKeyRoot + scene->name + "/";
    SetZoomLimits(1.0f, 1.0f);
    const Point2i design = Game::Current() ? Game::Current()->designSize : GetSize();
    SetScrollBoundsInt({0, 0}, design);
    if (SceneViewMask* cone = scene->viewMask.Get()) {
        cone->minPos = {0, 0};
        cone->maxPos = {static_cast<float>(design.x), static_cast<float>(design.y)};
        cone->SetPosition(cone->position);
    }
    return true;
}

void MapScreen::OnPointerMotion(const InputEvent& event) {
    if (event.button & InputEvent::kLeft) {
        dragging_ = true;
        dragDistance_ = dragDistance_ + Vec2{std::fabs(event.dx), std::fabs(event.dy)};
        if (IsDrag()) {
            const Vec2 motion{event.dx, event.dy};
            ScrollBy(-motion);
            momentum_ = Vec2::DivideBy(momentum_ * 2.0f - motion, 3.0f);
        }
    }
    if (!scene_) return;
    const Vec2 pointer{event.x, event.y};
    if (scene_->viewMask) scene_->viewMask->SetPosition(pointer);
    scene_->mousePos = pointer;
}

void MapScreen::OnHotspot(Vec2 point) {
    if (!scene_) return;
    for (const auto& object : scene_->remaining) {
        if (!object->hotSpot.Contains(point)) continue;
        // The script may travel on, releasing this screen and its scene; the
        // label goes as a string of its own, which outlives both.
        halvo::AutoRef<MapScreen> self(this);
        halvo::AutoRef<Scene> scene(scene_);
        const Vrel::Var label(object->label.c_str());
        CallModuleFunction(kTravelModule, kTravelFunction, &label, 1);
        return;
    }
}
