#include "game/screens/SceneScreen.h"

#include <algorithm>
#include <cmath>

#include "game/Game.h"
#include "game/effects/SceneSparks.h"
#include "game/effects/ScnHelpFX.h"
#include "game/Statistics.h"
#include "platform/Color.h"
#include "platform/GLState.h"
#include "platform/InputQueue.h"
#include "platform/os/Random.h"
#include "script/runtime/execution/Thread.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
constexpr Point2i kFallbackDesignSize{1920, 1080};
constexpr const char* kStatHints = "[STATS]/tipps";

// While a zoom bumps past its straight path the limits are lifted this far.
constexpr float kLiftedMinZoom = 0.01f;
constexpr float kLiftedMaxZoom = 100.0f;
constexpr float kLiftedScroll = 100000.0f;
// Kinetic scroll loses a tenth per step and stops below this squared speed.
constexpr float kScrollDamping = 0.9f;
constexpr float kScrollRestSquared = 0.1f;
// A hint draws random objects until one is not an exit; after this many
// draws it takes the first one instead, so bad luck cannot stall a frame.
constexpr int kMaxHintDraws = 1000;
constexpr float kHintMinLife = 4.0f;
constexpr float kHintLifeRange = 3.0f;
// The picture display: a flash fades over steps of this phase.
constexpr float kFlashStep = 0.25f;
constexpr float kFlashRate = 34.0f;
constexpr float kSettleSteps = 120.0f;
// Behind a settled picture the scene gives way to black.
constexpr Color kPictureBackdrop = Color::Black;

float Ease(float x) { return 0.5f - 0.5f * std::cos(kPi * x); }

Point2i DesignSize() {
    const Game* game = Game::Current();
    return game ? game->designSize : kFallbackDesignSize;
}

Point2i LogicalSize() {
    const Game* game = Game::Current();
    return game ? game->screenSize : kFallbackDesignSize;
}

Vec2 ToVec(Point2i p) { return {static_cast<float>(p.x), static_cast<float>(p.y)}; }

// A fraction kept in 0..1; anything not a number counts as 0.
float UnitClamp(float value) { return value > 0 ? std::min(value, 1.0f) : 0.0f; }

uint8_t Byte(float value) { return static_cast<uint8_t>(TruncateToInt(value) & 0xFF); }

SceneScreen* AsSceneScreen(const Scene* scene) {
    if (!scene) return nullptr;
    return static_cast<SceneScreen*>(ClassRecord::CastWeak(scene->owner, &SceneScreen::kClassRecord));
}

}  // namespace

const ClassRecord SceneScreen::kClassRecord = {"SceneScreen", &GameScreen::kClassRecord, &SceneScreen::Create};

halvo::RefObj* SceneScreen::Create() { return new SceneScreen(); }

SceneScreen::SceneScreen() {
    SetSize(LogicalSize());
    SetPosition(Vec2::Negate(GetScreenRectMin()));
}

SceneScreen::~SceneScreen() {
    image_.Reset();
    imageThread_.Reset();
    scene_.Reset();
}

// ---- the view ------------------------------------------------------------------

void SceneScreen::SetZoomLimits(float minZoom, float maxZoom) {
    GameScreen::SetZoomLimits(minZoom, maxZoom);
    if (IsDifferenceParent()) {
        SetViewScale(1.0f);
        SetViewOffset({});
    }
    for (bool left : {true, false})
        if (SceneScreen* half = HalfScreen(left)) half->SetZoomLimits(minZoom, maxZoom);
}

void SceneScreen::ZoomByAt(float factor, Vec2 p) {
    if (IsDifferenceParent()) {
        for (bool left : {true, false}) {
            SceneScreen* half = HalfScreen(left);
            if (!half) continue;
            const Vec2 min = half->GetPosition();
            const Vec2 max = min + ToVec(half->GetSize());
            if (p.x < min.x || p.y < min.y || p.x > max.x || p.y > max.y) continue;
            half->ZoomByAt(factor, half->ScreenToLocal(p));
            return;
        }
        return;
    }
    ZoomAt(GetZoom() * factor, p);
    CopyViewToSibling(true);
}

