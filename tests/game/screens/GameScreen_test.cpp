#include "game/screens/GameScreen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/Game.h"
#include "harness/HeadlessGame.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "support/FakeGlFixture.h"

namespace {

// Logs what reaches it; can remove itself or a sibling from inside a walk.
class ProbeScreen : public GameScreen {
public:
    ProbeScreen(std::vector<std::string>& log, std::string name, bool handles = false)
        : log_(log), name_(std::move(name)), handles_(handles) {}
    ~ProbeScreen() override { log_.push_back("~" + name_); }

    bool OnInput(const InputEvent& event) override {
        log_.push_back("input " + name_);
        last = event;
        if (removeSelf) RemoveFromParent();
        return handles_;
    }
    void OnRender(const Matrix4&) override {
        log_.push_back("render " + name_);
        if (removeSelf) RemoveFromParent();
        if (removeOther) removeOther->RemoveFromParent();
        if (clipPlaneOfItsOwn) GLState::SetClipPlane(0, 1, 0, 0, -7);
    }

    InputEvent last;
    bool removeSelf = false;
    GameScreen* removeOther = nullptr;
    bool clipPlaneOfItsOwn = false;

private:
    std::vector<std::string>& log_;
    std::string name_;
    bool handles_;
};

InputEvent PointerAt(float x, float y, float dx = 0, float dy = 0) {
    InputEvent event;
    event.kind = InputEvent::kPointer;
    event.x = x, event.y = y, event.dx = dx, event.dy = dy;
    return event;
}

Vec2 Through(const Matrix4& m, Vec2 p) {
    return {p.x * m.m[0] + p.y * m.m[4] + m.m[12], p.x * m.m[1] + p.y * m.m[5] + m.m[13]};
}

void ExpectNear(Vec2 actual, Vec2 expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-3f);
    EXPECT_NEAR(actual.y, expected.y, 1e-3f);
}

class GameScreenTest : public testing::Test {
protected:
    GameScreenTest() { game->SetDesignSize({1920, 1080}); }

    std::vector<std::string> log;  // outlives the screens
    halvo::AutoRef<Game> game{new Game()};
};

TEST_F(GameScreenTest, TakesItsSizeAndScreenRectFromTheGame) {
    game->fitWindowAspect = 1;
    game->SetWindowSize({1024, 768});  // logical screen 1440 x 1080
    halvo::AutoRef<GameScreen> screen(new GameScreen());
    EXPECT_EQ(screen->GetSize(), (Point2i{1920, 1080}));
    ExpectNear(screen->GetScreenRectMin(), {240, 0});
    ExpectNear(screen->GetScreenRectMax(), {1680, 1080});
    game->Init();  // the root puts the logical screen's corner at its origin
    ExpectNear(game->rootScreen->GetPosition(), {-240, 0});
    game->Shutdown();

    game.Reset();  // without a game: the design resolution, all of it shown
    halvo::AutoRef<GameScreen> orphan(new GameScreen());
    EXPECT_EQ(orphan->GetSize(), (Point2i{1920, 1080}));
    ExpectNear(orphan->GetScreenRectMax(), {1920, 1080});
}

TEST_F(GameScreenTest, InputGoesTopmostChildFirstInViewUnits) {
    halvo::AutoRef<ProbeScreen> parent(new ProbeScreen(log, "parent"));
    auto* lower = new ProbeScreen(log, "lower", true);
    auto* upper = new ProbeScreen(log, "upper");
    parent->AddChild(lower);
    parent->AddChild(upper);
    parent->SetPosition({100, 50});
    parent->SetZoomLimits(1, 4);
    parent->SetScrollBounds({0, 0}, {10000, 10000});
    parent->SetZoom(2);
    parent->SetScroll({10, 20});

    EXPECT_TRUE(parent->DispatchInput(PointerAt(300, 250, 8, -6)));
    EXPECT_EQ(log, (std::vector<std::string>{"input upper", "input lower"}));
    // (p - position) / scale + offset; the children share the parent's view.
    EXPECT_FLOAT_EQ(lower->last.x, 110);
    EXPECT_FLOAT_EQ(lower->last.y, 120);
    EXPECT_FLOAT_EQ(lower->last.dx, 4);
    EXPECT_FLOAT_EQ(lower->last.dy, -3);

    // Nobody handles it: the parent's own handler has the last word.
    lower->RemoveFromParent();
    log.clear();
    EXPECT_FALSE(parent->DispatchInput(PointerAt(0, 0)));
    EXPECT_EQ(log, (std::vector<std::string>{"input upper", "input parent"}));
}

