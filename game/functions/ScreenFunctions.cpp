#include "game/functions/ScreenFunctions.h"

#include <cstdint>

#include "game/Game.h"
#include "game/scene/Scene.h"
#include "game/scene/SceneObject.h"
#include "game/screens/SceneScreen.h"
#include "gui/GuiWidget.h"
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/library/BuiltinSupport.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

namespace ScreenFunctions {

namespace {

using Vrel::builtins::ArgText;
using Vrel::builtins::Report;

constexpr const char* kMiniGameClass = "MiniGameScreen";

constexpr const char* kStartMinigameMessage = "void StartMinigame() - bad parameters";
constexpr const char* kShowImageMessage = "void GroessterSuperGAU(const char *ImageName) - bad parameters";

GameScreen* CurrentScene() {
    const Game* game = Game::Current();
    return game ? game->currentScene.Get() : nullptr;
}

Vrel::Var FrameOf(const GameScreen* screen) {
    return Vrel::Var(static_cast<Vrel::VarExtension*>(screen ? screen->GetGuiFrame() : nullptr));
}

// The first scene screen anywhere in the tree.
SceneScreen* AnySceneScreen() {
    const Game* game = Game::Current();
    if (!game || !game->rootScreen) return nullptr;
    return CastTo<SceneScreen>(Game::FindScreenRecursive(game->rootScreen.Get(), SceneScreen::kClassRecord.name));
}

uint8_t LowByte(int value) { return static_cast<uint8_t>(value & 0xFF); }

}  // namespace

Vrel::BinCode* GetSceneScript() {
    const GameScreen* scene = CurrentScene();
    if (!scene || scene->GetName().empty()) return nullptr;
    return Vrel::ScriptVM::Global().FindModule(scene->GetName().c_str());
}

void ShowHelp() {
    const Game* game = Game::Current();
    if (!game || !game->rootScreen) return;
    GameScreen* screen = Game::FindScreenRecursive(game->rootScreen.Get(), kMiniGameClass);
    if (!screen) screen = Game::FindScreenRecursive(game->rootScreen.Get(), SceneScreen::kClassRecord.name);
    if (!screen) return;
    halvo::AutoRef<GameScreen> hold(screen);
    screen->OnHelp();
}

void ShowHintSparkle(const char* object) {
    SceneScreen* scene = AnySceneScreen();
    if (!scene || !object) return;
    halvo::AutoRef<SceneScreen> hold(scene);
    scene->ShowHelpByName(object);
}

void EnableSceneFX(const char* object, bool on) {
    const SceneScreen* screen = AnySceneScreen();
    Scene* scene = screen ? screen->GetScene() : nullptr;
    SceneObject* found = scene && object ? scene->FindRemaining(object) : nullptr;
    if (found) found->showEffects = on;
}

void SetSceneColor(int red, int green, int blue, int alpha) {
    const Game* game = Game::Current();
    Scene* scene = game ? game->GetCurrentScene() : nullptr;
    if (!scene) return;
    scene->overlayColor = {LowByte(red), LowByte(green), LowByte(blue), LowByte(alpha)};
}

void RemoveOverlay() { SetSceneColor(0, 0, 0, 0); }

Vrel::Var GetHudRoot() {
    const Game* game = Game::Current();
    return FrameOf(game ? game->hudScreen.Get() : nullptr);
}

Vrel::Var GetWidgetRoot() {
    const GameScreen* scene = CurrentScene();
    return scene ? FrameOf(scene) : Vrel::Var();
}

void StartMinigame(Vrel::t_Interface& call) {
    const char* name = ArgText(call, 0);
    if (call.count != 1 || !name) {
        Report(call, kStartMinigameMessage);
        return;
    }
    if (Game* game = Game::Current()) game->StartMiniGame(name, call.thread);
}

void GroessterSuperGAU(Vrel::t_Interface& call) {
    const char* image = ArgText(call, 0);
    if (!image) {
        Report(call, kShowImageMessage);
        return;
    }
    const Game* game = Game::Current();
    SceneScreen* scene = game ? CastTo<SceneScreen>(game->FindSceneScreen()) : nullptr;
    if (!scene) {
        // Nothing would ever resume a paused caller: it runs on instead.
        if (call.thread) call.thread->Yield();
        return;
    }
    if (call.thread) call.thread->SetState(Vrel::kThreadPaused);
    halvo::AutoRef<SceneScreen> hold(scene);
    scene->ShowImage(image, call.thread);
}

}  // namespace ScreenFunctions
