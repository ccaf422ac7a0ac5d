#pragma once
// When a click may turn a page the player reads: a speaker's line or a
// mini-game's message. A page takes only the release of a press made while
// it stood on screen, and once it had stood there a moment: a click made
// before it came up (in a speaker's pose change, or on a busy machine before
// a frame showed it) was meant for the page before, and a quick reader's
// clicks turn each page no sooner than that moment after it came, however
// fast they follow one another, instead of being taken for one long run.

#include <cstdint>

#include "gui/GuiClickGuard.h"
#include "gui/GuiFrameClock.h"
#include "platform/RefObj.h"

namespace halvo {
class GuiWidget;
}

class PageTurnGuard {
public:
    // How long a page stands before a click takes it: as long as a
    // question, so that the second click of a double-click that took a
    // page away never takes the next unread.
    static constexpr uint32_t kStandMs = halvo::GuiClickGuard::kStandMs;

    // `page` comes up: it stands from the first frame on screen that shows
    // it fully drawn, its fade-in done, since a faint page is not yet read.
    void PageCameUp(halvo::GuiWidget* page);
    // A press made at `pressMs` while `page` was the page up; null for none.
    void NotePress(uint32_t pressMs, halvo::GuiWidget* page);
    // Whether `page` is the page up and had stood by `pressMs`.
    bool StoodBy(uint32_t pressMs, const halvo::GuiWidget* page) const;
    // Whether the release that ends the press noted last may turn `page`
    // (null: the page went meanwhile, and a script still waits on it).
    // Asked once per release.
    bool ReleaseTurns(const halvo::GuiWidget* page);

private:
    halvo::WeakRef<halvo::GuiWidget> page_;
    // When the first frame that showed the page fully drawn came on screen.
    halvo::AutoRef<halvo::GuiFrameStamp> pageShown_;
    bool pressNoted_ = false;
    // Whether the page had stood long enough when the press was made.
    bool pageStood_ = false;
    halvo::WeakRef<halvo::GuiWidget> pressedPage_;
};
