#pragma once
// What the suites that play the sample game in data/ share: where the sample
// lies, finding a widget of its scripts by one property, and a player who
// clicks the hint or skip lantern until it takes.

#include <string>

#include "gui/GuiWidget.h"
#include "platform/Math.h"
#include "platform/RefObj.h"
#include "script/runtime/values/t_Named.h"
#include "support/SourceFiles.h"

namespace sampletest {

// The sample game's data folder in the source tree.
inline std::string SampleData() { return testsupport::SourceFolder("data").string(); }

// Where the splash and the main menu's boards take their clicks, in design
// units.
constexpr Vec2 kSplash{960, 540};
constexpr Vec2 kFirstSlot{960, 340};
constexpr Vec2 kSecondSlot{960, 432};
constexpr Vec2 kContinue{960, 412};
constexpr Vec2 kNewGame{960, 504};
constexpr Vec2 kPlayers{960, 596};
constexpr Vec2 kClose{960, 872};
constexpr Vec2 kLanguage{1640, 1000};

// The first widget under `root` whose property `name` is the text `value`;
// null without a root.
inline halvo::AutoRef<halvo::GuiWidget> Find(halvo::GuiWidget* root, const char* name, const char* value) {
    if (!root) return {};
    Vrel::t_Named criteria;
    *criteria.GetOrAddMember(name) = Vrel::Var(value);
    return root->FindFirst(criteria);
}

// The middle of a widget in design units, wherever it hangs: where a
// player clicks it.
inline Vec2 MiddleOnScreen(const halvo::GuiWidget& widget) {
    return widget.LocalToScreen({widget.ReadFloat(halvo::GuiWidget::kPropXSize) * 0.5f,
                                 widget.ReadFloat(halvo::GuiWidget::kPropYSize) * 0.5f});
}

// The sample's lantern: its lit glass lies over the unlit face, and the line
// that answers an early click hangs from it.
constexpr const char* kLanternGlass = "hud_hint_glow";
constexpr const char* kLanternNotYet = "hud_hint_wait";

// What a player who clicks the lantern before every step met: the
// brightest the glass glowed while a click took nothing, how many clicks met
// a glass in full light, the glass's scale the step it lit, and how the
// glass shone after the click that took.
struct LanternClicks {
    float brightestUnlit = 0;
    int clicksWhileLit = 0;
    float scaleWhenLit = 0;
    float alphaAfter = -1;
    bool taken = false;
};

// Clicks the middle of `lantern` and steps (through `clickAndStep(point)`)
// until `taken()` holds or `maxPasses` have run.
template <class ClickAndStep, class Taken>
LanternClicks ClickTheLanternUntilTaken(halvo::GuiWidget& lantern, ClickAndStep clickAndStep, Taken taken,
                                        int maxPasses) {
    LanternClicks seen;
    const halvo::AutoRef<halvo::GuiWidget> glass = Find(&lantern, "texture", kLanternGlass);
    if (!glass) return seen;
    const Vec2 middle = MiddleOnScreen(lantern);
    for (int i = 0; i < maxPasses && !seen.taken; ++i) {
        const float alpha = glass->GetAlpha();
        if (alpha >= 1.0f) {
            if (seen.clicksWhileLit++ == 0) seen.scaleWhenLit = glass->ReadFloat(halvo::GuiWidget::kPropScale);
        } else if (alpha > seen.brightestUnlit) {
            seen.brightestUnlit = alpha;
        }
        clickAndStep(middle);
        seen.taken = taken();
    }
    seen.alphaAfter = glass->GetAlpha();
    return seen;
}

}  // namespace sampletest
