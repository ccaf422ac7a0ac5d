#include "game/screens/SearchScreen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "game/Game.h"
#include "game/Statistics.h"
#include "gui/GuiAnimator.h"
#include "gui/GuiText.h"
#include "gui/GuiWidget.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/t_Named.h"

namespace {

// The countdown's frame sits this far from the logical screen's top-right.
constexpr float kTimerRightInset = 180.0f;
constexpr float kTimerTop = 12.0f;
constexpr float kTimerWidth = 160.0f;
constexpr float kTimerHeight = 36.0f;
constexpr const char* kTimerFont = "gui/verdana.ttf";
constexpr float kTimerTextSize = 56.0f;
constexpr float kTimerOutline = 128.0f;
constexpr float kPenaltyTextSize = 64.0f;
constexpr float kPenaltyOutline = 40.0f;
// Colours as the GUI takes them, alpha in the top byte.
constexpr uint32_t kTimerColour = 0xFFFFFFFFu;
constexpr uint32_t kPenaltyColour = 0xFF0000FFu;
constexpr uint32_t kOutlineColour = 0xFF000000u;
// The penalty text falls by this much while it fades, then goes.
constexpr float kPenaltyDrop = 150.0f;
constexpr float kPenaltyFadeMs = 1500.0f;
constexpr int32_t kPenaltyLifeMs = 1750;
constexpr int32_t kPenaltyRounding = 10;

using halvo::GuiText;
constexpr const char* kParamAlpha = "alpha";
constexpr const char* kSceneFallbackModule = "scene";

void Put(Vrel::t_Named& table, const char* name, float value) { table.GetOrAddMember(name)->SetFloat(value); }
void Put(Vrel::t_Named& table, const char* name, int32_t value) { table.GetOrAddMember(name)->SetInt(value); }
void Put(Vrel::t_Named& table, const char* name, const char* value) {
    table.GetOrAddMember(name)->SetString(value);
}

int32_t AsInt(uint32_t colour) { return static_cast<int32_t>(colour); }

// "[STATS]/search" and its kin for the scene's kind; null for the others.
const char* StatisticStem(int32_t sceneType) {
    switch (sceneType) {
    case kSceneSearch: return "[STATS]/search";
    case kSceneShapeSearch: return "[STATS]/shape";
    case kSceneDifference: return "[STATS]/diff";
    default: return nullptr;
    }
}

const char* EndEvent(int32_t reason) {
    switch (reason) {
    case SearchScreen::kEndFailed: return "OnSceneFailed";
    case SearchScreen::kEndAborted: return "OnSceneAborted";
    case SearchScreen::kEndComplete: return "OnSceneComplete";
    default: return nullptr;
    }
}

std::string ClockText(int32_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
    return text;
}

float Length2(Vec2 v) { return v.x * v.x + v.y * v.y; }

}  // namespace

int32_t SearchScreen::autoplayCountdown = SearchScreen::kAutoplaySteps;

const ClassRecord SearchScreen::kClassRecord = {"SearchScreen", &SceneScreen::kClassRecord, &SearchScreen::Create};

halvo::RefObj* SearchScreen::Create() { return new SearchScreen(); }

SearchScreen::SearchScreen() = default;

SearchScreen::~SearchScreen() {
    if (timerFrame_ && timerFrame_->GetParent()) timerFrame_->RemoveAndDetach();
    timerFrame_.Reset();
    timerText_.Reset();
    ReleaseClockDigits();
}

// ---- input ---------------------------------------------------------------------

bool SearchScreen::OnInput(const InputEvent& event) {
    if (endState_ != kRunning || !GetScene()) return false;
    halvo::AutoRef<SearchScreen> self(this);
    switch (event.kind) {
    case InputEvent::kButtonDown:
        if (IsHalfScreen()) return false;
        if (event.button & InputEvent::kLeft) {
            dragging_ = true;
            dragDistance_ = {};
        }
        return false;
    case InputEvent::kPointer: return OnPointerMove(event);
    case InputEvent::kButtonUp: return OnRelease(event);
    case InputEvent::kWheel: return OnWheel(event);
    default: return false;
    }
}

