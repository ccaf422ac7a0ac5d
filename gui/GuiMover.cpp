#include "gui/GuiMover.h"

#include "gui/GuiWidget.h"

namespace halvo {

void GuiMoveAxis::Start(float from, float target, float durationMs) {
    at = from;
    to = target;
    speed = (target - from) / durationMs;
}

void GuiMoveAxis::Step(float dtMs) {
    at += dtMs * speed;
    if ((speed > 0 && at >= to) || (speed < 0 && at <= to)) {
        at = to;
        speed = 0;
    }
}

const ClassRecord GuiMover::kClassRecord = {"GuiMover", &GuiAnimator::kClassRecord, nullptr};

bool GuiMover::Init(GuiWidget* target, const Vrel::t_Named& parameters) {
    if (!GuiAnimator::Init(target, parameters)) return false;
    const Vec2 from = target->GetPosition();
    const float duration = ReadDuration();
    x_.Start(from.x, ReadParameter(GuiWidget::kPropXPos), duration);
    y_.Start(from.y, ReadParameter(GuiWidget::kPropYPos), duration);
    done_ = false;
    return true;
}

bool GuiMover::Update(double /*timeMs*/, double dtMs) {
    GuiWidget* target = GetTarget();
    if (done_ || !target) return false;
    x_.Step(static_cast<float>(dtMs));
    y_.Step(static_cast<float>(dtMs));
    done_ = x_.speed == 0 && y_.speed == 0;
    target->SetPositionXY(x_.at, y_.at);
    return !done_;
}

void GuiMover::Finish(bool immediate) {
    if (immediate || done_) return;
    x_.at = x_.to;
    y_.at = y_.to;
    done_ = true;
    if (GuiWidget* target = GetTarget()) target->SetPositionXY(x_.at, y_.at);
}

}  // namespace halvo
