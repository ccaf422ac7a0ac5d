#include "game/screens/HudScreen.h"

#include "game/Game.h"
#include "game/screens/ScreenFrame.h"
#include "gui/GuiMain.h"
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

halvo::AutoRef<halvo::GuiWidget> HudScreen::SetFrameAside() {
    halvo::AutoRef<halvo::GuiWidget> kept(GetGuiFrame());
    SetGuiFrame(nullptr);
    // Only detached: its listeners are not told it goes, as it comes back.
    if (kept) kept->SetParent(nullptr, true);
    CreateFrame();
    return kept;
}

void HudScreen::TakeFrameBack(halvo::GuiWidget* kept, const halvo::GuiWidget* lent) {
    halvo::AutoRef<halvo::GuiWidget> held(kept);
    if (GetGuiFrame() != lent) {
        // Never shown again: its listeners hear that it goes.
        if (held) held->RemoveAndDetach();
        return;
    }
    if (!held) {
        CreateFrame();
        return;
    }
    ScreenFrame::Drop(*this);
    held->SetParent(halvo::GuiMain::Global().GetRoot(), false);
    SetGuiFrame(held.Get());
}
