#pragma once
// The travel map: a map scene's picture and places, which the player drags
// around (the map glides on after a drag and slows down) and clicks to
// choose where to go. The inventory script's "OnHotspot" hears the clicked
// place's label and decides where that leads. Game::LoadScene makes one for
// a map scene; the screen owns its scene, and the scene only observes it.

#include <string>

#include "game/screens/GameScreen.h"
#include "platform/ClassRecord.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

class Scene;

class MapScreen : public GameScreen {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    // A press becomes a drag once the pointer's travel, summed per axis,
    // reaches 10 units (compared squared); anything shorter is a click.
    static constexpr float kDragThresholdSquared = 100.0f;
    // The glide keeps this much of its step per 17 ms game step...
    static constexpr float kGlideDecay = 0.9f;
    // ...and stops once the step is shorter than this (squared).
    static constexpr float kGlideStopSquared = 0.1f;

    // Covers the logical screen: its size, placed at its corner.
    MapScreen();
    ~MapScreen() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    bool OnInput(const InputEvent& event) override;
    void OnUpdate(double totalMs, double stepMs) override;
    // Nothing without a scene.
    void OnRender(const Matrix4& matrix) override;

    // Shows the scene and loads its script module; the view cannot zoom and
    // scrolls over the design area. False, keeping nothing, for no scene.
    virtual bool SetScene(Scene* scene);

    // What tests read back.
    Scene* GetScene() const { return scene_.Get(); }
    bool IsDragging() const { return dragging_; }
    Vec2 GetMomentum() const { return momentum_; }
    Vec2 GetDragDistance() const { return dragDistance_; }
    // "[PLAYER]/scenes/<scene name>/", however long the name.
    const std::string& GetSceneKeyPrefix() const { return sceneKeyPrefix_; }

private:
    bool IsDrag() const { return LengthSquared(dragDistance_) >= kDragThresholdSquared; }
    static float LengthSquared(Vec2 v) { return v.x * v.x + v.y * v.y; }
    void OnPointerMotion(const InputEvent& event);
    // The first place still on the map (in its list order) under the point
    // hands its label to the inventory script; elsewhere nothing happens.
    void OnHotspot(Vec2 point);

    halvo::AutoRef<Scene> scene_;
    bool dragging_ = false;
    Vec2 momentum_;
    Vec2 dragDistance_;
    std::string sceneKeyPrefix_;
};
