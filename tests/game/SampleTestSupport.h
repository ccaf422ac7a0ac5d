#pragma once
// What the suites that play the sample game in data/ share: where the sample
// lies, and finding a widget of its scripts by one property.

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

}  // namespace sampletest
