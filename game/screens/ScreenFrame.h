#pragma once
// The GUI frame of the HUD and menu screens: a plain "Frame" widget the size
// of the logical screen, hung under the GUI manager's root, which owns it.
// The screen only observes it, so a screen that makes one also takes it
// down: its listeners hear that it goes, then it leaves the root.

#include "platform/RefObj.h"

class Game;
class GameScreen;
namespace halvo {
class GuiWidget;
}

struct ScreenFrame {
    static constexpr const char* kFrameType = "Frame";
    static constexpr const char* kPropStartScale = "start_scale";
    // Menu frames only: true when the menu was opened while a game was
    // running (from the game, not from the splash or the main menu).
    static constexpr const char* kPropFromGame = "from_game";

    // A new frame under the GUI root, sized from the game; null when the
    // GUI cannot make one.
    static halvo::AutoRef<halvo::GuiWidget> Create(const Game& game);
    static halvo::AutoRef<halvo::GuiWidget> CreateForMenu(const Game& game);
    // The screen's frame, if it lives and hangs in a tree, is told it is
    // being removed and detached; the screen forgets it either way.
    static void Drop(GameScreen& screen);
};
