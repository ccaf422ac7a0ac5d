// The pipe game under the host, started by name from a script: the board
// from the game's time, play to the win, help, a refused configuration.

#include "minigames/pipes/MG_Pipes.h"
#include "minigames/MiniGameHarness.h"

#include "gui/GuiTexture.h"
#include "platform/GLImage.h"

#include <cmath>
#include <vector>

namespace {

using testsupport::MiniGameHarness;

// Where a point of an image at the origin lands once drawn (its y axis down).
Vec2 Placed(const GLImage& image, Vec2 p) {
    const float* m = image.ModelMatrix().m;
    return {m[0] * p.x + m[4] * p.y + m[12], m[1] * p.x + m[5] * p.y + m[13]};
}

class MG_PipesTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Rohre");
        h.game.WriteDataFile("MiniGames/Rohre/broken.xml",
                             "<pipes><background file='board'/><tile basefile='straight' colormask1='straight_mask' "
                             "colormask2='straight_mask2' up='1' down='1'/><inlet basefile='inlet' right='1' "
                             "fieldx='-1'/><outlet basefile='outlet' left='1' fieldx='1'/><tilecount countx='2' "
                             "county='1'/><tilespacing spcx='96' spcy='96'/></pipes>");
        ASSERT_TRUE(h.Start());
        DataTree::SetString(MG_Pipes::kConfigKey, "sample");
    }

    MG_Pipes* StartAt(double totalTime) {
        h.game.GetGame().totalTime = totalTime;
        h.StartFromScript("Rohre");
        h.game.RunUntilFadeEnds();  // input waits for the fade-in
        MiniGameScreen* host = h.Host();
        return host && !host->Children().empty() ? CastTo<MG_Pipes>(host->Children().front().Get()) : nullptr;
    }

    void ClickCell(const MG_Pipes& game, int32_t x, int32_t y) {
        h.game.Click(game.GetPosition() + game.CellCentre(x, y));
        h.game.Step();
    }

    std::vector<int32_t> Rotations(const PipesRules& rules) const {
        std::vector<int32_t> rotations;
        for (int32_t y = 0; y < rules.GetCountY(); ++y)
            for (int32_t x = 0; x < rules.GetCountX(); ++x) rotations.push_back(rules.TileAt(x, y).rotation);
        return rotations;
    }

    MiniGameHarness h;
};

TEST_F(MG_PipesTest, TheSameTimeGivesTheSameBoardAndPlayingItHomeWinsOnce) {
    MG_Pipes* first = StartAt(123456.0);
    ASSERT_NE(first, nullptr);
    const std::vector<int32_t> board = Rotations(*first->GetRules());
    h.cutscene->RemoveAllChildren();
    h.game.Step();

    MG_Pipes* game = StartAt(123456.0);
    ASSERT_NE(game, nullptr);
    const PipesRules& rules = *game->GetRules();
    EXPECT_EQ(Rotations(rules), board);

    // A click on an inlet's cell off the board turns nothing.
    ClickCell(*game, -1, 0);
    EXPECT_EQ(Rotations(rules), board);

    for (int32_t y = 0; y < rules.GetCountY() && !rules.IsWon(); ++y) {
        for (int32_t x = 0; x < rules.GetCountX() && !rules.IsWon(); ++x) {
            for (int turn = 0; turn < 4 && rules.TileAt(x, y).rotation != rules.TileAt(x, y).solvedRotation; ++turn)
                ClickCell(*game, x, y);
            h.game.Step(PipesRules::kTurnSteps);
        }
    }
    ASSERT_TRUE(rules.IsWon());
    MiniGameScreen* host = h.Host();
    ASSERT_TRUE(host && host->IsFinished());
    const int32_t seconds = static_cast<int32_t>(host->GetTime() / 1000);
    ASSERT_TRUE(h.StepUntilHostGone());
    h.game.Step();
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_won"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_EQ(DataTree::GetInt(MG_Pipes::kTimeKey), seconds);
    EXPECT_EQ(h.CountCalls("resumed"), 2);  // the first game, removed, and this one
}

TEST_F(MG_PipesTest, HelpSkipsAndARefusedConfigurationCommitsNothing) {
    ASSERT_NE(StartAt(5000.0), nullptr);
    h.game.Step(3);
    h.Host()->OnHelp();
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 1);
    EXPECT_TRUE(DataTree::Exists(MG_Pipes::kTimeKey));
    h.game.Step();

    DataTree::Remove("[STATS]/");
    DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
    // No colour while there are inlets: refused before anything is built.
    DataTree::SetString(MG_Pipes::kConfigKey, "broken");
    h.game.ClearCalls();
    EXPECT_EQ(StartAt(5000.0), nullptr);
    EXPECT_EQ(h.Host(), nullptr);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_FALSE(DataTree::Exists("[STATS]/mini"));
    EXPECT_FALSE(DataTree::Exists(MG_Pipes::kTimeKey));
    h.game.Step();
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST(MG_Pipes, APieceTurnedOnceShowsItsTopOpeningOnTheRightAndSwingsTheShortWay) {
    GLImage image;
    image.size = {96, 96};
    PipesTile tile;
    tile.rotation = 1;
    halvo::SetRotationDegrees(image, MG_Pipes::DrawAngle(tile, true));
    image.UpdateMatrix();
    const Vec2 top = Placed(image, {0, -48});
    EXPECT_NEAR(top.x, 48.0f, 1e-3f);
    EXPECT_NEAR(top.y, 0.0f, 1e-3f);

    // From 3 to 0: through 315 degrees, not back through 180.
    tile.rotation = 0, tile.prevRotation = 3, tile.turnSteps = PipesRules::kTurnSteps / 2;
    const float angle = MG_Pipes::DrawAngle(tile, true);
    EXPECT_GT(angle, 270.0f);
    EXPECT_LT(angle, 360.0f);
    EXPECT_EQ(MG_Pipes::DrawAngle(tile, false), 0.0f);
}

}  // namespace
