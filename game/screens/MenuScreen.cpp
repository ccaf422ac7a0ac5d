#include "game/screens/MenuScreen.h"

#include "game/Game.h"
#include "game/screens/ScreenFrame.h"
#include "gui/GuiWidget.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

const ClassRecord MenuScreen::kClassRecord = {"MenuScreen", &GameScreen::kClassRecord, &MenuScreen::Create};

halvo::RefObj* MenuScreen::Create() { return new MenuScreen(); }

MenuScreen::~MenuScreen() { ScreenFrame::Drop(*this); }

bool MenuScreen::CreateFrame() {
    Game* game = Game::Current();
    if (!game) return true;
    halvo::AutoRef<halvo::GuiWidget> frame = ScreenFrame::CreateForMenu(*game);
    SetGuiFrame(frame.Get());
    game->gameStarted = false;
    return true;
}

bool MenuScreen::CreateMainMenu() { return CreateMenu(kMainMenuModule); }

bool MenuScreen::CreateSplash() { return CreateMenu(kSplashModule); }

bool MenuScreen::CreateMenu(const char* module) {
    halvo::AutoRef<MenuScreen> self(this);
    CreateFrame();
    Game::RunInclude(module);
    // Held for the call: "Create" may take the frame down again.
    halvo::AutoRef<halvo::GuiWidget> frame(GetGuiFrame());
    // Looked up first: a menu without its script is an empty menu, not an
    // error worth a message.
    if (!Vrel::ScriptVM::Global().HasFunction(module, kCreateFunction)) return true;
    const Vrel::Var argument(static_cast<Vrel::VarExtension*>(frame.Get()));
    halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
    Vrel::Thread::RunFunction(thread.Get(), module, kCreateFunction, &argument, 1);
    return true;
}