TEST_F(GameScreenTest, ScreenRemovingItselfDuringDispatchLivesUntilTheWalkEnds) {
    halvo::AutoRef<ProbeScreen> parent(new ProbeScreen(log, "parent"));
    parent->AddChild(new ProbeScreen(log, "staying"));
    auto* leaving = new ProbeScreen(log, "leaving");
    leaving->removeSelf = true;
    parent->AddChild(leaving);
    EXPECT_FALSE(parent->DispatchInput(PointerAt(1, 1)));
    EXPECT_EQ(log, (std::vector<std::string>{"input leaving", "input staying", "input parent",
                                             "~leaving"}));
    log.clear();
    parent->DispatchInput(PointerAt(1, 1));
    EXPECT_EQ(log, (std::vector<std::string>{"input staying", "input parent"}));
}

TEST_F(GameScreenTest, ScreensRemovedDuringRenderLiveUntilTheWalkEndsAndAreSkipped) {
    halvo::AutoRef<ProbeScreen> parent(new ProbeScreen(log, "parent"));
    auto* first = new ProbeScreen(log, "first");
    auto* second = new ProbeScreen(log, "second");
    first->removeSelf = true;
    first->removeOther = second;  // a later sibling goes before its turn
    parent->AddChild(first);
    parent->AddChild(second);
    parent->AddChild(new ProbeScreen(log, "third"));
    parent->Render(Matrix4::Identity());
    EXPECT_EQ(log, (std::vector<std::string>{"render parent", "render first", "render third",
                                             "~second", "~first"}));
    EXPECT_EQ(parent->Children().size(), 1u);
}

TEST_F(GameScreenTest, ZoomLimitsRaiseThenLower) {
    halvo::AutoRef<GameScreen> screen(new GameScreen());
    screen->SetZoomLimits(2, 1);
    EXPECT_FLOAT_EQ(screen->GetZoom(), 1);
    EXPECT_FLOAT_EQ(screen->GetViewScale().x, 1);
    screen->SetZoomLimits(1.5f, 3);
    screen->ZoomBy(10);
    EXPECT_FLOAT_EQ(screen->GetZoom(), 3);
    // Limits that would scale the view to nothing leave it as it is.
    screen->SetZoomLimits(0, 0);
    EXPECT_FLOAT_EQ(screen->GetZoom(), 3);
    screen->SetZoomLimits(1, NAN);
    screen->SetZoom(NAN);
    EXPECT_FLOAT_EQ(screen->GetViewScale().y, 3);
}

TEST_F(GameScreenTest, ScrollPinsAnAxisWiderThanItsBoundsToTheLowerBound) {
    halvo::AutoRef<GameScreen> screen(new GameScreen());
    screen->SetScrollBoundsInt({0, 0}, {1000, 2000});
    screen->SetScroll({500, 5000});
    ExpectNear(screen->GetScroll(), {0, 920});
    ExpectNear(screen->GetViewOffset(), {0, 920});
    screen->ScrollBy({-50, -1000});
    ExpectNear(screen->GetScroll(), {0, 0});
}

TEST_F(GameScreenTest, ZoomAtKeepsTheCentreAndTheCorner) {
    halvo::AutoRef<GameScreen> screen(new GameScreen());
    screen->SetZoomLimits(1, 4);
    screen->SetScrollBounds({0, 0}, {1920, 1080});
    screen->ZoomAt(2, {960, 540});
    ExpectNear(screen->GetViewCenter(), {960, 540});
    ExpectNear(screen->GetScroll(), {480, 270});

    Vec2 min, max;
    screen->GetVisibleRect(min, max);
    screen->ZoomAt(4, min);
    Vec2 min4, max4;
    screen->GetVisibleRect(min4, max4);
    ExpectNear(min4, min);
    ExpectNear(max4 - min4, {480, 270});

    // The bounds win over the kept point: zooming out at a corner.
    screen->ZoomByAt(0.25f, max4);
    ExpectNear(screen->GetScroll(), {0, 0});
}

TEST_F(GameScreenTest, LocalToScreenInvertsScreenToLocalAndMatchesTheRenderMatrix) {
    halvo::AutoRef<GameScreen> screen(new GameScreen());
    screen->SetPosition({30, 40});
    screen->SetViewScaleXY({2, 0.5f});
    screen->SetViewOffset({100, -20});
    const Vec2 p{7, 9};
    ExpectNear(screen->ScreenToLocal(screen->LocalToScreen(p)), p);
    ExpectNear(screen->LocalToScreen(p), {30 + 2 * (7 - 100), 40 + 0.5f * (9 + 20)});
    ExpectNear(Through(screen->GetRenderMatrix(Matrix4::Identity()), p), screen->LocalToScreen(p));
}

