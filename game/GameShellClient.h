#pragma once
// The game as the application shell sees it: owns the one Game from start-up
// to shutdown and forwards the shell's calls to it.

#include "game/Game.h"
#include "platform/AppClient.h"

class GameShellClient : public AppClient {
public:
    ~GameShellClient() override { ReleaseGame(); }

    void CreateGame() override;
    void SetUserFolder(const std::string& folder) override { game_->userFolder = folder; }
    void StartFadeIn() override;
    void SetDeveloperMode(bool developer) override { game_->fitWindowAspect = developer ? 1 : 0; }
    void SetSizes(int32_t windowWidth, int32_t windowHeight, int32_t designWidth,
                  int32_t designHeight) override;
    // The game, then its splash screen.
    void Init() override;
    void ReleaseGame() override;

    bool IsQuitRequested() const override { return game_->quitRequested; }
    bool TakeResetRequest() override;
    double& FrameAccumulator() override { return game_->frameAccumulator; }
    double& TotalTime() override { return game_->totalTime; }
    void ProcessInput() override { game_->ProcessInput(); }
    void Update(double stepMs) override { game_->Update(stepMs); }
    // Each draws a frame of the GUI's frame clock, which a press is judged by.
    void Render() override;
    void Presented(uint32_t ms) override;

    Game* GetGame() const { return game_.Get(); }

private:
    halvo::AutoRef<Game> game_;
};
