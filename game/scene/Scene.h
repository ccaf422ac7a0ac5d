#pragma once
// The model behind every scene screen: kind, time limit, background, light
// cone, objects with their click polygons, texture strips, silhouettes, the
// spark image sets and the live effects. Read from its XML description (or
// the two halves of a spot-the-difference scene), restored from the
// player's saved state, then stepped and drawn by the screen that shows it.
// The screen owns the scene; the scene only observes its screen.

#include <cstdint>
#include <string>
#include <vector>

#include "game/screens/GameScreen.h"
#include "game/scene/SceneAnimation.h"
#include "game/effects/SceneFX.h"
#include "game/scene/SceneFile.h"
#include "game/scene/SceneObject.h"
#include "game/scene/SceneViewMask.h"
#include "game/effects/ScnMarkerFX.h"
#include "platform/Color.h"
#include "platform/GLImage.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

namespace Vrel {
class Thread;
}

class Scene : public halvo::RefObj {
public:
    // Numbered spark sets hold at most this many pictures ("...01" to "...03").
    static constexpr int kMaxSparkImages = 3;

    Scene() = default;
    ~Scene() override;

    // ---- loading (the scene's folder and name) ----
    // False when no description exists or it is refused; the caller drops
    // the partly filled scene.
    bool Load(const char* folder, const char* name);
    bool LoadDifferences(const char* folder, const char* name);
    // One description into this scene (also into a half).
    bool Parse(const SceneDescription& description, const char* folder);
    // Chooses the groups to find; fills searchList and remaining.
    void ChooseObjects();
    // A difference scene's objects from its two halves.
    void MergeDifferences(const char* folder);

    // ---- queries ----
    SceneObject* FindObject(const std::string& label) const;
    SceneObject* FindRemaining(const std::string& label) const;
    // Objects still to find that are not exits; 0 means the search is done.
    int32_t CountRemaining() const;
    bool IsHalf() const { return type == kSceneDifferenceLeft || type == kSceneDifferenceRight; }
    // The name cut before a '_' that is its third-last character
    // ("kitchen_02" gives "kitchen").
    static std::string BaseSceneName(const std::string& name);

    // ---- clicks and finds (scene coordinates) ----
    // Misses within this time of the previous one form a sequence.
    static constexpr double kMissWindowMs = 3000;
    // A miss farther than the near radius from the previous one weighs 1,
    // beyond the far radius 3; at kLockWeight clicks lock and time is lost.
    static constexpr float kNearMissSquared = 70.0f * 70.0f;
    static constexpr float kFarMissSquared = 240.0f * 240.0f;
    static constexpr int32_t kLockWeight = 6;
    static constexpr double kLockMs = 5000;
    static constexpr double kPenaltyMs = 10000;

    // A click into a search scene: a find, an exit armed or left, or a miss
    // that may lock clicks. Ignored while locked.
    void OnClick(Vec2 point);
    // Marks the remaining object with exactly this label found: dissolve,
    // sparks, the scene's events and the item list; a difference search
    // counts it once into "[STATS]/diff_found" (its pictures do not).
    // Unknown labels do nothing; 0 seconds finds without fading.
    void OnObjectFound(const std::string& label, float dissolveSeconds);
    // A click in an adventure scene: arms an exit, or hands the object to
    // "inventory"."OnHotspot" unless that script is still running.
    void OnHotspot(Vec2 point);

    // ---- saved state ("[PLAYER]/SceneState/<name>/") ----
    void SaveState();
    // False when nothing was saved (the caller then chooses afresh).
    bool LoadState();
    void ClearState();

    // ---- effects, update and drawing ----
    SceneFX* FindEffect(const SceneObject* target, const ClassRecord* kind) const;
    bool RemoveEffect(const SceneObject* target, const ClassRecord* kind);
    void UpdateMarkers(double totalMs, double stepMs);
    void Draw(const Matrix4& matrix);

