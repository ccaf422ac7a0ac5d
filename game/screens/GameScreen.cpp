#include "game/screens/GameScreen.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "game/Game.h"
#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "platform/AppShell.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "platform/LoadedFile.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kDegreesPerTurn = 360.0f;

// The children at the start of a walk, held so that a child removing itself
// (or a sibling) during the walk lives until the walk is done. Small trees fit
// inline, so an ordinary frame allocates nothing.
class ChildSnapshot {
public:
    explicit ChildSnapshot(const std::vector<halvo::AutoRef<GameScreen>>& children) {
        count_ = children.size();
        if (count_ > kInline) overflow_.assign(children.begin(), children.end());
        else std::copy(children.begin(), children.end(), inline_);
    }
    size_t Count() const { return count_; }
    GameScreen* At(size_t i) const {
        return count_ > kInline ? overflow_[i].Get() : inline_[i].Get();
    }

private:
    static constexpr size_t kInline = 16;
    halvo::AutoRef<GameScreen> inline_[kInline];
    std::vector<halvo::AutoRef<GameScreen>> overflow_;
    size_t count_ = 0;
};

// The rotation by `radians` about the screen normal, sign kept.
Quaternion RotationAboutNormal(float radians) {
    return {0.0f, 0.0f, std::sin(radians / 2), std::cos(radians / 2)};
}

bool IsIdentityRotation(const Quaternion& q) { return !q.IsNotIdentity(); }

// p / extent per axis; 0 on an axis with nothing visible.
float FractionOf(float p, float extent) { return extent != 0 ? p / extent : 0.0f; }

bool HoldsPress(const halvo::GuiWidget& frame) {
    return frame.Contains(halvo::GuiMain::Global().GetCaptured());
}

// The frame's answer, and more: a press that one of its widgets captured,
// and the release that ends it, are the frame's even when no listener
// answers them (a right click on a button), so that the screens beneath
// never take a click on the HUD as a click of their own.
bool RouteToFrame(halvo::GuiWidget& frame, const InputEvent& event) {
    // The release ends the capture on its way through the frame.
    const bool releasesOwnPress = event.kind == InputEvent::kButtonUp && HoldsPress(frame);
    if (frame.RouteInput(event)) return true;
    if (event.kind == InputEvent::kButtonDown) return HoldsPress(frame);
    return releasesOwnPress;
}

}  // namespace

const ClassRecord GameScreen::kClassRecord = {"GameScreen", nullptr, &GameScreen::Create};

halvo::RefObj* GameScreen::Create() { return new GameScreen(); }

GameScreen::GameScreen() {
    const Game* game = Game::Current();
    const Point2i design = game ? game->designSize
                                : Point2i{AppShell::kDesignWidth, AppShell::kDesignHeight};
    const Point2i screen = game ? game->screenSize : design;
    size_ = design;
    screenRectMin_ = {(design.x - screen.x) * 0.5f, (design.y - screen.y) * 0.5f};
    screenRectMax_ = screenRectMin_ + Vec2{static_cast<float>(screen.x), static_cast<float>(screen.y)};
}

GameScreen::~GameScreen() {
    ReleaseSceneScript();
    guiFrame_.Reset();
    children_.clear();
    parent_.Reset();
}

void GameScreen::SetGuiFrame(halvo::GuiWidget* frame) { guiFrame_ = frame; }

halvo::GuiWidget* GameScreen::GetGuiFrame() const { return guiFrame_.Get(); }

// ---- coordinates --------------------------------------------------------------

Vec2 GameScreen::ScreenToLocal(Vec2 p) const {
    return Vec2::Div(p - position_, viewScale_) + viewOffset_;
}

Vec2 GameScreen::DivideByViewScale(Vec2 v) const { return Vec2::Div(v, viewScale_); }

Vec2 GameScreen::LocalToScreen(Vec2 p) const {
    return position_ + Vec2::Mul(viewScale_, p - viewOffset_);
}

void GameScreen::GetVisibleRect(Vec2& min, Vec2& max) const {
    const Vec2 extent{static_cast<float>(size_.x), static_cast<float>(size_.y)};
    min = viewOffset_;
    max = viewOffset_ + Vec2::Div(extent, viewScale_);
}

