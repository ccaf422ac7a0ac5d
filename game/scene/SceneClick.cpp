// Scene: what a click does. The hit test over the objects still to find,
// exits that need two clicks, the misclick sequence that locks clicks and
// costs time, and the find itself with its sparks, events, item list and
// statistics. Script run from here may end the scene and release its
// screen, so every step holds the scene and the object it works on.

#include <string>

#include "game/Game.h"
#include "game/ModuleCall.h"
#include "game/scene/Scene.h"
#include "game/effects/SceneSparks.h"
#include "game/effects/ScnDisslvFX.h"
#include "game/Statistics.h"
#include "platform/os/Random.h"
#include "script/runtime/execution/Thread.h"

namespace {

constexpr const char* kStatSearchFound = "[STATS]/search_found";
constexpr const char* kStatShapeFound = "[STATS]/shape_found";
constexpr const char* kStatDiffFound = "[STATS]/diff_found";
constexpr const char* kItemView = "itemview";
constexpr const char* kInventory = "inventory";
constexpr const char* kFoundEvent = "OnObjectFound";
constexpr float kFallbackDissolveSeconds = 2.0f;
constexpr float kSparkMinLife = 0.25f;
constexpr float kSparkLifeRange = 0.75f;
constexpr float kStepMs = 17.0f;

float FoundDissolveSeconds() {
    const Game* game = Game::Current();
    return game ? game->foundDissolveTime : kFallbackDissolveSeconds;
}

double GameTime() {
    const Game* game = Game::Current();
    return game ? game->totalTime : 0;
}

// p in the view of a half's screen; unchanged when the half has none.
Vec2 InHalfView(const Scene& half, Vec2 p) {
    const GameScreen* screen = half.owner.Get();
    return screen ? screen->ScreenToLocal(p) : p;
}

Vrel::Var Text(const std::string& text) { return Vrel::Var(text.c_str()); }

bool IsRunning(Vrel::Thread* thread) {
    if (!thread) return false;
    const int32_t state = thread->GetState();
    return state != Vrel::kThreadEnded && state != Vrel::kThreadIdle;
}

}  // namespace

void Scene::OnClick(Vec2 point) {
    if (lockTime > 0) return;
    halvo::AutoRef<Scene> self(this);
    if (type == kSceneDifference) return HandleDifferenceClick(point);
    if (IsHalf()) return HandleMiss(point);
    halvo::AutoRef<SceneObject> hit(HitObject(remaining, point, true));
    if (!hit) return HandleMiss(point);
    if (!hit->isExit && type == kSceneShapeSearch) AddToStatistic(kStatShapeFound);
    if (!hit->isExit && type == kSceneSearch) AddToStatistic(kStatSearchFound);
    lastMissTime = 0;
    HandleHit(*hit, remaining);
}

SceneObject* Scene::HitObject(const halvo::AutoRefVector<SceneObject>& list, Vec2 point, bool exitsToo) const {
    for (size_t i = list.size(); i-- > 0;) {
        SceneObject* object = list[i].Get();
        if (object->fade != 0 || (!exitsToo && object->isExit)) continue;
        if (object->hotSpot.Contains(point)) return object;
    }
    return nullptr;
}

void Scene::HandleHit(SceneObject& object, const halvo::AutoRefVector<SceneObject>& disarm) {
    if (!object.isExit) {
        for (const auto& entry : disarm) entry->exitArmed = false;
        OnObjectFound(object.label, FoundDissolveSeconds());
    } else if (!object.exitArmed) {
        object.exitArmed = true;
    } else if (GameScreen* screen = owner.Get()) {
        screen->OnSceneExit();
    }
}

void Scene::HandleDifferenceClick(Vec2 point) {
    bool hit = false;
    if (halvo::AutoRef<Scene> left = leftHalf) {
        halvo::AutoRef<SceneObject> object(HitObject(left->remaining, InHalfView(*left, point), true));
        if (object) {
            hit = true;
            HandleHit(*object, left->remaining);
        }
    }
    if (halvo::AutoRef<Scene> right = rightHalf) {
        halvo::AutoRef<SceneObject> object(HitObject(right->remaining, InHalfView(*right, point), false));
        if (object) {
            hit = true;
            HandleHit(*object, right->remaining);
        }
    }
    if (hit) lastMissTime = 0;
    else HandleMiss(point);
    for (Scene* half : {leftHalf.Get(), rightHalf.Get()}) {
        if (!half) continue;
        half->lastMissPos = lastMissPos;
        half->lastMissTime = lastMissTime;
        half->missCounter = missCounter;
        half->lockTime = lockTime;
    }
}

