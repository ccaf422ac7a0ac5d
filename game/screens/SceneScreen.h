#pragma once
// The screen that shows one scene: the scene's picture with animated zoom
// and scroll (a double cosine ease), kinetic scrolling after a drag, the
// light cone that follows the pointer, hints that fly sparkles to an object
// while the view zooms out and scrolls to it, and a picture shown over the
// scene while a script waits. For a spot-the-difference scene it makes the
// two half screens as its children and keeps their views in step; it never
// zooms or scrolls itself then. The search, cutscene and adventure screens
// derive from it; the game hands it the scene once. It owns the scene, the
// picture and the waiting script thread.

#include <cstdint>
#include <string>

#include "game/screens/GameScreen.h"
#include "game/scene/Scene.h"
#include "platform/GLImage.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

namespace Vrel {
class Thread;
}

class SceneScreen : public GameScreen {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    // Progress per step: a zoom tween takes about 88 steps (1.5 s), a scroll
    // tween 176 (3 s), the scroll of a hint 118 (2 s).
    static constexpr float kZoomTweenSpeed = 0.011333334f;
    static constexpr float kScrollTweenSpeed = 0.005666667f;
    static constexpr float kHintScrollSpeed = 0.0085f;
    // A picture flashes in for this many steps, then stays; its script
    // goes on after kImageSteps.
    static constexpr int32_t kImageFlashSteps = 300;
    static constexpr int32_t kImageSteps = 420;

    // Sized to the logical screen, placed where the root puts it.
    SceneScreen();
    // Releases the picture and a still waiting thread without resuming it.
    ~SceneScreen() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    // A difference scene's parent forwards limits and bounds to its halves
    // and keeps its own view at scale 1 and offset 0.
    void SetZoomLimits(float minZoom, float maxZoom) override;
    // A difference parent zooms the half under the point (the left one on
    // the shared edge); a half copies its view to the other half.
    void ZoomByAt(float factor, Vec2 p) override;
    void ZoomBy(float factor) override;
    void SetScrollBounds(Vec2 min, Vec2 max) override;
    void ScrollBy(Vec2 delta) override;
    // Counts the request in the statistics; hints a random object still to
    // find (none when only exits remain).
    void OnHelp() override;
    // Tweens, kinetic scroll and the picture's timing, once per step.
    void OnUpdate(double totalMs, double stepMs) override;
    void OnRender(const Matrix4& matrix) override;

    // Takes the scene (the screen becomes its owner), makes the halves of a
    // difference scene, sets the scroll and light-cone bounds and loads the
    // scene's script module. Always true.
    virtual bool SetScene(Scene* scene);
    // Only replaces the scene reference (a half: no module, no timer).
    bool SetSceneRef(Scene* scene);
    void StartZoomTween(float from, float to);
    // While the bump is not 0 the limits are lifted for the moment.
    void ApplyZoom(float zoom);
    void UpdateZoomTween(double totalMs, double stepMs);
    void StartScrollTween(Vec2 from, Vec2 to);
    void ApplyScroll(Vec2 position);
    void UpdateScrollTween(double totalMs, double stepMs);
    // Both need a light cone: the point is clamped into the cone's bounds
    // and the view scrolls by where the pointer is in the window.
    void SetViewMaskPos(Vec2 point);
    void MoveViewMaskBy(Vec2 delta);
    // Hint on remaining object `index`: nothing for an index out of range.
    void ShowHelp(size_t index);
    // Hint on the first remaining object with exactly this label.
    void ShowHelpByName(const std::string& label);
    // Shows "<name>.cbi" over the scene and resumes the thread (state and
    // value set as a yield does) after kImageSteps; at once, with nothing
    // shown, when the picture does not load. A thread already waiting for
    // an earlier picture is resumed first.
    void ShowImage(const char* name, Vrel::Thread* thread);

    Scene* GetScene() const { return scene_.Get(); }
    bool IsZoomTweening() const { return zoomProgress_ < 1; }
    bool IsTweening() const { return zoomProgress_ < 1 || scrollProgress_ < 1; }
    float GetZoomBump() const { return zoomBump_; }
    bool HasImage() const { return image_.Get() != nullptr; }
    int32_t GetImageCounter() const { return imageCounter_; }
    Vec2 GetScrollVelocity() const { return scrollVelocity_; }
    // For a difference parent, the screen of a half; else null.
    SceneScreen* HalfScreen(bool left) const;

protected:
    bool IsDifferenceParent() const { return scene_ && scene_->type == kSceneDifference; }
    bool IsHalfScreen() const { return scene_ && scene_->IsHalf(); }

    // Written by the input handlers of the screens that drag.
    bool dragging_ = false;
    Vec2 scrollVelocity_;

private:
    // The other half of this half's difference scene; null elsewhere.
    SceneScreen* Sibling() const;
    void CopyViewToSibling(bool withZoom);
    void MakeHalfScreen(Scene* half, bool left);
    void UpdateKineticScroll();
    void UpdateImageTiming();
    void ResumeImageThread();
    // The pointer's place in the window's picture, 0..1 per axis.
    Vec2 PointerFraction() const;
    void ScrollToMask(Vec2 fraction);
    void AddHintSparks(SceneObject& object, Vec2 start, Scene* half);
    void RenderImage(const Matrix4& matrix);

    halvo::AutoRef<Scene> scene_;
    halvo::AutoRef<Vrel::Thread> imageThread_;
    halvo::AutoRef<GLImage> image_;
    float zoomFrom_ = 1.0f;
    float zoomTo_ = 1.0f;
    float zoomProgress_ = 1.0f;
    float zoomSpeed_ = 0.0f;
    float zoomBump_ = 1.0f;
    Vec2 scrollFrom_;
    Vec2 scrollTo_;
    float scrollProgress_ = 1.0f;
    float scrollSpeed_ = 0.0f;
    int32_t imageSteps_ = kImageSteps;
    int32_t imageCounter_ = 0;
    float flashPhase_ = 0.0f;
};