bool SearchScreen::OnPointerMove(const InputEvent& event) {
    Scene& scene = *GetScene();
    const Vec2 position{event.x, event.y};
    const Vec2 motion{event.dx, event.dy};
    if (!IsHalfScreen() && (event.button & InputEvent::kLeft)) {
        if (IsTweening()) return true;
        dragging_ = true;
        dragDistance_ = dragDistance_ + Vec2{std::fabs(motion.x), std::fabs(motion.y)};
        if (Length2(dragDistance_) >= kDragThresholdSquared) {
            if (scene.viewMask) {
                MoveViewMaskBy(motion);
            } else {
                ScrollBy(-motion);
                scrollVelocity_ = Vec2::DivideBy(scrollVelocity_ * 2.0f - motion, 3.0f);
            }
        }
    }
    if (scene.viewMask) SetViewMaskPos(position);
    scene.mousePos = position;
    return false;
}

bool SearchScreen::OnRelease(const InputEvent& event) {
    if (IsHalfScreen()) return false;
    dragging_ = false;
    // Any button's release clicks.
    if (!event.handled && Length2(dragDistance_) < kDragThresholdSquared) {
        halvo::AutoRef<Scene> scene(GetScene());
        scene->OnClick({event.x, event.y});
    }
    return true;
}

bool SearchScreen::OnWheel(const InputEvent& event) {
    if (IsHalfScreen()) return false;
    if (IsTweening()) return true;
    const float notches = static_cast<float>(event.wheel) / kWheelNotch;
    const float factor = notches > 0 ? std::pow(kWheelZoomStep, notches) : 1.0f / std::pow(kWheelZoomStep, -notches);
    const Vec2 position{event.x, event.y};
    ZoomByAt(factor, position);
    if (GetScene()->viewMask) SetViewMaskPos(position);
    return true;
}

// ---- the step ------------------------------------------------------------------

void SearchScreen::OnUpdate(double totalMs, double stepMs) {
    halvo::AutoRef<SearchScreen> self(this);
    SceneScreen::OnUpdate(totalMs, stepMs);
    halvo::AutoRef<Scene> scene(GetScene());
    if (!scene) return;
    scene->UpdateMarkers(totalMs, stepMs);
    Game* game = Game::Current();
    if (!game || !game->paused) {
        if (game && !IsHalfScreen()) game->IncHelpTime(static_cast<float>(stepMs));
        if (!IsZoomTweening()) {
            elapsed_ += stepMs;
            if (UpdateCountdown(*scene, stepMs)) return;
        }
    }
    CheckEnd(*scene);
}

bool SearchScreen::UpdateCountdown(Scene& scene, double stepMs) {
    if (!timerText_.Get() || !(scene.timeLimit > 0)) return false;
    scene.timeLimit -= scene.penaltyTime + stepMs;
    const int32_t seconds = std::max(0, TruncateToInt(static_cast<float>(scene.timeLimit / 1000.0)));
    if (seconds != shownSeconds_) {
        SetCountdownText(seconds);
        shownSeconds_ = seconds;
    }
    if (scene.penaltyTime != 0) {
        ShowPenalty(TruncateToInt(static_cast<float>(scene.penaltyTime / 1000.0)));
        scene.penaltyTime = 0;
    }
    if (scene.timeLimit > 0) return false;
    EndScene(kEndFailed);
    return true;
}

void SearchScreen::CheckEnd(Scene& scene) {
    if (IsHalfScreen()) return;
    if (!IsDifferenceParent()) {
        if (scene.CountRemaining() > 0) AutoplayStep(scene, scene.remaining);
        else EndScene(kEndComplete);
        return;
    }
    SceneScreen* leftScreen = HalfScreen(true);
    SceneScreen* rightScreen = HalfScreen(false);
    halvo::AutoRef<Scene> left(leftScreen ? leftScreen->GetScene() : nullptr);
    halvo::AutoRef<Scene> right(rightScreen ? rightScreen->GetScene() : nullptr);
    if (left && left->CountRemaining() > 0) {
        AutoplayStep(scene, left->remaining);
    } else if (right && right->CountRemaining() > 0) {
        // Left over only on the right: found at once, cheat or not.
        for (const auto& object : right->remaining) {
            if (object->isExit) continue;
            const std::string label = object->label;
            const Game* game = Game::Current();
            scene.OnObjectFound(label, game ? game->foundDissolveTime : 0.0f);
            break;
        }
        autoplayCountdown = kAutoplaySteps;
    } else {
        EndScene(kEndComplete);
    }
}

