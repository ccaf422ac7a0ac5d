#include "game/functions/TransitFunctions.h"

#include <cstring>

#include "game/Game.h"
#include "platform/DataTree.h"
#include "script/runtime/library/BuiltinSupport.h"

namespace TransitFunctions {

namespace {

constexpr const char* kLastSceneKey = "[PLAYER]/LastScene";
// A shorter saved name is no scene to continue with.
constexpr size_t kMinSceneNameLength = 2;

}  // namespace

void Transit(Vrel::t_Interface& call) {
    const char* scene = call.count >= 1 ? Vrel::builtins::ArgText(call, 0) : nullptr;
    if (!scene) {
        Vrel::builtins::Report(call, "void Transit(const char *pScene) - bad parameters");
        return;
    }
    if (Game* game = Game::Current()) game->Transit(scene, call.thread);
}

void ShowMainMenu(Vrel::t_Interface& call) {
    if (Game* game = Game::Current()) game->ShowMainMenu(call.thread);
}

void GameOver(Vrel::t_Interface& call) {
    if (Game* game = Game::Current()) game->EndStory(call.thread);
}

void GameStateEnd() {
    if (Game* game = Game::Current()) game->EndGameState();
}

bool ContinueGame() {
    Game* game = Game::Current();
    return game && game->ContinueGame();
}

bool CanContinueGame() {
    if (DataTree::GetCurrentSlot() < 0) return false;
    const char* scene = DataTree::GetString(kLastSceneKey);
    return scene && std::strlen(scene) >= kMinSceneNameLength;
}

bool CanStartNewGame() { return Game::CanStartNewGame(); }

void QuitGame() {
    if (Game* game = Game::Current()) game->quitRequested = true;
    DataTree::SaveGameData();
}

}  // namespace TransitFunctions
