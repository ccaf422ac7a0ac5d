#pragma once
// The burst around a found object: each spark grows from nothing to full size
// and shrinks away again, fading in and out with its size.

#include "game/effects/SceneFX.h"

class ScnDisslvFX : public SceneFX {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    void Draw(const Matrix4& matrix) override;
};
