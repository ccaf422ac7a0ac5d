#include "gui/GuiClickGuard.h"

#include "gui/GuiWidget.h"

#include <cstdlib>

namespace halvo {

bool GuiClickGuard::AdmitPress(uint32_t pressMs, Vec2 point, GuiWidget* target) {
    const GuiWidget* page = page_.Get();
    const bool pageStands = page && page->GetParent();
    refusedHeld_ =
        (!pageStands && IsDoubleClick(pressMs, point) && !WentTo(target)) || !WasSeen(pressMs, target);
    hasPress_ = true;
    pressMs_ = pressMs;
    pressPoint_ = point;
    if (refusedHeld_) return false;
    widgetTookPress_ = target != nullptr;
    pressTarget_ = target;
    return true;
}

bool GuiClickGuard::AdmitKey(uint32_t keyMs, bool repeat, const GuiWidget* root) {
    return !root || !root->ShowsBoardToRead(keyMs - kStandMs, repeat);
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

void GuiClickGuard::LeavePressesTo(GuiWidget* page) { page_ = page; }

// Presses from two sources may come stamped a little out of order; either
// way round they are as close.
bool GuiClickGuard::IsDoubleClick(uint32_t pressMs, Vec2 point) const {
    if (!hasPress_) return false;
    const int32_t elapsed = static_cast<int32_t>(pressMs - pressMs_);
    const Vec2 offset = point - pressPoint_;
    return std::abs(elapsed) < kDoubleClickMs &&
           offset.x * offset.x + offset.y * offset.y <= kSpotRadius * kSpotRadius;
}

// A board or a question drawn only after the press was made was not what
// the player pressed, however long after the last press that was; nor was
// a question or notice that had not yet stood to be read.
bool GuiClickGuard::WasSeen(uint32_t pressMs, GuiWidget* target) {
    return !target || (target->WasOnScreenAt(pressMs) && target->StoodToRead(pressMs - kStandMs));
}

// A widget that died since is nothing a new press can go to.
bool GuiClickGuard::WentTo(GuiWidget* target) const {
    if (!widgetTookPress_) return target == nullptr;
    GuiWidget* taker = pressTarget_.Get();
    return taker && taker == target;
}

}  // namespace halvo
