#include "gui/GuiRemover.h"

#include "gui/GuiWidget.h"

namespace halvo {

bool GuiRemover::Init(GuiWidget* target, const Vrel::t_Named& parameters) {
    if (!GuiAnimator::Init(target, parameters)) return false;
    remainingMs_ = ReadParameter(kParamTime);
    return true;
}

bool GuiRemover::Update(double /*timeMs*/, double dtMs) {
    remainingMs_ -= dtMs;
    if (remainingMs_ >= 0) return true;
    RemoveTarget();
    return false;
}

void GuiRemover::Finish(bool immediate) {
    if (!immediate) RemoveTarget();
}

void GuiRemover::RemoveTarget() {
    AutoRef<GuiWidget> target = GetTarget();
    ClearTarget();
    if (target && target->GetParent()) target->RemoveAndDetach();
}

}  // namespace halvo
