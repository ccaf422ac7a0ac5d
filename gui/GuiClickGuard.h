#pragma once
// Keeps the second click of a double-click off whatever its first click
// opened or uncovered. A board, a question or a page takes clicks the
// moment it is built, and its buttons often stand where the button that
// opened it stood (or the menu's own do, once a board closes): a player's
// quick second click would act on something never seen. A press close in
// time and place to the last one is therefore refused when it would go to
// anything else than the last admitted press went to; a real double-click
// on a button that stays, or presses that one screen takes in a row, pass.
// Presses are compared by when the player made them, not by the frame that
// takes them, and every quick press starts the window anew: a triple click
// or a hammering reaches a new board only once the player pauses. Nor does
// a widget take a press made before a frame that showed it was on screen,
// however slowly the machine drew it. A question or a notice, which changes
// or tells something, is read before it is answered: it takes a press or a
// key only once it has stood fully drawn for the stand time, as a page
// does, so that a slow double-click on what opened it answers nothing.

#include <cstdint>

#include "platform/Math.h"
#include "platform/RefObj.h"

namespace halvo {

class GuiWidget;

class GuiClickGuard {
public:
    // How long after a press a second one counts as its double-click, in
    // ms: about what desktops allow for one.
    static constexpr double kDoubleClickMs = 500.0;
    // How far from the first press the second may land, in design units:
    // a hand's tremble on a click, far less than any button.
    static constexpr float kSpotRadius = 16.0f;
    // How long a page, a question or a notice stands fully drawn before a
    // press takes it, in ms: a double-click's time, so that the second
    // click of one that brought it up never answers it unread.
    static constexpr uint32_t kStandMs = 500;

    // Whether a press made at `pressMs` (the window system's time) and
    // `point` may act. `target` is the widget that would take it, null when
    // a screen would; it must have stood on screen when the press was made.
    // Every press is the one the next is timed and placed from; only an
    // admitted one changes where presses go, so that a third quick click is
    // refused too.
    bool AdmitPress(uint32_t pressMs, Vec2 point, GuiWidget* target);
    // Whether a key made at `keyMs` may act: none while a board read first
    // stands under `root` that has not stood its time, and no repeat of a
    // key held down while one stands at all.
    static bool AdmitKey(uint32_t keyMs, bool repeat, const GuiWidget* root);
    // Whether a release ends a refused press and goes nowhere; asked once
    // per release.
    bool TakeRefusedRelease();
    // What the last press went to now means something else (a page turned
    // under it): a quick second press on the spot is refused even there.
    void ForgetTarget();
    // While `page` stands in the tree, presses pass whatever went before
    // them, still timing the next: the page judges those that go past
    // every widget and the lantern those that turn it (it turns only on
    // one made once it had stood a while), and a quick reader's run of
    // clicks would otherwise keep it up for as long as the run goes on.
    // A widget still takes only a press made once it was seen.
    void LeavePressesTo(GuiWidget* page);

private:
    bool IsDoubleClick(uint32_t pressMs, Vec2 point) const;
    bool WentTo(GuiWidget* target) const;
    static bool WasSeen(uint32_t pressMs, GuiWidget* target);

    bool hasPress_ = false;
    uint32_t pressMs_ = 0;
    Vec2 pressPoint_;
    // Whether a widget took the press; its reference is null once it died.
    bool widgetTookPress_ = false;
    WeakRef<GuiWidget> pressTarget_;
    bool refusedHeld_ = false;
    WeakRef<GuiWidget> page_;
};

}  // namespace halvo
