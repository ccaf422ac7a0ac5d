#include "game/screens/MapScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/game/SceneTestSupport.h"

namespace {

using namespace scenetest;

// "inventory"."OnHotspot" logs the place it was given, after a pause when
// asked to wait.
constexpr const char* kInventory =
    "bool wait = false;\n"
    "function OnHotspot(string place) { if (wait) Sleep(0.01); rec::log += \"OnHotspot \" + place + \";\"; }\n";

// A 4:3 window shows 1440 of the 1920 design units: the map sits at x 240
// and scrolls 480 units sideways. garden and study overlap at 110..120.
class MapScreenTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        ASSERT_TRUE(Vrel::ScriptVM::Global().CompileBuffer(kInventory, "inventory"));
        game->fitWindowAspect = 1;
        game->SetWindowSize({1440, 1080});
        const std::string places = Object("garden", "forceuse=\"1\"", 100, 100) +
                                   Object("study", "forceuse=\"1\"", 110, 110) +
                                   Object("shelf", "forceuse=\"1\"", 500, 500);
        WriteScene("map", Description("Map", places, "", 3), {"garden", "study", "shelf"});
        scene = LoadScene("map");
        map = new MapScreen();
        ASSERT_TRUE(map->SetScene(scene.Get()));
        ClearCalls();
        ScriptMessages().clear();
    }
    void TearDown() override {
        map.Reset();
        scene.Reset();
        SceneFixture::TearDown();
    }

    // `at` in the map's view units, sent in its parent's.
    void Send(uint8_t kind, uint8_t button, Vec2 at, Vec2 motion = {}) {
        InputEvent event;
        event.kind = kind;
        event.button = button;
        event.x = at.x + 240 - map->GetScroll().x;
        event.y = at.y - map->GetScroll().y;
        event.dx = motion.x;
        event.dy = motion.y;
        handled = map->DispatchInput(event);
    }
    void Press(Vec2 at) { Send(InputEvent::kButtonDown, InputEvent::kLeft, pointer = at); }
    void Move(Vec2 by, uint8_t held = InputEvent::kLeft) {
        Send(InputEvent::kPointer, held, pointer = pointer + by, by);
    }
    void Release() { Send(InputEvent::kButtonUp, InputEvent::kLeft, pointer); }
    void Click(Vec2 at) {
        Press(at);
        Release();
    }
    int GlideToRest() {
        int steps = 0;
        for (; map->GetMomentum() != Vec2{} && steps < 1000; ++steps) map->Update(0, 17);
        return steps;
    }

    halvo::AutoRef<Scene> scene;
    halvo::AutoRef<MapScreen> map;
    Vec2 pointer;
    bool handled = false;
};

TEST_F(MapScreenTest, ShortTravelIsAClickAndTenUnitsAreADrag) {
    EXPECT_EQ(map->GetSize(), (Point2i{1440, 1080}));
    EXPECT_EQ(map->GetPosition(), (Vec2{240, 0}));
    map->SetScroll({240, 0});
    // 6 and 7 units summed per axis: 85 squared is short of 100.
    Press({103, 103});
    Move({3, 0});
    Move({3, 0});
    Move({0, 7});
    EXPECT_FALSE(handled);
    Release();
    EXPECT_TRUE(handled);
    EXPECT_EQ(map->GetScroll(), (Vec2{240, 0}));
    EXPECT_EQ(Calls(), "OnHotspot garden;");

    // Back and forth counts too: 8 and 6 make exactly 10 units, a drag that
    // scrolls from the motion that reached the line on, and never a click.
    ClearCalls();
    Press({105, 105});
    Move({-4, 0});
    Move({4, 6});
    EXPECT_EQ(map->GetScroll(), (Vec2{236, 0}));
    Move({-8, 0});
    EXPECT_EQ(map->GetScroll(), (Vec2{244, 0}));
    Release();
    EXPECT_EQ(Calls(), "");
}

