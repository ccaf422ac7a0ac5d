#include "gui/GuiWidget.h"
#include "gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;
using testsupport::MakeFrame;
using testsupport::NameOf;
using testsupport::Params;
using testsupport::RecordingListener;

class GuiWidgetTest : public testsupport::GuiFixture {};

TEST_F(GuiWidgetTest, FramePassesTheWidgetBasics) {
    testsupport::CheckWidgetBasics(
        "Frame", GuiWidget::kClassRecord,
        {{"scale", Vrel::Var(1.0f)}, {"xpos", Vrel::Var(0.0f)}, {"ypos", Vrel::Var(0.0f)},
         {"xanchor", Vrel::Var(0.0f)}, {"yanchor", Vrel::Var(0.0f)}, {"xsize", Vrel::Var(-1.0f)},
         {"ysize", Vrel::Var(-1.0f)}, {"show", Vrel::Var(true)}, {"input", Vrel::Var(true)},
         {"pick", Vrel::Var(false)}, {"wheel", Vrel::Var(false)}},
        Vrel::t_Named());
    AutoRef<GuiWidget> frame = gui.CreateWidget("fRaMe");
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->GetCount(), 11);
    EXPECT_EQ(frame->GetMember("alpha"), nullptr);
    EXPECT_FLOAT_EQ(frame->GetAlpha(), 1.0f);
    EXPECT_EQ(gui.CreateWidget("NoSuchWidget").Get(), nullptr);
}

TEST_F(GuiWidgetTest, ScriptMemberWritesNeverCreateProperties) {
    AutoRef<GuiWidget> frame = gui.CreateWidget("Frame");
    EXPECT_EQ(frame->GetOrAddMember("colour"), nullptr);
    EXPECT_EQ(frame->GetOrAddMember(nullptr), nullptr);
    EXPECT_NE(frame->GetOrAddMember("xpos"), nullptr);
    EXPECT_EQ(frame->GetCount(), 11);
    // Creation parameters may add any property.
    auto params = Params({{"colour", Vrel::Var(7)}});
    AutoRef<GuiWidget> made = halvo::GuiCreateWidget("Frame", *params, nullptr);
    EXPECT_EQ(made->ReadInt("colour"), 7);
}

TEST_F(GuiWidgetTest, RectangleFollowsAnchorsAndScale) {
    auto params = Params({{"xpos", Vrel::Var(100.0f)}, {"ypos", Vrel::Var(50.0f)}, {"xsize", Vrel::Var(40.0f)},
                          {"ysize", Vrel::Var(20.0f)}, {"xanchor", Vrel::Var(0.5f)}, {"yanchor", Vrel::Var(1.0f)},
                          {"scale", Vrel::Var(2.0f)}});
    AutoRef<GuiWidget> w = halvo::GuiCreateWidget("Frame", *params, nullptr);
    EXPECT_FLOAT_EQ(w->GetLeft(), 60.0f);
    EXPECT_FLOAT_EQ(w->GetRight(), 140.0f);
    EXPECT_FLOAT_EQ(w->GetTop(), 10.0f);
    EXPECT_FLOAT_EQ(w->GetBottom(), 50.0f);
    // A missing scale counts as 0 in the rectangle but as 1 in conversions.
    w->Properties().RemoveMember("scale");
    EXPECT_FLOAT_EQ(w->GetLeft(), 100.0f);
    const Vec2 local = w->ParentToLocal({110, 60});
    EXPECT_FLOAT_EQ(local.x, 10.0f);
    EXPECT_FLOAT_EQ(local.y, 10.0f);
}