void SceneScreen::ZoomBy(float factor) { ZoomByAt(factor, {}); }

void SceneScreen::SetScrollBounds(Vec2 min, Vec2 max) {
    GameScreen::SetScrollBounds(min, max);
    if (IsDifferenceParent()) {
        SetViewScale(1.0f);
        SetViewOffset({});
    }
    for (bool left : {true, false})
        if (SceneScreen* half = HalfScreen(left)) half->SetScrollBounds(min, max);
}

void SceneScreen::ScrollBy(Vec2 delta) {
    if (IsDifferenceParent()) {
        if (SceneScreen* left = HalfScreen(true)) left->ScrollBy(left->DivideByViewScale(delta));
        return;
    }
    SetScroll(GetScroll() + delta);
    CopyViewToSibling(false);
}

void SceneScreen::OnHelp() {
    AddToStatistic(kStatHints);
    if (!scene_ || scene_->CountRemaining() == 0) return;
    const auto& remaining = scene_->remaining;
    for (int draw = 0; draw < kMaxHintDraws; ++draw) {
        const size_t index = static_cast<size_t>(os::Rand()) % remaining.size();
        if (!remaining[index]->isExit) return ShowHelp(index);
    }
    for (size_t index = 0; index < remaining.size(); ++index)
        if (!remaining[index]->isExit) return ShowHelp(index);
}

void SceneScreen::OnUpdate(double totalMs, double stepMs) {
    halvo::AutoRef<SceneScreen> self(this);
    UpdateZoomTween(totalMs, stepMs);
    UpdateScrollTween(totalMs, stepMs);
    UpdateKineticScroll();
    UpdateImageTiming();
}

void SceneScreen::OnRender(const Matrix4& matrix) {
    if (image_) return RenderImage(matrix);
    if (scene_) scene_->Draw(matrix);
}

// ---- the scene ------------------------------------------------------------------

bool SceneScreen::SetScene(Scene* scene) {
    if (!scene) return true;
    scene->owner = this;
    scene_ = scene;
    if (scene->leftHalf && scene->rightHalf) {
        MakeHalfScreen(scene->leftHalf.Get(), true);
        MakeHalfScreen(scene->rightHalf.Get(), false);
    }
    const Point2i design = DesignSize();
    if (IsDifferenceParent())
        SetScrollBoundsInt({scene->closeUpOffset.x, 0}, {design.x / 2 + scene->closeUpOffset.x, design.y});
    else
        SetScrollBoundsInt({0, 0}, design);
    if (SceneViewMask* mask = scene->viewMask.Get()) {
        mask->minPos = GetScrollMin();
        mask->maxPos = GetScrollMax();
        mask->SetPosition(mask->position);
    }
    LoadSceneScript(scene->name.c_str());
    return true;
}

bool SceneScreen::SetSceneRef(Scene* scene) {
    if (scene_.Get() != scene) scene_ = scene;
    return true;
}

void SceneScreen::MakeHalfScreen(Scene* half, bool left) {
    // A half is a screen of the whole's own class, made through its record:
    // the halves of a search screen search too.
    halvo::AutoRef<SceneScreen> screen(static_cast<SceneScreen*>(GetClassInfo()->factory()));
    half->owner = screen.Get();
    screen->SetSceneRef(half);
    const Point2i logical = LogicalSize();
    screen->SetPosition(left ? Vec2{} : Vec2{0.5f * static_cast<float>(logical.x), 0.0f});
    screen->SetSize({logical.x / 2, logical.y});
    screen->SetViewOffset(Vec2::Negate(ToVec(half->closeUpOffset)));
    screen->SetClipping(true);
    AddChild(screen.Get());
}

SceneScreen* SceneScreen::HalfScreen(bool left) const {
    if (!IsDifferenceParent()) return nullptr;
    return AsSceneScreen(left ? scene_->leftHalf.Get() : scene_->rightHalf.Get());
}

