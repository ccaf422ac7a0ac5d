#include "gui/GuiSlider.h"
#include "gui/GuiTextureFiles.h"

#include <gtest/gtest.h>

namespace {

using halvo::AutoRef;
using halvo::GuiSlider;
using halvo::GuiWidget;
using testsupport::Params;
using testsupport::RecordingListener;

// A 200 x 20 track at (100, 100) with a 20 x 20 knob: the knob's centre
// runs from x 110 to 290.
class GuiSliderTest : public testsupport::GuiFakeGlFixture {
protected:
    void SetUp() override {
        GuiFakeGlFixture::SetUp();
        testsupport::WriteGuiImage("knob", 20, 20);
        screen = testsupport::MakeFrame(root, "screen", 0, 0, -1, -1, false);
        screen->AddListener(new RecordingListener(&log, "screen"));
    }
    GuiSlider* Make(std::initializer_list<std::pair<const char*, Vrel::Var>> params, float trackW = 200,
                    float trackH = 20) {
        track = testsupport::MakeFrame(screen.Get(), "track", 100, 100, trackW, trackH, false);
        AutoRef<Vrel::t_Named> all = Params(params);
        all->GetOrAddMember("texture")->SetString("knob");
        all->GetOrAddMember("name")->SetString("knob");
        AutoRef<GuiWidget> made = halvo::GuiCreateWidget("Slider", *all, track.Get());
        return static_cast<GuiSlider*>(made.Get());
    }
    float DragTo(GuiSlider* knob, float x, float y) {
        knob->SetValueFromPointer(x, y);
        return knob->ReadFloat("value", -99);
    }
    std::vector<std::string> log;
    AutoRef<GuiWidget> screen, track;
};

TEST_F(GuiSliderTest, DefaultsAndBasics) {
    testsupport::CheckWidgetBasics("Slider", GuiSlider::kClassRecord,
                                   {{"pick", Vrel::Var(true)}, {"value", Vrel::Var(0.0f)}, {"min", Vrel::Var(0.0f)},
                                    {"max", Vrel::Var(1.0f)}, {"vertical", Vrel::Var(false)}},
                                   *Params({{"texture", Vrel::Var("knob")}}));
    EXPECT_FALSE(halvo::GuiCreateWidget("Slider", *Params({{"texture", Vrel::Var("bar.png")}}), nullptr));
    EXPECT_EQ(gui.GetLastError(), "GuiSlider::Init - Unable to load texture bar.png");
    EXPECT_FALSE(halvo::GuiCreateWidget("Slider", Vrel::t_Named(), nullptr));
}

TEST_F(GuiSliderTest, PressDragAndReleaseThroughRoutingReportEachStep) {
    GuiSlider* knob = Make({});
    ASSERT_TRUE(knob);
    EXPECT_EQ(knob->GetXSize(), 20);
    screen->RouteInput(testsupport::Move(110, 110));
    screen->RouteInput(testsupport::Press(110, 110));
    screen->RouteInput(testsupport::Move(20, 500));
    screen->RouteInput(testsupport::Move(200, 500));
    screen->RouteInput(testsupport::Move(200, 500));
    screen->RouteInput(testsupport::Move(900, 0));
    screen->RouteInput(testsupport::Release(900, 0));
    EXPECT_EQ(log, (std::vector<std::string>{"screen:6 knob 10,10", "screen:8 knob 0", "screen:7 knob -80,400",
                                             "screen:9 knob 0", "screen:9 knob 0.5", "screen:9 knob 0.5",
                                             "screen:9 knob 1", "screen:10 knob 1"}));
    EXPECT_EQ(knob->GetState(), 0);
    knob->Update(0, 17);
    EXPECT_EQ(knob->GetPosition(), (Vec2{180, 0}));

    // A track with "value" hears where the knob's centre sits.
    track->WriteFloat("value", -1);
    knob->WriteFloat("value", 0.5f);
    knob->Update(0, 17);
    EXPECT_EQ(knob->GetPosition().x, 90);
    EXPECT_EQ(track->ReadFloat("value"), 0.5f);
}

TEST_F(GuiSliderTest, RangesStepsAndVerticalTracks) {
    GuiSlider* knob = Make({{"min", Vrel::Var(2.0f)}, {"max", Vrel::Var(4.0f)}, {"value", Vrel::Var(3.0f)}});
    knob->Update(0, 17);
    EXPECT_EQ(knob->GetPosition().x, 90);
    knob->WriteFloat("step", 0.25f);
    knob->WriteFloat("min", 0);
    knob->WriteFloat("max", 1);
    EXPECT_FLOAT_EQ(DragTo(knob, 218, 0), 0.5f);   // 0.6
    EXPECT_FLOAT_EQ(DragTo(knob, 223.4f, 0), 0.75f);  // 0.63

    knob = Make({{"vertical", Vrel::Var(true)}, {"min", Vrel::Var(-1.0f)}, {"max", Vrel::Var(1.0f)}}, 20, 200);
    EXPECT_EQ(DragTo(knob, 0, 0), 1.0f);
    EXPECT_EQ(DragTo(knob, 0, 1000), -1.0f);
    EXPECT_EQ(DragTo(knob, 0, 155), 0.5f);
    knob->Update(0, 17);
    EXPECT_EQ(knob->GetPosition(), (Vec2{0, 45}));
}

TEST_F(GuiSliderTest, EqualEndsAndShortTracksStayFinite) {
    GuiSlider* knob = Make({{"min", Vrel::Var(0.5f)}, {"max", Vrel::Var(0.5f)}});
    EXPECT_EQ(DragTo(knob, 200, 0), 0.5f);
    knob->WriteFloat("value", 3);
    knob->Update(0, 17);
    EXPECT_EQ(knob->ReadFloat("value"), 0.5f);
    EXPECT_EQ(knob->GetPosition().x, 0);

    knob = Make({{"vertical", Vrel::Var(true)}, {"max", Vrel::Var(0.0f)}, {"value", Vrel::Var(1.0f)}}, 20, 200);
    track->WriteFloat("value", 0.25f);
    knob->Update(0, 17);
    EXPECT_EQ(knob->GetPosition().y, 180);  // where "min" sits
    EXPECT_EQ(knob->ReadFloat("value"), 0.0f);

    // The knob as long as its track: nothing to divide by.
    knob = Make({{"xsize", Vrel::Var(20.0f)}}, 20, 20);
    track->WriteFloat("value", 0.25f);
    EXPECT_EQ(DragTo(knob, 150, 0), 0.0f);
    knob->WriteFloat("xsize", 0);
    knob->WriteFloat("value", 0.7f);
    track->WriteFloat("xsize", 0);
    knob->Update(0, 17);
    EXPECT_EQ(knob->GetPosition().x, 0);
    EXPECT_EQ(track->ReadFloat("value", -1), 0.0f);
}

TEST_F(GuiSliderTest, CancelledDragCountsAsReleaseAndChangedHandlerMayDestroyTheSlider) {
    GuiSlider* knob = Make({});
    screen->RouteInput(testsupport::Move(110, 110));
    screen->RouteInput(testsupport::Press(110, 110));
    gui.ClearHover();
    EXPECT_EQ(knob->GetState(), 0);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "screen:10 knob 0");

    AutoRef<RecordingListener> killer(new RecordingListener(&log, "own"));
    killer->action = [](int32_t id, GuiWidget* sender) {
        if (id == halvo::kEventSliderChanged) sender->RemoveAndDetach();
    };
    knob->AddListener(killer.Get());
    log.clear();
    screen->RouteInput(testsupport::Move(110, 110));
    screen->RouteInput(testsupport::Press(110, 110));
    screen->RouteInput(testsupport::Release(110, 110));
    EXPECT_EQ(track->GetFirstChild(), nullptr);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back(), "own:remove knob");
    EXPECT_EQ(log[log.size() - 2], "own:10 knob 0");
}

}  // namespace
