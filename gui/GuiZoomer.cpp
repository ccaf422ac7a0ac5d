#include "gui/GuiZoomer.h"

#include "gui/GuiWidget.h"

namespace halvo {

const ClassRecord GuiZoomer::kClassRecord = {"GuiZoomer", &GuiAnimator::kClassRecord, nullptr};

bool GuiZoomer::Init(GuiWidget* target, const Vrel::t_Named& parameters) {
    if (!GuiAnimator::Init(target, parameters)) return false;
    done_ = false;
    started_ = false;
    return true;
}

bool GuiZoomer::Update(double /*timeMs*/, double dtMs) {
    GuiWidget* target = GetTarget();
    if (done_ || !target) return false;
    if (GetDelay() > 0) {
        SetDelay(GetDelay() - dtMs);
        return true;
    }
    if (!started_) {
        started_ = true;
        scale_ = target->ReadFloat(GuiWidget::kPropScale, 1.0f);
        targetScale_ = ReadParameter(kParamScale);
        if (scale_ == targetScale_) {
            done_ = true;
            return false;
        }
        speed_ = (targetScale_ - scale_) / ReadDuration();
    }
    scale_ += static_cast<float>(dtMs) * speed_;
    if ((speed_ > 0 && scale_ >= targetScale_) || (speed_ < 0 && scale_ <= targetScale_)) {
        scale_ = targetScale_;
        done_ = true;
    }
    target->WriteFloat(GuiWidget::kPropScale, scale_);
    return !done_;
}

void GuiZoomer::Finish(bool immediate) {
    if (immediate || done_) return;
    if (!started_) targetScale_ = ReadParameter(kParamScale);
    done_ = true;
    if (GuiWidget* target = GetTarget()) target->WriteFloat(GuiWidget::kPropScale, targetScale_);
}

}  // namespace halvo
