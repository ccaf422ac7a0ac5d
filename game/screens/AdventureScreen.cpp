#include "game/screens/AdventureScreen.h"

#include <algorithm>
#include <cmath>

#include "game/Game.h"
#include "game/ModuleCall.h"
#include "game/scene/Scene.h"
#include "game/Statistics.h"
#include "gui/GuiAlpha.h"
#include "gui/GuiAnimator.h"
#include "gui/GuiWidget.h"
#include "platform/DataTree.h"
#include "script/runtime/values/t_Named.h"

namespace {

constexpr const char* kStatHints = "[STATS]/tipps";
constexpr const char* kHelpFunction = "OnHelp";
constexpr const char* kAlpha = "Alpha";
// A hotspot stored as 0 is off; anything else, or nothing stored, is on.
constexpr int32_t kStateOff = 0;
constexpr int32_t kStateOn = 1;

}  // namespace

const ClassRecord AdventureScreen::kClassRecord = {"AdventureScreen", &CutsceneScreen::kClassRecord,
                                                   &AdventureScreen::Create};

halvo::RefObj* AdventureScreen::Create() { return new AdventureScreen(); }

AdventureScreen* AdventureScreen::Shown(const Game& game) {
    return CastTo<AdventureScreen>(game.FindScreen(kClassRecord.name));
}

bool AdventureScreen::OnInput(const InputEvent& event) {
    halvo::AutoRef<AdventureScreen> self(this);
    if (CutsceneScreen::OnInput(event)) return true;
    switch (event.kind) {
    case InputEvent::kButtonDown: return OnPress(event);
    case InputEvent::kButtonUp: return OnRelease(event);
    case InputEvent::kPointer: return OnPointerMove(event);
    case InputEvent::kWheel: return OnWheel(event);
    default: return false;
    }
}

void AdventureScreen::OnUpdate(double totalMs, double stepMs) {
    halvo::AutoRef<AdventureScreen> self(this);
    CutsceneScreen::OnUpdate(totalMs, stepMs);
    if (Game* game = Game::Current()) game->IncHelpTime(static_cast<float>(stepMs));
}

void AdventureScreen::OnHelp() {
    AddToStatistic(kStatHints);
    // The scene's module is named after the scene; a module or handler that
    // is missing is reported by the runtime's call, as for the HUD modules.
    const std::string& module = GetScene() ? GetScene()->name : GetName();
    CallModuleFunction(module.c_str(), kHelpFunction);
}

bool AdventureScreen::SetScene(Scene* scene) {
    CutsceneScreen::SetScene(scene);
    SetZoomLimits(kMinZoom, kMaxZoom);
    if (!scene) return true;
    statePrefix_ = kStateRoot + scene->name + "/";
    ApplySavedStates(*scene);
    return true;
}

