#pragma once
// Base of every screen: a node of the screen tree under the game's root
// screen. Parents own their children; children know their parent weakly.
// Update, drawing and input walk the tree recursively.

#include <vector>

#include "platform/ClassRecord.h"
#include "platform/InputQueue.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

class GameScreen : public halvo::RefObj {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    GameScreen() = default;
    ~GameScreen() override;

    virtual const ClassRecord* GetClassInfo() const { return &kClassRecord; }
    virtual bool Init() { return true; }

    // Null when there is no parent or it is gone.
    GameScreen* GetParent() const { return parent_.Get(); }
    // Moves child to the end of this screen's children (drawn on top).
    void AddChild(GameScreen* child);
    // Leaves the parent's children; the parent's reference goes with it.
    void RemoveFromParent();
    // Detaches the children one by one from the first to the last.
    void RemoveAllChildren();
    const std::vector<halvo::AutoRef<GameScreen>>& Children() const { return children_; }

    // Offers an event to the children from the topmost down, then to this
    // screen's own handler; true once one of them handled it.
    virtual bool DispatchInput(const InputEvent& event);
    virtual bool OnInput(const InputEvent&) { return false; }

    virtual void Update(double totalMs, double stepMs);
    virtual void OnUpdate(double, double) {}

    // Draws this screen, then its children over it.
    virtual void Render(const Matrix4& parentMatrix);
    virtual void OnRender(const Matrix4&) {}

private:
    bool HasChild(const GameScreen* child) const;

    halvo::WeakRef<GameScreen> parent_;
    std::vector<halvo::AutoRef<GameScreen>> children_;
};