SceneScreen* SceneScreen::Sibling() const {
    if (!IsHalfScreen()) return nullptr;
    const Scene* whole = scene_->parent.Get();
    if (!whole) return nullptr;
    const bool left = scene_->type == kSceneDifferenceLeft;
    return AsSceneScreen(left ? whole->rightHalf.Get() : whole->leftHalf.Get());
}

void SceneScreen::CopyViewToSibling(bool withZoom) {
    if (SceneScreen* sibling = Sibling()) sibling->MatchViewOf(*this, withZoom);
}

// ---- tweens ---------------------------------------------------------------------

void SceneScreen::StartZoomTween(float from, float to) {
    zoomFrom_ = from;
    zoomTo_ = to;
    zoomProgress_ = 0;
    zoomSpeed_ = kZoomTweenSpeed;
    ApplyZoom(from);
}

void SceneScreen::ApplyZoom(float zoom) {
    if (IsDifferenceParent()) {
        if (SceneScreen* left = HalfScreen(true)) left->ApplyZoom(zoom);
        return;
    }
    const ViewLimits saved = GetViewLimits();
    const bool lifted = zoomBump_ != 0;
    if (lifted)
        RestoreViewLimits({kLiftedMinZoom, kLiftedMaxZoom, {-kLiftedScroll, -kLiftedScroll},
                           {kLiftedScroll, kLiftedScroll}});
    if (IsHalfScreen()) {
        const GameScreen* parent = GetParent();
        ZoomAt(zoom, parent ? parent->LocalToScreen(GetViewCenter()) : GetViewCenter());
        CopyViewToSibling(true);
    } else {
        ZoomAt(zoom, GetViewCenter());
    }
    if (lifted) RestoreViewLimits(saved);
}

void SceneScreen::UpdateZoomTween(double, double) {
    if (zoomProgress_ >= 1 && zoomSpeed_ == 0) return;
    const float e1 = Ease(zoomProgress_);
    const float e2 = Ease(e1);
    ApplyZoom(zoomFrom_ + (zoomTo_ - zoomFrom_) * e2 + 0.5f * std::sin(kPi * e1) * zoomBump_);
    zoomProgress_ += zoomSpeed_;
    if (zoomProgress_ >= 1) {
        ApplyZoom(zoomTo_);
        zoomProgress_ = 1;
        zoomSpeed_ = 0;
    }
    if (scene_ && scene_->viewMask) SetViewMaskPos(scene_->mousePos);
}

void SceneScreen::StartScrollTween(Vec2 from, Vec2 to) {
    scrollFrom_ = from;
    scrollTo_ = to;
    scrollProgress_ = 0;
    scrollSpeed_ = kScrollTweenSpeed;
    ApplyScroll(from);
}

void SceneScreen::ApplyScroll(Vec2 position) {
    if (IsDifferenceParent()) {
        if (SceneScreen* left = HalfScreen(true)) left->ApplyScroll(position);
        return;
    }
    SetScroll(position);
    CopyViewToSibling(true);
}

void SceneScreen::UpdateScrollTween(double, double) {
    if (scrollProgress_ >= 1 && scrollSpeed_ == 0) return;
    ApplyScroll(scrollFrom_ + (scrollTo_ - scrollFrom_) * Ease(Ease(scrollProgress_)));
    scrollProgress_ += scrollSpeed_;
    if (scrollProgress_ >= 1) {
        ApplyScroll(scrollTo_);
        scrollProgress_ = 1;
        scrollSpeed_ = 0;
    }
    if (scene_ && scene_->viewMask) SetViewMaskPos(scene_->mousePos);
}

void SceneScreen::UpdateKineticScroll() {
    if (scrollVelocity_ == Vec2{}) return;
    if (!dragging_) ScrollBy(scrollVelocity_);
    scrollVelocity_ = scrollVelocity_ * kScrollDamping;
    const float speedSquared = scrollVelocity_.x * scrollVelocity_.x + scrollVelocity_.y * scrollVelocity_.y;
    if (!(speedSquared >= kScrollRestSquared)) scrollVelocity_ = {};
}

