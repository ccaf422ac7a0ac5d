#pragma once
// The exit arrow over an armed exit: full size, pulsing from half to full
// opacity and back once over its life.

#include "game/effects/SceneFX.h"

class ScnExitFX : public SceneFX {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    void Draw(const Matrix4& matrix) override;
};
