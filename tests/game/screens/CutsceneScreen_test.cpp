#include "game/screens/CutsceneScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gui/GuiAlpha.h"
#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "platform/Loca.h"
#include "support/LocaTableWriter.h"
#include "tests/game/CutsceneTestSupport.h"

namespace {

using cutscenetest::CutsceneFixture;
using halvo::GuiWidget;

// 500 ms of animation ends within the 30th step of 17 ms.
constexpr int kAnimationSteps = 30;

class CutsceneScreenTest : public CutsceneFixture {
protected:
    void SetUp() override {
        CutsceneFixture::SetUp();
        WriteScene("Cutscene", "");
        screen = Enter<CutsceneScreen>();
        ASSERT_TRUE(screen->GetGuiFrame());
    }
    int FrameChildren() const {
        int count = 0;
        for (GuiWidget* child = screen->GetGuiFrame()->GetFirstChild(); child; child = child->GetNextSibling())
            ++count;
        return count;
    }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(harness.Calls().begin(), harness.Calls().end(), call));
    }

    CutsceneScreen* screen = nullptr;
};

TEST_F(CutsceneScreenTest, SpeakersSlideInFromTheirSideAndStandOnTheBottomEdge) {
    EXPECT_EQ(screen->GetSize(), (Point2i{1920, 1080}));
    EXPECT_EQ(screen->AddSpeaker("Tobin", "left", "tobin_calm"), 500.0f);
    GuiWidget* left = screen->GetSpeakerSprite(CutsceneScreen::kSlotLeft);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->GetPosition(), (Vec2{-kPoseSide, 1080 - kPoseSide}));
    EXPECT_EQ(screen->AddSpeaker("Maren", "center", "maren_calm"), 500.0f);
    EXPECT_EQ(screen->GetSpeakerSprite(CutsceneScreen::kSlotCenter)->GetPosition(),
              (Vec2{(1920 - kPoseSide) / 2, 1080}));
    EXPECT_EQ(screen->AddSpeaker("Ida", "right", "maren_calm"), 500.0f);
    EXPECT_EQ(screen->GetSpeakerSprite(CutsceneScreen::kSlotRight)->GetPosition(), (Vec2{1920, 1080 - kPoseSide}));

    harness.Step(kAnimationSteps - 2);
    EXPECT_LT(left->GetPosition().x, 0);
    harness.Step(2);
    EXPECT_EQ(left->GetPosition(), (Vec2{0, 1080 - kPoseSide}));
    EXPECT_EQ(screen->GetSpeakerSprite(CutsceneScreen::kSlotCenter)->GetPosition(),
              (Vec2{(1920 - kPoseSide) / 2, 1080 - kPoseSide}));
    EXPECT_EQ(screen->GetSpeakerSprite(CutsceneScreen::kSlotRight)->GetPosition(),
              (Vec2{1920 - kPoseSide, 1080 - kPoseSide}));

    // Position words are exact; anything else changes nothing.
    EXPECT_EQ(screen->AddSpeaker("Tobin", "Left", "tobin_calm"), 0.0f);
    EXPECT_EQ(screen->AddSpeaker("Tobin", "middle", "tobin_calm"), 0.0f);
    EXPECT_EQ(FrameChildren(), 3);
    // Adding to an occupied slot replaces its speaker at once.
    EXPECT_EQ(screen->AddSpeaker("Ida", "left", "maren_calm"), 500.0f);
    EXPECT_EQ(screen->GetSpeakerName(CutsceneScreen::kSlotLeft), "Ida");
    EXPECT_EQ(FrameChildren(), 3);
}

