// A screen's GUI frame: offered input after the child screens and before
// the screen's own handler, drawn over the screen and its children.

#include "game/screens/GameScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Game.h"
#include "gui/GuiTestSupport.h"

namespace {

using testsupport::RecordingListener;
using Log = std::vector<std::string>;

class ProbeScreen : public GameScreen {
public:
    ProbeScreen(Log& log, std::string name) : log_(log), name_(std::move(name)) {}
    bool OnInput(const InputEvent& event) override {
        if (event.kind != InputEvent::kPointer) log_.push_back("input " + name_);
        return false;
    }
    void OnRender(const Matrix4&) override { log_.push_back("render " + name_); }

private:
    Log& log_;
    std::string name_;
};

// A frame that logs when and under which matrix it draws.
class DrawnFrame : public halvo::GuiWidget {
public:
    explicit DrawnFrame(Log& log) : log_(log) {
        WriteFloat(kPropXSize, 100);
        WriteFloat(kPropYSize, 100);
    }
    void DrawContent(float, float, float, float, const Matrix4& matrix) override {
        log_.push_back("frame");
        drawnUnder = matrix;
    }
    Matrix4 drawnUnder;

private:
    Log& log_;
};

class GameScreenFrameTest : public testsupport::GuiFixture {
protected:
    GameScreenFrameTest() { game->SetDesignSize({1920, 1080}); }

    Log log;
    halvo::AutoRef<Game> game{new Game()};
};

TEST_F(GameScreenFrameTest, InputGoesToTheChildrenThenTheFrameThenTheScreen) {
    halvo::AutoRef<ProbeScreen> screen(new ProbeScreen(log, "screen"));
    screen->AddChild(new ProbeScreen(log, "child"));
    auto frame = testsupport::MakeFrame(root, "frame", 0, 0, 400, 300);
    halvo::AutoRef<RecordingListener> listener(new RecordingListener(&log));
    listener->answer = true;
    frame->AddListener(listener.Get());
    screen->SetGuiFrame(frame.Get());
    screen->SetPosition({100, 50});
    screen->SetZoomLimits(2, 2);

    // (300, 250) in the parent is (100, 100) in the screen's view units.
    EXPECT_TRUE(screen->DispatchInput(testsupport::Move(300, 250)));  // hovers the frame
    EXPECT_TRUE(screen->DispatchInput(testsupport::Press(300, 250)));
    EXPECT_EQ(log, (Log{"6 frame 100,100", "input child", "3 frame 1"}));

    // Outside the frame, or once the frame is gone, the screen hears it.
    log.clear();
    screen->DispatchInput(testsupport::Release(300, 250));
    frame->RemoveAndDetach();
    frame.Reset();
    EXPECT_EQ(screen->GetGuiFrame(), nullptr);
    EXPECT_FALSE(screen->DispatchInput(testsupport::Press(300, 250)));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "input screen");
}

TEST_F(GameScreenFrameTest, AFrameRemovedByItsOwnHandlerDuringDispatchIsHeldUntilItReturns) {
    halvo::AutoRef<ProbeScreen> screen(new ProbeScreen(log, "screen"));
    halvo::GuiWidget* frame = testsupport::MakeFrame(root, "frame", 0, 0, 400, 300).Get();
    halvo::AutoRef<RecordingListener> listener(new RecordingListener(&log));
    listener->answer = true;
    listener->action = [](int32_t id, halvo::GuiWidget* sender) {
        if (id == halvo::kEventMouseDown) sender->RemoveAndDetach();  // the root's hold goes
    };
    frame->AddListener(listener.Get());
    screen->SetGuiFrame(frame);
    screen->DispatchInput(testsupport::Move(10, 10));
    EXPECT_TRUE(screen->DispatchInput(testsupport::Press(10, 10)));
    EXPECT_EQ(screen->GetGuiFrame(), nullptr);
    EXPECT_EQ(root->GetFirstChild(), nullptr);
}

TEST_F(GameScreenFrameTest, TheFrameIsDrawnLastUnderTheScreensRenderMatrix) {
    halvo::AutoRef<ProbeScreen> screen(new ProbeScreen(log, "screen"));
    screen->AddChild(new ProbeScreen(log, "child"));
    halvo::AutoRef<DrawnFrame> frame(new DrawnFrame(log));
    frame->SetParent(root, false);
    screen->SetGuiFrame(frame.Get());
    screen->SetPosition({30, 40});
    screen->SetViewOffset({5, 5});

    Matrix4 parent = Matrix4::Identity();
    parent.m[12] = 7;
    screen->Render(parent);
    EXPECT_EQ(log, (Log{"render screen", "render child", "frame"}));
    EXPECT_TRUE(Matrix4::Equals(frame->drawnUnder, screen->GetRenderMatrix(parent)));
}

TEST_F(GameScreenFrameTest, EventsDiscardedDuringAFadeClearTheHover) {
    auto frame = testsupport::MakeFrame(root, "frame", 0, 0, 400, 300);
    gui.UpdateHover(frame.Get(), testsupport::Move(10, 10));
    ASSERT_EQ(gui.GetHovered(), frame.Get());
    game->SetFade(1);
    game->SetFadeSpeed(-1);
    InputQueue::Global().Push(InputEvent::kPointer, 0, 0, 0, 0, /*timeMs=*/1000);
    game->ProcessInput();
    EXPECT_EQ(gui.GetHovered(), nullptr);
}

}  // namespace
