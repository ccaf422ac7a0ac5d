#pragma once
// The script functions that reach the screens: the current scene's module
// and GUI frame, the HUD's frame, hints, scene effects and overlays, a
// picture over the scene and the start of a mini-game. Each finds its
// screen by class record and hands it one operation; without the screen it
// does nothing and answers its empty result.

#include "script/runtime/library/FunctionAdapter.h"

namespace Vrel {
class BinCode;
}

namespace ScreenFunctions {

// The loaded module named after the current scene screen; none without one.
Vrel::BinCode* GetSceneScript();
// A hint from the first mini-game screen found depth first, else from the
// first scene screen.
void ShowHelp();
// The hint sparkle on the named object of the first scene screen.
void ShowHintSparkle(const char* object);
// Switches the effects of an object still to be found; nothing for a found
// or unknown one.
void EnableSceneFX(const char* object, bool on);
// "SetSceneColor" and "AddOverlay": the current scene's overlay from the
// low bytes of red, green, blue and alpha; drawn while alpha is not 0.
void SetSceneColor(int red, int green, int blue, int alpha);
void RemoveOverlay();
// The HUD's GUI frame; an object holding nothing without one.
Vrel::Var GetHudRoot();
// The current scene screen's GUI frame; nil without a scene screen.
Vrel::Var GetWidgetRoot();
// "StartMinigame"(name): exactly one text argument. The mini-game starts
// over the current cutscene and the caller waits for it.
void StartMinigame(Vrel::t_Interface& call);
// "GroessterSuperGAU"(image): the first argument a text. The caller waits
// while the search or cutscene screen shows "<image>.cbi" over the scene;
// without such a screen it runs on at the next scheduler pass.
void GroessterSuperGAU(Vrel::t_Interface& call);

}  // namespace ScreenFunctions
