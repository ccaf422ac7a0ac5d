#pragma once
// An effect that travels from a start point to a target: the shared part of
// the hint and marker sparks. Adds no class record of its own; each concrete
// flight reports its own record with "SceneFX" as the parent.

#include "game/effects/SceneFX.h"

class SceneFlightFX : public SceneFX {
public:
    // As Init with the position at the start.
    virtual void InitFlight(SceneObject* target, const SceneImageSet& images, Vec2 from, Vec2 to,
                            float lifetime);

    Vec2 start;
    Vec2 target;

protected:
    // start + (target - start) x fraction.
    Vec2 Along(float fraction) const { return start + (target - start) * fraction; }
};