void AdventureScreen::ApplySavedStates(Scene& scene) {
    auto& remaining = scene.remaining;
    for (size_t i = 0; i < remaining.size();) {
        const std::string key = statePrefix_ + remaining[i]->label;
        if (!DataTree::Exists(key.c_str())) DataTree::SetInt(key.c_str(), kStateOn);
        if (DataTree::GetInt(key.c_str()) != kStateOff) {
            ++i;
            continue;
        }
        remaining[i]->visible = false;
        remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

// ---- input -------------------------------------------------------------------------

bool AdventureScreen::OnPress(const InputEvent& event) {
    const Game* game = Game::Current();
    const bool hudInput = !game || game->hudInputEnabled;
    if (!cutsceneMode_ && hudInput && (event.button & InputEvent::kLeft)) {
        dragging_ = true;
        dragDistance_ = {};
    }
    return false;
}

bool AdventureScreen::OnRelease(const InputEvent& event) {
    dragging_ = false;
    if (cutsceneMode_ || IsDrag()) return true;
    if (halvo::AutoRef<Scene> scene = GetScene()) scene->OnHotspot({event.x, event.y});
    return true;
}

bool AdventureScreen::OnPointerMove(const InputEvent& event) {
    const Vec2 motion{event.dx, event.dy};
    if ((event.button & InputEvent::kLeft) && dragging_) {
        dragDistance_ = dragDistance_ + Vec2{std::fabs(motion.x), std::fabs(motion.y)};
        if (IsDrag()) {
            ScrollBy(-motion);
            scrollVelocity_ = Vec2::DivideBy(scrollVelocity_ * 2.0f - motion, 3.0f);
        }
    }
    if (Scene* scene = GetScene()) {
        const Vec2 position{event.x, event.y};
        if (scene->viewMask) scene->viewMask->SetPosition(position);
        scene->mousePos = position;
    }
    return false;
}

bool AdventureScreen::OnWheel(const InputEvent& event) {
    const Scene* scene = GetScene();
    if (!scene || scene->IsHalf()) return false;
    if (IsTweening()) return true;
    const float notches = static_cast<float>(event.wheel) / kWheelNotch;
    const float factor =
        notches > 0 ? std::pow(kWheelZoomStep, notches) : 1.0f / std::pow(kWheelZoomStep, -notches);
    const Vec2 position{event.x, event.y};
    ZoomByAt(factor, position);
    if (scene->viewMask) SetViewMaskPos(position);
    return true;
}

// ---- the script words --------------------------------------------------------------

void AdventureScreen::ApplyHotspotState(const std::string& label, bool on) {
    Scene* scene = GetScene();
    if (!scene) return;
    const std::string key = statePrefix_ + label;
    if ((DataTree::GetInt(key.c_str()) != kStateOff) == on) return;
    const auto& all = scene->allObjects;
    const auto found = std::find_if(all.begin(), all.end(), [&](const auto& o) { return o->label == label; });
    if (found == all.end()) return;
    SceneObject* object = found->Get();
    auto& remaining = scene->remaining;
    const auto present = std::find(remaining.begin(), remaining.end(), object);
    object->visible = on;
    if (!on) {
        if (present != remaining.end()) remaining.erase(present);
        return;
    }
    // The stored state may say off while the object is shown after all.
    if (present != remaining.end()) return;
    auto cursor = remaining.begin();
    for (auto walk = all.begin(); walk != found; ++walk)
        if (cursor != remaining.end() && *cursor == *walk) ++cursor;
    remaining.insert(cursor, halvo::AutoRef<SceneObject>(object));
}

const SceneObject* AdventureScreen::HotspotAt(float x, float y) const {
    const Scene* scene = GetScene();
    if (!scene) return nullptr;
    const Vec2 point = Vec2{x, y} + GetScroll();
    for (size_t i = scene->remaining.size(); i-- > 0;)
        if (scene->remaining[i]->hotSpot.Contains(point)) return scene->remaining[i].Get();
    return nullptr;
}

std::string AdventureScreen::PickHotspot(float x, float y) const {
    const SceneObject* object = HotspotAt(x, y);
    return object ? object->label : std::string();
}

void AdventureScreen::EnterCutscene() {
    cutsceneMode_ = true;
    FadeHud(false, 0.0f);
}

void AdventureScreen::LeaveCutscene() {
    cutsceneMode_ = false;
    FadeHud(true, 1.0f);
}

void AdventureScreen::FadeHud(bool show, float alpha) {
    const Game* game = Game::Current();
    halvo::GuiWidget* hud = game ? game->GetHudGui() : nullptr;
    if (!hud) return;
    hud->WriteBool(halvo::GuiWidget::kPropShow, show);
    Vrel::t_Named table;
    table.GetOrAddMember(halvo::GuiAlpha::kParamAlpha)->SetFloat(alpha);
    table.GetOrAddMember(halvo::GuiAnimator::kParamTime)->SetFloat(kHudFadeMs);
    halvo::StartAnimation(hud, kAlpha, table);
}
