#pragma once
// Which frame the GUI is drawing and when the frames before it came on
// screen, so that a press can be judged by what stood there when the player
// made it. A board, a question or a page is built the moment something asks
// for it, but the player sees it only once a frame that drew it has been
// shown, which on a busy machine may be well after a press already on its
// way: such a press was meant for what stood there before.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/RefObj.h"

namespace halvo {

class GuiWidget;

// When one frame came on screen, known for as long as it is held: a page
// stands for a time, and a fast loop draws more frames in it than the
// clock keeps the times of.
class GuiFrameStamp : public RefObj {
public:
    // Whether the frame was on screen at `ms`.
    bool WasShownBy(uint32_t ms) const;

private:
    friend class GuiFrameClock;
    GuiFrameStamp(uint32_t frame, GuiWidget* widget);

    // The first frame it may be, and the widget that frame must show with
    // no fade still to raise it (none: any frame from that one on).
    uint32_t frame_;
    WeakRef<GuiWidget> widget_;
    bool watchesWidget_;
    bool shown_ = false;
    uint32_t shownMs_ = 0;
};

class GuiFrameClock {
public:
    // How many frames back a frame's time is kept: far more than a press
    // ever waits in the queue before the game takes it, though not for a
    // time measured from a frame, which takes a stamp.
    static constexpr uint32_t kKeptFrames = 64;

    // The frame being drawn, or the last one drawn between frames; 1 before
    // the first, so that 0 can stand for "never drawn".
    uint32_t Current() const { return current_; }
    // A new frame begins to be drawn.
    void StartFrame() { ++current_; }
    // The frame drawn last is on screen as of `ms` (on the clock presses are
    // stamped with).
    void Presented(uint32_t ms);
    // When the frame on screen came there; 0 before the first.
    uint32_t PresentedMs() const { return presented_ ? presentedMs_[presented_ % kKeptFrames] : 0; }
    // Whether frame `frame` was on screen at `ms`: it has been shown, and no
    // later than that. A frame older than those kept was shown long before
    // any press still waiting.
    bool WasShownBy(uint32_t frame, uint32_t ms) const;
    // Whether frame `frame` is the one on screen, or a later one drawn since.
    bool IsOnScreen(uint32_t frame) const { return frame != 0 && frame >= presented_; }
    // The first frame from the next one on that shows `widget` fully drawn,
    // its fade-in done (for null, the next frame), its time filled in as it
    // comes on screen: a page the player can hardly see yet is not read.
    AutoRef<GuiFrameStamp> StampFullyDrawn(GuiWidget* widget) { return StampFullyDrawn(widget, current_ + 1); }
    // The same from frame `first` on: a widget stamps the frame drawing it.
    AutoRef<GuiFrameStamp> StampFullyDrawn(GuiWidget* widget, uint32_t first);

private:
    uint32_t current_ = 1;
    uint32_t presented_ = 0;
    std::array<uint32_t, kKeptFrames> presentedMs_{};
    // Stamps of frames not on screen yet.
    std::vector<WeakRef<GuiFrameStamp>> waiting_;
};

}  // namespace halvo
