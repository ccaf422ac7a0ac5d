// Scene effects, objects, texture strips and the light cone, drawn against
// the recording driver.

#include "game/effects/SceneFX.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/scene/SceneAnimation.h"
#include "game/scene/SceneObject.h"
#include "game/scene/SceneViewMask.h"
#include "game/effects/ScnDisslvFX.h"
#include "game/effects/ScnExitFX.h"
#include "game/effects/ScnHelpFX.h"
#include "game/effects/ScnMarkerFX.h"
#include "platform/GLState.h"
#include "support/CbsiWriter.h"
#include "support/FakeGlFixture.h"

namespace {

class SceneFXTest : public FakeGlFixture {
protected:
    void SetUp() override {
        FakeGlFixture::SetUp();
        GLState::SetAlpha(0);
        const std::vector<uint8_t> bytes = CbsiWriter::SingleTileImage(32);
        ASSERT_TRUE(image->LoadFromMemory(bytes.data(), bytes.size()));
        images.push_back(image);
        gl.Clear();
    }
    // The last colour sent before the last draw.
    std::string LastColour() const {
        for (auto it = gl.calls.rbegin(); it != gl.calls.rend(); ++it)
            if (it->rfind("Color4ub", 0) == 0) return *it;
        return "";
    }

    halvo::AutoRef<GLImage> image{new GLImage()};
    SceneImageSet images;
    halvo::AutoRef<SceneObject> object{new SceneObject()};
};

TEST_F(SceneFXTest, LifeRunsToOneAndStays) {
    SceneFX instant;
    instant.Init(object.Get(), images, {}, 0);
    EXPECT_TRUE(instant.IsFinished());

    SceneFX spark;
    spark.Init(object.Get(), images, {}, 2);
    for (int step = 0; step < 117; ++step) spark.Advance(0, 17);
    EXPECT_LT(spark.progress, 1);
    EXPECT_FALSE(spark.IsFinished());
    spark.Advance(0, 17);
    EXPECT_EQ(spark.progress, 1);
    EXPECT_TRUE(spark.IsFinished());
    spark.Advance(0, 17);
    EXPECT_EQ(spark.progress, 1);

    SceneFX backwards;  // a negative life would never end
    backwards.Init(object.Get(), images, {}, -3);
    EXPECT_TRUE(backwards.IsFinished());
}

TEST_F(SceneFXTest, HintSparkAtAQuarterLife) {
    ScnHelpFX hint;
    hint.InitFlight(object.Get(), images, {0, 0}, {100, 200}, 1);
    hint.progress = 0.25f;
    hint.Draw(Matrix4::Identity());
    EXPECT_NEAR(hint.position.x, 70.71f, 0.01f);
    EXPECT_NEAR(hint.position.y, 141.42f, 0.02f);
    EXPECT_FLOAT_EQ(image->scale.x, 1.5f);
    EXPECT_EQ(LastColour(), "Color4ub(255,255,255,255)");
    hint.progress = 0.75f;
    hint.Draw(Matrix4::Identity());
    EXPECT_EQ(hint.position, (Vec2{100, 200}));
}

TEST_F(SceneFXTest, SparksFadeInAndOutWithTheirSize) {
    ScnDisslvFX dissolve;
    dissolve.Init(object.Get(), images, {5, 5}, 1);
    dissolve.Draw(Matrix4::Identity());
    EXPECT_FLOAT_EQ(image->scale.x, 0);
    EXPECT_EQ(LastColour(), "Color4ub(255,255,255,0)");
    dissolve.progress = 0.5f;
    dissolve.Draw(Matrix4::Identity());
    EXPECT_FLOAT_EQ(image->scale.x, 1);
    EXPECT_EQ(LastColour(), "Color4ub(255,255,255,255)");

    ScnMarkerFX marker;
    marker.InitFlight(object.Get(), images, {0, 0}, {10, 0}, 1);
    marker.progress = 1;
    marker.Draw(Matrix4::Identity());
    EXPECT_FLOAT_EQ(marker.position.x, 10);
    EXPECT_FLOAT_EQ(image->scale.x, std::fabs(std::sin(3.1415927f)));

    ScnExitFX exit;
    exit.Init(object.Get(), images, {}, 3);
    exit.Draw(Matrix4::Identity());
    EXPECT_EQ(LastColour(), "Color4ub(255,255,255,128)");
}

TEST_F(SceneFXTest, AFrameOutsideItsSetDrawsNothing) {
    ScnDisslvFX empty;
    empty.Init(object.Get(), SceneImageSet(), {}, 1);
    empty.progress = 0.5f;
    empty.Draw(Matrix4::Identity());
    ScnDisslvFX beyond;
    beyond.Init(object.Get(), images, {}, 1);
    beyond.frame = 7;
    beyond.Draw(Matrix4::Identity());
    EXPECT_EQ(gl.Count("DrawElements"), 0u);
    EXPECT_EQ(RandomFrame(0), 0u);
    EXPECT_LT(RandomFrame(3), 3u);
}

TEST_F(SceneFXTest, ObjectsTurnCyanAsTheyDissolveAndHideAtTheEnd) {
    object->image = image;
    object->fade = 0.5f;
    object->Draw(Matrix4::Identity());
    EXPECT_EQ(LastColour(), "Color4ub(127,255,255,127)");

    object->fade = 0;
    object->fadeSpeed = 0.3f;
    object->UpdateFade();
    EXPECT_TRUE(object->visible);
    for (int i = 0; i < 3; ++i) object->UpdateFade();
    EXPECT_EQ(object->fade, 1);
    EXPECT_EQ(object->fadeSpeed, 0);
    EXPECT_FALSE(object->visible || object->visibleLeft || object->visibleRight);
}

TEST(SceneAnimationTest, StripsAdvanceByWholeFramesAndNeverSpin) {
    SceneAnimation strip;
    for (int i = 0; i < 3; ++i) strip.frames.push_back(new SceneAnimationFrame());
    strip.SetFramesPerSecond(0);
    for (int i = 0; i < 100; ++i) strip.Advance();
    EXPECT_EQ(strip.frame, 0);

    strip.SetFramesPerSecond(20);  // 340 per step: a frame every third step
    for (int i = 0; i < 3; ++i) strip.Advance();
    EXPECT_EQ(strip.frame, 1);
    EXPECT_FLOAT_EQ(strip.clock, 20);

    strip.SetFramesPerSecond(1e30f);  // subtracting 1000 at a time would never end
    strip.Advance();
    EXPECT_GE(strip.frame, 0);
    EXPECT_LT(strip.frame, 3);
    EXPECT_LT(strip.clock, 1000);
    for (float still : {INFINITY, NAN, -5.0f}) {
        strip.SetFramesPerSecond(still);
        const int32_t before = strip.frame;
        strip.Advance();
        EXPECT_EQ(strip.frame, before) << still;
    }

    SceneAnimation empty;
    empty.SetFramesPerSecond(100);
    for (int i = 0; i < 10; ++i) empty.Advance();
    EXPECT_EQ(empty.CurrentFrame(), nullptr);
}

TEST_F(SceneFXTest, LightConeWithoutItsPictureCoversEverything) {
    SceneViewMask mask;
    mask.SetPosition({500, 300});
    EXPECT_EQ(mask.position, (Vec2{0, 0}));  // no limits yet
    mask.maxPos = {1000, 1000};
    mask.SetPosition({500, 1300});
    EXPECT_EQ(mask.position, (Vec2{500, 1000}));

    mask.image = new GLImage();  // failed to load: 0 x 0
    mask.Draw(Matrix4::Identity());
    EXPECT_EQ(LastColour(), "Color4ub(0,0,0,255)");
    EXPECT_EQ(gl.Count("DrawElements(0x4,6,"), 4u);
}

}  // namespace