Vec2 GameScreen::GetViewCenter() const {
    Vec2 min, max;
    GetVisibleRect(min, max);
    return min + (max - min) * 0.5f;
}

// ---- the tree -----------------------------------------------------------------

bool GameScreen::HasChild(const GameScreen* child) const {
    return std::any_of(children_.begin(), children_.end(),
                       [child](const halvo::AutoRef<GameScreen>& c) { return c.Get() == child; });
}

void GameScreen::AddChild(GameScreen* child) {
    if (!child) return;
    halvo::AutoRef<GameScreen> hold(child);
    child->RemoveFromParent();
    child->parent_ = this;
    children_.push_back(hold);
}

void GameScreen::RemoveFromParent() {
    GameScreen* parent = parent_.Get();
    if (!parent) return;
    auto& siblings = parent->children_;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [this](const halvo::AutoRef<GameScreen>& c) { return c.Get() == this; });
    if (it == siblings.end()) return;
    // Erasing may destroy this screen: hold it until the list is consistent.
    halvo::AutoRef<GameScreen> self(this);
    siblings.erase(it);
}

void GameScreen::RemoveAllChildren() {
    while (!children_.empty()) {
        halvo::AutoRef<GameScreen> first = children_.front();
        children_.erase(children_.begin());
    }
}

void GameScreen::BeforeSceneLeft() {
    // Copied: a script taking its result may change the tree.
    const std::vector<halvo::AutoRef<GameScreen>> children = children_;
    for (const halvo::AutoRef<GameScreen>& child : children) child->BeforeSceneLeft();
}

// ---- zoom and scroll ------------------------------------------------------------

void GameScreen::SetZoomLimits(float minZoom, float maxZoom) {
    minZoom_ = minZoom;
    maxZoom_ = maxZoom;
    SetZoom(zoom_);
}

void GameScreen::ZoomAt(float zoom, Vec2 p) {
    Vec2 min0, max0, min1, max1;
    GetVisibleRect(min0, max0);
    SetZoom(zoom);
    GetVisibleRect(min1, max1);
    const Vec2 before = max0 - min0, after = max1 - min1;
    const Vec2 fraction{FractionOf(p.x - min0.x, before.x), FractionOf(p.y - min0.y, before.y)};
    ScrollBy(Vec2::Mul(fraction, before - after));
}

void GameScreen::SetZoom(float zoom) {
    const float clamped = std::min(std::max(zoom, minZoom_), maxZoom_);
    // A zero, negative or non-finite scale would divide every position by it.
    if (!(clamped > 0.0f) || !std::isfinite(clamped)) return;
    zoom_ = clamped;
    SetViewScale(zoom_);
    ScrollBy({0.0f, 0.0f});
}

void GameScreen::ZoomByAt(float factor, Vec2 p) { ZoomAt(zoom_ * factor, p); }

void GameScreen::ZoomBy(float factor) { SetZoom(zoom_ * factor); }

void GameScreen::SetScrollBounds(Vec2 min, Vec2 max) {
    scrollMin_ = min;
    scrollMax_ = max;
    ScrollBy({0.0f, 0.0f});
}

void GameScreen::SetScrollBoundsInt(Point2i min, Point2i max) {
    SetScrollBounds({static_cast<float>(min.x), static_cast<float>(min.y)},
                    {static_cast<float>(max.x), static_cast<float>(max.y)});
}

void GameScreen::SetScroll(Vec2 p) {
    const Vec2 visible{static_cast<float>(size_.x) / zoom_, static_cast<float>(size_.y) / zoom_};
    const Vec2 hi = Vec2::Max(scrollMax_ - visible, scrollMin_);
    scroll_ = Vec2::Min(Vec2::Max(p, scrollMin_), hi);
    SetViewOffset(scroll_);
}

void GameScreen::ScrollBy(Vec2 delta) { SetScroll(scroll_ + delta); }

void GameScreen::RestoreViewLimits(const ViewLimits& limits) {
    minZoom_ = limits.minZoom;
    maxZoom_ = limits.maxZoom;
    scrollMin_ = limits.scrollMin;
    scrollMax_ = limits.scrollMax;
}

