#pragma once
// The screen of the hidden-object searches: a list of objects to find, the
// objects' silhouettes, or the differences between two pictures (the screen
// then holds two half screens, which are search screens too and only show
// their half). It turns pointer input into drags, wheel zoom and clicks on
// the scene, counts the scene's time limit down in a countdown it places in
// the HUD, shows misclick penalties there, feeds the help timer, plays the
// autoplay cheat, and ends the scene once: complete, failed or aborted,
// with statistics, the saved scene state and a script event. The game
// creates it for every scene type without a screen of its own. It owns its
// countdown widgets and takes them out of the HUD when it goes.

#include <array>
#include <cstdint>

#include "game/screens/SceneScreen.h"
#include "platform/InputQueue.h"
#include "platform/RefObj.h"

namespace halvo {
class Font;
class GuiWidget;
}

class SearchScreen : public SceneScreen {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    // Why a scene ended, as EndScene takes it.
    enum SceneEnd : int32_t {
        kEndFailed = 0,    // the time ran out: the saved state is cleared
        kEndAborted = 1,   // left through an exit: the state is saved
        kEndComplete = 2,  // nothing left to find: the state is removed
    };

    static constexpr float kMinZoom = 1.0f;
    static constexpr float kMaxZoom = 2.5f;
    // A press that travels 20 units or more (per-axis sums) is a drag and
    // clicks nothing when released.
    static constexpr float kDragThresholdSquared = 400.0f;
    static constexpr float kWheelNotch = 120.0f;
    static constexpr float kWheelZoomStep = 1.1f;
    // Steps between two finds of the autoplay cheat.
    static constexpr int32_t kAutoplaySteps = 30;

    // Counts down to the next autoplay find, shared by every search screen.
    static int32_t autoplayCountdown;

    SearchScreen();
    // Takes the countdown out of the HUD.
    ~SearchScreen() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    // Not handled once ended or without a scene. Halves take only pointer
    // motion (their light cone) and pass everything on.
    bool OnInput(const InputEvent& event) override;
    // Markers, help time, countdown, then the end check and autoplay (those
    // two also while the game is paused).
    void OnUpdate(double totalMs, double stepMs) override;
    // Zoom limits 1 to 2.5, and the countdown for a timed scene.
    bool SetScene(Scene* scene) override;
    // Ends the scene as aborted, its state saved.
    void OnSceneExit() override { EndScene(kEndAborted); }

    // The first call records statistics and the scene's state and calls the
    // scene script's event; later calls do nothing.
    void EndScene(int32_t reason);
    // "-<n>s" below the countdown, n the seconds rounded to tens; nothing
    // without a countdown or when that rounds to 0.
    void ShowPenalty(int32_t seconds);

    bool HasEnded() const { return endState_ != kRunning; }
    double GetElapsed() const { return elapsed_; }
    // The countdown's text widget; null for an untimed scene and a half.
    halvo::GuiWidget* GetTimerText() const;

private:
    enum EndState : int32_t {
        kRunning = 0,
        kEnded = 2,
    };

    bool OnPointerMove(const InputEvent& event);
    bool OnRelease(const InputEvent& event);
    bool OnWheel(const InputEvent& event);
    void CreateCountdown(double timeLimitMs);
    // True when the time ran out and ended the scene.
    bool UpdateCountdown(Scene& scene, double stepMs);
    void SetCountdownText(int32_t seconds);
    // Every digit stays rendered in the countdown's fonts while it runs, so
    // that a digit shown for the first time, or again, costs a frame nothing.
    void HoldClockDigits();
    void ReleaseClockDigits();
    void CheckEnd(Scene& scene);
    void AutoplayStep(Scene& scene, const halvo::AutoRefVector<SceneObject>& list);
    void RecordStatistics(int32_t reason) const;

    halvo::AutoRef<halvo::GuiWidget> timerFrame_;
    halvo::WeakRef<halvo::GuiWidget> timerText_;
    // The digits held in one font of the countdown, one bit per digit.
    struct HeldDigits {
        halvo::AutoRef<halvo::Font> font;
        uint16_t digits = 0;
    };
    // The countdown's main and outline fonts.
    std::array<HeldDigits, 2> heldDigits_;
    double elapsed_ = 0;
    EndState endState_ = kRunning;
    Vec2 dragDistance_;
    int32_t shownSeconds_ = 0;
};
