#include "game/GameShellClient.h"

#include "gui/GuiMain.h"

void GameShellClient::CreateGame() { game_ = new Game(); }

void GameShellClient::Init() {
    game_->Init();
    game_->OpenSplash();
}

void GameShellClient::StartFadeIn() {
    game_->SetFade(1.0f);
    game_->SetFadeSpeed(-game_->defaultFadeTime);
}

void GameShellClient::SetSizes(int32_t windowWidth, int32_t windowHeight, int32_t designWidth,
                               int32_t designHeight) {
    game_->SetWindowSize({windowWidth, windowHeight});
    game_->SetDesignSize({designWidth, designHeight});
}

void GameShellClient::ReleaseGame() {
    if (!game_) return;
    game_->Shutdown();
    game_.Reset();
}

bool GameShellClient::TakeResetRequest() {
    const bool reset = game_->resetAccumulator;
    game_->resetAccumulator = false;
    return reset;
}

void GameShellClient::Render() {
    halvo::GuiMain::Global().Frames().StartFrame();
    game_->Render();
    if (game_->rootScreen) game_->rootScreen->Render(game_->frameModelView);
    game_->RenderLetterbox();
}

void GameShellClient::Presented(uint32_t ms) { halvo::GuiMain::Global().Frames().Presented(ms); }