void GameScreen::MatchViewOf(const GameScreen& other, bool withZoom) {
    if (withZoom) {
        SetViewScaleXY(other.viewScale_);
        zoom_ = other.zoom_;
    }
    SetViewOffset(other.viewOffset_);
    scroll_ = other.scroll_;
}

// ---- place and view ---------------------------------------------------------------

void GameScreen::SetPosition(Vec2 position) {
    position_ = position;
    localDirty_ = true;
}

void GameScreen::SetRotationDeg(float degrees) { SetRotation(degrees * kTwoPi / kDegreesPerTurn); }

void GameScreen::SetRotation(float radians) {
    rotation_ = RotationAboutNormal(radians);
    localDirty_ = true;
}

void GameScreen::SetRotationQuat(const Quaternion& rotation) {
    rotation_ = rotation;
    localDirty_ = true;
}

void GameScreen::SetLocalMatrix(const Matrix4& matrix) {
    localMatrix_ = matrix;
    localIsIdentity_ = matrix.IsIdentity();
    localDirty_ = false;
}

void GameScreen::UpdateLocalMatrix() {
    if (!localDirty_) return;
    localDirty_ = false;
    if (position_ == Vec2{} && IsIdentityRotation(rotation_)) {
        localMatrix_ = Matrix4::Identity();
        localIsIdentity_ = true;
        return;
    }
    localMatrix_ = Quaternion::ToMatrix(rotation_);
    localMatrix_.m[12] = position_.x;
    localMatrix_.m[13] = position_.y;
    localIsIdentity_ = false;
}

Matrix4 GameScreen::GetWorldMatrix(const Matrix4& parent) {
    UpdateLocalMatrix();
    return localIsIdentity_ ? parent : Matrix4::Multiply(localMatrix_, parent);
}

void GameScreen::SetViewOffset(Vec2 offset) {
    viewOffset_ = offset;
    viewDirty_ = true;
}

void GameScreen::SetViewRotationDeg(float degrees) {
    SetViewRotation(degrees * kTwoPi / kDegreesPerTurn);
}

void GameScreen::SetViewRotation(float radians) {
    viewRotation_ = RotationAboutNormal(radians);
    viewDirty_ = true;
}

void GameScreen::SetViewRotationQuat(const Quaternion& rotation) {
    viewRotation_ = rotation;
    viewDirty_ = true;
}

void GameScreen::SetViewScale(float scale) {
    viewScale_ = {scale, scale};
    viewDirty_ = true;
}

void GameScreen::SetViewScaleXY(Vec2 scale) {
    viewScale_ = scale;
    viewDirty_ = true;
}

void GameScreen::SetViewMatrix(const Matrix4& matrix) {
    viewMatrix_ = matrix;
    viewIsIdentity_ = matrix.IsIdentity();
    viewDirty_ = false;
}

void GameScreen::UpdateViewMatrix() {
    if (!viewDirty_) return;
    viewDirty_ = false;
    const bool unscaled = viewScale_ == Vec2{1.0f, 1.0f};
    if (viewOffset_ == Vec2{} && IsIdentityRotation(viewRotation_) && unscaled) {
        viewMatrix_ = Matrix4::Identity();
        viewIsIdentity_ = true;
        return;
    }
    Matrix4 m = Matrix4::Identity();
    if (!IsIdentityRotation(viewRotation_)) Matrix4::MultiplyRotation(m, viewRotation_);
    m.m[12] -= viewOffset_.x;
    m.m[13] -= viewOffset_.y;
    if (!unscaled) {
        // Points are rows: a column of the memory layout is an output axis.
        for (int row = 0; row < 4; ++row) {
            m.m[4 * row] *= viewScale_.x;
            m.m[4 * row + 1] *= viewScale_.y;
        }
    }
    viewMatrix_ = m;
    viewIsIdentity_ = false;
}

Matrix4 GameScreen::GetViewMatrix(const Matrix4& world) {
    UpdateViewMatrix();
    return viewIsIdentity_ ? world : Matrix4::Multiply(viewMatrix_, world);
}

Matrix4 GameScreen::GetRenderMatrix(const Matrix4& parent) {
    return GetViewMatrix(GetWorldMatrix(parent));
}

