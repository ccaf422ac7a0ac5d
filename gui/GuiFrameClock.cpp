#include "gui/GuiFrameClock.h"

#include "gui/GuiWidget.h"

namespace halvo {

GuiFrameStamp::GuiFrameStamp(uint32_t frame, GuiWidget* widget)
    : frame_(frame), widget_(widget), watchesWidget_(widget != nullptr) {}

bool GuiFrameStamp::WasShownBy(uint32_t ms) const {
    return shown_ && static_cast<int32_t>(ms - shownMs_) >= 0;
}

void GuiFrameClock::Presented(uint32_t ms) {
    presented_ = current_;
    presentedMs_[current_ % kKeptFrames] = ms;
    for (const WeakRef<GuiFrameStamp>& waiting : waiting_) {
        GuiFrameStamp* stamp = waiting.Get();
        if (!stamp || stamp->frame_ > presented_) continue;
        // A page gone before it was fully drawn never stood.
        const GuiWidget* widget = stamp->widget_.Get();
        if (stamp->watchesWidget_ && (!widget || widget->IsFadingIn())) continue;
        stamp->shown_ = true;
        stamp->shownMs_ = ms;
    }
    std::erase_if(waiting_,
                  [](const WeakRef<GuiFrameStamp>& waiting) { return !waiting || waiting->shown_; });
}

AutoRef<GuiFrameStamp> GuiFrameClock::StampFullyDrawn(GuiWidget* widget, uint32_t first) {
    AutoRef<GuiFrameStamp> stamp(new GuiFrameStamp(first, widget));
    waiting_.emplace_back(stamp.Get());
    return stamp;
}

bool GuiFrameClock::WasShownBy(uint32_t frame, uint32_t ms) const {
    if (frame == 0 || frame > presented_) return false;
    if (presented_ - frame >= kKeptFrames) return true;
    // Signed difference: a wrap of the 32-bit clock still orders the two.
    return static_cast<int32_t>(ms - presentedMs_[frame % kKeptFrames]) >= 0;
}

}  // namespace halvo
