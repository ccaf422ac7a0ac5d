#pragma once
// A clickable polygon of float points in scene (or mini-game) units, closed
// implicitly from the last point back to the first. Scene objects hold one
// by value; the wire puzzle uses it too. The bounding box gives the ellipse
// that the find and hint sparks ring.

#include <vector>

#include "platform/Math.h"
#include "platform/RefObj.h"

class HotSpot : public halvo::RefObj {
public:
    // A point closer than this (squared) to the first or the last point is
    // not stored: a closing repeat of the first point, or a duplicate.
    static constexpr float kMinPointDistanceSquared = 0.1f;

    HotSpot() = default;

    void AddPoint(Vec2 point);
    // After the last point; a polygon without points gets centre (0, 0) and
    // half size (-1e15, -1e15).
    void UpdateBounds();

    // Even-odd test with a ray toward -x: the left edge of a square is
    // outside, the right edge inside. Nothing is inside fewer than 3 points.
    bool Contains(Vec2 point) const;
    // Mean of the points; (0, 0) for a polygon without points.
    Vec2 Center() const;

    // Plain green outline (the wire puzzle's cheat view).
    void DrawOutline() const;
    // The scenes' hotspot cheat: brighter while the pointer is inside.
    void DrawHighlight(bool inside) const;

    const std::vector<Vec2>& Points() const { return points_; }
    Vec2 BoundsCenter() const { return boundsCenter_; }
    Vec2 HalfSize() const { return halfSize_; }

private:
    void DrawLines() const;

    std::vector<Vec2> points_;
    Vec2 boundsCenter_;
    Vec2 halfSize_;
};