TEST_F(GuiWidgetTest, ConversionsRoundTripThroughThreeLevels) {
    AutoRef<GuiWidget> a = MakeFrame(nullptr, "a", 100, 200, 500, 500);
    a->WriteFloat("scale", 2.0f);
    AutoRef<GuiWidget> b = MakeFrame(a.Get(), "b", 10, 20, 100, 100);
    b->WriteFloat("scale", 0.5f);
    b->WriteFloat("xanchor", 0.5f);
    AutoRef<GuiWidget> c = MakeFrame(b.Get(), "c", 4, 8, 10, 10);
    c->WriteFloat("scale", 3.0f);
    const Vec2 screen = c->LocalToScreen({1, 2});
    // c: (4 + 1*3, 8 + 2*3) = (7, 14) in b; b's left is 10 - 0.5*100*0.5 = -15:
    // (-15 + 7*0.5, 20 + 14*0.5) = (-11.5, 27) in a; a: (100 + 2*-11.5, 200 + 2*27).
    EXPECT_FLOAT_EQ(screen.x, 77.0f);
    EXPECT_FLOAT_EQ(screen.y, 254.0f);
    const Vec2 back = c->ScreenToLocal(screen);
    EXPECT_NEAR(back.x, 1.0f, 1e-4);
    EXPECT_NEAR(back.y, 2.0f, 1e-4);
    EXPECT_FLOAT_EQ(c->GetGlobalScale(), 3.0f);
    b->WriteFloat("start_scale", 0.25f);
    EXPECT_FLOAT_EQ(c->GetGlobalScale(), 0.75f);
}

TEST_F(GuiWidgetTest, SetParentRefusesCyclesAndKeepsOrder) {
    AutoRef<GuiWidget> a = MakeFrame(nullptr, "a", 0, 0, 1, 1);
    AutoRef<GuiWidget> b = MakeFrame(a.Get(), "b", 0, 0, 1, 1);
    AutoRef<GuiWidget> c = MakeFrame(b.Get(), "c", 0, 0, 1, 1);
    EXPECT_FALSE(a->SetParent(a.Get(), false));
    EXPECT_FALSE(a->SetParent(c.Get(), false));
    EXPECT_EQ(a->GetParent(), nullptr);

    AutoRef<GuiWidget> d = MakeFrame(a.Get(), "d", 0, 0, 1, 1);
    AutoRef<GuiWidget> e = MakeFrame(nullptr, "e", 0, 0, 1, 1);
    EXPECT_TRUE(e->SetParent(a.Get(), true));
    auto order = [&] {
        std::string names;
        for (GuiWidget* w = a->GetFirstChild(); w; w = w->GetNextSibling()) names += NameOf(w);
        return names;
    };
    EXPECT_EQ(order(), "ebd");
    // The current parent again changes nothing, not even the position.
    EXPECT_TRUE(d->SetParent(a.Get(), true));
    EXPECT_EQ(order(), "ebd");
    EXPECT_TRUE(b->SetParent(nullptr, true));
    EXPECT_EQ(order(), "ed");
    EXPECT_EQ(b->GetNextSibling(), nullptr);
    EXPECT_EQ(c->GetParent(), b.Get());
}

TEST_F(GuiWidgetTest, FindFirstSearchesDepthFirstWithNilMatchingMissing) {
    AutoRef<GuiWidget> top = MakeFrame(nullptr, "top", 0, 0, 1, 1);
    AutoRef<GuiWidget> x = MakeFrame(top.Get(), "x", 0, 0, 1, 1);
    AutoRef<GuiWidget> y = MakeFrame(x.Get(), "y", 5, 0, 1, 1);
    AutoRef<GuiWidget> z = MakeFrame(top.Get(), "z", 5, 0, 1, 1);
    EXPECT_EQ(top->FindFirst(Vrel::t_Named()).Get(), top.Get());
    EXPECT_EQ(top->FindFirst(*Params({{"xpos", Vrel::Var(5)}})).Get(), y.Get());
    EXPECT_EQ(top->FindFirst(*Params({{"name", Vrel::Var("z")}})).Get(), z.Get());
    EXPECT_EQ(top->FindFirst(*Params({{"name", Vrel::Var("w")}})).Get(), nullptr);
    Vrel::Var nil;
    EXPECT_EQ(top->FindFirst(*Params({{"missing", nil}})).Get(), top.Get());
    EXPECT_EQ(top->FindFirst(*Params({{"missing", Vrel::Var(1)}})).Get(), nullptr);
}

