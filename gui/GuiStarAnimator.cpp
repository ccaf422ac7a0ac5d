#include "gui/GuiStarAnimator.h"

#include "gui/GuiWidget.h"

#include <cmath>

namespace halvo {

namespace {

// How long the star pulses in place before it fades.
constexpr double kHoldMs = 1500;
// The pulse runs 0..2 and folds into a triangle between 0.5 and 1.5.
constexpr float kPulsePerMs = 0.0015f;
constexpr float kPulsePeriod = 2.0f;
constexpr float kPulseFloor = 0.5f;
// The fade takes a second.
constexpr float kFadePerMs = 0.001f;

}  // namespace

const ClassRecord GuiStarAnimator::kClassRecord = {"GuiStarAnimator", &GuiAnimator::kClassRecord, nullptr};

bool GuiStarAnimator::Init(GuiWidget* target, const Vrel::t_Named& parameters) {
    if (!GuiAnimator::Init(target, parameters)) return false;
    const Vec2 from = target->GetPosition();
    const float duration = ReadDuration();
    x_.Start(from.x, ReadParameter(GuiWidget::kPropXPos), duration);
    y_.Start(from.y, ReadParameter(GuiWidget::kPropYPos), duration);
    waitMs_ = ReadParameter(kParamDelay);
    phase_ = kPhaseWait;
    pulse_ = 1;
    fade_ = 1;
    return true;
}

bool GuiStarAnimator::Update(double /*timeMs*/, double dtMs) {
    AutoRef<GuiWidget> target = GetTarget();
    if (!target) return false;
    if (phase_ == kPhaseRemove) {
        ClearTarget();
        if (target->GetParent()) target->RemoveAndDetach();
        return false;
    }
    if (phase_ == kPhaseWait) {
        waitMs_ -= dtMs;
        if (waitMs_ <= 0) {
            waitMs_ = 0;
            phase_ = kPhaseFly;
        }
        return true;
    }
    const auto dt = static_cast<float>(dtMs);
    if (phase_ == kPhaseFly) Fly(*target, dt);
    if (phase_ == kPhaseHold || phase_ == kPhaseFade) Pulse(*target, dt);
    if (phase_ == kPhaseHold) Hold(dtMs);
    if (phase_ == kPhaseFade) Fade(*target, dt);
    return true;
}

void GuiStarAnimator::Fly(GuiWidget& target, float dtMs) {
    x_.Step(dtMs);
    y_.Step(dtMs);
    target.SetPositionXY(x_.at, y_.at);
    if (x_.speed == 0 && y_.speed == 0) {
        phase_ = kPhaseHold;
        waitMs_ = kHoldMs;
    }
}

void GuiStarAnimator::Pulse(GuiWidget& target, float dtMs) {
    pulse_ += dtMs * kPulsePerMs;
    if (pulse_ > kPulsePeriod) pulse_ = std::fmod(pulse_, kPulsePeriod);
    const float half = kPulsePeriod / 2;
    target.WriteFloat(GuiWidget::kPropScale, (pulse_ > half ? kPulsePeriod - pulse_ : pulse_) + kPulseFloor);
}

void GuiStarAnimator::Hold(double dtMs) {
    waitMs_ -= dtMs;
    if (waitMs_ < 0) {
        waitMs_ = 0;
        phase_ = kPhaseFade;
    }
}

void GuiStarAnimator::Fade(GuiWidget& target, float dtMs) {
    fade_ -= dtMs * kFadePerMs;
    if (fade_ < 0) {
        fade_ = 0;
        phase_ = kPhaseRemove;
    }
    target.WriteFloat(GuiWidget::kPropAlpha, fade_);
}

void GuiStarAnimator::Finish(bool immediate) {
    if (!immediate) phase_ = kPhaseRemove;
}

}  // namespace halvo