TEST_F(CutsceneScreenTest, RemovalByNameOrPositionWordFreesTheSlotAtOnceAndTheSpriteAfterItsSlide) {
    screen->AddSpeaker("Tobin", "left", "tobin_calm");
    screen->AddSpeaker("Maren", "right", "maren_calm");
    harness.Step(kAnimationSteps);
    EXPECT_EQ(screen->RemoveSpeaker("Tobin"), 500.0f);
    EXPECT_EQ(screen->RemoveSpeaker("right"), 500.0f);
    EXPECT_EQ(screen->GetSpeakerName(CutsceneScreen::kSlotRight), "");
    EXPECT_FALSE(screen->GetSpeakerSprite(CutsceneScreen::kSlotRight));
    EXPECT_EQ(screen->RemoveSpeaker("Nobody"), 0.0f);
    // A free slot by its word still answers the time, with nothing to move.
    EXPECT_EQ(screen->RemoveSpeaker("center"), 500.0f);

    // A newcomer during the slide-out does not keep the old sprite alive.
    harness.Step(10);
    screen->AddSpeaker("Ida", "right", "maren_calm");
    EXPECT_EQ(FrameChildren(), 3);
    harness.Step(kAnimationSteps - 10);
    EXPECT_EQ(FrameChildren(), 1);
    EXPECT_EQ(screen->GetSpeakerName(CutsceneScreen::kSlotRight), "Ida");
}

TEST_F(CutsceneScreenTest, ANewPoseCrossFadesAndAPoseThatDoesNotLoadKeepsTheOldOne) {
    screen->AddSpeaker("Tobin", "left", "tobin_calm");
    harness.Step(kAnimationSteps);
    GuiWidget* calm = screen->GetSpeakerSprite(CutsceneScreen::kSlotLeft);
    EXPECT_EQ(screen->SetPose("Tobin", "tobin_glad"), 500.0f);
    GuiWidget* glad = screen->GetSpeakerSprite(CutsceneScreen::kSlotLeft);
    ASSERT_NE(glad, calm);
    EXPECT_EQ(glad->GetPosition(), (Vec2{0, 1080 - kPoseSide}));
    harness.Step(kAnimationSteps / 2);
    EXPECT_EQ(FrameChildren(), 2);
    EXPECT_GT(glad->GetAlpha(), 0.2f);
    EXPECT_LT(glad->GetAlpha(), 0.8f);
    harness.Step(kAnimationSteps / 2);
    EXPECT_EQ(FrameChildren(), 1);
    EXPECT_EQ(glad->GetAlpha(), 1.0f);

    // The sprite on screen stays the slot's, so a later pose still fades it.
    EXPECT_EQ(screen->SetPose("left", "missing_pose"), 500.0f);
    EXPECT_EQ(screen->GetSpeakerSprite(CutsceneScreen::kSlotLeft), glad);
    EXPECT_EQ(screen->SetPose("Tobin", "tobin_calm"), 500.0f);
    harness.Step(kAnimationSteps);
    EXPECT_EQ(FrameChildren(), 1);
    EXPECT_EQ(screen->SetPose("Nobody", "tobin_calm"), 0.0f);

    // A speaker whose first pose does not load is named but not shown.
    EXPECT_EQ(screen->AddSpeaker("Maren", "right", "missing_pose"), 0.0f);
    EXPECT_EQ(screen->GetSpeakerName(CutsceneScreen::kSlotRight), "Maren");
    EXPECT_FALSE(screen->GetSpeakerSprite(CutsceneScreen::kSlotRight));
}

TEST_F(CutsceneScreenTest, ABubblePausesItsScriptUntilAClickAndTheScriptGoesOnAtTheNextPass) {
    screen->AddSpeaker("Tobin", "left", "tobin_calm");
    harness.ClearCalls();
    harness.Click({500, 500});
    harness.Step();
    EXPECT_TRUE(harness.Calls().empty());  // nobody waits: the click is not the cutscene's

    SayLine("Tobin", "Hello");
    ASSERT_EQ(harness.Calls().size(), 1u);
    EXPECT_EQ(harness.Calls()[0], "bubble uni(Hello) 672.000000 540.000000");
    ASSERT_TRUE(screen->GetWaitingThread());
    GuiWidget* bubble = screen->GetChatBubble();
    ASSERT_TRUE(bubble);
    harness.Step(100);
    EXPECT_EQ(Count("said Hello"), 0);

    harness.Click({500, 500});
    harness.Step();  // the release removes the bubble and yields the script...
    EXPECT_FALSE(screen->GetChatBubble());
    EXPECT_FALSE(screen->GetWaitingThread());
    EXPECT_EQ(Count("said Hello"), 0);
    harness.Step();  // ...which the scheduler resumes at its next pass
    EXPECT_EQ(Count("said Hello"), 1);

    // An unknown speaker shows nothing and the script runs on.
    SayLine("Nobody", "Hm");
    EXPECT_EQ(Count("said Hm"), 1);
    EXPECT_FALSE(screen->GetWaitingThread());
}

