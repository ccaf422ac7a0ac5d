#pragma once
// Base of a scene's small animated sprites: the object it belongs to, the
// image set it draws from (shared with the scene), one chosen picture, a
// position, and a life that runs from 0 to 1 in real time. The scene
// advances its effects once per step and drops each one as it finishes;
// the kind of an effect is its class record.

#include <cstdint>
#include <vector>

#include "game/scene/SceneObject.h"
#include "platform/ClassRecord.h"
#include "platform/GLImage.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

using SceneImageSet = halvo::AutoRefVector<GLImage>;

class SceneFX : public halvo::RefObj {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    SceneFX() = default;

    virtual const ClassRecord* GetClassInfo() const { return &kClassRecord; }
    // A lifetime of 0 gives rate 0: the effect is finished after its first
    // advance.
    virtual void Init(SceneObject* target, const SceneImageSet& images, Vec2 at, float lifetime);
    virtual void InitWithImage(SceneObject* target, GLImage* image, Vec2 at, float lifetime);
    // Life gained is step / 1000 x rate; at 1 the effect stops for good.
    virtual void Advance(double totalMs, double stepMs);
    // Draws frames[frame] at position; nothing when that index is not in
    // the set.
    virtual void Draw(const Matrix4& matrix);

    bool IsFinished() const { return rate == 0; }
    // The picture to draw, or null when `frame` is not an index of `frames`.
    GLImage* CurrentImage() const;

    halvo::WeakRef<SceneObject> object;
    SceneImageSet frames;
    float progress = 0;
    float rate = 0;
    uint32_t frame = 0;
    Vec2 position;

protected:
    // Scale on both axes and white at the given alpha (0..255 as a float,
    // clamped and truncated), then the picture at `position`.
    void DrawScaled(const Matrix4& matrix, float scale, float alpha);
};

// A picture index drawn at random from a set of `count` (count > 0).
uint32_t RandomFrame(size_t count);
// A random number from 0 to 1.
float RandomFraction();
