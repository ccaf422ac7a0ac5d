#pragma once
// The screen of an adventure scene: a cutscene screen (speakers and chat
// bubbles work here too) whose objects are hotspots the player clicks, each
// switched on or off by a state saved in the player's data that outlives
// the visit. The view can be dragged and zoomed; the help button asks the
// scene script for a hint; scripts can switch the screen into a cutscene
// mode that hides the HUD and swallows clicks. Game::LoadScene makes one
// for an adventure scene. It owns nothing beyond the cutscene screen's.

#include <string>

#include "game/screens/CutsceneScreen.h"
#include "platform/InputQueue.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

class Game;

class SceneObject;

class AdventureScreen : public CutsceneScreen {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    static constexpr float kMinZoom = 1.0f;
    static constexpr float kMaxZoom = 2.5f;
    // A press travelling 10 units or more (per-axis sums, compared squared)
    // is a drag and clicks nothing.
    static constexpr float kDragThresholdSquared = 100.0f;
    static constexpr float kWheelNotch = 120.0f;
    static constexpr float kWheelZoomStep = 1.1f;
    // The HUD fades out and in over this long around the cutscene mode.
    static constexpr float kHudFadeMs = 250.0f;
    static constexpr const char* kStateRoot = "[PLAYER]/scenes/";

    AdventureScreen() = default;
    ~AdventureScreen() override = default;

    // The adventure screen under the game's root; null without one.
    static AdventureScreen* Shown(const Game& game);

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    // Drags, clicks on hotspots and wheel zoom; a release that dismisses a
    // chat bubble does nothing else.
    bool OnInput(const InputEvent& event) override;
    // The cutscene's step, then help time at every step (paused or not).
    void OnUpdate(double totalMs, double stepMs) override;
    // Counts the request and leaves the hint to the scene script's "OnHelp".
    void OnHelp() override;
    // Zoom 1 to 2.5, then the saved hotspot states: a hotspot without one
    // is stored as on, one stored as 0 is hidden and cannot be clicked.
    bool SetScene(Scene* scene) override;

    // ---- the script words ----
    // Brings the live scene in line with a hotspot's new state; the caller
    // stores the state afterwards. Nothing when the stored state already
    // says so or no object has the label. A hotspot switched on returns
    // between its neighbours in the scene file's order, never twice.
    void ApplyHotspotState(const std::string& label, bool on);
    // The label of the hotspot at a point of the screen (the view's scroll
    // added, its zoom not), from the topmost; empty when there is none.
    std::string PickHotspot(float x, float y) const;
    // The same hotspot's object, null when there is none; the scene owns it.
    const SceneObject* HotspotAt(float x, float y) const;
    void EnterCutscene();
    void LeaveCutscene();

    // ---- what tests read back ----
    bool IsInCutsceneMode() const { return cutsceneMode_; }
    Vec2 GetDragDistance() const { return dragDistance_; }
    // "[PLAYER]/scenes/<scene name>/", however long the name.
    const std::string& GetStatePrefix() const { return statePrefix_; }

private:
    bool OnPress(const InputEvent& event);
    bool OnRelease(const InputEvent& event);
    bool OnPointerMove(const InputEvent& event);
    bool OnWheel(const InputEvent& event);
    void ApplySavedStates(Scene& scene);
    bool IsDrag() const { return dragDistance_.x * dragDistance_.x + dragDistance_.y * dragDistance_.y >=
                                 kDragThresholdSquared; }
    // The HUD frame shown or hidden, fading towards `alpha`.
    static void FadeHud(bool show, float alpha);

    Vec2 dragDistance_;
    std::string statePrefix_;
    bool cutsceneMode_ = false;
};