TEST_F(CutsceneScreenTest, ASecondBubbleWhileOneWaitsDismissesTheFirstAndResumesItsScript) {
    screen->AddSpeaker("Tobin", "left", "tobin_calm");
    screen->AddSpeaker("Maren", "right", "maren_calm");
    SayLine("Tobin", "One");
    GuiWidget* first = screen->GetChatBubble();
    ASSERT_TRUE(first);
    halvo::AutoRef<GuiWidget> hold(first);
    SayLine("right", "Two");
    EXPECT_FALSE(first->GetParent());
    harness.Step(2);
    EXPECT_EQ(Count("said One"), 1);
    EXPECT_EQ(Count("said Two"), 0);
    harness.Step(testsupport::HeadlessGame::kReadPasses);
    harness.Click({500, 500});
    harness.Step(2);
    EXPECT_EQ(Count("said Two"), 1);
}

// A press made while no line stood (in a speaker's pose change) and let go
// once the next line had come up was meant for none: the line waits for a
// click of its own.
TEST_F(CutsceneScreenTest, APressMadeBeforeALineCameUpTurnsItNotWhenLetGoAfter) {
    screen->AddSpeaker("Tobin", "left", "tobin_calm");
    harness.MovePointer({500, 500});
    harness.Press();
    harness.Step();
    SayLine("Tobin", "Hello");
    harness.Step(testsupport::HeadlessGame::kReadPasses);
    harness.Release();
    harness.Step(2);
    EXPECT_TRUE(screen->GetWaitingThread());
    harness.Click({500, 500});
    harness.Step(2);
    EXPECT_EQ(Count("said Hello"), 1);
}

TEST_F(CutsceneScreenTest, AutoplayDismissesEachBubbleOnTheThirtiethStep) {
    harness.GetGame().cheatAutoPlay = true;
    screen->AddSpeaker("Tobin", "left", "tobin_calm");
    harness.Step(50);  // no bubble: autoplay clicks go nowhere
    SayLine("Tobin", "Auto");
    harness.Step(kAnimationSteps - 1);
    EXPECT_TRUE(screen->GetWaitingThread());
    harness.Step();
    EXPECT_FALSE(screen->GetWaitingThread());
    harness.Step();
    EXPECT_EQ(Count("said Auto"), 1);
}

TEST_F(CutsceneScreenTest, AKnownLocalisationKeyIsShownTranslatedAndOtherTextAsItIs) {
    testsupport::LocaTableWriter table;
    table.Add("greeting", "Good day");
    harness.WriteDataFile("loca/loca_test.bin", table.Build());
    FileManager::Global().ResetDirectoryCaches();
    ASSERT_TRUE(Loca::Global().Load("test"));
    screen->AddSpeaker("Tobin", "center", "tobin_calm");
    SayLine("center", "#greeting");
    harness.Step(testsupport::HeadlessGame::kReadPasses);
    harness.Click({1, 1});
    harness.Step(2);
    SayLine("Tobin", "#unknown");
    ASSERT_EQ(harness.Calls().size(), 3u);
    EXPECT_EQ(harness.Calls()[0], "bubble uni(Good day) 960.000000 540.000000");
    EXPECT_EQ(harness.Calls()[2], "bubble uni(#unknown) 960.000000 540.000000");
}

// A 200 ms fade from nothing started on `widget`; null when it would not run.
halvo::AutoRef<halvo::GuiAlpha> FadeIn(GuiWidget& widget) {
    widget.WriteFloat(GuiWidget::kPropAlpha, 0.0f);
    Vrel::t_Named fadeIn;
    fadeIn.GetOrAddMember(halvo::GuiAlpha::kParamAlpha)->SetFloat(1.0f);
    fadeIn.GetOrAddMember(halvo::GuiAnimator::kParamTime)->SetFloat(200.0f);
    halvo::AutoRef<halvo::GuiAlpha> fade(new halvo::GuiAlpha);
    if (!fade->Init(&widget, fadeIn)) return {};
    widget.AddAnimator(fade.Get());
    return fade;
}

