// The code lock played through the headless game from a script start; the
// game lies at the design area's origin, so game and design units agree.

#include "minigames/MiniGameHarness.h"

#include "minigames/lock/MG_Lock.h"

namespace {

class MG_LockTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Schloss");
        ASSERT_TRUE(h.Start());
    }

    MG_Lock* Lock() const { return h.Played<MG_Lock>(); }
    void Drag(Vec2 from, Vec2 to) {
        h.game.MovePointer(from);
        h.game.Press();
        h.game.MovePointer(to);
        h.game.Release();
        h.game.Step();
    }
    void Place(int32_t piece, int32_t slot) {
        Drag(Lock()->GetPiecePosition(piece), {400.0f + 160.0f * static_cast<float>(slot), 580.0f});
    }
    void Click(Vec2 at) {
        h.game.Click(at);
        h.game.Step();
    }

    static constexpr Vec2 kCheckButton{960, 760};
    testsupport::MiniGameHarness h;
};

// The last bolt is pushed in as a hand does it, the button held over a few
// steps: the win comes while it is held, and its release leaves the closing
// line standing until a click of its own.
TEST_F(MG_LockTest, PlacedCheckedAndPushedInByThePlayerIsWonOnce) {
    DataTree::SetString(MiniGameScreen::kSolvedKey, "Opened");
    ASSERT_TRUE(h.StartPlaying("Schloss"));
    const LockRules& rules = *Lock()->GetRules();
    for (int32_t s = 0; s < LockRules::kSlotCount; ++s) Place(rules.CodeAt(s), s);
    Click(kCheckButton);
    ASSERT_EQ(rules.GetPhase(), LockPhase::kPushing);
    for (int32_t k = 0; k + 1 < LockRules::kSlotCount; ++k)
        Click(Lock()->GetPiecePosition(rules.CodeAt(rules.PushOrderAt(k))));
    h.game.MovePointer(Lock()->GetPiecePosition(rules.CodeAt(rules.PushOrderAt(LockRules::kSlotCount - 1))));
    h.game.Press();
    h.game.Step(6);
    ASSERT_TRUE(h.Host()->IsFinished() && h.Host()->IsMessageShown());
    h.game.Release();
    h.game.Step(60);
    ASSERT_TRUE(h.Host() && h.Host()->IsMessageShown()) << "the closing line";
    Click(kCheckButton);
    ASSERT_TRUE(h.StepUntilHostGone());
    h.game.Step(3);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_won"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_EQ(DataTree::GetInt(MG_Lock::kTriesKey), 1);
    EXPECT_TRUE(DataTree::Exists(MG_Lock::kTimeKey));
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST_F(MG_LockTest, TenFailedChecksLoseAndASecondPressWhileDraggingIsSwallowed) {
    ASSERT_TRUE(h.StartPlaying("Schloss"));
    MG_Lock* lock = Lock();
    const LockRules& rules = *lock->GetRules();
    InputEvent press{};
    press.kind = InputEvent::kButtonDown;
    for (int32_t piece : {0, 1}) {
        press.x = lock->GetPiecePosition(piece).x;
        press.y = lock->GetPiecePosition(piece).y;
        EXPECT_TRUE(lock->OnInput(press));
    }
    EXPECT_EQ(rules.GetHeldPiece(), 0);
    h.game.Release();
    h.game.Step();

    int32_t stranger = 0;  // a piece outside the code
    for (int32_t s = 0; s < LockRules::kSlotCount; ++s)
        if (rules.CodeAt(s) == stranger) ++stranger, s = -1;
    for (int i = 0; i < LockRules::kTries; ++i) {
        Place(stranger, 0);
        Click(kCheckButton);
        EXPECT_EQ(rules.GetSlotState(0), LockSlotState::kWrong);
        // Out to the top edge, clear of the other pieces.
        Drag(lock->GetPiecePosition(stranger), {1000, 100});
    }
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameLost);
    EXPECT_EQ(DataTree::GetInt(MG_Lock::kTriesKey), LockRules::kTries);
}

// A bolt dropped at the top right stays below the host's timer display;
// elsewhere at the top it stays where it was dropped.
TEST_F(MG_LockTest, ABoltDroppedAtTheTopRightStaysClearOfTheTimer) {
    ASSERT_TRUE(h.StartPlaying("Schloss"));
    MG_Lock* lock = Lock();
    Drag(lock->GetPiecePosition(0), {1000, 100});
    EXPECT_EQ(lock->GetPiecePosition(0), (Vec2{1000, 100}));
    Drag(lock->GetPiecePosition(0), {1580, 100});
    const float halfHeight = 150;  // of the sample's bolt, 300 high
    EXPECT_EQ(lock->GetPiecePosition(0).x, 1580);
    EXPECT_GE(lock->GetPiecePosition(0).y - halfHeight, MiniGameScreen::kTextDisplayMax.y);
}

// The sample's row of ten at its usual spacing would reach under the timer:
// it closes up, evenly, and ends left of it.
TEST_F(MG_LockTest, TheWaitingRowStandsEvenAndLeftOfTheTimer) {
    ASSERT_TRUE(h.StartPlaying("Schloss"));
    MG_Lock* lock = Lock();
    const float halfWidth = 50;  // of the sample's bolt, 100 wide
    const float step = lock->GetPiecePosition(1).x - lock->GetPiecePosition(0).x;
    EXPECT_GT(step, 2 * 45.0f) << "the bolts' visible 90 pixels stay apart";
    for (int32_t i = 1; i < LockRules::kPieceCount; ++i) {
        EXPECT_NEAR(lock->GetPiecePosition(i).x - lock->GetPiecePosition(i - 1).x, step, 0.01f) << "bolt " << i;
        EXPECT_EQ(lock->GetPiecePosition(i).y, lock->GetPiecePosition(0).y) << "bolt " << i;
    }
    EXPECT_LE(lock->GetPiecePosition(LockRules::kPieceCount - 1).x + halfWidth, MiniGameScreen::kTextDisplayMin.x);
}

TEST_F(MG_LockTest, EveryPresetSlotOpensTheLockAtTheFirstStep) {
    DataTree::SetInt(MG_Lock::kSolvedKey, 12);
    ASSERT_TRUE(h.StartPlaying("Schloss"));
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
}

TEST_F(MG_LockTest, HelpSkipsAndAMissingBoltReturnsSkippedWithoutStatistics) {
    ASSERT_TRUE(h.StartPlaying("Schloss"));
    h.Host()->OnHelp();
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 1);
    h.game.Step();

    DataTree::Remove(MG_Lock::kTimeKey);
    DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
    std::filesystem::remove(h.game.DataFolder().Path() + "/MiniGames/Schloss/Bolt07.cbi");
    h.StartFromScript("Schloss");
    EXPECT_EQ(testsupport::lastStartAnswer, 0);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_FALSE(DataTree::Exists(MG_Lock::kTimeKey));
    h.game.Step();
    EXPECT_EQ(h.CountCalls("resumed"), 2);
}

}  // namespace
