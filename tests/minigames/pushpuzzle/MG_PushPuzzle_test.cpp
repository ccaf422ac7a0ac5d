// The sliding picture played through the headless game from a script start:
// clicks and the move counter, autoplay, help, refused configurations.

#include "minigames/MiniGameHarness.h"

#include "minigames/pushpuzzle/MG_PushPuzzle.h"
#include "platform/os/Random.h"

namespace {

class MG_PushPuzzleTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Mosaik");
        ASSERT_TRUE(h.Start());
    }

    MG_PushPuzzle* Play(int gridSize, const char* picture = "Sample", const char* background = "Background") {
        DataTree::SetString(MG_PushPuzzle::kBackgroundKey, background);
        DataTree::SetInt(MG_PushPuzzle::kGridSizeKey, gridSize);
        DataTree::SetString(MG_PushPuzzle::kPictureKey, picture);
        os::SeedRand(7);
        h.StartFromScript("Mosaik");
        MG_PushPuzzle* game = h.Played<MG_PushPuzzle>();
        if (game) h.game.RunUntilFadeEnds();
        return game;
    }
    // A release at (column, row) of the picture, in fractions of a piece.
    void ClickCell(const MG_PushPuzzle& game, float column, float row) {
        const PushPuzzleRules& rules = *game.GetRules();
        h.game.Click(game.GetPosition() + Vec2{rules.GetPictureX() + column * rules.GetTileWidth(),
                                               rules.GetPictureY() + row * rules.GetTileHeight()});
        h.game.Step();
    }
    static int32_t Gap(const PushPuzzleRules& rules) {
        int32_t cell = 0;
        while (!rules.IsGap(cell)) ++cell;
        return cell;
    }

    testsupport::MiniGameHarness h;
};

TEST_F(MG_PushPuzzleTest, ClicksSlideByTruncatedCellAndAutoplayWinsWithoutCountingMoves) {
    MG_PushPuzzle* game = Play(3);
    ASSERT_NE(game, nullptr);
    const PushPuzzleRules& rules = *game->GetRules();
    EXPECT_EQ(game->GetSize(), (Point2i{1920, 1080}));
    const float row = float(Gap(rules) / 3) + 0.5f;
    if (Gap(rules) % 3 != 1) ClickCell(*game, 1.5f, row);  // the gap to the middle column
    ASSERT_EQ(Gap(rules) % 3, 1);
    const int32_t moves = rules.GetMoves();
    // Left of the picture within a piece's width is column 0; the gap
    // itself and below the picture do nothing.
    ClickCell(*game, -0.2f, row);
    ClickCell(*game, 0.5f, row);
    ClickCell(*game, 1.5f, 3.1f);
    EXPECT_EQ(Gap(rules) % 3, 0);
    EXPECT_EQ(rules.GetMoves(), moves + 1);
    EXPECT_EQ(h.Host()->GetCounter(), moves + 1);

    h.game.GetGame().cheatAutoPlay = true;
    ASSERT_TRUE(h.StepUntilHostGone(2000));
    h.game.Step(3);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt(MG_PushPuzzle::kMovesKey), moves + 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

// A pause by script stops the clock and the sliding, not the player's clicks.
TEST_F(MG_PushPuzzleTest, AClickWhilePausedSlidesOnceTheGameRunsAgain) {
    MG_PushPuzzle* game = Play(3);
    ASSERT_NE(game, nullptr);
    const PushPuzzleRules& rules = *game->GetRules();
    h.game.Step(20);  // the opening slides come to rest
    ASSERT_TRUE(rules.IsAtRest());
    const int32_t gap = Gap(rules);
    const int32_t beside = gap % 3 == 0 ? gap + 1 : gap - 1;
    h.game.GetGame().paused = true;
    const double time = h.Host()->GetTime();
    ClickCell(*game, float(beside % 3) + 0.5f, float(beside / 3) + 0.5f);
    h.game.Step(20);
    EXPECT_EQ(Gap(rules), beside);
    EXPECT_EQ(rules.GetMoves(), 1);
    EXPECT_EQ(h.Host()->GetCounter(), 1);
    EXPECT_FALSE(rules.IsAtRest());
    EXPECT_EQ(h.Host()->GetTime(), time);
    h.game.GetGame().paused = false;
    h.game.Step(20);
    EXPECT_TRUE(rules.IsAtRest());
}

TEST_F(MG_PushPuzzleTest, HelpSlidesThePiecesHomeIgnoringClicksAndEndsSkipped) {
    MG_PushPuzzle* game = Play(4);
    ASSERT_NE(game, nullptr);
    const PushPuzzleRules& rules = *game->GetRules();
    h.Host()->OnHelp();
    const int32_t gap = Gap(rules);
    ClickCell(*game, float(gap % 4 == 0 ? 1 : gap % 4 - 1) + 0.5f, float(gap / 4) + 0.5f);
    EXPECT_EQ(rules.GetMoves(), 0);
    h.game.Step(15);
    EXPECT_TRUE(rules.IsSolved());
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 1);
}

TEST_F(MG_PushPuzzleTest, BrokenConfigurationsReturnSkippedWithNoStatistics) {
    const struct { const char* what; int gridSize; const char* picture; const char* background; } cases[] = {
        {"grid of one", 1, "Sample", "Background"},      {"grid beyond the limit", 33, "Sample", "Background"},
        {"missing picture", 3, "Nowhere", "Background"}, {"missing background", 3, "Sample", "Nowhere"}};
    int resumed = 0;
    for (const auto& c : cases) {
        DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
        EXPECT_EQ(Play(c.gridSize, c.picture, c.background), nullptr) << c.what;
        EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped) << c.what;
        h.game.Step();
        EXPECT_EQ(h.CountCalls("resumed"), ++resumed) << c.what;
    }
    EXPECT_FALSE(DataTree::Exists("[STATS]/mini"));
    EXPECT_FALSE(DataTree::Exists(MG_PushPuzzle::kMovesKey));
}

}  // namespace
