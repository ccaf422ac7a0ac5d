#pragma once
// Where the sparks of a scene go: one spark per 8 units of the perimeter of
// an object's bounding ellipse (Ramanujan's approximation), for the burst
// around a found object and for the random point a marker spark drifts to.

#include <cstdint>

#include "platform/Math.h"

// An ellipse around the whole 1920x1080 design area needs about 600,
// so the cap only stops a polygon with points far outside the scene from
// asking for millions of sparks in one find.
inline constexpr int32_t kMaxSparks = 1000;

// 0 when the half axes add up to nothing (a point-like or point-less
// polygon) or the perimeter is not finite; never more than kMaxSparks.
int32_t SparkCount(Vec2 halfAxes);

// Point `index` of `count` evenly spaced around the ellipse.
Vec2 EllipsePoint(Vec2 centre, Vec2 halfAxes, int32_t index, int32_t count);
