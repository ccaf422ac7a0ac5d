// The search screen in the headless game: drags, wheel, countdown,
// penalties, autoplay and the one end of every scene.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "gui/GuiWidget.h"
#include "script/runtime/execution/Thread.h"
#include "tests/game/SearchTestSupport.h"

namespace {

using Calls = std::vector<std::string>;
using searchtest::Square;

class SearchScreenTest : public searchtest::SearchFixture {
protected:
    static std::string TextOf(halvo::GuiWidget* widget) {
        const Vrel::Var* text = widget ? widget->Properties().GetMember("text") : nullptr;
        std::string shown = text ? text->ToString() : "(none)";
        // Shown text is UTF-16: "uni(...)".
        if (shown.rfind("uni(", 0) == 0) shown = shown.substr(4, shown.size() - 5);
        return shown;
    }
    // The texts in the countdown's frame after the countdown itself.
    static std::string PenaltyTexts(const SearchScreen& screen) {
        std::string texts;
        const halvo::GuiWidget* timer = screen.GetTimerText();
        for (halvo::GuiWidget* w = timer ? timer->GetNextSibling() : nullptr; w; w = w->GetNextSibling())
            texts += TextOf(w) + ";";
        return texts;
    }
    static constexpr const char* kNinetySeconds = "<difficulty><low time=\"90\"/></difficulty>";
};

TEST_F(SearchScreenTest, CountdownShowsWholeSecondsAndTheTimeFailsTheSceneOnce) {
    WriteTestScene(Square("cup", 100, 100), kNinetySeconds);
    SearchScreen* screen = Enter("test");
    ASSERT_TRUE(screen->GetTimerText());
    EXPECT_EQ(TextOf(screen->GetTimerText()), "01:30");
    // Shown in the HUD's frame, which draws over the scene.
    ASSERT_TRUE(harness.GetGame().GetHudGui());
    EXPECT_EQ(screen->GetTimerText()->GetParent()->GetParent(), harness.GetGame().GetHudGui());
    harness.Step();
    EXPECT_EQ(TextOf(screen->GetTimerText()), "01:29");
    screen->GetScene()->timeLimit = 40;
    harness.Step(5);
    EXPECT_TRUE(screen->HasEnded());
    EXPECT_EQ(TextOf(screen->GetTimerText()), "00:00");
    EXPECT_EQ(harness.Calls(), Calls{"scene.OnSceneFailed"});
    EXPECT_EQ(DataTree::GetInt("[STATS]/search"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/search_lost"), 1);
    // An exit click or a later end changes nothing now.
    screen->EndScene(SearchScreen::kEndAborted);
    EXPECT_EQ(DataTree::GetInt("[STATS]/search"), 1);

    // Untimed: no countdown at all.
    WriteTestScene(Square("cup", 100, 100));
    EXPECT_FALSE(Enter("test")->GetTimerText());
}

TEST_F(SearchScreenTest, PenaltiesShowRoundedToTensAndRandomClicksCostTime) {
    WriteTestScene(Square("cup", 100, 100), kNinetySeconds);
    SearchScreen* screen = Enter("test");
    screen->ShowPenalty(4);
    screen->ShowPenalty(10);
    screen->ShowPenalty(15);
    EXPECT_EQ(PenaltyTexts(*screen), "-10s;-20s;");

    const double before = screen->GetScene()->timeLimit;
    for (float x : {600.0f, 900.0f, 1200.0f}) {
        harness.Click({x, 600});
        harness.Step();
    }
    EXPECT_NEAR(screen->GetScene()->timeLimit, before - 10000 - 3 * 17, 0.5);
    EXPECT_EQ(screen->GetScene()->penaltyTime, 0);
    EXPECT_GT(screen->GetScene()->lockTime, 0);
    EXPECT_EQ(PenaltyTexts(*screen), "-10s;-20s;-10s;");
    // Each fades and falls, and is gone after 1.75 s.
    halvo::GuiWidget* last = screen->GetTimerText()->GetNextSibling();
    while (last->GetNextSibling()) last = last->GetNextSibling();
    halvo::WeakRef<halvo::GuiWidget> penalty(last);
    const float top = penalty->ReadFloat(halvo::GuiWidget::kPropYPos);
    harness.Step(50);
    ASSERT_TRUE(penalty.Get());
    EXPECT_LT(penalty->ReadFloat(halvo::GuiWidget::kPropAlpha), 0.9f);
    EXPECT_GT(penalty->ReadFloat(halvo::GuiWidget::kPropYPos), top);
    harness.Step(55);
    EXPECT_FALSE(penalty.Get());
    EXPECT_EQ(PenaltyTexts(*screen), "");
}

TEST_F(SearchScreenTest, ShortPressesClickLongOnesDragAndTheWheelZooms) {
    WriteTestScene(Square("cup", 100, 100) + Square("spoon", 300, 100));
    SearchScreen* screen = Enter("test");
    Scene& scene = *screen->GetScene();
    // 19 units of travel still click where the button goes up.
    harness.MovePointer({110, 120});
    harness.Press();
    harness.MovePointer({120, 129});
    harness.Release();
    harness.Step();
    EXPECT_EQ(scene.CountRemaining(), 1);

    harness.Wheel(120);
    harness.Step();
    EXPECT_FLOAT_EQ(screen->GetZoom(), 1.1f);
    const Vec2 scroll = screen->GetScroll();
    harness.MovePointer({310, 120});
    harness.Press();
    harness.MovePointer({320, 130});
    harness.MovePointer({330, 130});
    harness.Release();
    harness.Step();
    EXPECT_EQ(scene.CountRemaining(), 1);  // a drag: the spoon stays
    EXPECT_LT(screen->GetScroll().x, scroll.x + 0.001f);
    EXPECT_NE(screen->GetScroll(), scroll);

    harness.Wheel(-240);
    harness.Step();
    EXPECT_FLOAT_EQ(screen->GetZoom(), 1.0f);  // 1.1 / 1.21, held at the lower limit
    harness.Wheel(240);
    harness.Step();
    EXPECT_NEAR(screen->GetZoom(), 1.21f, 1e-5f);
    screen->StartScrollTween(screen->GetScroll(), screen->GetScroll());
    harness.Wheel(120);  // swallowed while a tween runs
    harness.Step();
    EXPECT_NEAR(screen->GetZoom(), 1.21f, 1e-5f);
}

TEST_F(SearchScreenTest, ZoomTweenBumpsPastItsPathAndEndsExactly) {
    WriteTestScene(Square("cup", 100, 100));
    SearchScreen* screen = Enter("test");
    screen->StartZoomTween(1.0f, 2.0f);
    harness.Step(45);
    EXPECT_NEAR(screen->GetZoom(), 2.0f, 0.01f);  // 1.5 on the path plus half the bump
    harness.Step(43);
    EXPECT_TRUE(screen->IsTweening());
    harness.Step();
    EXPECT_FALSE(screen->IsTweening());
    EXPECT_EQ(screen->GetZoom(), 2.0f);
    EXPECT_GE(screen->GetScroll().x, 0.0f);  // back inside the bounds

    // After a hint the bump is gone and every step stays on the path.
    screen->ShowHelpByName("cup");
    EXPECT_EQ(screen->GetZoomBump(), 0);
    float last = screen->GetZoom();
    for (int i = 0; i < 90; ++i) {
        harness.Step();
        EXPECT_LE(screen->GetZoom(), last);
        last = screen->GetZoom();
    }
    EXPECT_EQ(last, 1.0f);
}

TEST_F(SearchScreenTest, AutoplayFindsOneObjectEveryThirtyStepsAndCompletesOnce) {
    WriteTestScene(Square("cup", 100, 100) + Square("spoon", 300, 100) +
                   Square("exit_door", 500, 100));
    SearchScreen* screen = Enter("test");
    DataTree::SetString("[PLAYER]/SceneState/test/ObjectList/cup", "");
    harness.GetGame().cheatAutoPlay = true;
    harness.Step(29);
    EXPECT_EQ(screen->GetScene()->CountRemaining(), 2);
    harness.Step();
    EXPECT_EQ(screen->GetScene()->CountRemaining(), 1);
    harness.GetGame().paused = true;  // the end check runs while paused
    harness.Step(31);
    EXPECT_TRUE(screen->HasEnded());
    EXPECT_EQ(harness.Calls(), (Calls{"itemview.RemoveItemText cup", "itemview.RemoveItemText spoon",
                                      "scene.OnSceneComplete"}));
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/SceneState/test/"));
    EXPECT_EQ(DataTree::GetInt("[STATS]/search"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/search_found"), 0);  // autoplay is no find of the player's
}

TEST_F(SearchScreenTest, LeavingFromTheEndEventOrAnExitClickIsSafe) {
    harness.WriteScript("test",
                        "function void OnSceneComplete() { GameStateEnd(); RecordCall(\"left\"); }\n"
                        "function void OnSceneAborted() { GameStateEnd(); RecordCall(\"left\"); }\n",
                        "scripts/scenes/");
    WriteTestScene(Square("cup", 100, 100));
    halvo::WeakRef<SearchScreen> screen(Enter("test"));
    harness.Click({120, 120});
    harness.Step(2);  // complete inside the screen's own update
    EXPECT_FALSE(screen.Get());
    EXPECT_EQ(harness.Calls(), (Calls{"itemview.RemoveItemText cup", "left", "scene.OnSceneComplete"}));

    // The second click on an exit saves the scene and leaves inside the click.
    WriteTestScene(Square("exit_door", 500, 100) + Square("cup", 100, 100));
    screen = Enter("test");
    harness.Click({520, 120});
    harness.Click({520, 120});
    harness.Step();
    EXPECT_FALSE(screen.Get());
    EXPECT_EQ(harness.ScreenTree(), "GameScreen");
    // Its handler ran to its end, so the fallback module hears it too.
    ASSERT_FALSE(harness.Calls().empty());
    EXPECT_EQ(harness.Calls().back(), "scene.OnSceneAborted");
    EXPECT_EQ(DataTree::GetString("[PLAYER]/SceneState/test/ObjectList/cup"), std::string(""));
}

TEST_F(SearchScreenTest, APictureOverTheSceneResumesItsThreadOnceAndAnEarlierWaiterAtOnce) {
    const std::vector<uint8_t> picture = CbsiWriter::SingleTileImage(32);
    harness.WriteDataFile("pictures/news.cbi", std::string(picture.begin(), picture.end()));
    FileManager::Global().ResetDirectoryCaches();
    WriteTestScene(Square("cup", 100, 100));
    SearchScreen* screen = Enter("test");
    halvo::AutoRef<Vrel::Thread> first(new Vrel::Thread()), second(new Vrel::Thread()), missing(new Vrel::Thread());
    for (Vrel::Thread* thread : {first.Get(), second.Get(), missing.Get()}) thread->SetState(Vrel::kThreadPaused);
    screen->ShowImage("pictures/news", first.Get());
    EXPECT_TRUE(screen->HasImage());
    harness.Step(10);
    screen->ShowImage("pictures/news", second.Get());
    EXPECT_EQ(first->GetState(), Vrel::kThreadSleeping);
    harness.Step(SceneScreen::kImageSteps - 1);
    EXPECT_EQ(second->GetState(), Vrel::kThreadPaused);
    harness.Step();
    EXPECT_EQ(second->GetState(), Vrel::kThreadSleeping);
    second->SetState(Vrel::kThreadPaused);
    harness.Step(100);
    EXPECT_EQ(second->GetState(), Vrel::kThreadPaused);  // once only
    EXPECT_TRUE(screen->HasImage());                     // the picture stays

    screen->ShowImage("pictures/none", missing.Get());
    EXPECT_EQ(missing->GetState(), Vrel::kThreadSleeping);
    EXPECT_FALSE(screen->HasImage());
}

}  // namespace
