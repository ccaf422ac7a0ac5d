#include "game/scene/HotSpot.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "game/effects/SceneSparks.h"
#include "platform/GLState.h"
#include "support/FakeGlFixture.h"

namespace {

HotSpot Polygon(std::initializer_list<Vec2> points) {
    HotSpot spot;
    for (Vec2 p : points) spot.AddPoint(p);
    spot.UpdateBounds();
    return spot;
}

TEST(HotSpotTest, PointsTooCloseToTheFirstOrLastAreDropped) {
    HotSpot spot;
    spot.AddPoint({0, 0});
    spot.AddPoint({0.3f, 0});  // 0.09 from the last point
    EXPECT_EQ(spot.Points().size(), 1u);
    spot.AddPoint({10, 0});
    spot.AddPoint({10, 10});
    spot.AddPoint({0.1f, 0.1f});  // closes onto the first point
    EXPECT_EQ(spot.Points().size(), 3u);
    spot.AddPoint({10, 10.5f});   // 0.25 from the last point: kept
    EXPECT_EQ(spot.Points().size(), 4u);
}

TEST(HotSpotTest, SquareBordersFollowTheRayTowardMinusX) {
    const HotSpot square = Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_TRUE(square.Contains({5, 5}));
    EXPECT_FALSE(square.Contains({0, 5}));   // left edge
    EXPECT_TRUE(square.Contains({10, 5}));   // right edge
    EXPECT_TRUE(square.Contains({5, 0}));    // edge with the smaller y
    EXPECT_FALSE(square.Contains({5, 10}));  // edge with the larger y
    EXPECT_FALSE(square.Contains({-1, 5}));
    EXPECT_FALSE(square.Contains({11, 5}));
}

TEST(HotSpotTest, VerticesAndSelfIntersectionsFollowEvenOdd) {
    // A diamond: level with its left and right vertices a point inside
    // crosses once; level with the top vertex it is outside.
    const HotSpot diamond = Polygon({{5, 0}, {10, 5}, {5, 10}, {0, 5}});
    EXPECT_TRUE(diamond.Contains({6, 5}));
    EXPECT_FALSE(diamond.Contains({20, 0}));
    EXPECT_FALSE(diamond.Contains({20, 10}));
    // A bow tie whose loops overlap nowhere, and a pentagram whose centre
    // is covered twice and therefore outside.
    const HotSpot star = Polygon({{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}});
    EXPECT_FALSE(star.Contains({50, 50}));
    EXPECT_TRUE(star.Contains({50, 10}));
    // Fewer than three points contain nothing.
    EXPECT_FALSE(Polygon({}).Contains({0, 0}));
    EXPECT_FALSE(Polygon({{0, 0}, {10, 10}}).Contains({5, 5}));
}

TEST(HotSpotTest, CentreAndBounds) {
    const HotSpot spot = Polygon({{0, 0}, {30, 0}, {30, 10}});
    EXPECT_FLOAT_EQ(spot.Center().x, 20);
    EXPECT_FLOAT_EQ(spot.Center().y, 10.0f / 3);
    EXPECT_EQ(spot.BoundsCenter(), (Vec2{15, 5}));
    EXPECT_EQ(spot.HalfSize(), (Vec2{15, 5}));

    const HotSpot empty = Polygon({});
    EXPECT_EQ(empty.Center(), (Vec2{0, 0}));  // no division by zero
    EXPECT_EQ(empty.BoundsCenter(), (Vec2{0, 0}));
    EXPECT_FLOAT_EQ(empty.HalfSize().x, -1e15f);
}

TEST(SceneSparksTest, CountFollowsThePerimeterWithinBounds) {
    // A circle of radius 40: 2 pi 40 / 8 = 31.4 sparks.
    EXPECT_EQ(SparkCount({40, 40}), 31);
    // A point, a point-less polygon and non-finite axes make none.
    EXPECT_EQ(SparkCount({0, 0}), 0);
    EXPECT_EQ(SparkCount({-1e15f, -1e15f}), 0);
    EXPECT_EQ(SparkCount({NAN, 3}), 0);
    EXPECT_EQ(SparkCount({INFINITY, 3}), 0);
    // The whole design area needs about 600; points far outside it
    // are capped instead of asking for millions.
    EXPECT_LE(SparkCount({960, 540}), 600);
    EXPECT_EQ(SparkCount({1e9f, 1e9f}), kMaxSparks);
    const Vec2 p = EllipsePoint({100, 100}, {20, 10}, 1, 4);
    EXPECT_NEAR(p.x, 100, 1e-4);
    EXPECT_NEAR(p.y, 110, 1e-4);
}

class HotSpotDrawTest : public FakeGlFixture {
protected:
    void SetUp() override {
        FakeGlFixture::SetUp();
        GLState::SetAlpha(0);
        gl.Clear();
    }
};

TEST_F(HotSpotDrawTest, OutlinesBeyond256PointsUseWideIndices) {
    HotSpot circle;
    for (int i = 0; i < 600; ++i) {
        const float angle = 2 * 3.1415927f * static_cast<float>(i) / 600;
        circle.AddPoint({500 * std::cos(angle), 500 * std::sin(angle)});
    }
    ASSERT_EQ(circle.Points().size(), 600u);
    circle.DrawOutline();
    EXPECT_EQ(gl.Count("Color4ub(0,255,0,255)"), 1u);
    EXPECT_EQ(gl.Count("DrawElements(0x1,1200,0x1403,"), 1u);  // lines, 16-bit indices
    EXPECT_EQ(GLState::Mirror().arrayData, nullptr);           // the freed arrays are forgotten
}

TEST_F(HotSpotDrawTest, HighlightIsBrighterUnderThePointer) {
    const HotSpot square = Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    square.DrawHighlight(true);
    square.DrawHighlight(false);
    Polygon({}).DrawHighlight(true);
    EXPECT_EQ(gl.Count("BlendFunc(0x302,0x304)"), 1u);
    EXPECT_EQ(gl.Count("Color4ub(0,255,224,255)"), 2u);
    EXPECT_EQ(gl.Count("Color4ub(0,128,112,255)"), 1u);
    EXPECT_EQ(gl.Count("DrawElements(0x1,8,0x1403,"), 2u);
}

}  // namespace