    halvo::WeakRef<GameScreen> owner;
    halvo::WeakRef<Vrel::Thread> hotspotThread;
    std::string name;
    int32_t type = kSceneNone;
    double timeLimit = 0;
    SceneImageSet dissolveImages, hintImages, markerImages, exitImages;
    halvo::AutoRefVector<SceneFX> effects;
    Color overlayColor{0, 0, 0, 0};
    std::string backgroundFile;
    halvo::AutoRef<GLImage> background;
    Point2i closeUpOffset;
    int32_t objectCount = 0;
    halvo::AutoRefVector<SceneObject> allObjects;
    halvo::AutoRefVector<SceneObject> searchList;
    halvo::AutoRefVector<SceneObject> remaining;
    halvo::AutoRefVector<SceneAnimation> animations;
    halvo::AutoRef<SceneViewMask> viewMask;
    halvo::WeakRef<Scene> parent;
    halvo::AutoRef<Scene> leftHalf, rightHalf;
    Vec2 mousePos;
    Vec2 lastMissPos;
    double lastMissTime = 0;
    int32_t missCounter = 0;
    double lockTime = 0;
    double penaltyTime = 0;

private:
    // The picture at `path` placed by its top-left corner; null when it
    // cannot be read, told once per file of this load with `outcome`, what
    // becomes of the scene without it.
    halvo::AutoRef<GLImage> LoadPicture(const std::string& path, Vec2 position, const char* outcome);
    void TellUnreadable(const std::string& path, const char* outcome);
    // backgroundFile from the folder; an empty picture when there is none.
    halvo::AutoRef<GLImage> LoadBackground(const char* folder);
    void LoadSparkImages();
    void LoadObjects(const SceneDescription& description, const char* folder);
    void LoadStrips(const SceneDescription& description, const char* folder);
    void LoadShapes(const SceneDescription& description, const char* folder);
    void LoadSceneImages(const SceneDescription& description, const char* folder);
    bool LoadHalf(halvo::AutoRef<Scene>& half, int32_t halfType, const SceneDescription& description,
                  const char* folder);
    void FillItemList();
    std::string StatePath() const;
    // The walk of one click over a list, last to first; null when nothing
    // unfaded there contains the point.
    SceneObject* HitObject(const halvo::AutoRefVector<SceneObject>& list, Vec2 point, bool exitsToo) const;
    // A hit in a search: true when the click was used (found, armed, left).
    void HandleHit(SceneObject& object, const halvo::AutoRefVector<SceneObject>& disarm);
    void HandleDifferenceClick(Vec2 point);
    void HandleMiss(Vec2 point);
    void MakeFoundSparks(SceneObject& object);
    void UpdateItemList(SceneObject& object, const std::string& label, float dissolveSeconds);

    void UpdateEffectsAndFades(double totalMs, double stepMs);
    void UpdateMarker(SceneObject& object);
    void UpdateExit(SceneObject& object);
    // A marker spark drifting from the centre to a random point of the ellipse.
    void AddMarker(SceneObject& object, float lifeRange);
    // A finished marker that nothing else holds any more, or a new one: the
    // exit marker comes back every 1.5 s, and a steady frame should not
    // allocate for it.
    halvo::AutoRef<ScnMarkerFX> ReuseOrNewMarker();
    void KeepSpareMarker(SceneFX& finished);
    void RemoveEffectEverywhere(const SceneObject* target, const ClassRecord* kind);
    void DrawOverlay(const Matrix4& matrix);
    void DrawHotspots(const Matrix4& matrix);

    // Finished markers kept for reuse, at most kMaxSpareMarkers.
    halvo::AutoRefVector<ScnMarkerFX> spareMarkers;
    // The files this load named and could not read, each told once.
    std::vector<std::string> unreadableFiles;
};

// The time limit in ms that a description gives for a "[SETTINGS]/difficulty"
// value (0 low, 1 med, anything else high); 0 when untimed.
double DescriptionTimeLimitMs(const SceneDescription& description, int32_t difficulty);
