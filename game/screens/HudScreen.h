#pragma once
// The heads-up display: a screen the size of the logical screen whose only
// content is one GUI frame that the HUD scripts fill. The game makes it at
// start-up and keeps it for the whole run; during scenes it is the root
// screen's last child, so its widgets are drawn on top and see input first.
// It draws nothing itself: the GameScreen base draws and feeds the frame.

#include "game/screens/GameScreen.h"

class HudScreen : public GameScreen {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    // Sized to the game's logical screen, placed at the corner of the design
    // area that the root screen shows.
    HudScreen();
    // Takes its frame down with it.
    ~HudScreen() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    // Builds the frame; always true.
    bool Init() override;

    // Replaces the frame with a new, empty one: the old frame's listeners
    // hear that it goes. Without a game or when the GUI refuses, the HUD is
    // left without a frame.
    void CreateFrame();
    // Hangs a new, empty frame in the place of the one shown and hands that
    // one back out of the tree as it stands, its widgets and listeners kept:
    // a screen opened over the scene (a mini-game) builds a HUD of its own
    // and gives the scene's back as it goes. Null when there was none.
    halvo::AutoRef<halvo::GuiWidget> SetFrameAside();
    // Hangs `kept` back in the place of `lent`, the frame SetFrameAside made,
    // which goes as CreateFrame lets a frame go; nothing kept leaves an
    // empty frame. A frame that stands instead of `lent` (a scene left
    // meanwhile built its own HUD) stays, and `kept` goes.
    void TakeFrameBack(halvo::GuiWidget* kept, const halvo::GuiWidget* lent);
};
