#pragma once
// Base of every screen: a node of the screen tree under the game's root
// screen. Parents own their children; children know their parent weakly.
// A screen has its own place in its parent (position, rotation) and a view
// inside it (offset, rotation, scale) that zoom and scroll drive within
// limits; it may clip its drawing to its rectangle and own a scene script
// module named after it. Update, drawing and input walk the tree
// recursively, each holding what it walks, so that script run from inside a
// walk may remove any screen, the walking one included.

#include <string>
#include <vector>

#include "platform/ClassRecord.h"
#include "platform/InputQueue.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

namespace Vrel {
class Thread;
}
namespace halvo {
class GuiWidget;
}

class GameScreen : public halvo::RefObj {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    // Sized from the one game: its design size, and the part of the design
    // area that its logical screen covers (the whole of it by default).
    GameScreen();
    // Releases the scene script module it loaded, then its children.
    ~GameScreen() override;

    virtual const ClassRecord* GetClassInfo() const { return &kClassRecord; }
    virtual bool Init() { return true; }

    // Parent space to view units and back. The way back is the exact inverse
    // for every view scale: position + viewScale * (p - viewOffset).
    virtual Vec2 ScreenToLocal(Vec2 p) const;
    virtual Vec2 DivideByViewScale(Vec2 v) const;
    virtual Vec2 LocalToScreen(Vec2 p) const;
    // The view-unit rectangle the screen shows.
    virtual void GetVisibleRect(Vec2& min, Vec2& max) const;
    virtual Vec2 GetViewCenter() const;

    // Null when there is no parent or it is gone.
    virtual GameScreen* GetParent() const { return parent_.Get(); }
    // Moves child to the end of this screen's children (drawn on top).
    virtual void AddChild(GameScreen* child);
    // Leaves the parent's children; the parent's reference goes with it.
    virtual void RemoveFromParent();

    // Zoom is clamped to [min, max]: raised to the lower limit first, so
    // limits of 2 and 1 give 1. A zoom that is not a positive finite number
    // is refused and the view stays as it is.
    virtual void SetZoomLimits(float minZoom, float maxZoom);
    // Zooms keeping view point p at its place in the visible rectangle, as
    // far as the scroll bounds allow.
    virtual void ZoomAt(float zoom, Vec2 p);
    virtual void SetZoom(float zoom);
    virtual void ZoomByAt(float factor, Vec2 p);
    virtual void ZoomBy(float factor);
    // A view larger than the bounds stays at the lower bound.
    virtual void SetScrollBounds(Vec2 min, Vec2 max);
    virtual void SetScrollBoundsInt(Point2i min, Point2i max);
    virtual void SetScroll(Vec2 p);
    virtual void ScrollBy(Vec2 delta);

    // The player asked for a hint.
    virtual void OnHelp() {}
    // The player left the scene this screen shows through one of its exits:
    // the scene model tells its screen here, knowing it only as a GameScreen.
    virtual void OnSceneExit() {}
    // The scene is about to be left for good (for another scene, the menu or
    // the end of the program), before its script threads stop: a screen
    // holding a result that a waiting script has still to take hands it
    // over now. Here it passes to every child; an override passes it on.
    virtual void BeforeSceneLeft();

    virtual void SetPosition(Vec2 position);
    virtual Vec2 GetPosition() const { return position_; }
    virtual void SetRotationDeg(float degrees);
    // About the screen normal; negative angles turn the other way.
    virtual void SetRotation(float radians);
    virtual void SetRotationQuat(const Quaternion& rotation);
    virtual Quaternion GetRotation() const { return rotation_; }
    // A matrix set directly is used as given, identity or not.
    virtual void SetLocalMatrix(const Matrix4& matrix);
    virtual void UpdateLocalMatrix();
    // The parent matrix with this screen's place applied first.
    virtual Matrix4 GetWorldMatrix(const Matrix4& parent);
    // Nothing is re-clamped.
    virtual void SetSize(Point2i size) { size_ = size; }
    virtual Point2i GetSize() const { return size_; }
    virtual void SetViewOffset(Vec2 offset);
    virtual Vec2 GetViewOffset() const { return viewOffset_; }
    virtual void SetViewRotationDeg(float degrees);
    virtual void SetViewRotation(float radians);
    virtual void SetViewRotationQuat(const Quaternion& rotation);
    virtual Quaternion GetViewRotation() const { return viewRotation_; }
    virtual void SetViewScale(float scale);
    virtual void SetViewScaleXY(Vec2 scale);
    virtual Vec2 GetViewScale() const { return viewScale_; }
    virtual void SetViewMatrix(const Matrix4& matrix);
    virtual void UpdateViewMatrix();
    // The world matrix with the view applied first.
    virtual Matrix4 GetViewMatrix(const Matrix4& world);
    virtual Matrix4 GetRenderMatrix(const Matrix4& parent);
    virtual void SetClipping(bool clipping) { clipping_ = clipping; }
    // Loads m and clips to the screen's rectangle in its parent's space.
    virtual void ApplyClipPlanes(const Matrix4& m);

