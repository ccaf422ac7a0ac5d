#pragma once
// The one game object: owns the screen tree's root and the HUD, fits the
// design area into the window (projection, letterbox bars), runs the screen
// fade and the fixed game step, and hands queued input to the screens.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "game/GameScreen.h"
#include "platform/InputQueue.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

// Input work that belongs to subsystems joining later: the GUI's hover
// highlight and the click and distance statistics. Empty hooks are skipped.
struct GameInputHooks {
    std::function<void()> clearHover;
    std::function<void(const InputEvent&)> countStatistics;
};

class Game : public halvo::RefObj {
public:
    static constexpr float kLetterboxMargin = 10.0f;
    static constexpr float kProjectionNear = -10.0f;
    static constexpr float kProjectionFar = 10.0f;

    Game();
    ~Game() override;

    // The one game while it lives, else null: how natives, screens and
    // mini-games reach it without each being handed it.
    static Game* Current();

    void Init();
    void Shutdown();

    void SetWindowSize(const Point2i& size);
    void SetDesignSize(const Point2i& size);
    void UpdateProjection();

    void SetFade(float level);
    void SetFadeSpeed(float seconds);
    bool IsFading() const { return fadeSpeed != 0; }

    void ProcessInput();
    void Update(double stepMs);
    void AddPlayTime(double ms);
    void Render();
    void RenderLetterbox();

    // Window pixels to design units, for position and motion alike.
    InputEvent WindowToDesign(const InputEvent& event) const;
    // The bars' geometry (8 vertices of x, y, z; 12 indices), built on demand.
    bool NeedsLetterbox() const;
    void BuildLetterbox();
    const std::array<float, 24>& LetterboxVertices() const { return letterboxVertices; }

    Point2i windowSize{1, 1};
    float windowAspect = 1.0f;
    Point2i designSize{1, 1};
    float designAspect = 1.0f;
    Point2i viewExtent{1, 1};
    Point2i screenSize{1, 1};
    bool quitRequested = false;
    Matrix4 baseModelView;
    Matrix4 frameModelView;
    int32_t fitWindowAspect = 0;
    float fadeLevel = 0.0f;
    float fadeSpeed = 0.0f;
    halvo::AutoRef<GameScreen> rootScreen;
    halvo::AutoRef<GameScreen> hudScreen;
    double totalTime = 0;
    float defaultFadeTime = 1.0f;
    float foundDissolveTime = 2.0f;
    double frameAccumulator = 0;
    bool resetAccumulator = true;
    std::string userFolder;
    int32_t character = 0;
    bool cheatAutoPlay = false;
    bool cheatShowHotspots = false;
    bool cheatQuickHelp = false;
    double playTimeMs = 0;
    float helpFactor = 0.0f;
    bool gameStarted = false;
    bool paused = false;
    bool hudInputEnabled = true;
    int32_t playSeconds = 0;
    halvo::WeakRef<GameScreen> currentScene;

    GameInputHooks inputHooks;

private:
    void ClearLetterbox() { letterboxBuilt = false; }

    std::array<float, 24> letterboxVertices{};
    std::array<uint8_t, 12> letterboxIndices{};
    bool letterboxBuilt = false;

};