void GameScreen::ApplyClipPlanes(const Matrix4& m) {
    GLState::SetModelview(m);
    const float left = position_.x, top = position_.y;
    const float right = left + static_cast<float>(size_.x);
    const float bottom = top + static_cast<float>(size_.y);
    GLState::SetClipPlane(0, 1.0f, 0.0f, 0.0f, -left);
    GLState::SetClipPlane(1, -1.0f, 0.0f, 0.0f, right);
    GLState::SetClipPlane(2, 0.0f, 1.0f, 0.0f, -top);
    GLState::SetClipPlane(3, 0.0f, -1.0f, 0.0f, bottom);
}

// ---- walks ------------------------------------------------------------------------

InputEvent GameScreen::ToViewUnits(const InputEvent& event) const {
    InputEvent local = event;
    const Vec2 position = ScreenToLocal({event.x, event.y});
    const Vec2 motion = DivideByViewScale({event.dx, event.dy});
    local.x = position.x;
    local.y = position.y;
    local.dx = motion.x;
    local.dy = motion.y;
    return local;
}

bool GameScreen::DispatchInput(const InputEvent& event) {
    halvo::AutoRef<GameScreen> self(this);
    const InputEvent local = ToViewUnits(event);
    ChildSnapshot snapshot(children_);
    for (size_t i = snapshot.Count(); i-- > 0;) {
        GameScreen* child = snapshot.At(i);
        if (HasChild(child) && child->DispatchInput(local)) return true;
    }
    if (halvo::GuiWidget* frame = guiFrame_.Get()) {
        // A handler may release the frame's last owner.
        halvo::AutoRef<halvo::GuiWidget> holdFrame(frame);
        if (RouteToFrame(*frame, local)) return true;
    }
    return OnInput(local);
}

halvo::GuiWidget* GameScreen::PickPressTarget(const InputEvent& event) {
    const InputEvent local = ToViewUnits(event);
    for (size_t i = children_.size(); i-- > 0;)
        if (halvo::GuiWidget* target = children_[i]->PickPressTarget(local)) return target;
    halvo::GuiWidget* frame = guiFrame_.Get();
    return frame ? frame->Pick(local.x, local.y, halvo::kPickPointer) : nullptr;
}

void GameScreen::Update(double totalMs, double stepMs) {
    halvo::AutoRef<GameScreen> self(this);
    ChildSnapshot snapshot(children_);
    OnUpdate(totalMs, stepMs);
    for (size_t i = 0; i < snapshot.Count(); ++i) {
        GameScreen* child = snapshot.At(i);
        if (HasChild(child)) child->Update(totalMs, stepMs);
    }
}

void GameScreen::Render(const Matrix4& parentMatrix) {
    halvo::AutoRef<GameScreen> self(this);
    ChildSnapshot snapshot(children_);
    const Matrix4 m = GetRenderMatrix(parentMatrix);
    if (clipping_) ApplyClipPlanes(parentMatrix);
    OnRender(m);
    for (size_t i = 0; i < snapshot.Count(); ++i) {
        GameScreen* child = snapshot.At(i);
        if (HasChild(child)) child->Render(m);
    }
    // A child may have set planes of its own.
    if (clipping_) ApplyClipPlanes(parentMatrix);
    if (halvo::GuiWidget* frame = guiFrame_.Get()) {
        halvo::AutoRef<halvo::GuiWidget> holdFrame(frame);
        frame->Render(0.0f, 0.0f, 1.0f, 1.0f, m);
    }
    if (clipping_) GLState::ResetClipPlanes();
}

// ---- scene script -------------------------------------------------------------------

void GameScreen::LoadSceneScript(const char* name) {
    if (!name) return;
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    if (vm.FindModule(name)) return;
    name_ = name;
    uint32_t size = 0;
    const LoadedFile text(FileManager::Global().LoadFile(&size, "scripts/scenes/%s.cis", name_.c_str()));
    if (text) vm.CompileBuffer(text.get(), name_.c_str());
}

void GameScreen::ReleaseSceneScript() {
    if (name_.empty()) return;
    Vrel::ScriptVM::Global().ReleaseModule(name_.c_str());
    name_.clear();
}

halvo::WeakRef<Vrel::Thread> GameScreen::CallSceneScript(const char* function) {
    if (name_.empty()) return {};
    return Game::CallScript(function, name_.c_str());
}
