#include "game/screens/HudScreen.h"

#include "game/Game.h"
#include "game/screens/ScreenFrame.h"
#include "gui/GuiWidget.h"

const ClassRecord HudScreen::kClassRecord = {"HudScreen", &GameScreen::kClassRecord, &HudScreen::Create};

halvo::RefObj* HudScreen::Create() { return new HudScreen(); }

HudScreen::HudScreen() {
    const Game* game = Game::Current();
    if (!game) return;
    SetSize(game->screenSize);
    SetPosition(game->rootScreen ? game->rootScreen->GetScreenRectMin() : GetScreenRectMin());
}

HudScreen::~HudScreen() { ScreenFrame::Drop(*this); }

bool HudScreen::Init() {
    CreateFrame();
    return true;
}

void HudScreen::CreateFrame() {
    ScreenFrame::Drop(*this);
    const Game* game = Game::Current();
    if (!game) return;
    halvo::AutoRef<halvo::GuiWidget> frame = ScreenFrame::Create(*game);
    SetGuiFrame(frame.Get());
}
