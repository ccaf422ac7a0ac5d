// A loaded scene drawn to pixels: background, objects, a dissolving object
// with its sparks, and the dimming while clicks are locked.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/Game.h"
#include "game/scene/Scene.h"
#include "game/effects/ScnDisslvFX.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "support/CbsiWriter.h"
#include "support/GlTestContext.h"
#include "support/GlobalDataRoot.h"
#include "support/TempFolder.h"

namespace {

constexpr int W = GlTestContext::kWidth;
constexpr int H = GlTestContext::kHeight;

struct Rgb {
    int r, g, b;
};

void WriteSolid(const std::string& path, uint32_t side, uint8_t r, uint8_t g, uint8_t b) {
    CbsiWriter w;
    w.Header("RGBA", side, side, 1);
    w.Tile({0, 0, side, side, side, side, 0}, CbsiWriter::SolidTexels(side, b, g, r, 255));
    testsupport::GlobalDataRoot().WriteFile(path, std::string(w.bytes.begin(), w.bytes.end()));
}

class ScenePixels : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(context.Create(&error)) << "no OpenGL context: " << error;
        GLState::Reset();
        GLState::SetAlpha(0);
        glViewport(0, 0, W, H);
        glClear(GL_COLOR_BUFFER_BIT);
        GLState::SetProjection(GlTestContext::PixelProjection(W, H));
        DataTree::Init();
        DataTree::Load(user.Path());
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Painter"));
        game = new Game();
        game->SetDesignSize({W, H});
        game->Init();

        WriteSolid("Scenes/_All/DissolveSpark01.cbi", 16, 0, 255, 0);
        WriteSolid("Scenes/studio/bg.cbi", 128, 0, 0, 200);
        WriteSolid("Scenes/studio/ObjectGfx/box.cbi", 32, 255, 0, 0);
        testsupport::GlobalDataRoot().WriteFile(
            "Scenes/studio/studio.xml",
            "<scene><gameinfo gametype=\"Search\" objectcnt=\"1\"/><background file=\"bg\"/><objects>"
            "<object label=\"box\" file=\"box\" posx=\"16\" posy=\"16\" forceuse=\"1\">"
            "<Point x=\"16\" y=\"16\"/><Point x=\"48\" y=\"16\"/><Point x=\"48\" y=\"48\"/><Point x=\"16\" y=\"48\"/>"
            "</object></objects></scene>");
        FileManager::Global().ResetDirectoryCaches();
        scene = new Scene();
        ASSERT_TRUE(scene->Load("Scenes/studio", "studio"));
    }
    void TearDown() override {
        scene.Reset();
        game.Reset();
    }

    static Rgb At(int x, int y) {
        glFinish();
        uint8_t p[4] = {};
        glReadPixels(x, H - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }
    void Redraw() {
        glClear(GL_COLOR_BUFFER_BIT);
        scene->Draw(Matrix4::Identity());
    }

    GlTestContext context;
    testsupport::TempFolder user;
    halvo::AutoRef<Game> game;
    halvo::AutoRef<Scene> scene;
};

void ExpectNear(Rgb got, Rgb want, const char* where) {
    EXPECT_NEAR(got.r, want.r, 4) << where;
    EXPECT_NEAR(got.g, want.g, 4) << where;
    EXPECT_NEAR(got.b, want.b, 4) << where;
}

TEST_F(ScenePixels, BackgroundAndObjectsDrawWhereTheDescriptionPutsThem) {
    Redraw();
    ExpectNear(At(100, 100), {0, 0, 200}, "background");
    ExpectNear(At(20, 20), {255, 0, 0}, "object's top-left corner");
    ExpectNear(At(47, 47), {255, 0, 0}, "object's bottom-right corner");
    ExpectNear(At(50, 20), {0, 0, 200}, "right of the object");
}

TEST_F(ScenePixels, ADissolvingObjectFadesAndItsSparksShow) {
    SceneObject* box = scene->FindObject("box");
    box->fade = 0.5f;  // colour (127, 255, 255, 127): half the red, half see-through
    halvo::AutoRef<ScnDisslvFX> spark(new ScnDisslvFX());
    spark->Init(box, scene->dissolveImages, {100, 30}, 1);
    spark->progress = 0.5f;  // full size, opaque
    scene->effects.push_back(spark);
    Redraw();
    const Rgb faded = At(30, 30);
    EXPECT_NEAR(faded.r, 127 * 127 / 255, 4);
    EXPECT_NEAR(faded.b, 200 * 128 / 255, 4);
    ExpectNear(At(100, 30), {0, 255, 0}, "spark centre");
    ExpectNear(At(100, 45), {0, 0, 200}, "beside the spark");

    // The dissolve runs out: the object is gone from the picture.
    box->fadeSpeed = 0.25f;
    for (int step = 0; step < 3; ++step) scene->UpdateMarkers(step * 17.0, 17);
    EXPECT_FALSE(box->visible);
    Redraw();
    ExpectNear(At(30, 30), {0, 0, 200}, "after the dissolve");
}

TEST_F(ScenePixels, LockedClicksDimTheSceneInsteadOfItsOverlay) {
    scene->overlayColor = {255, 255, 255, 255};
    Redraw();
    ExpectNear(At(100, 100), {255, 255, 255}, "overlay colour");
    scene->lockTime = 5000;
    Redraw();
    // Black at alpha 200 over the background: 55/255 of it remains.
    ExpectNear(At(100, 100), {0, 0, 200 * 55 / 255}, "dimmed background");
    ExpectNear(At(20, 20), {255 * 55 / 255, 0, 0}, "dimmed object");
}

}  // namespace
