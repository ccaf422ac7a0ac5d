#include "gui/GuiFrameClock.h"

namespace halvo {

void GuiFrameClock::Presented(uint32_t ms) {
    presented_ = current_;
    presentedMs_[current_ % kKeptFrames] = ms;
}

bool GuiFrameClock::WasShownBy(uint32_t frame, uint32_t ms) const {
    if (frame == 0 || frame > presented_) return false;
    if (presented_ - frame >= kKeptFrames) return true;
    // Signed difference: a wrap of the 32-bit clock still orders the two.
    return static_cast<int32_t>(ms - presentedMs_[frame % kKeptFrames]) >= 0;
}

}  // namespace halvo
