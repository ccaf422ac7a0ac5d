#include "gui/GuiClickGuard.h"

#include "gui/GuiWidget.h"

namespace halvo {

bool GuiClickGuard::AdmitPress(double timeMs, Vec2 point, GuiWidget* target) {
    refusedHeld_ = IsDoubleClick(timeMs, point) && !WentTo(target);
    if (refusedHeld_) return false;
    hasPress_ = true;
    pressMs_ = timeMs;
    pressPoint_ = point;
    widgetTookPress_ = target != nullptr;
    pressTarget_ = target;
    return true;
}

bool GuiClickGuard::TakeRefusedRelease() {
    const bool refused = refusedHeld_;
    refusedHeld_ = false;
    return refused;
}

void GuiClickGuard::ForgetTarget() {
    widgetTookPress_ = true;
    pressTarget_.Reset();
}

bool GuiClickGuard::IsDoubleClick(double timeMs, Vec2 point) const {
    if (!hasPress_) return false;
    const double elapsed = timeMs - pressMs_;
    const Vec2 offset = point - pressPoint_;
    return elapsed >= 0 && elapsed < kDoubleClickMs &&
           offset.x * offset.x + offset.y * offset.y <= kSpotRadius * kSpotRadius;
}

// A widget that died since is nothing a new press can go to.
bool GuiClickGuard::WentTo(GuiWidget* target) const {
    if (!widgetTookPress_) return target == nullptr;
    GuiWidget* taker = pressTarget_.Get();
    return taker && taker == target;
}

}  // namespace halvo
