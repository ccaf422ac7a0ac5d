#pragma once
// One object of a scene: its picture, the flags that decide whether it is
// searched and where it is drawn, its click polygon and its dissolve. Only
// the scene loader creates objects; objects with equal base names form one
// group to find.

#include <string>

#include "game/scene/HotSpot.h"
#include "platform/Color.h"
#include "platform/GLImage.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

// Each float truncated toward zero into a byte (the caller clamps).
Color Color4ub(float red, float green, float blue, float alpha);

class SceneObject : public halvo::RefObj {
public:
    SceneObject() = default;

    // One 17 ms step of the dissolve; at either end the object is hidden in
    // every view and stops fading.
    void UpdateFade();
    // The picture tinted by the fade: red and alpha fall with it while green
    // and blue hold until half way, so a dissolving object turns cyan.
    void Draw(const Matrix4& matrix);

    std::string label;
    std::string baseName;
    std::string file;
    std::string shapeName;
    std::string shapeFile;
    bool selected = false;
    bool forceUse = false;
    bool ignore = false;
    bool enabled = false;
    bool showEffects = true;
    bool isExit = false;
    bool exitArmed = false;
    bool visible = true;
    bool visibleLeft = false;
    bool visibleRight = false;
    Vec2 position;
    Vec2 size;
    HotSpot hotSpot;
    float fade = 0;
    float fadeSpeed = 0;
    halvo::AutoRef<GLImage> image;
    halvo::AutoRef<GLImage> shapeImage;
};
