#include "game/effects/SceneFlightFX.h"

void SceneFlightFX::InitFlight(SceneObject* targetObject, const SceneImageSet& images, Vec2 from,
                               Vec2 to, float lifetime) {
    Init(targetObject, images, from, lifetime);
    start = from;
    target = to;
}
