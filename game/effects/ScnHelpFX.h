#pragma once
// A hint spark: flies from a corner of the view to the object in the first
// half of its life, pulsing between half and one and a half times its size.

#include "game/effects/SceneFlightFX.h"

class ScnHelpFX : public SceneFlightFX {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    void Draw(const Matrix4& matrix) override;
};
