#pragma once
// The light cone: a mask picture centred on a movable point, with black bands
// reaching far out on every side so that only the window in the picture
// shows the scene. A mask whose picture did not load covers everything.

#include "platform/GLImage.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

class SceneViewMask : public halvo::RefObj {
public:
    // Clamped into [minPos, maxPos]; before the screen sets the limits that
    // pins the mask at (0, 0).
    void SetPosition(Vec2 point);
    void Draw(const Matrix4& matrix);

    Vec2 minPos;
    Vec2 maxPos;
    Vec2 position;
    halvo::AutoRef<GLImage> image;
};
