#pragma once
// The one game object: owns the screen tree's root and the HUD, fits the
// design area into the window (projection, letterbox bars), runs the screen
// fade and the fixed game step, and hands queued input to the screens.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "game/GameScreen.h"
#include "game/TrackList.h"
#include "platform/InputQueue.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

class MenuScreen;
namespace Vrel {
class Thread;
}

// Input work done beside the screens: the GUI's hover highlight and the click
// and distance statistics. The game fills both; tests may replace them, and
// empty hooks are skipped.
struct GameInputHooks {
    std::function<void()> clearHover;
    std::function<void(const InputEvent&)> countStatistics;
};

// What the mini-games made of a start request (see Game::StartMiniGame).
enum class MiniGameStart {
    kUnknownName,  // no game of that name; the host has gone again
    kRefused,      // the game refused its configuration; the host has gone again
    kStarted,      // the host and its game run over the cutscene
};
// Appends a begun mini-game host to the cutscene, creates the game by name
// and lets it read its configuration. The mini-games register it: the game
// cannot see them.
using MiniGameStarter = MiniGameStart (*)(GameScreen& cutscene, const char* name, Vrel::Thread* caller);

class Game : public halvo::RefObj {
public:
    static constexpr float kLetterboxMargin = 10.0f;
    static constexpr float kProjectionNear = -10.0f;
    static constexpr float kProjectionFar = 10.0f;
    // The play lists are polled this often, in game time: asking the sound
    // thread waits for its answer, so not every step.
    static constexpr double kTrackPollMs = 250.0;
    // Help time runs this much faster while the quick-help cheat is on.
    static constexpr float kQuickHelpFactor = 30.0f;
    // Share of the step that counts towards help during a mini-game: half a
    // scene's 1/60000.
    static constexpr float kMiniGameHelpFactor = 1.0f / 120000.0f;
    // The one screen class a mini-game may start over, exactly (a kind of it
    // does not qualify).
    static constexpr const char* kCutsceneClass = "CutsceneScreen";

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
    // Hands the help script its share of the step: "help"."IncHelpTime" with
    // (step x help factor, step).
    void IncHelpTime(float stepMs);
    void Render();
    void RenderLetterbox();

    // Runs a module's function on a new script thread. The answer lives on
    // only while the thread waits (the scheduler holds it); empty when the
    // function ran to its end or there is no such module or function.
    static halvo::WeakRef<Vrel::Thread> CallScript(const char* function, const char* module);
    // Compiles and runs "scripts/<name>.cis" as module `name`; true at once
    // when that module is loaded, false when the file is missing or does
    // not compile. Only source runs here: compiled modules cannot.
    static bool RunInclude(const char* name);
    // The HUD's GUI frame; null without a HUD or a frame.
    halvo::GuiWidget* GetHudGui() const;
    // The HUD leaves the tree and a new menu screen, built by the module
    // "splash" or "mainmenu", joins the root and becomes the current scene.
    // The screen before it stays: callers take it out first.
    bool OpenSplash();
    bool OpenMainMenu();

    // The first child of the root that is a kind of search or cutscene
    // screen; null when none.
    GameScreen* FindSceneScreen() const;
    // Starts the named mini-game over the current cutscene, the caller
    // paused until the game's host goes. False without any effect outside a
    // cutscene. False too for an unknown name or a refused configuration:
    // the host goes at once, the caller resumes at the next scheduler pass
    // and reads "skipped" as the result.
    bool StartMiniGame(const char* name, Vrel::Thread* caller);
    // Called once by the program (and by tests) before any start.
    static void SetMiniGameStarter(MiniGameStarter starter);

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
    TrackHooks trackHooks = TrackHooks::ForSound();

private:
    bool OpenMenu(bool (MenuScreen::*build)());
    void ClearLetterbox() { letterboxBuilt = false; }
    void PollTracks(double stepMs);

    std::array<float, 24> letterboxVertices{};
    std::array<uint8_t, 12> letterboxIndices{};
    bool letterboxBuilt = false;
    double trackPollMs_ = 0;
};
