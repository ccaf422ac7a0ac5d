// The built-in and game animators stepped in 17 ms frames, as the main loop
// does, through the widget that runs them.

#include "gui/GuiGameAnimators.h"
#include "gui/GuiStarAnimator.h"
#include "gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;
using halvo::StartAnimation;
using testsupport::MakeFrame;
using testsupport::Params;
using testsupport::RecordingListener;

constexpr double kFrameMs = 17;

class GuiAnimatorsTest : public testsupport::GuiFixture {
protected:
    void SetUp() override {
        frame = MakeFrame(nullptr, "frame", 0, 0, -1, -1);
        w = MakeFrame(frame.Get(), "w", 10, 20, 30, 30);
        frame->AddListener(new RecordingListener(&log, "frame"));
        w->AddListener(new RecordingListener(&log, "w"));
    }
    // Frames until the widget reports an animation end (at most `limit`).
    int StepUntilEnd(int limit) {
        for (int i = 1; i <= limit; ++i) {
            Step();
            if (!log.empty()) return i;
        }
        return -1;
    }
    void Step() {
        time += kFrameMs;
        frame->Update(time, kFrameMs);
    }
    float Read(const char* name) { return w->ReadFloat(name, -99); }
    std::vector<std::string> log;
    AutoRef<GuiWidget> frame, w;
    double time = 0;
};

TEST_F(GuiAnimatorsTest, AlphaFadesInThirtyFramesAndRefusesTheCurrentValue) {
    EXPECT_FALSE(StartAnimation(w.Get(), "Alpha", *Params({{"alpha", Vrel::Var(1.0f)}, {"time", Vrel::Var(500)}})));
    EXPECT_FALSE(w->HasAnimators());
    ASSERT_TRUE(StartAnimation(w.Get(), "Alpha", *Params({{"alpha", Vrel::Var(0.0f)}, {"time", Vrel::Var(500)}})));
    Step();
    EXPECT_NEAR(Read("alpha"), 0.966f, 1e-6);
    EXPECT_EQ(StepUntilEnd(100), 29);
    EXPECT_EQ(Read("alpha"), 0.0f);
    // The widget's own listeners hear the end before the parent does.
    EXPECT_EQ(log, (std::vector<std::string>{"w:14 w", "frame:14 w"}));
}

TEST_F(GuiAnimatorsTest, AlphaWaitsItsDelayAndFinishedEarlyEndsFaded) {
    ASSERT_TRUE(StartAnimation(w.Get(), "Alpha", *Params({{"alpha", Vrel::Var(0.0f)}, {"time", Vrel::Var(170)},
                                                          {"delay", Vrel::Var(100)}})));
    for (int i = 0; i < 6; ++i) Step();
    EXPECT_EQ(Read("alpha"), -99);  // never written while it waits
    Step();
    EXPECT_FLOAT_EQ(Read("alpha"), 0.9f);
    EXPECT_EQ(StepUntilEnd(20), 9);
    EXPECT_EQ(Read("alpha"), 0.0f);

    w->WriteFloat("alpha", 1.0f);
    ASSERT_TRUE(StartAnimation(w.Get(), "Alpha", *Params({{"alpha", Vrel::Var(0.25f)}, {"time", Vrel::Var(170)},
                                                          {"delay", Vrel::Var(1000)}})));
    Step();
    w->StopAllAnimators(false);
    EXPECT_EQ(Read("alpha"), 0.25f);
}

TEST_F(GuiAnimatorsTest, MoverArrivesAtOnceWithoutTimeAndFinishChoosesTheEnd) {
    ASSERT_TRUE(StartAnimation(w.Get(), "Mover", *Params({{"xpos", Vrel::Var(100.0f)}, {"time", Vrel::Var(0)}})));
    EXPECT_EQ(StepUntilEnd(1), 1);
    EXPECT_EQ(w->GetPosition(), (Vec2{100, 0}));

    auto toward = Params({{"xpos", Vrel::Var(300.0f)}, {"ypos", Vrel::Var(50.0f)}, {"time", Vrel::Var(1000)}});
    ASSERT_TRUE(StartAnimation(w.Get(), "Mover", *toward));
    Step();
    const Vec2 moved = w->GetPosition();
    EXPECT_GT(moved.x, 100);
    w->StopAllAnimators(true);
    EXPECT_EQ(w->GetPosition(), moved);
    ASSERT_TRUE(StartAnimation(w.Get(), "Mover", *toward));
    w->StopAllAnimators(false);
    EXPECT_EQ(w->GetPosition(), (Vec2{300, 50}));
    EXPECT_FALSE(w->HasAnimators());
}

TEST_F(GuiAnimatorsTest, ZoomerWaitsItsDelayAndEndsAtOnceAtTheCurrentScale) {
    ASSERT_TRUE(StartAnimation(w.Get(), "Zoomer", *Params({{"scale", Vrel::Var(2.0f)}, {"delay", Vrel::Var(100)},
                                                            {"time", Vrel::Var(170)}})));
    for (int i = 0; i < 6; ++i) Step();
    EXPECT_EQ(Read("scale"), 1.0f);
    Step();
    EXPECT_FLOAT_EQ(Read("scale"), 1.1f);
    EXPECT_EQ(StepUntilEnd(20), 9);
    EXPECT_EQ(Read("scale"), 2.0f);

    log.clear();
    w->Properties().RemoveMember("scale");
    w->WriteInt("scale", 2);
    ASSERT_TRUE(StartAnimation(w.Get(), "Zoomer", *Params({{"scale", Vrel::Var(2.0f)}})));
    EXPECT_EQ(StepUntilEnd(1), 1);
    EXPECT_TRUE(w->GetMember("scale")->IsInt());  // never written
}

