#pragma once
// The splash and the main menu: a screen whose content is one GUI frame that
// the module "splash" or "mainmenu" builds through its function "Create".
// The game opens it (Game::OpenSplash, Game::OpenMainMenu); the script
// functions that leave the menu remove it, and its frame goes with it.

#include "game/screens/GameScreen.h"

class MenuScreen : public GameScreen {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr const char* kSplashModule = "splash";
    static constexpr const char* kMainMenuModule = "mainmenu";
    static constexpr const char* kCreateFunction = "Create";

    MenuScreen() = default;
    // Takes its frame down with it.
    ~MenuScreen() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }

    // A new frame, which the screen keeps without looking at an earlier one;
    // the game no longer counts as started. True even when the GUI refused
    // the frame (the screen then has no widgets).
    bool CreateFrame();
    // The frame, then "Create"(frame) of the module, included first. A
    // missing module or function leaves the frame empty, silently; true.
    bool CreateMainMenu();
    bool CreateSplash();

private:
    bool CreateMenu(const char* module);
};