TEST_F(MapScreenTest, TheMapGlidesAfterADragAndSlowsDown) {
    map->SetScroll({100, 0});
    Press({600, 300});
    Move({-5, 0});
    EXPECT_EQ(map->GetMomentum(), (Vec2{0, 0}));  // below the threshold
    Move({-5, 0});
    Move({-30, 0});
    Move({-30, 0});
    EXPECT_NEAR(map->GetMomentum().x, 17.407f, 1e-3);  // 5/3, then two thirds kept per motion
    EXPECT_EQ(map->GetScroll().x, 165);

    // Still held: the map stays, the momentum decays all the same.
    map->Update(0, 17);
    EXPECT_EQ(map->GetScroll().x, 165);
    EXPECT_NEAR(map->GetMomentum().x, 15.667f, 1e-3);
    Release();
    EXPECT_EQ(Calls(), "");
    // Released: 0.9 per step, 38 steps until the step is under 0.1 squared.
    EXPECT_EQ(GlideToRest(), 38);
    EXPECT_NEAR(map->GetScroll().x, 318.81f, 0.05);
}

TEST_F(MapScreenTest, TheFirstPlaceInListOrderTakesTheClickUnlikeAFindWhichTakesTheLast) {
    ASSERT_EQ(Labels(scene->remaining), "garden study shelf");
    Click({115, 115});
    std::reverse(scene->remaining.begin(), scene->remaining.end());
    Click({115, 115});  // the list's order decides
    std::reverse(scene->remaining.begin(), scene->remaining.end());
    EXPECT_EQ(Calls(), "OnHotspot garden;OnHotspot study;");
    // A find walks from the last object down, so there study is found.
    scene->OnClick({115, 115});
    EXPECT_EQ(Labels(scene->remaining), "garden shelf");
    // A place taken off the list is no longer clickable.
    ClearCalls();
    Click({115, 115});
    Click({300, 300});  // nothing there
    EXPECT_EQ(Calls(), "OnHotspot garden;");

    // A waiting handler still reads its label after map and scene are gone.
    ClearCalls();
    Vrel::ScriptVM::Global().FindModule("inventory")->GetMember("wait")->SetBool(true);
    Click({105, 105});
    map.Reset();
    scene.Reset();
    EXPECT_EQ(Calls(), "");
    Vrel::ScriptVM::Global().Update(17);
    EXPECT_EQ(Calls(), "OnHotspot garden;");
}

TEST_F(MapScreenTest, TheLightConeFollowsThePointerAndTheSceneKeyStaysWhole) {
    WriteScene("dark", Description("Map", Object("garden", "forceuse=\"1\""), "<lightcone file=\"cone\"/>", 1),
               {"garden"});
    halvo::AutoRef<Scene> dark = LoadScene("dark");
    ASSERT_TRUE(dark->viewMask);
    dark->viewMask->position = {5000, -20};
    dark->name = std::string(300, 'n') + "_end";  // longer than any fixed buffer
    map = new MapScreen();
    map->SetScene(dark.Get());
    EXPECT_EQ(map->GetSceneKeyPrefix(), "[PLAYER]/scenes/" + dark->name + "/");
    EXPECT_EQ(dark->viewMask->maxPos, (Vec2{1920, 1080}));
    EXPECT_EQ(dark->viewMask->position, (Vec2{1920, 0}));

    pointer = {700, 400};
    Move({5, 5}, InputEvent::kNoButton);
    EXPECT_FALSE(map->IsDragging());
    EXPECT_EQ(dark->viewMask->position, (Vec2{705, 405}));
    pointer = {-30, 2000};
    Move({0, 0});
    EXPECT_EQ(dark->viewMask->position, (Vec2{0, 1080}));
    EXPECT_EQ(dark->mousePos, (Vec2{-30, 2000}));

    // Without a scene: nothing to draw, move or click, and no harm.
    map = new MapScreen();
    Move({30, 0});
    Click({10, 10});
    EXPECT_TRUE(handled);
    map->Update(0, 17);
    map->Render(Matrix4::Identity());
    EXPECT_FALSE(map->SetScene(nullptr));
    EXPECT_EQ(ScriptMessages().size(), 0u);
}

}  // namespace
