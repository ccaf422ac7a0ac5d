// The sliding picture played through the host from a script: clicks, the
// move counter, autoplay, help and refused configurations.

#include "minigames/MiniGameHarness.h"

#include "minigames/MG_PushPuzzle.h"
#include "platform/os/Random.h"

#include <string>

namespace {

using testsupport::MiniGameHarness;

// An uncompressed TGA of one colour, rows from the top.
std::string Tga(int width, int height, int bits) {
    std::string bytes(18, '\0');
    bytes[2] = bits == 8 ? 3 : 2;
    bytes[12] = char(width & 255), bytes[13] = char(width >> 8);
    bytes[14] = char(height & 255), bytes[15] = char(height >> 8);
    bytes[16] = char(bits);
    bytes[17] = 0x20;
    return bytes + std::string(size_t(width * height * bits / 8), '\x7f');
}

class MG_PushPuzzleTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Mosaik");
        h.game.WriteDataFile("MiniGames/Mosaik/Tiny.tga", Tga(2, 2, 32));
        h.game.WriteDataFile("MiniGames/Mosaik/Grey.tga", Tga(8, 8, 8));
        ASSERT_TRUE(h.Start());
    }

    void Configure(const char* background, int gridSize, const char* picture) {
        DataTree::SetString(MG_PushPuzzle::kBackgroundKey, background);
        DataTree::SetInt(MG_PushPuzzle::kGridSizeKey, gridSize);
        DataTree::SetString(MG_PushPuzzle::kPictureKey, picture);
    }

    MG_PushPuzzle* Start(uint32_t seed) {
        os::SeedRand(seed);
        h.StartFromScript("Mosaik");
        MiniGameScreen* host = h.Host();
        return host ? CastTo<MG_PushPuzzle>(host->Children().front().Get()) : nullptr;
    }

    // A release at a point of the game, in design units.
    void ClickGame(const MG_PushPuzzle& game, float x, float y) {
        h.game.Click(game.GetPosition() + Vec2{x, y});
        h.game.Step();
    }

    // The centre of a cell's place on the picture.
    static Vec2 CellCentre(const PushPuzzleRules& rules, int32_t x, int32_t y) {
        return {float(rules.GetPictureX() + rules.GetTileWidth() * x + rules.GetTileWidth() / 2),
                float(rules.GetPictureY() + rules.GetTileHeight() * y + rules.GetTileHeight() / 2)};
    }

    static int32_t GapCell(const PushPuzzleRules& rules) {
        for (int32_t cell = 0; cell < rules.GetCellCount(); ++cell)
            if (rules.IsGap(cell)) return cell;
        return -1;
    }

    MiniGameHarness h;
};

TEST_F(MG_PushPuzzleTest, ClicksSlideByTruncatedCellAndAutoplayWinsWithoutCountingMoves) {
    Configure("Background", 3, "Sample");
    MG_PushPuzzle* game = Start(7);
    ASSERT_TRUE(h.Started());
    ASSERT_NE(game, nullptr);
    const PushPuzzleRules& rules = *game->GetRules();
    EXPECT_EQ(game->GetSize(), (Point2i{600, 600}));
    EXPECT_EQ(rules.GetTileWidth(), 160);
    EXPECT_EQ(rules.GetPictureX(), 60);
    EXPECT_FALSE(rules.IsSolved());
    ASSERT_TRUE(h.game.RunUntilFadeEnds());

    // Bring the gap to the middle column by a plain click beside it.
    int32_t gap = GapCell(rules);
    const int32_t row = gap / 3;
    if (gap % 3 != 1) {
        const Vec2 middle = CellCentre(rules, 1, row);
        ClickGame(*game, middle.x, middle.y);
        gap = GapCell(rules);
        ASSERT_EQ(gap, row * 3 + 1);
    }
    const int32_t movesBefore = rules.GetMoves();
    // Left of the picture but within a piece's width: column 0.
    ClickGame(*game, float(rules.GetPictureX() - 30), CellCentre(rules, 0, row).y);
    EXPECT_EQ(rules.GetMoves(), movesBefore + 1);
    EXPECT_TRUE(rules.IsGap(row * 3));
    // The gap itself, and below the picture: nothing.
    ClickGame(*game, CellCentre(rules, 0, row).x, CellCentre(rules, 0, row).y);
    ClickGame(*game, 300.0f, 590.0f);
    const int32_t playerMoves = rules.GetMoves();
    EXPECT_EQ(playerMoves, movesBefore + 1);
    EXPECT_EQ(h.Host()->GetCounter(), playerMoves);

    h.game.GetGame().cheatAutoPlay = true;
    ASSERT_TRUE(h.StepUntilHostGone(2000));
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt(MG_PushPuzzle::kMovesKey), playerMoves);
    h.game.Step(3);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_won"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST_F(MG_PushPuzzleTest, HelpSlidesEveryPieceHomeAndEndsSkippedIgnoringClicksMeanwhile) {
    Configure("Background", 4, "Sample");
    MG_PushPuzzle* game = Start(3);
    ASSERT_NE(game, nullptr);
    const PushPuzzleRules& rules = *game->GetRules();
    ASSERT_TRUE(h.game.RunUntilFadeEnds());
    h.Host()->OnHelp();
    EXPECT_FALSE(h.Host()->IsFinished());
    // A click while the pieces go home would leave the picture unsolved.
    const int32_t gap = GapCell(rules);
    const int32_t beside = gap % 4 == 0 ? gap + 1 : gap - 1;
    const Vec2 at = CellCentre(rules, beside % 4, beside / 4);
    ClickGame(*game, at.x, at.y);
    EXPECT_EQ(rules.GetMoves(), 0);
    h.game.Step(16);
    EXPECT_TRUE(rules.IsSolved());
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 1);
    EXPECT_EQ(DataTree::GetInt(MG_PushPuzzle::kMovesKey), 0);
}

TEST_F(MG_PushPuzzleTest, BrokenConfigurationsReturnSkippedWithNoStatistics) {
    const struct { const char* what; const char* background; int gridSize; const char* picture; } cases[] = {
        {"grid of one", "Background", 1, "Sample"},
        {"grid of none", "Background", 0, "Sample"},
        {"negative grid", "Background", -3, "Sample"},
        {"grid beyond the limit", "Background", 33, "Sample"},
        {"less than a pixel per piece", "Background", 3, "Tiny"},
        {"8-bit picture", "Background", 2, "Grey"},
        {"missing picture", "Background", 3, "Nowhere"},
        {"missing background", "Nowhere", 3, "Sample"},
        {"no background named", "", 3, "Sample"},
    };
    int resumed = 0;
    for (const auto& c : cases) {
        DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
        Configure(c.background, c.gridSize, c.picture);
        EXPECT_EQ(Start(1), nullptr) << c.what;
        EXPECT_EQ(testsupport::lastStartAnswer, 0) << c.what;
        EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped) << c.what;
        h.game.Step();
        EXPECT_EQ(h.CountCalls("resumed"), ++resumed) << c.what;
    }
    EXPECT_FALSE(DataTree::Exists("[STATS]/mini"));
    EXPECT_FALSE(DataTree::Exists(MG_PushPuzzle::kMovesKey));
}

}  // namespace
