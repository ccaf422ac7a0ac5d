// Pointer and key records routed through frames as the screens do: hover,
// the pressed-widget capture, the wheel, keys and fades.

#include "gui/GuiTestSupport.h"

#include <gtest/gtest.h>

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;
using testsupport::MakeFrame;
using testsupport::Move;
using testsupport::Press;
using testsupport::RecordingListener;
using testsupport::Release;

class GuiRoutingTest : public testsupport::GuiFixture {
protected:
    void SetUp() override {
        frame = MakeFrame(root, "frame", 0, 0, -1, -1, false);
        a = MakeFrame(frame.Get(), "a", 0, 0, 100, 100);
        b = MakeFrame(frame.Get(), "b", 200, 0, 100, 100);
        frame->AddListener(new RecordingListener(&log));
    }
    std::vector<std::string> log, own;
    AutoRef<GuiWidget> frame, a, b;
};

TEST_F(GuiRoutingTest, HoverEntersAndLeavesWithLocalPoints) {
    EXPECT_TRUE(frame->RouteInput(Move(10, 20)));
    EXPECT_TRUE(frame->RouteInput(Move(12, 20)));
    EXPECT_TRUE(frame->RouteInput(Move(250, 30)));
    EXPECT_FALSE(frame->RouteInput(Move(150, 30)));
    EXPECT_EQ(log, (std::vector<std::string>{"6 a 10,20", "7 a 250,30", "6 b 50,30", "7 b -50,30"}));
    EXPECT_EQ(gui.GetHovered(), nullptr);
    EXPECT_FALSE(a->IsHovered());
}

TEST_F(GuiRoutingTest, PressCapturesUntilTheReleaseWhereverThePointerGoes) {
    frame->RouteInput(Move(10, 10));
    EXPECT_FALSE(frame->RouteInput(Press(10, 10)));
    EXPECT_EQ(gui.GetCaptured(), a.Get());
    EXPECT_TRUE(frame->RouteInput(Move(250, 10)));  // off a, onto b: only a may be hovered
    EXPECT_EQ(gui.GetHovered(), nullptr);
    EXPECT_TRUE(frame->RouteInput(Move(20, 10)));
    EXPECT_EQ(gui.GetHovered(), a.Get());
    EXPECT_FALSE(frame->RouteInput(Release(20, 10)));
    EXPECT_EQ(gui.GetCaptured(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"6 a 10,10", "3 a 1", "7 a 250,10", "6 a 20,10", "4 a 1"}));
}

TEST_F(GuiRoutingTest, ReleaseAwayFromTheCapturedWidgetReachesNoListener) {
    frame->RouteInput(Move(10, 10));
    frame->RouteInput(Press(10, 10));
    frame->RouteInput(Move(250, 10));
    log.clear();
    EXPECT_FALSE(frame->RouteInput(Release(250, 10)));  // a is no longer hovered
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(gui.GetCaptured(), nullptr);
}

TEST_F(GuiRoutingTest, FadeEndsTheCaptureSoNoPhantomClickFollows) {
    frame->RouteInput(Move(10, 10));
    frame->RouteInput(Press(10, 10));
    gui.ClearHover();  // the release is discarded with the fade
    EXPECT_EQ(gui.GetCaptured(), nullptr);
    EXPECT_EQ(gui.GetHovered(), nullptr);
    log.clear();
    frame->RouteInput(Move(250, 10));
    frame->RouteInput(Press(250, 10));
    frame->RouteInput(Release(250, 10));
    EXPECT_EQ(log, (std::vector<std::string>{"6 b 50,10", "3 b 1", "4 b 1"}));
}

TEST_F(GuiRoutingTest, TwoFramesRoutedInOrderKeepTheHoverSteady) {
    AutoRef<GuiWidget> hud = MakeFrame(root, "hud", 0, 0, -1, -1, false);
    AutoRef<GuiWidget> icon = MakeFrame(hud.Get(), "icon", 500, 500, 50, 50);
    hud->AddListener(new RecordingListener(&log, "hud"));
    auto route = [&](const InputEvent& event) { return hud->RouteInput(event) || frame->RouteInput(event); };
    for (float x : {10.0f, 20.0f, 30.0f}) EXPECT_TRUE(route(Move(x, 10)));
    EXPECT_TRUE(route(Move(510, 510)));
    EXPECT_TRUE(route(Move(520, 510)));
    EXPECT_FALSE(route(Move(150, 10)));
    EXPECT_EQ(log, (std::vector<std::string>{"6 a 10,10", "7 a 510,510", "hud:6 icon 10,10",
                                             "hud:7 icon -350,-490"}));
}

TEST_F(GuiRoutingTest, WheelGoesToTheWheelTargetAndIsNeverHandled) {
    b->WriteBool("wheel", true);
    b->AddListener(new RecordingListener(&own, "own"));
    frame->RouteInput(Move(210, 10));
    EXPECT_FALSE(frame->RouteInput(testsupport::Wheel(210, 10, -120)));
    EXPECT_EQ(own, (std::vector<std::string>{"own:6 b 10,10", "own:17 b -120"}));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "17 b -120");
    // Not hovered: nothing.
    log.clear();
    own.clear();
    EXPECT_FALSE(frame->RouteInput(testsupport::Wheel(250, 50, 120)));
    EXPECT_EQ(own, (std::vector<std::string>{"own:17 b 120"}));
}

TEST_F(GuiRoutingTest, TrackedMotionRaisesMoveEventsOnlyWhenAsked) {
    frame->RouteInput(Move(10, 10));
    frame->RouteInput(Move(11, 10));
    a->SetTrackMotion(true);
    frame->RouteInput(Move(12, 10));
    EXPECT_EQ(log, (std::vector<std::string>{"6 a 10,10", "5 a 12,10"}));
}

}  // namespace
