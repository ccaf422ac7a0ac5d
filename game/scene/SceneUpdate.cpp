// Scene: the per-step update of dissolves, effects, the click lock, the
// texture strips, and the marker sparkles and exit arrows on the objects.

#include "game/scene/Scene.h"
#include "game/effects/SceneSparks.h"
#include "game/effects/ScnExitFX.h"
#include "game/effects/ScnMarkerFX.h"
#include "platform/os/Random.h"

namespace {

constexpr const char* kAttentionLabel = "HOG";
// Marker sparks are thinned by chance: a step adds one when the random
// number's low bits are all 0 (1 in 4 for "HOG", 1 in 128 in adventures).
constexpr int32_t kAttentionChanceMask = 3;
constexpr int32_t kAdventureChanceMask = 127;
constexpr float kMarkerMinLife = 0.5f;
constexpr float kAttentionLifeRange = 2.0f;
constexpr float kAdventureLifeRange = 3.0f;
constexpr float kExitArrowLife = 3.0f;
constexpr float kExitMarkerLife = 1.5f;
// More markers than this are never alive at once in a scene of sensible size;
// a spare beyond it is simply let go.
constexpr size_t kMaxSpareMarkers = 64;

}  // namespace

void Scene::UpdateMarkers(double totalMs, double stepMs) {
    if (lockTime > 0) lockTime -= stepMs;
    UpdateEffectsAndFades(totalMs, stepMs);
    for (const auto& strip : animations) strip->Advance();
    if (IsHalf()) return;
    for (size_t i = 0; i < remaining.size(); ++i) UpdateMarker(*remaining[i]);
}

void Scene::UpdateEffectsAndFades(double totalMs, double stepMs) {
    if (!IsHalf()) {
        for (const auto& object : allObjects)
            if (object->fadeSpeed != 0) object->UpdateFade();
    }
    // A half only drops what its parent finished: the parent advances the
    // effects the two share.
    for (size_t i = 0; i < effects.size();) {
        if (!IsHalf()) effects[i]->Advance(totalMs, stepMs);
        if (!effects[i]->IsFinished()) {
            ++i;
            continue;
        }
        if (!IsHalf()) KeepSpareMarker(*effects[i]);
        effects.erase(effects.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void Scene::UpdateMarker(SceneObject& object) {
    if (object.isExit) return UpdateExit(object);
    const bool attention = object.label == kAttentionLabel;
    if (!attention && type != kSceneAdventure) return;
    if (!object.showEffects) {
        RemoveEffect(&object, &ScnMarkerFX::kClassRecord);
        return;
    }
    if ((os::Rand() & (attention ? kAttentionChanceMask : kAdventureChanceMask)) != 0) return;
    AddMarker(object, attention ? kAttentionLifeRange : kAdventureLifeRange);
}

void Scene::AddMarker(SceneObject& object, float lifeRange) {
    const Vec2 centre = object.hotSpot.BoundsCenter();
    const Vec2 axes = object.hotSpot.HalfSize();
    const int32_t sparks = SparkCount(axes);
    // No spark without pictures to draw or an ellipse to place it on.
    if (markerImages.empty() || sparks < 1) return;
    const Vec2 point = EllipsePoint(centre, axes, os::Rand() % sparks, sparks);
    const float lifetime = kMarkerMinLife + lifeRange * RandomFraction();
    halvo::AutoRef<ScnMarkerFX> marker = ReuseOrNewMarker();
    marker->InitFlight(&object, markerImages, centre, point, lifetime);
    marker->frame = RandomFrame(markerImages.size());
    effects.push_back(marker);
}

void Scene::KeepSpareMarker(SceneFX& finished) {
    if (finished.GetClassInfo() != &ScnMarkerFX::kClassRecord) return;
    if (spareMarkers.size() >= kMaxSpareMarkers) return;
    spareMarkers.push_back(static_cast<ScnMarkerFX*>(&finished));
}

halvo::AutoRef<ScnMarkerFX> Scene::ReuseOrNewMarker() {
    // A spare still listed by a half (which drops it on its own next step)
    // must not be started again under it.
    for (size_t i = spareMarkers.size(); i-- > 0;) {
        if (spareMarkers[i]->GetRefCount() != 1) continue;
        halvo::AutoRef<ScnMarkerFX> reused = spareMarkers[i];
        spareMarkers.erase(spareMarkers.begin() + static_cast<std::ptrdiff_t>(i));
        return reused;
    }
    return halvo::AutoRef<ScnMarkerFX>(new ScnMarkerFX());
}

void Scene::UpdateExit(SceneObject& object) {
    if (!object.showEffects) {
        RemoveEffect(&object, &ScnMarkerFX::kClassRecord);
        RemoveEffect(&object, &ScnExitFX::kClassRecord);
        return;
    }
    const Vec2 centre = object.hotSpot.BoundsCenter();
    halvo::AutoRef<SceneFX> added;
    if (object.exitArmed) {
        RemoveEffectEverywhere(&object, &ScnMarkerFX::kClassRecord);
        if (FindEffect(&object, &ScnExitFX::kClassRecord) || exitImages.empty()) return;
        added = new ScnExitFX();
        added->Init(&object, exitImages, centre, kExitArrowLife);
    } else {
        RemoveEffectEverywhere(&object, &ScnExitFX::kClassRecord);
        if (FindEffect(&object, &ScnMarkerFX::kClassRecord) || markerImages.empty()) return;
        halvo::AutoRef<ScnMarkerFX> marker = ReuseOrNewMarker();
        marker->InitFlight(&object, markerImages, centre, centre, kExitMarkerLife);
        added = marker;
    }
    effects.push_back(added);
    if (leftHalf) leftHalf->effects.push_back(added);
}

void Scene::RemoveEffectEverywhere(const SceneObject* target, const ClassRecord* kind) {
    RemoveEffect(target, kind);
    if (leftHalf) leftHalf->RemoveEffect(target, kind);
    if (rightHalf) rightHalf->RemoveEffect(target, kind);
}