    // Converts the event into view units and offers it to the children from
    // the topmost down, then to the GUI frame, then to OnInput; true once
    // one of them handled it. A press on a widget of the frame, and its
    // release, count as handled whichever button it was.
    virtual bool DispatchInput(const InputEvent& event);
    // The widget that a press of `event` would capture, the frames asked in
    // the order DispatchInput offers it to them; null where it would go past
    // every frame to a screen.
    halvo::GuiWidget* PickPressTarget(const InputEvent& event);
    virtual bool OnInput(const InputEvent&) { return false; }
    virtual void Update(double totalMs, double stepMs);
    virtual void OnUpdate(double, double) {}
    // Draws this screen, then its children over it, then its GUI frame.
    virtual void Render(const Matrix4& parentMatrix);
    virtual void OnRender(const Matrix4&) {}

    // Compiles "scripts/scenes/<name>.cis" as module `name`, which this
    // screen then owns; nothing when that module is loaded already, and a
    // missing file leaves the screen without a module, silently.
    void LoadSceneScript(const char* name);
    // The function of this screen's module on a new script thread (see
    // Game::CallScript); empty without a module.
    halvo::WeakRef<Vrel::Thread> CallSceneScript(const char* function);
    // Releases the module now and forgets its name, for a screen that leaves
    // the game while something may still hold it: the next screen of the
    // same scene then loads and owns the module afresh. Running code keeps
    // its own reference until it returns.
    void ReleaseSceneScript();

    // Detaches the children one by one from the first to the last.
    void RemoveAllChildren();
    const std::vector<halvo::AutoRef<GameScreen>>& Children() const { return children_; }
    const std::string& GetName() const { return name_; }
    // The screen's GUI frame, observed: the widget belongs to the GUI
    // manager's root widget, and a screen that makes one detaches it itself.
    void SetGuiFrame(halvo::GuiWidget* frame);
    halvo::GuiWidget* GetGuiFrame() const;
    float GetZoom() const { return zoom_; }
    Vec2 GetScroll() const { return scroll_; }
    Vec2 GetScreenRectMin() const { return screenRectMin_; }
    Vec2 GetScreenRectMax() const { return screenRectMax_; }
    bool IsClipping() const { return clipping_; }
    Vec2 GetScrollMin() const { return scrollMin_; }
    Vec2 GetScrollMax() const { return scrollMax_; }

    // The zoom limits and scroll bounds together, for a view that lifts them
    // for a moment; restoring re-clamps nothing.
    struct ViewLimits {
        float minZoom = 1.0f, maxZoom = 1.0f;
        Vec2 scrollMin, scrollMax;
    };
    ViewLimits GetViewLimits() const { return {minZoom_, maxZoom_, scrollMin_, scrollMax_}; }
    void RestoreViewLimits(const ViewLimits& limits);
    // Takes over another screen's view scale, offset and scroll (and zoom,
    // when asked) as they stand, without clamping: two views kept in step.
    void MatchViewOf(const GameScreen& other, bool withZoom);

private:
    // The event with its place and motion in this screen's view units.
    InputEvent ToViewUnits(const InputEvent& event) const;
    bool HasChild(const GameScreen* child) const;

    float minZoom_ = 1.0f;
    float maxZoom_ = 1.0f;
    float zoom_ = 1.0f;
    Vec2 scrollMin_;
    Vec2 scrollMax_;
    Vec2 scroll_;
    Vec2 screenRectMin_;
    Vec2 screenRectMax_;
    Vec2 position_;
    Quaternion rotation_;
    Point2i size_;
    Matrix4 localMatrix_;
    bool localDirty_ = false;
    bool localIsIdentity_ = true;
    Vec2 viewOffset_;
    Quaternion viewRotation_;
    Vec2 viewScale_{1.0f, 1.0f};
    Matrix4 viewMatrix_;
    bool viewDirty_ = false;
    bool viewIsIdentity_ = true;
    bool clipping_ = false;
    std::string name_;
    halvo::WeakRef<GameScreen> parent_;
    std::vector<halvo::AutoRef<GameScreen>> children_;
    halvo::WeakRef<halvo::GuiWidget> guiFrame_;
};
