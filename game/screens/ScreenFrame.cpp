#include "game/screens/ScreenFrame.h"

#include "game/Game.h"
#include "game/screens/GameScreen.h"
#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "script/runtime/values/t_Named.h"

namespace {

void SetProperty(Vrel::t_Named& table, const char* name, const Vrel::Var& value) {
    *table.GetOrAddMember(name) = value;
}

// "xsize", "ysize" and "start_scale" (window pixels per design unit).
void FillSizes(Vrel::t_Named& table, const Game& game) {
    SetProperty(table, halvo::GuiWidget::kPropXSize, Vrel::Var(static_cast<float>(game.screenSize.x)));
    SetProperty(table, halvo::GuiWidget::kPropYSize, Vrel::Var(static_cast<float>(game.screenSize.y)));
    const float startScale = game.viewExtent.y != 0
                                 ? static_cast<float>(game.windowSize.y) / static_cast<float>(game.viewExtent.y)
                                 : 1.0f;
    SetProperty(table, ScreenFrame::kPropStartScale, Vrel::Var(startScale));
}

halvo::AutoRef<halvo::GuiWidget> CreateFrom(const Vrel::t_Named& table) {
    return halvo::GuiCreateWidget(ScreenFrame::kFrameType, table, halvo::GuiMain::Global().GetRoot());
}

}  // namespace

halvo::AutoRef<halvo::GuiWidget> ScreenFrame::Create(const Game& game) {
    Vrel::t_Named table;
    FillSizes(table, game);
    return CreateFrom(table);
}

halvo::AutoRef<halvo::GuiWidget> ScreenFrame::CreateForMenu(const Game& game) {
    Vrel::t_Named table;
    FillSizes(table, game);
    SetProperty(table, kPropFromGame, Vrel::Var(game.gameStarted));
    return CreateFrom(table);
}

void ScreenFrame::Drop(GameScreen& screen) {
    // Held: the listeners' remove handlers may run script that lets go of it.
    halvo::AutoRef<halvo::GuiWidget> frame(screen.GetGuiFrame());
    screen.SetGuiFrame(nullptr);
    if (frame && frame->GetParent()) frame->RemoveAndDetach();
}
