// The sample garden of the route drawn to pixels: the key to find shows in
// its own gold on the sandy garden path, and once found and dissolved the
// path shows where it lay.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "game/Game.h"
#include "game/scene/Scene.h"
#include "game/scene/SceneObject.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "support/GlTestContext.h"
#include "support/SourceFiles.h"
#include "support/TempFolder.h"

namespace {

constexpr int W = GlTestContext::kWidth;
constexpr int H = GlTestContext::kHeight;
// A point of the key's gold shaft, from the picture's corner: below its
// highlight, inside its outline.
constexpr Vec2 kKeyShaft{100, 38};
// Far more 17 ms steps than the slowest dissolve takes.
constexpr int kDissolveSteps = 600;

struct Rgb {
    int r, g, b;
};

bool Gold(Rgb p) { return p.r > 180 && p.g > 140 && p.b < 110 && p.r > p.b + 80; }
bool Sand(Rgb p) { return p.r > 190 && p.g > 175 && p.b > 130 && p.r > p.b + 40; }

class SampleRoutePixels : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(context.Create(&error)) << "no OpenGL context: " << error;
        GLState::Reset();
        GLState::SetAlpha(0);
        glViewport(0, 0, W, H);
        GLState::SetProjection(GlTestContext::PixelProjection(W, H));
        DataTree::Init();
        DataTree::Load(user.Path());
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Painter"));
        game = new Game();
        game->SetDesignSize({1920, 1080});
        game->Init();
        FileManager::Global().AddRoot(testsupport::SourceFolder("data/Data/Shared").string().c_str());
        scene = new Scene();
        ASSERT_TRUE(scene->Load("Scenes/garden", "garden"));
    }
    void TearDown() override {
        scene.Reset();
        game.Reset();
        FileManager::Global().RemoveRoot(testsupport::SourceFolder("data/Data/Shared").string());
    }

    // The scene drawn shifted so that the design point lands in the middle
    // of the small surface, and the colour read there.
    Rgb DrawnAt(Vec2 design) {
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        Matrix4 shift;
        shift.m[12] = W / 2 - design.x;
        shift.m[13] = H / 2 - design.y;
        scene->Draw(shift);
        glFinish();
        uint8_t p[4] = {};
        glReadPixels(W / 2, H - 1 - H / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

    GlTestContext context;
    testsupport::TempFolder user;
    halvo::AutoRef<Game> game;
    halvo::AutoRef<Scene> scene;
};

TEST_F(SampleRoutePixels, TheKeyShowsUntilFoundAndThePathAfterItsDissolve) {
    SceneObject* key = scene->FindObject("key_01");
    ASSERT_TRUE(key);
    const Vec2 shaft = key->position + kKeyShaft;
    const Rgb before = DrawnAt(shaft);
    EXPECT_TRUE(Gold(before)) << before.r << "," << before.g << "," << before.b;

    scene->OnObjectFound("key_01", 1.0f);
    for (int step = 0; step < kDissolveSteps && key->visible; ++step) scene->UpdateMarkers(step * 17.0, 17);
    ASSERT_FALSE(key->visible);
    const Rgb after = DrawnAt(shaft);
    EXPECT_TRUE(Sand(after)) << after.r << "," << after.g << "," << after.b;
}

}  // namespace
