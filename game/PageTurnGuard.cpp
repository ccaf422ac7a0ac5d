#include "game/PageTurnGuard.h"

#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"

void PageTurnGuard::PageCameUp(halvo::GuiWidget* page) {
    page_ = page;
    pageShown_ = halvo::GuiMain::Global().Frames().StampFullyDrawn(page);
}

// Judged by when the frame came on screen rather than by whether the page's
// widget was drawn: a bubble an author hangs where nothing draws it still
// waits for a click, and must not wait for ever.
void PageTurnGuard::NotePress(uint32_t pressMs, halvo::GuiWidget* page) {
    pressNoted_ = true;
    pressedPage_ = page;
    pageStood_ = !page || StoodBy(pressMs, page);
}

bool PageTurnGuard::StoodBy(uint32_t pressMs, const halvo::GuiWidget* page) const {
    return page && page == page_.Get() && pageShown_ && pageShown_->WasShownBy(pressMs - kStandMs);
}

bool PageTurnGuard::ReleaseTurns(const halvo::GuiWidget* page) {
    const bool turns = pressNoted_ && pageStood_ && pressedPage_.Get() == page;
    pressNoted_ = false;
    pressedPage_.Reset();
    return turns;
}
