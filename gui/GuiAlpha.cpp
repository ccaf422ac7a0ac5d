#include "gui/GuiAlpha.h"

#include "gui/GuiWidget.h"

namespace halvo {

const ClassRecord GuiAlpha::kClassRecord = {"GuiAlpha", &GuiAnimator::kClassRecord, nullptr};

bool GuiAlpha::Init(GuiWidget* target, const Vrel::t_Named& parameters) {
    if (!GuiAnimator::Init(target, parameters)) return false;
    alpha_ = target->GetAlpha();
    targetAlpha_ = ReadParameter(kParamAlpha);
    if (alpha_ == targetAlpha_) return false;
    speed_ = (targetAlpha_ - alpha_) / ReadDuration();
    done_ = false;
    return true;
}

bool GuiAlpha::Update(double /*timeMs*/, double dtMs) {
    GuiWidget* target = GetTarget();
    if (done_ || !target) return false;
    if (GetDelay() > 0) {
        SetDelay(GetDelay() - dtMs);
        return true;
    }
    alpha_ += static_cast<float>(dtMs) * speed_;
    if ((speed_ > 0 && alpha_ >= targetAlpha_) || (speed_ < 0 && alpha_ <= targetAlpha_)) {
        alpha_ = targetAlpha_;
        done_ = true;
    }
    target->WriteFloat(GuiWidget::kPropAlpha, alpha_);
    return !done_;
}

void GuiAlpha::Finish(bool immediate) {
    if (immediate || done_) return;
    alpha_ = targetAlpha_;
    done_ = true;
    if (GuiWidget* target = GetTarget()) target->WriteFloat(GuiWidget::kPropAlpha, alpha_);
}

}  // namespace halvo