void SearchScreen::AutoplayStep(Scene& scene, const halvo::AutoRefVector<SceneObject>& list) {
    const Game* game = Game::Current();
    if (!game || !game->cheatAutoPlay) return;
    if (--autoplayCountdown > 0 || list.empty()) return;
    for (const auto& object : list) {
        if (object->isExit) continue;
        const std::string label = object->label;
        scene.OnObjectFound(label, game->foundDissolveTime);
        break;
    }
    autoplayCountdown = kAutoplaySteps;
}

// ---- the countdown --------------------------------------------------------------

bool SearchScreen::SetScene(Scene* scene) {
    SceneScreen::SetScene(scene);
    SetZoomLimits(kMinZoom, kMaxZoom);
    if (scene && scene->timeLimit > 0) CreateCountdown(scene->timeLimit);
    return true;
}

void SearchScreen::CreateCountdown(double timeLimitMs) {
    const Game* game = Game::Current();
    const float width = static_cast<float>(GetSize().x);
    Vrel::t_Named frameProperties;
    Put(frameProperties, halvo::GuiWidget::kPropXPos, width - kTimerRightInset);
    Put(frameProperties, halvo::GuiWidget::kPropYPos, kTimerTop);
    Put(frameProperties, halvo::GuiWidget::kPropXSize, kTimerWidth);
    Put(frameProperties, halvo::GuiWidget::kPropYSize, kTimerHeight);
    // Held here as well: without a HUD the countdown still runs, unseen.
    timerFrame_ = halvo::GuiCreateWidget("Frame", frameProperties, game ? game->GetHudGui() : nullptr);
    if (!timerFrame_) return;
    const int32_t seconds = std::max(0, TruncateToInt(static_cast<float>(timeLimitMs * 0.001)));
    Vrel::t_Named textProperties;
    Put(textProperties, halvo::GuiWidget::kPropXPos, 0.0f);
    Put(textProperties, halvo::GuiWidget::kPropYPos, 0.0f);
    Put(textProperties, GuiText::kPropFont, kTimerFont);
    Put(textProperties, GuiText::kPropSize, kTimerTextSize);
    Put(textProperties, GuiText::kPropText, ClockText(seconds).c_str());
    Put(textProperties, GuiText::kPropOutline, kTimerOutline);
    Put(textProperties, GuiText::kPropColor, AsInt(kTimerColour));
    Put(textProperties, GuiText::kPropOutlineColor, AsInt(kOutlineColour));
    Put(textProperties, GuiText::kPropXAlign, static_cast<int32_t>(GuiText::kAlignCentre));
    Put(textProperties, GuiText::kPropYAlign, static_cast<int32_t>(GuiText::kAlignMiddle));
    halvo::AutoRef<halvo::GuiWidget> text = halvo::GuiCreateWidget("Text", textProperties, timerFrame_.Get());
    timerText_ = text.Get();
    HoldClockDigits();
}

void SearchScreen::HoldClockDigits() {
    ReleaseClockDigits();
    auto* text = CastTo<GuiText>(timerText_.Get());
    if (!text) return;
    const std::array<halvo::Font*, 2> fonts{text->GetMainFont(), text->GetOutlineFont()};
    for (size_t i = 0; i < fonts.size(); ++i) {
        if (!fonts[i]) continue;
        heldDigits_[i].font = fonts[i];
        for (uint32_t digit = 0; digit < 10; ++digit)
            if (fonts[i]->AcquireGlyph('0' + digit)) heldDigits_[i].digits |= 1u << digit;
    }
}

void SearchScreen::ReleaseClockDigits() {
    for (HeldDigits& held : heldDigits_) {
        for (uint32_t digit = 0; digit < 10; ++digit)
            if (held.digits & (1u << digit)) held.font->ReleaseGlyph('0' + digit);
        held = HeldDigits{};
    }
}

