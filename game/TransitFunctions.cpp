#include "game/TransitFunctions.h"

#include "game/Game.h"
#include "game/HudScreen.h"
#include "platform/DataTree.h"
#include "script/runtime/ScriptVM.h"
#include "script/runtime/Thread.h"

namespace TransitFunctions {

namespace {

// Ends the calling thread: finished, its value nil.
void StopCaller(Vrel::Thread* thread) {
    if (!thread) return;
    thread->SetState(Vrel::kThreadIdle);
    Vrel::MakeEmpty(thread->GetValue());
}

void RebuildHudFrame(Game& game) {
    if (HudScreen* hud = CastTo<HudScreen>(game.hudScreen)) hud->CreateFrame();
}

}  // namespace

void ShowMainMenu(Vrel::t_Interface& call) {
    halvo::AutoRef<Game> game(Game::Current());
    if (!game) return;
    // Held: the thread may be the last thing that keeps its own screen.
    halvo::AutoRef<Vrel::Thread> caller(call.thread);
    if (halvo::AutoRef<GameScreen> scene{game->currentScene.Get()}) scene->RemoveFromParent();
    Vrel::ScriptVM::Global().StopAllThreads();
    RebuildHudFrame(*game);
    StopCaller(caller.Get());
    DataTree::SaveGameData();
    const int32_t slot = DataTree::GetCurrentSlot();
    if (slot >= 0) DataTree::OpenProfile(slot);
    game->OpenMainMenu();
}

}  // namespace TransitFunctions