TEST_F(GuiAnimatorsTest, TimerAndRemoverWithoutTimeEndOnTheirFirstStep) {
    ASSERT_TRUE(StartAnimation(w.Get(), "Timer", Vrel::t_Named()));
    EXPECT_EQ(StepUntilEnd(5), 1);
    log.clear();
    ASSERT_TRUE(StartAnimation(w.Get(), "Timer", *Params({{"time", Vrel::Var(-50)}})));
    EXPECT_EQ(StepUntilEnd(5), 1);

    AutoRef<halvo::GuiAnimator> remover = halvo::GuiMain::Global().CreateAnimator("remover");
    EXPECT_STREQ(remover->GetClassInfo()->name, "GuiAnimator");
    // Scripts read the parameters (the cutscene reads "tag") but never write them.
    ASSERT_TRUE(remover->Init(w.Get(), *Params({{"tag", Vrel::Var("intro")}})));
    EXPECT_STREQ(remover->GetMember("tag")->GetCString(), "intro");
    EXPECT_EQ(remover->GetOrAddMember("tag"), nullptr);
    log.clear();
    ASSERT_TRUE(StartAnimation(w.Get(), "Remover", *Params({{"tag", Vrel::Var("gone")}})));
    Step();
    EXPECT_EQ(frame->GetFirstChild(), nullptr);
    // Removed, the widget has no listeners or parent left to hear the end.
    EXPECT_EQ(log, (std::vector<std::string>{"w:remove w"}));
}

TEST_F(GuiAnimatorsTest, PulsarWithoutDurationSettlesOnItsScale) {
    // Only the game's registration adds it: a manager without it (the global
    // one may have it from an earlier test of this process) makes none.
    EXPECT_FALSE(halvo::GuiMain().CreateAnimator("Pulsar"));
    halvo::RegisterGameAnimators();
    for (int time : {0, -1}) {
        log.clear();
        ASSERT_TRUE(StartAnimation(w.Get(), "Pulsar", *Params({{"scale", Vrel::Var(1.5f)}, {"time", Vrel::Var(time)},
                                                               {"frequenz", Vrel::Var(6.0f)}})));
        EXPECT_EQ(StepUntilEnd(5), time == 0 ? 2 : 1);
        EXPECT_TRUE(std::isfinite(Read("scale")));
        if (time == 0) {
            EXPECT_EQ(Read("scale"), 1.5f);
        }
    }
    ASSERT_TRUE(StartAnimation(w.Get(), "Pulsar", *Params({{"scale", Vrel::Var(2.0f)}, {"time", Vrel::Var(1000)}})));
    Step();
    w->StopAllAnimators(false);
    EXPECT_EQ(Read("scale"), 2.0f);
}

TEST_F(GuiAnimatorsTest, StarWaitsFliesPulsesFadesAndRemovesItsWidget) {
    halvo::RegisterGameAnimators();
    w->SetPositionXY(0, 0);
    ASSERT_TRUE(StartAnimation(w.Get(), "StarAnimator", *Params({{"xpos", Vrel::Var(100.0f)},
                                                                  {"delay", Vrel::Var(34)}, {"time", Vrel::Var(34)}})));
    Step();
    Step();
    EXPECT_EQ(w->GetPosition().x, 0);  // the delay, then the step that ends it
    Step();
    EXPECT_EQ(w->GetPosition().x, 50);
    Step();
    EXPECT_EQ(w->GetPosition().x, 100);
    EXPECT_FLOAT_EQ(Read("scale"), 2 - (1 + 17 * 0.0015f) + 0.5f);
    for (int step = 5; step <= 91; ++step) Step();
    EXPECT_EQ(Read("alpha"), -99);  // 1.5 s of holding not yet over
    Step();
    EXPECT_FLOAT_EQ(Read("alpha"), 0.983f);
    for (int step = 93; step <= 150; ++step) Step();
    EXPECT_EQ(Read("alpha"), 0.0f);
    EXPECT_EQ(frame->GetFirstChild(), w.Get());
    EXPECT_GE(Read("scale"), 0.5f);
    EXPECT_LE(Read("scale"), 1.5f);
    Step();
    EXPECT_EQ(frame->GetFirstChild(), nullptr);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "w:remove w");
}

// The widget's only owner is its parent; the remover takes it out while
// the widget's own update walks its animators, and a handler that stops
// them all from "OnRemove" finishes the remover inside its own step.
TEST_F(GuiAnimatorsTest, RemoverOfTheOnlyReferenceSurvivesStopAllFromOnRemove) {
    GuiWidget* only = MakeFrame(frame.Get(), "only", 0, 0, 10, 10).Get();
    AutoRef<RecordingListener> own(new RecordingListener(&log, "only"));
    own->onRemove = [](GuiWidget* removed) { removed->StopAllAnimators(false); };
    only->AddListener(own.Get());
    ASSERT_TRUE(StartAnimation(only, "Remover", Vrel::t_Named()));
    ASSERT_TRUE(StartAnimation(only, "Timer", *Params({{"time", Vrel::Var(1000)}})));
    Step();
    EXPECT_EQ(frame->GetFirstChild(), w.Get());
    EXPECT_EQ(std::count(log.begin(), log.end(), "only:remove only"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "frame:14 only"), 2);
}

}  // namespace