void SearchScreen::SetCountdownText(int32_t seconds) {
    auto* text = CastTo<GuiText>(timerText_.Get());
    if (!text) return;
    const std::string clock = ClockText(seconds);
    text->SetText(std::u16string(clock.begin(), clock.end()));
}

halvo::GuiWidget* SearchScreen::GetTimerText() const { return timerText_.Get(); }

void SearchScreen::ShowPenalty(int32_t seconds) {
    halvo::GuiWidget* timer = timerText_.Get();
    if (!timer) return;
    const int64_t rounded = (static_cast<int64_t>(seconds) + kPenaltyRounding / 2) / kPenaltyRounding * kPenaltyRounding;
    if (rounded == 0) return;
    Vrel::t_Named properties;
    Put(properties, halvo::GuiWidget::kPropXSize, kTimerWidth);
    Put(properties, halvo::GuiWidget::kPropYSize, kTimerHeight);
    Put(properties, halvo::GuiWidget::kPropXPos, 0.0f);
    Put(properties, halvo::GuiWidget::kPropYPos, 0.0f);
    Put(properties, GuiText::kPropFont, kTimerFont);
    Put(properties, GuiText::kPropSize, kPenaltyTextSize);
    char text[32];
    std::snprintf(text, sizeof text, "-%llds", static_cast<long long>(rounded));
    Put(properties, GuiText::kPropText, text);
    Put(properties, GuiText::kPropOutline, kPenaltyOutline);
    Put(properties, GuiText::kPropColor, AsInt(kPenaltyColour));
    Put(properties, GuiText::kPropOutlineColor, AsInt(kOutlineColour));
    Put(properties, GuiText::kPropXAlign, static_cast<int32_t>(GuiText::kAlignCentre));
    Put(properties, GuiText::kPropYAlign, static_cast<int32_t>(GuiText::kAlignMiddle));
    halvo::AutoRef<halvo::GuiWidget> penalty = halvo::GuiCreateWidget("Text", properties, timer->GetParent());
    if (!penalty) return;
    Vrel::t_Named fade;
    Put(fade, kParamAlpha, 0.0f);
    Put(fade, halvo::GuiAnimator::kParamTime, kPenaltyFadeMs);
    halvo::StartAnimation(penalty.Get(), "Alpha", fade);
    Vrel::t_Named fall;
    Put(fall, halvo::GuiWidget::kPropXPos, 0.0f);
    Put(fall, halvo::GuiWidget::kPropYPos, kPenaltyDrop);
    Put(fall, halvo::GuiAnimator::kParamTime, kPenaltyFadeMs);
    halvo::StartAnimation(penalty.Get(), "Mover", fall);
    Vrel::t_Named removal;
    Put(removal, halvo::GuiAnimator::kParamTime, kPenaltyLifeMs);
    halvo::StartAnimation(penalty.Get(), "Remover", removal);
}

// ---- the end ---------------------------------------------------------------------

void SearchScreen::EndScene(int32_t reason) {
    if (endState_ != kRunning) return;
    halvo::AutoRef<SearchScreen> self(this);
    halvo::AutoRef<Scene> scene(GetScene());
    // Ended before the event runs: whatever the script does, once is once.
    endState_ = kEnded;
    RecordStatistics(reason);
    if (scene && reason == kEndAborted) scene->SaveState();
    if (scene && (reason == kEndFailed || reason == kEndComplete)) scene->ClearState();
    const char* event = EndEvent(reason);
    if (!event) return;
    if (!CallSceneScript(event).Get()) Game::CallScript(event, kSceneFallbackModule);
}

void SearchScreen::RecordStatistics(int32_t reason) const {
    const Scene* scene = GetScene();
    const char* stem = scene ? StatisticStem(scene->type) : nullptr;
    if (!stem) return;
    const std::string key = stem;
    AddToStatistic(key.c_str());
    if (reason == kEndFailed) AddToStatistic((key + "_lost").c_str());
    AddToStatistic((key + "_time").c_str(), TruncateToInt(static_cast<float>(elapsed_ * 0.001)));
}