// ---- picking ------------------------------------------------------------

TEST_F(GuiWidgetTest, PickFindsSizedTargetsWithEdgesInside) {
    AutoRef<GuiWidget> frame = MakeFrame(nullptr, "frame", 0, 0, -1, -1, false);
    AutoRef<GuiWidget> a = MakeFrame(frame.Get(), "a", 10, 10, 100, 100);
    EXPECT_EQ(frame->Pick(10, 10, 1), a.Get());
    EXPECT_EQ(frame->Pick(110, 110, 1), a.Get());
    EXPECT_EQ(frame->Pick(110.01f, 50, 1), nullptr);
    EXPECT_EQ(frame->Pick(5, 5, 0), nullptr);  // an unsized frame is never a target itself
    a->WriteBool("pick", false);
    EXPECT_EQ(frame->Pick(50, 50, 1), nullptr);
    EXPECT_EQ(frame->Pick(50, 50, 0), a.Get());
    EXPECT_EQ(frame->Pick(50, 50, 2), nullptr);
    a->WriteBool("wheel", true);
    EXPECT_EQ(frame->Pick(50, 50, 2), a.Get());
}

TEST_F(GuiWidgetTest, SizedParentBlocksChildPartlyOutsideAndLastChildWins) {
    AutoRef<GuiWidget> parent = MakeFrame(nullptr, "parent", 0, 0, 100, 100, false);
    AutoRef<GuiWidget> child = MakeFrame(parent.Get(), "child", 80, 80, 50, 50);
    EXPECT_EQ(parent->Pick(90, 90, 1), child.Get());
    EXPECT_EQ(parent->Pick(120, 120, 1), nullptr);
    AutoRef<GuiWidget> over = MakeFrame(parent.Get(), "over", 85, 85, 10, 10);
    EXPECT_EQ(parent->Pick(90, 90, 1), over.Get());
    EXPECT_EQ(parent->Pick(82, 82, 1), child.Get());
    parent->WriteBool("pick", true);
    EXPECT_EQ(parent->Pick(10, 10, 1), parent.Get());
}

TEST_F(GuiWidgetTest, HiddenOrInputlessSubtreesAreNeverPicked) {
    AutoRef<GuiWidget> frame = MakeFrame(nullptr, "frame", 0, 0, -1, -1, false);
    AutoRef<GuiWidget> box = MakeFrame(frame.Get(), "box", 0, 0, -1, -1, false);
    AutoRef<GuiWidget> a = MakeFrame(box.Get(), "a", 0, 0, 10, 10);
    box->WriteBool("show", false);
    EXPECT_EQ(frame->Pick(5, 5, 1), nullptr);
    box->WriteBool("show", true);
    box->WriteBool("input", false);
    EXPECT_EQ(frame->Pick(5, 5, 1), nullptr);
    box->WriteBool("input", true);
    EXPECT_EQ(frame->Pick(5, 5, 1), a.Get());
}