void Scene::HandleMiss(Vec2 point) {
    const double now = GameTime();
    const bool inSequence = lastMissTime != 0 && now - lastMissTime < kMissWindowMs;
    const Vec2 apart = point - lastMissPos;
    lastMissPos = point;
    lastMissTime = now;
    if (!inSequence) {
        missCounter = 0;
        return;
    }
    const float distanceSquared = apart.x * apart.x + apart.y * apart.y;
    if (distanceSquared > kFarMissSquared) missCounter += 2;
    if (distanceSquared > kNearMissSquared) missCounter += 1;
    if (missCounter < kLockWeight) return;
    lockTime = kLockMs;
    penaltyTime = kPenaltyMs;
}

void Scene::OnObjectFound(const std::string& foundLabel, float dissolveSeconds) {
    halvo::AutoRef<Scene> self(this);
    halvo::AutoRef<SceneObject> found(FindRemaining(foundLabel));
    if (!found) return;
    // Copied: the events may change the object or the list it came from.
    const std::string label = found->label;
    // Counted by the find itself: a difference is one, whichever picture
    // was clicked, and a miss is none.
    if (type == kSceneDifference && !found->isExit) AddToStatistic(kStatDiffFound);
    if (!IsHalf()) {
        found->fadeSpeed = dissolveSeconds == 0 ? 0.0f : 1.0f / (dissolveSeconds * 1000.0f / kStepMs);
        MakeFoundSparks(*found);
        const std::string module = name;
        Game::CallScript(kFoundEvent, module.c_str());
        Game::CallScript((kFoundEvent + ("_" + label)).c_str(), module.c_str());
    }
    UpdateItemList(*found, label, dissolveSeconds);
    for (size_t i = 0; i < remaining.size(); ++i) {
        if (remaining[i].Get() != found.Get()) continue;
        remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(i));
        break;
    }
}

void Scene::MakeFoundSparks(SceneObject& object) {
    const Vec2 centre = object.hotSpot.BoundsCenter();
    const Vec2 axes = object.hotSpot.HalfSize();
    // Without pictures a spark would be an effect that draws nothing.
    const int32_t count = dissolveImages.empty() ? 0 : SparkCount(axes);
    for (int32_t i = 0; i < count; ++i) {
        halvo::AutoRef<ScnDisslvFX> spark(new ScnDisslvFX());
        const float lifetime = kSparkMinLife + kSparkLifeRange * RandomFraction();
        spark->Init(&object, dissolveImages, EllipsePoint(centre, axes, i, count), lifetime);
        spark->frame = RandomFrame(dissolveImages.size());
        effects.push_back(spark);
        if (type != kSceneDifference) continue;
        if (leftHalf) leftHalf->effects.push_back(spark);
        if (rightHalf) rightHalf->effects.push_back(spark);
    }
}

void Scene::UpdateItemList(SceneObject& object, const std::string& label, float dissolveSeconds) {
    if (type == kSceneDifference) {
        if (halvo::AutoRef<Scene> left = leftHalf) left->OnObjectFound(label, dissolveSeconds);
        if (halvo::AutoRef<Scene> right = rightHalf) right->OnObjectFound(label, dissolveSeconds);
        // The found object is still listed here.
        const Vrel::Var stillToFind(CountRemaining() - 1);
        CallModuleFunction(kItemView, "SetDifferences", &stillToFind, 1);
    } else if (type == kSceneShapeSearch) {
        const GameScreen* screen = owner.Get();
        const Vec2 at = object.hotSpot.Center() - (screen ? screen->GetScroll() : Vec2{});
        const Vrel::Var shape[4] = {Text(object.shapeName), Text(object.shapeFile), Vrel::Var(at.x),
                                    Vrel::Var(at.y)};
        CallModuleFunction(kItemView, "RemoveItemShape", shape, 4);
    } else {
        const Vrel::Var item = Text(object.baseName);
        CallModuleFunction(kItemView, "RemoveItemText", &item, 1);
    }
}

void Scene::OnHotspot(Vec2 point) {
    if (IsRunning(hotspotThread.Get()) || type != kSceneAdventure) return;
    const Game* game = Game::Current();
    if (game && !game->hudInputEnabled) return;
    halvo::AutoRef<Scene> self(this);
    for (size_t i = remaining.size(); i-- > 0;) {
        halvo::AutoRef<SceneObject> object = remaining[i];
        if (!object->hotSpot.Contains(point)) continue;
        if (object->isExit && !object->exitArmed) {
            for (const auto& entry : remaining) entry->exitArmed = false;
            object->exitArmed = true;
            return;
        }
        halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
        // Kept before the run, so that the script itself cannot start a second one.
        hotspotThread = thread.Get();
        const Vrel::Var argument = Text(object->label);
        Vrel::Thread::RunFunction(thread.Get(), kInventory, "OnHotspot", &argument, 1);
        return;
    }
}
