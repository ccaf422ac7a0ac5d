#include "gui/GuiTimer.h"

#include "gui/GuiWidget.h"

namespace halvo {

namespace {

// The wait of a timer given no "time".
constexpr double kDefaultWaitMs = 1.0;

}  // namespace

const ClassRecord GuiTimer::kClassRecord = {"GuiTimer", &GuiAnimator::kClassRecord, nullptr};

bool GuiTimer::Init(GuiWidget* target, const Vrel::t_Named& parameters) {
    if (!GuiAnimator::Init(target, parameters)) return false;
    remainingMs_ = HasParameter(kParamTime) ? ReadParameter(kParamTime) : kDefaultWaitMs;
    done_ = false;
    return true;
}

bool GuiTimer::Update(double /*timeMs*/, double dtMs) {
    if (done_ || !GetTarget()) return false;
    remainingMs_ -= dtMs;
    if (remainingMs_ < 0) done_ = true;
    return !done_;
}

void GuiTimer::Finish(bool /*immediate*/) { done_ = true; }

}  // namespace halvo