TEST_F(GameScreenTest, DirectlySetMatricesCountIdentityOrNot) {
    halvo::AutoRef<GameScreen> screen(new GameScreen());
    Matrix4 shifted = Matrix4::Identity();
    shifted.m[13] = 3;
    screen->SetViewMatrix(shifted);
    ExpectNear(Through(screen->GetRenderMatrix(Matrix4::Identity()), {1, 1}), {1, 4});
    screen->SetLocalMatrix(shifted);
    ExpectNear(Through(screen->GetRenderMatrix(Matrix4::Identity()), {1, 1}), {1, 7});
    screen->SetLocalMatrix(Matrix4::Identity());
    screen->SetViewMatrix(Matrix4::Identity());
    EXPECT_TRUE(Matrix4::Equals(screen->GetRenderMatrix(shifted), shifted));
}

TEST_F(GameScreenTest, RotationsKeepTheirSign) {
    halvo::AutoRef<GameScreen> screen(new GameScreen());
    screen->SetRotationDeg(90);
    const Vec2 turned = Through(screen->GetWorldMatrix(Matrix4::Identity()), {1, 0});
    screen->SetRotationDeg(-90);
    EXPECT_LT(screen->GetRotation().z, 0);
    const Vec2 back = Through(screen->GetWorldMatrix(Matrix4::Identity()), {1, 0});
    ExpectNear(turned, Vec2::Negate(back));
    EXPECT_NEAR(std::fabs(turned.y), 1, 1e-5f);

    screen->SetViewRotation(-0.5f);
    EXPECT_NEAR(screen->GetViewRotation().z, std::sin(-0.25f), 1e-6f);
    screen->SetViewRotationDeg(0);
    EXPECT_FALSE(screen->GetViewRotation().IsNotIdentity());
}

class GameScreenGlTest : public FakeGlFixture {
protected:
    std::vector<std::string> log;
};

TEST_F(GameScreenGlTest, ClipPlanesAreSetAroundAClippingScreenAndResetAfterIt) {
    halvo::AutoRef<ProbeScreen> screen(new ProbeScreen(log, "clipped"));
    auto* child = new ProbeScreen(log, "child");
    child->clipPlaneOfItsOwn = true;
    screen->AddChild(child);
    screen->SetPosition({100, 50});
    screen->SetSize({200, 100});
    screen->SetClipping(true);
    screen->Render(Matrix4::Identity());

    const std::vector<std::string> planes = {
        "ClipPlane(0x3000,1,0,0,-100)", "ClipPlane(0x3001,-1,0,0,300)",
        "ClipPlane(0x3002,0,1,0,-50)", "ClipPlane(0x3003,0,-1,0,150)"};
    std::vector<std::string> seen;
    for (const std::string& call : gl.calls)
        if (call.rfind("ClipPlane", 0) == 0) seen.push_back(call);
    // The screen's rectangle, the child's own plane, the screen's plane again.
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + 4), planes);
    EXPECT_EQ(seen[4], "ClipPlane(0x3000,1,0,0,-7)");
    EXPECT_EQ(seen[5], planes[0]);
    EXPECT_EQ(gl.calls.back(), "Disable(0x3005)");
    for (const auto& plane : GLState::Mirror().clipPlanes) EXPECT_EQ(plane[0], 0);

    gl.Clear();
    screen->SetClipping(false);
    screen->Render(Matrix4::Identity());
    EXPECT_EQ(gl.Count("ClipPlane"), 1u);  // only the child's own
    EXPECT_EQ(gl.Count("Disable"), 0u);
}

TEST(GameScreenScriptTest, DestroyedScreenReleasesItsModuleAndANewOneReloadsIt) {
    testsupport::HeadlessGame harness;
    harness.WriteScript("kitchen", "RecordCall(\"kitchen loaded\");\n", "scripts/scenes/");
    ASSERT_TRUE(harness.Start());
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();

    halvo::AutoRef<GameScreen> screen(new GameScreen());
    screen->LoadSceneScript("kitchen");
    EXPECT_EQ(screen->GetName(), "kitchen");
    EXPECT_NE(vm.FindModule("kitchen"), nullptr);
    screen.Reset();
    EXPECT_EQ(vm.FindModule("kitchen"), nullptr);

    screen = new GameScreen();
    screen->LoadSceneScript("kitchen");
    EXPECT_NE(vm.FindModule("kitchen"), nullptr);
    EXPECT_EQ(harness.Calls(), (std::vector<std::string>{"kitchen loaded", "kitchen loaded"}));

    // A scene without a script: no module, no message, empty calls.
    halvo::AutoRef<GameScreen> bare(new GameScreen());
    bare->LoadSceneScript("cellar");
    EXPECT_EQ(vm.FindModule("cellar"), nullptr);
    EXPECT_FALSE(bare->CallSceneScript("OnLoadScene").Get());
    EXPECT_TRUE(harness.Messages().empty());
}

}  // namespace