// ---- the light cone ---------------------------------------------------------------

void SceneScreen::SetViewMaskPos(Vec2 point) {
    SceneViewMask* mask = scene_ ? scene_->viewMask.Get() : nullptr;
    if (!mask) return;
    mask->SetPosition(point);
    ScrollToMask(PointerFraction());
}

void SceneScreen::MoveViewMaskBy(Vec2 delta) {
    SceneViewMask* mask = scene_ ? scene_->viewMask.Get() : nullptr;
    if (!mask) return;
    const Vec2 min = GetScrollMin(), max = GetScrollMax();
    const Vec2 p = Vec2::Min(Vec2::Max(mask->position + delta, min), max);
    mask->SetPosition(p);
    const Vec2 range = max - min;
    ScrollToMask({range.x != 0 ? (p.x - min.x) / range.x : 0.0f, range.y != 0 ? (p.y - min.y) / range.y : 0.0f});
}

Vec2 SceneScreen::PointerFraction() const {
    const Game* game = Game::Current();
    if (!game) return {};
    const PointerState& pointer = PointerState::Global();
    const float x = static_cast<float>(pointer.x), y = static_cast<float>(pointer.y);
    const float ww = static_cast<float>(game->windowSize.x), wh = static_cast<float>(game->windowSize.y);
    const float dw = static_cast<float>(game->designSize.x), dh = static_cast<float>(game->designSize.y);
    Vec2 fraction{x / ww, y / wh};
    if (game->fitWindowAspect == 0 && game->windowAspect > game->designAspect) {
        const float bar = ww - dw * wh / dh;
        fraction.x = (x - bar / 2) / (ww - bar);
    } else if (game->fitWindowAspect == 0) {
        const float bar = wh - dh * ww / dw;
        fraction.y = (y - bar / 2) / (wh - bar);
    }
    return {UnitClamp(fraction.x), UnitClamp(fraction.y)};
}

void SceneScreen::ScrollToMask(Vec2 fraction) {
    const Vec2 min = GetScrollMin(), max = GetScrollMax();
    const Vec2 visible = Vec2::DivideBy(ToVec(GetSize()), GetZoom());
    SetScroll(min + Vec2::Mul(fraction, (max - min) - visible));
}

// ---- hints ------------------------------------------------------------------------

void SceneScreen::ShowHelpByName(const std::string& label) {
    if (!scene_) return;
    for (size_t i = 0; i < scene_->remaining.size(); ++i)
        if (scene_->remaining[i]->label == label) return ShowHelp(i);
}

void SceneScreen::ShowHelp(size_t index) {
    if (!scene_ || index >= scene_->remaining.size()) return;
    halvo::AutoRef<SceneObject> object = scene_->remaining[index];
    SceneScreen* left = HalfScreen(true);
    SceneScreen* right = HalfScreen(false);
    if (!IsDifferenceParent()) {
        Vec2 min, max;
        GetVisibleRect(min, max);
        AddHintSparks(*object, max, nullptr);
    }
    if (left) {
        const Vec2 offset = left->GetViewOffset();
        AddHintSparks(*object, {offset.x, offset.y + static_cast<float>(left->GetSize().y) / left->GetZoom()},
                      scene_->leftHalf.Get());
    }
    if (right) {
        Vec2 min, max;
        right->GetVisibleRect(min, max);
        AddHintSparks(*object, max, scene_->rightHalf.Get());
    }
    const SceneScreen* view = left ? left : this;
    StartZoomTween(view->GetZoom(), 1.0f);
    zoomSpeed_ = kZoomTweenSpeed;
    zoomBump_ = 0;
    const Vec2 size = ToVec(view->GetSize());
    Vec2 target = object->hotSpot.Center() - size * 0.5f;
    target = Vec2::Min(Vec2::Max(target, view->GetScrollMin()), view->GetScrollMax() - size);
    StartScrollTween(view->GetScroll(), target);
    scrollSpeed_ = kHintScrollSpeed;
}

