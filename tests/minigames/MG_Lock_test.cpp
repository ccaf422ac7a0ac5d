// The code lock played through the headless game from a script start: the
// game lies at the design area's origin, so game and design units agree.

#include "minigames/MiniGameHarness.h"

#include "minigames/MG_Lock.h"

namespace {

using testsupport::MiniGameHarness;

class MG_LockTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Schloss");
        ASSERT_TRUE(h.Start());
    }

    MG_Lock* Lock() const {
        MiniGameScreen* host = h.Host();
        return host && !host->Children().empty() ? CastTo<MG_Lock>(host->Children().front().Get()) : nullptr;
    }

    void Drag(Vec2 from, Vec2 to) {
        h.game.MovePointer(from);
        h.game.Press();
        h.game.MovePointer(to);
        h.game.Release();
        h.game.Step();
    }

    // Drags the piece into the slot's drop box.
    void Place(int32_t piece, int32_t slot) {
        Drag(Lock()->GetPiecePosition(piece), {400.0f + 160.0f * static_cast<float>(slot), 580.0f});
    }

    void PressCheck() {
        h.game.Click({960, 760});
        h.game.Step();
    }

    MiniGameHarness h;
};

TEST_F(MG_LockTest, PlacedPushedAndOpenedByThePlayerIsWonOnce) {
    ASSERT_TRUE(h.StartPlaying("Schloss"));
    const LockRules& rules = *Lock()->GetRules();
    for (int32_t s = 0; s < LockRules::kSlotCount; ++s) Place(rules.CodeAt(s), s);
    PressCheck();
    ASSERT_EQ(rules.GetPhase(), LockPhase::kPushing);
    for (int32_t k = 0; k < LockRules::kSlotCount; ++k) {
        h.game.Click(Lock()->GetPiecePosition(rules.CodeAt(rules.PushOrderAt(k))));
        h.game.Step();
    }
    ASSERT_TRUE(h.StepUntilHostGone());
    h.game.Step(3);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_won"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_EQ(DataTree::GetInt(MG_Lock::kTriesKey), 1);
    EXPECT_TRUE(DataTree::Exists(MG_Lock::kTimeKey));
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST_F(MG_LockTest, TenFailedChecksLose) {
    ASSERT_TRUE(h.StartPlaying("Schloss"));
    const LockRules& rules = *Lock()->GetRules();
    // A piece outside the code, put back in after each check.
    int32_t stranger = 0;
    while (rules.CodeAt(0) == stranger || rules.CodeAt(1) == stranger || rules.CodeAt(2) == stranger ||
           rules.CodeAt(3) == stranger || rules.CodeAt(4) == stranger || rules.CodeAt(5) == stranger ||
           rules.CodeAt(6) == stranger || rules.CodeAt(7) == stranger)
        ++stranger;
    Place(stranger, 0);
    for (int i = 0; i < LockRules::kTries; ++i) {
        PressCheck();
        EXPECT_EQ(rules.GetSlotState(0), LockSlotState::kWrong);
        // Out to the top edge, clear of the other pieces, and back in.
        Drag(Lock()->GetPiecePosition(stranger), {1000, 100});
        Place(stranger, 0);
    }
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameLost);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_lost"), 1);
    EXPECT_EQ(DataTree::GetInt(MG_Lock::kTriesKey), LockRules::kTries);
}

TEST_F(MG_LockTest, ASecondPressWhileDraggingIsSwallowed) {
    h.StartFromScript("Schloss");
    MG_Lock* lock = Lock();
    const Vec2 first = lock->GetPiecePosition(0), second = lock->GetPiecePosition(1);
    InputEvent press{};
    press.kind = InputEvent::kButtonDown;
    press.x = first.x;
    press.y = first.y;
    EXPECT_TRUE(lock->OnInput(press));
    press.x = second.x;
    press.y = second.y;
    EXPECT_TRUE(lock->OnInput(press));
    EXPECT_EQ(lock->GetDragged(), 0);
    EXPECT_EQ(lock->GetRules()->GetHeldPiece(), 0);
}

TEST_F(MG_LockTest, EveryPresetSlotOpensTheLockAtTheFirstStep) {
    DataTree::SetInt(MG_Lock::kSolvedKey, 12);
    h.StartFromScript("Schloss");
    h.game.Step();
    EXPECT_TRUE(h.Host()->IsFinished());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
}

TEST_F(MG_LockTest, HelpSkipsAndAMissingBoltReturnsSkippedWithoutStatistics) {
    h.StartFromScript("Schloss");
    h.Host()->OnHelp();
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 1);

    h.game.Step();
    h.game.ClearCalls();
    DataTree::Remove("[STATS]/schloss");
    DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
    std::filesystem::remove(h.game.DataFolder().Path() + "/MiniGames/Schloss/Bolt07.cbi");
    h.StartFromScript("Schloss");
    EXPECT_FALSE(h.Started());
    EXPECT_EQ(h.Host(), nullptr);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_FALSE(DataTree::Exists("[STATS]/schloss"));
    h.game.Step();
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

}  // namespace
