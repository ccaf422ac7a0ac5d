#pragma once
// Keeps the second click of a double-click off whatever its first click
// opened or uncovered. A board, a question or a page takes clicks the
// moment it is built, and its buttons often stand where the button that
// opened it stood (or the menu's own do, once a board closes): a player's
// quick second click would act on something never seen. A press close in
// time and place to the last admitted one is therefore refused when it
// would go to anything else than that press went to; a real double-click
// on a button that stays, or presses that one screen takes in a row, pass.

#include "platform/Math.h"
#include "platform/RefObj.h"

namespace halvo {

class GuiWidget;

class GuiClickGuard {
public:
    // How long after a press a second one counts as its double-click, in
    // ms of the game's clock: about what desktops allow for one.
    static constexpr double kDoubleClickMs = 500.0;
    // How far from the first press the second may land, in design units:
    // a hand's tremble on a click, far less than any button.
    static constexpr float kSpotRadius = 16.0f;

    // Whether a press at `point` and `timeMs` may act. `target` is the
    // widget that would take it, null when a screen would. An admitted
    // press becomes the one the next presses are compared with; a refused
    // one leaves that as it is, so that a third quick click is refused too.
    bool AdmitPress(double timeMs, Vec2 point, GuiWidget* target);
    // Whether a release ends a refused press and goes nowhere; asked once
    // per release.
    bool TakeRefusedRelease();
    // What the last press went to now means something else (a page turned
    // under it): a quick second press on the spot is refused even there.
    void ForgetTarget();

private:
    bool IsDoubleClick(double timeMs, Vec2 point) const;
    bool WentTo(GuiWidget* target) const;

    bool hasPress_ = false;
    double pressMs_ = 0;
    Vec2 pressPoint_;
    // Whether a widget took the press; its reference is null once it died.
    bool widgetTookPress_ = false;
    WeakRef<GuiWidget> pressTarget_;
    bool refusedHeld_ = false;
};

}  // namespace halvo