TEST_F(GuiWidgetTest, ZeroNegativeOrBrokenScaleHidesTheSubtreeFromPicking) {
    AutoRef<GuiWidget> frame = MakeFrame(nullptr, "frame", 0, 0, -1, -1, false);
    AutoRef<GuiWidget> box = MakeFrame(frame.Get(), "box", 0, 0, -1, -1, false);
    AutoRef<GuiWidget> a = MakeFrame(box.Get(), "a", 0, 0, 10, 10);
    for (float scale : {0.0f, -0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        box->Properties().GetOrAddMember("scale")->SetFloat(scale);
        EXPECT_EQ(frame->Pick(0, 0, 1), nullptr) << scale;
        EXPECT_EQ(frame->Pick(5, 5, 0), nullptr) << scale;
    }
    // A sized widget of scale 0 is not taken for a hit by infinite coordinates.
    a->Properties().GetOrAddMember("scale")->SetFloat(0.0f);
    box->WriteFloat("scale", 1.0f);
    EXPECT_EQ(frame->Pick(0, 0, 1), nullptr);
}

// ---- events -------------------------------------------------------------

TEST_F(GuiWidgetTest, StoppingEventsEndAtTheFirstTrueAndOthersBubbleWithTheSender) {
    std::vector<std::string> log;
    AutoRef<GuiWidget> top = MakeFrame(nullptr, "top", 0, 0, 1, 1);
    AutoRef<GuiWidget> button = MakeFrame(top.Get(), "button", 0, 0, 1, 1);
    AutoRef<RecordingListener> own(new RecordingListener(&log, "own"));
    AutoRef<RecordingListener> second(new RecordingListener(&log, "second"));
    AutoRef<RecordingListener> global(new RecordingListener(&log, "top"));
    button->AddListener(own.Get());
    button->AddListener(second.Get());
    top->AddListener(global.Get());

    EXPECT_FALSE(button->Notify(halvo::kEventButton, button.Get(), halvo::GuiEventData::None()));
    EXPECT_EQ(log, (std::vector<std::string>{"own:0 button", "second:0 button", "top:0 button"}));

    for (int32_t id : {0, 2, 3, 4, 18}) {
        log.clear();
        own->answer = true;
        InputEvent event = testsupport::Press(1, 1);
        EXPECT_TRUE(button->Notify(id, button.Get(), halvo::GuiEventData::Input(event))) << id;
        EXPECT_EQ(log.size(), 1u) << id;
        own->answer = false;
    }
    for (int32_t id : {1, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}) {
        log.clear();
        own->answer = true;
        EXPECT_FALSE(button->Notify(id, button.Get(), halvo::GuiEventData::None())) << id;
        ASSERT_EQ(log.size(), 3u) << id;
        EXPECT_EQ(log[2].rfind("top:" + std::to_string(id) + " button", 0), 0u) << log[2];
        own->answer = false;
    }
    log.clear();
    EXPECT_FALSE(button->Notify(19, button.Get(), halvo::GuiEventData::None()));
    EXPECT_TRUE(log.empty());
}

TEST_F(GuiWidgetTest, ListenerAddedDuringDeliveryHearsTheSameEvent) {
    std::vector<std::string> log;
    AutoRef<GuiWidget> w = MakeFrame(nullptr, "w", 0, 0, 1, 1);
    AutoRef<RecordingListener> first(new RecordingListener(&log, "first"));
    AutoRef<RecordingListener> late(new RecordingListener(&log, "late"));
    // Adding grows the list and may move it while the first handler runs.
    first->action = [&](int32_t, GuiWidget* sender) {
        for (int i = 0; i < 20; ++i) sender->AddListener(new halvo::GuiListener);
        sender->AddListener(late.Get());
        first->action = nullptr;
    };
    w->AddListener(first.Get());
    w->Notify(halvo::kEventRadio, w.Get(), halvo::GuiEventData::None());
    EXPECT_EQ(log, (std::vector<std::string>{"first:1 w", "late:1 w"}));
}

TEST_F(GuiWidgetTest, KeyWithoutFocusStartsAtTheFrameWithoutSender) {
    std::vector<std::string>& log = rootLog;
    AutoRef<GuiWidget> frame = MakeFrame(root, "frame", 0, 0, -1, -1, false);
    AutoRef<RecordingListener> global(new RecordingListener(&log, "root"));
    root->AddListener(global.Get());
    EXPECT_FALSE(frame->RouteInput(testsupport::Key(13, 0)));
    global->answer = true;
    EXPECT_TRUE(frame->RouteInput(testsupport::Key(65, 97)));
    EXPECT_EQ(log, (std::vector<std::string>{"root:2 - 13 0", "root:2 - 65 97"}));
}

}  // namespace
