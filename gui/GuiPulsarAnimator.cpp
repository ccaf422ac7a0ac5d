#include "gui/GuiPulsarAnimator.h"

#include "gui/GuiWidget.h"

#include <cmath>

namespace halvo {

namespace {

constexpr double kSecondsPerMs = 0.001;

}  // namespace

const ClassRecord GuiPulsarAnimator::kClassRecord = {"GuiPulsarAnimator", &GuiAnimator::kClassRecord, nullptr};

bool GuiPulsarAnimator::Init(GuiWidget* target, const Vrel::t_Named& parameters) {
    if (!GuiAnimator::Init(target, parameters)) return false;
    finished_ = false;
    started_ = false;
    frequency_ = ReadParameter(kParamFrequency);
    size_ = ReadParameter(kParamScale);
    return true;
}

bool GuiPulsarAnimator::Update(double timeMs, double dtMs) {
    GuiWidget* target = GetTarget();
    if (finished_ || !target) return false;
    if (GetDelay() > 0) {
        SetDelay(GetDelay() - dtMs);
        return true;
    }
    if (!started_) {
        started_ = true;
        startMs_ = timeMs;
        endMs_ = startMs_ + ReadParameter(kParamTime);
    }
    if (timeMs > endMs_) {
        Finish(true);
        return false;
    }
    // A pulse without duration is already settled.
    const double length = endMs_ - startMs_;
    const double f = length > 0 ? (timeMs - startMs_) / length : 1.0;
    const double swing = std::sin(frequency_ * (timeMs - startMs_) * kSecondsPerMs);
    target->WriteFloat(GuiWidget::kPropScale, static_cast<float>(size_ * (f + (1 - f) * swing)));
    return true;
}

void GuiPulsarAnimator::Finish(bool immediate) {
    if (finished_) return;
    finished_ = true;
    if (immediate) return;
    if (GuiWidget* target = GetTarget()) target->WriteFloat(GuiWidget::kPropScale, size_);
}

}  // namespace halvo