// However many frames come while a page stands, as from a loop that draws
// one every millisecond, it stands its full time.
TEST(PageTurnGuardTest, APageStandsItsFullTimeHoweverFastFramesCome) {
    halvo::GuiFrameClock& frames = halvo::GuiMain::Global().Frames();
    const halvo::AutoRef<GuiWidget> page(new GuiWidget);
    PageTurnGuard guard;
    guard.PageCameUp(page.Get());
    const uint32_t shownMs = 1000;
    for (uint32_t ms = shownMs; ms < shownMs + PageTurnGuard::kStandMs; ++ms) {
        frames.StartFrame();
        frames.Presented(ms);
    }
    guard.NotePress(shownMs + PageTurnGuard::kStandMs - 1, page.Get());
    EXPECT_FALSE(guard.ReleaseTurns(page.Get()));
    guard.NotePress(shownMs + PageTurnGuard::kStandMs, page.Get());
    EXPECT_TRUE(guard.ReleaseTurns(page.Get()));
}

// A page that fades in over slow frames is not read while it is faint: it
// stands half a second from the first frame that shows it fully drawn.
TEST(PageTurnGuardTest, AFadingPageStandsHalfASecondFromItsFirstFullyDrawnFrame) {
    constexpr uint32_t kHalfASecond = 500;
    constexpr double kFrameGapMs = 150;
    halvo::GuiFrameClock& frames = halvo::GuiMain::Global().Frames();
    const halvo::AutoRef<GuiWidget> page(new GuiWidget);
    ASSERT_TRUE(FadeIn(*page));
    PageTurnGuard guard;
    guard.PageCameUp(page.Get());
    uint32_t firstMs = 0, wholeMs = 0;
    for (uint32_t ms = 1000; !wholeMs; ms += static_cast<uint32_t>(kFrameGapMs)) {
        page->Update(ms, firstMs ? kFrameGapMs : 0.0);
        frames.StartFrame();
        frames.Presented(ms);
        if (!firstMs) firstMs = ms;
        if (page->GetAlpha() >= 1.0f) wholeMs = ms;
    }
    ASSERT_GT(wholeMs, firstMs);
    guard.NotePress(firstMs + kHalfASecond, page.Get());
    EXPECT_FALSE(guard.ReleaseTurns(page.Get())) << "half a second after its first faint frame";
    guard.NotePress(wholeMs + kHalfASecond - 1, page.Get());
    EXPECT_FALSE(guard.ReleaseTurns(page.Get()));
    guard.NotePress(wholeMs + kHalfASecond, page.Get());
    EXPECT_TRUE(guard.ReleaseTurns(page.Get()));
}

// A page on a board that still fades in is as faint as the board.
TEST(PageTurnGuardTest, APageOnAFadingBoardStandsFromTheFrameThatShowsTheBoardFullyDrawn) {
    halvo::GuiFrameClock& frames = halvo::GuiMain::Global().Frames();
    const halvo::AutoRef<GuiWidget> board(new GuiWidget), page(new GuiWidget);
    ASSERT_TRUE(page->SetParent(board.Get(), false));
    const halvo::AutoRef<halvo::GuiAlpha> fade = FadeIn(*board);
    ASSERT_TRUE(fade);
    PageTurnGuard guard;
    guard.PageCameUp(page.Get());
    frames.StartFrame();
    frames.Presented(1000);
    fade->Finish(false);
    frames.StartFrame();
    frames.Presented(1200);
    guard.NotePress(1000 + PageTurnGuard::kStandMs, page.Get());
    EXPECT_FALSE(guard.ReleaseTurns(page.Get())) << "half a second after its first faint frame";
    guard.NotePress(1200 + PageTurnGuard::kStandMs, page.Get());
    EXPECT_TRUE(guard.ReleaseTurns(page.Get()));
}

}  // namespace