void SceneScreen::AddHintSparks(SceneObject& object, Vec2 start, Scene* half) {
    const SceneImageSet& images = scene_->hintImages;
    const Vec2 axes = object.hotSpot.HalfSize() * 0.5f;
    const int32_t count = SparkCount(axes);
    if (images.empty()) return;
    const Vec2 centre = object.hotSpot.BoundsCenter();
    for (int32_t k = 0; k < count; ++k) {
        const float angle = kTwoPi * static_cast<float>(k) / static_cast<float>(count);
        const Vec2 target = centre + Vec2{std::sin(angle) * axes.x, std::cos(angle) * axes.y};
        const float lifetime = kHintMinLife + kHintLifeRange * RandomFraction();
        halvo::AutoRef<ScnHelpFX> spark(new ScnHelpFX());
        spark->InitFlight(&object, images, start, target, lifetime);
        spark->frame = RandomFrame(images.size());
        scene_->effects.push_back(spark);
        if (half) half->effects.push_back(spark);
    }
}

// ---- the picture over the scene ------------------------------------------------------

void SceneScreen::ShowImage(const char* name, Vrel::Thread* thread) {
    // An earlier waiter would otherwise stay paused for good.
    ResumeImageThread();
    imageThread_ = thread;
    image_ = new GLImage();
    // Placed like the background: from the scene's top-left corner.
    image_->anchor = {0, 0};
    const std::string file = std::string(name ? name : "") + ".cbi";
    if (!image_->Load("%s", file.c_str())) {
        image_.Reset();
        ResumeImageThread();
        return;
    }
    image_->position = {};
    image_->matrixDirty = true;
    imageSteps_ = kImageSteps;
    imageCounter_ = 0;
    flashPhase_ = 0;
    if (Game* game = Game::Current()) game->resetAccumulator = true;
}

void SceneScreen::ResumeImageThread() {
    if (!imageThread_) return;
    imageThread_->Resume();
    imageThread_.Reset();
}

void SceneScreen::UpdateImageTiming() {
    if (!image_) return;
    if (imageCounter_ < INT32_MAX) ++imageCounter_;
    if (imageCounter_ >= imageSteps_) ResumeImageThread();
}

void SceneScreen::RenderImage(const Matrix4& matrix) {
    const GLImage* background = scene_ ? scene_->background.Get() : nullptr;
    const Vec2 corner = background ? background->position : Vec2{};
    const Vec2 extent = background ? ToVec(background->size) : Vec2{};
    if (imageCounter_ < kImageFlashSteps) {
        const float x = static_cast<float>(imageCounter_) / kImageFlashSteps;
        if (x * x > Ease(kFlashRate * Ease(x))) flashPhase_ = kPi;
        if (scene_) scene_->Draw(matrix);
        if (flashPhase_ <= 0) return;
        flashPhase_ -= kFlashStep;
        const float f = Ease(flashPhase_ / kPi);
        GLState::SetModelview(matrix);
        GLState::EnableBlend();
        GLState::SetColor({255, 255, 255, Byte(255 * f)});
        GLState::DrawRect(corner, extent);
        GLState::SetColor({160, 255, 160, Byte(64 * f)});
        image_->Draw(matrix);
        return;
    }
    const float g = Ease(static_cast<float>(imageCounter_ - kImageFlashSteps) / kSettleSteps);
    GLState::SetModelview(matrix);
    GLState::SetColor(kPictureBackdrop);
    GLState::DrawRect(corner, extent);
    GLState::EnableBlend();
    GLState::SetColor({Byte(160 + TruncateToInt(32 * g)), 255, Byte(160 + TruncateToInt(95 * g)),
                       Byte(64 + TruncateToInt(191 * g))});
    image_->Draw(matrix);
}
