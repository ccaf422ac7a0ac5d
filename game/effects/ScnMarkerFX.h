#pragma once
// A marker spark over an object that wants attention: drifts from the
// object's centre to a point of its ellipse, swelling and fading.

#include "game/effects/SceneFlightFX.h"

class ScnMarkerFX : public SceneFlightFX {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    void Draw(const Matrix4& matrix) override;
};
