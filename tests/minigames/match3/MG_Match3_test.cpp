// Match-three played through the headless game from a script start: the
// drag through pointer events, autoplay to the win, help, refused
// configurations.

#include "minigames/MiniGameHarness.h"

#include "minigames/match3/MG_Match3.h"
#include "platform/os/Random.h"

namespace {

class MG_Match3Test : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Match3");
        const std::string folder = testsupport::SourceFolder("data/Data/Shared/MiniGames/Match3/");
        std::string noGrey = testsupport::ReadWholeFile(folder + "Sample.xml");
        // Its fourth type has a colour picture only.
        h.game.WriteDataFile("MiniGames/Match3/NoGrey.xml", noGrey.replace(noGrey.find("Gem4"), 4, "Lone"));
        h.game.WriteDataFile("MiniGames/Match3/Lone.cbi", testsupport::ReadWholeFile(folder + "Gem4.cbi"));
        h.game.WriteDataFile("MiniGames/Match3/OneType.xml",
                             "<m><background file=\"Background\"/><tile file=\"Gem1\"/><tilecount countx=\"8\" "
                             "county=\"7\"/><tileoffset offx=\"130\" offy=\"170\"/><tilespacing spcx=\"100\" "
                             "spcy=\"100\"/></m>");
        ASSERT_TRUE(h.Start());
    }

    MG_Match3* Play(const char* config) {
        DataTree::SetString(MG_Match3::kConfigKey, config);
        os::SeedRand(5);
        h.StartFromScript("Match3");
        MG_Match3* game = h.Played<MG_Match3>();
        if (game) h.game.RunUntilFadeEnds();
        return game;
    }
    void PointerAt(const MG_Match3& game, Vec2 at) {
        h.game.MovePointer(game.GetPosition() + at);
        h.game.Step();
    }

    testsupport::MiniGameHarness h;
};

TEST_F(MG_Match3Test, DragPicksTheNeighbourAndAReleaseOutsideKeepsTheDrag) {
    MG_Match3* game = Play("Sample");
    ASSERT_NE(game, nullptr);
    const Match3Rules& rules = *game->GetRules();
    PointerAt(*game, {650, 590});  // cell (2, 3)
    h.game.Press();
    PointerAt(*game, {720, 590});  // past half a spacing to the right
    EXPECT_EQ(rules.GetFirst(), 3 * 8 + 2);
    EXPECT_EQ(rules.GetSecond(), 3 * 8 + 3);
    PointerAt(*game, {-20, 590});  // off the table, which fills the screen
    h.game.Release();
    h.game.Step();
    EXPECT_TRUE(rules.IsDragging());
    PointerAt(*game, {650, 590});
    h.game.Press();  // swallowed while the drag is on
    h.game.Release();
    h.game.Step();
    EXPECT_FALSE(rules.IsDragging());

    // A pause by script stops the clock and the drag's following, not the
    // player's press; the swap shows once the game runs again.
    h.game.GetGame().paused = true;
    const double time = h.Host()->GetTime();
    h.game.Press();
    PointerAt(*game, {720, 590});
    EXPECT_TRUE(rules.IsDragging());
    EXPECT_EQ(rules.GetFirst(), 3 * 8 + 2);
    EXPECT_EQ(rules.GetSecond(), -1);
    EXPECT_EQ(h.Host()->GetTime(), time);
    h.game.GetGame().paused = false;
    h.game.Step();
    EXPECT_EQ(rules.GetSecond(), 3 * 8 + 3);
}

TEST_F(MG_Match3Test, AutoplayWinsOnceAndCommitsTheTime) {
    MG_Match3* game = Play("Sample");
    ASSERT_NE(game, nullptr);
    h.game.GetGame().cheatAutoPlay = true;
    for (int i = 0; i < 20000 && !h.Host()->IsFinished(); ++i) h.game.Step();
    ASSERT_TRUE(game->GetRules()->IsWon());
    const int seconds = int(h.Host()->GetTime() / 1000);
    ASSERT_TRUE(h.StepUntilHostGone());
    h.game.Step(3);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt(MG_Match3::kTimeKey), seconds);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST_F(MG_Match3Test, BrokenConfigurationsReturnSkippedWithNoStatisticsAndHelpSkips) {
    for (const char* config : {"OneType", "NoGrey", "Nowhere", ""}) {
        DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
        EXPECT_EQ(Play(config), nullptr) << config;
        EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped) << config;
    }
    EXPECT_FALSE(DataTree::Exists("[STATS]/mini"));
    EXPECT_FALSE(DataTree::Exists(MG_Match3::kTimeKey));
    h.game.Step();
    EXPECT_EQ(h.CountCalls("resumed"), 4);

    ASSERT_NE(Play("Sample"), nullptr);
    h.Host()->OnHelp();
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 1);
}

}  // namespace
