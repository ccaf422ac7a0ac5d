// Match-three played through the host from a script: the drag through
// pointer events, autoplay to the win, help, and refused configurations.

#include "minigames/MiniGameHarness.h"

#include "minigames/MG_Match3.h"
#include "platform/os/Random.h"

#include <string>

namespace {

using testsupport::MiniGameHarness;

std::string Board(int types, int countX, int countY, int spacing, const char* tile = "Gem") {
    std::string xml = "<match3><background file=\"Background\"/>";
    for (int t = 1; t <= types; ++t) xml += "<tile file=\"" + std::string(tile) + std::to_string(t) + "\"/>";
    return xml + "<tilecount countx=\"" + std::to_string(countX) + "\" county=\"" + std::to_string(countY) +
           "\"/><tileoffset offx=\"130\" offy=\"170\"/><tilespacing spcx=\"" + std::to_string(spacing) +
           "\" spcy=\"" + std::to_string(spacing) + "\"/></match3>";
}

class MG_Match3Test : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Match3");
        h.game.WriteDataFile("MiniGames/Match3/OneType.xml", Board(1, 8, 7, 100));
        h.game.WriteDataFile("MiniGames/Match3/TwoByTwo.xml", Board(3, 2, 2, 100));
        h.game.WriteDataFile("MiniGames/Match3/NoSpacing.xml", Board(3, 8, 7, 0));
        h.game.WriteDataFile("MiniGames/Match3/Huge.xml", Board(3, 65, 65, 100));
        h.game.WriteDataFile("MiniGames/Match3/NoPicture.xml", Board(3, 8, 7, 100, "Stone"));
        // Its third type has a colour picture but no grey one.
        std::string noGrey = Board(3, 8, 7, 100);
        noGrey.replace(noGrey.find("Gem3"), 4, "Lone");
        h.game.WriteDataFile("MiniGames/Match3/NoGrey.xml", noGrey);
        h.game.WriteDataFile("MiniGames/Match3/Lone.cbi", testsupport::ReadWholeFile(testsupport::SourceFolder(
                                                              "data/Data/Shared/MiniGames/Match3/Gem3.cbi")));
        h.game.WriteDataFile("MiniGames/Match3/Broken.xml", "<match3><tile");
        ASSERT_TRUE(h.Start());
    }

    MG_Match3* Start(const char* config, uint32_t seed = 5) {
        DataTree::SetString(MG_Match3::kConfigKey, config);
        os::SeedRand(seed);
        h.StartFromScript("Match3");
        MiniGameScreen* host = h.Host();
        return host ? CastTo<MG_Match3>(host->Children().front().Get()) : nullptr;
    }

    MiniGameHarness h;
};

TEST_F(MG_Match3Test, DragSwapsThroughPointerEventsAndAReleaseOutsideKeepsTheDrag) {
    MG_Match3* game = Start("Sample");
    ASSERT_NE(game, nullptr);
    const Match3Rules& rules = *game->GetRules();
    EXPECT_EQ(game->GetSize(), (Point2i{1280, 900}));
    const Vec2 origin = game->GetPosition();
    ASSERT_TRUE(h.game.RunUntilFadeEnds());

    // Cell (2, 3) dragged right, past half a spacing, then out of the game.
    h.game.MovePointer(origin + Vec2{330, 470});
    h.game.Press();
    h.game.Step();
    EXPECT_EQ(rules.GetFirst(), 3 * 8 + 2);
    h.game.MovePointer(origin + Vec2{400, 470});
    h.game.Step();
    EXPECT_EQ(rules.GetSecond(), 3 * 8 + 3);
    h.game.MovePointer(origin + Vec2{-20, 470});
    h.game.Release();
    h.game.Step();
    EXPECT_TRUE(rules.IsDragging());
    // A press during the drag changes nothing; a release inside ends it.
    h.game.MovePointer(origin + Vec2{330, 470});
    h.game.Press();
    h.game.Release();
    h.game.Step();
    EXPECT_FALSE(rules.IsDragging());
    EXPECT_EQ(rules.GetFirst(), -1);

    // Nothing is picked up while the game is paused.
    h.game.GetGame().paused = true;
    h.game.Press();
    h.game.Step();
    EXPECT_FALSE(rules.IsDragging());
    h.game.Release();
    h.game.GetGame().paused = false;
}

TEST_F(MG_Match3Test, AutoplayWinsOnceAndCommitsTheTime) {
    MG_Match3* game = Start("Sample");
    ASSERT_NE(game, nullptr);
    const Match3Rules& rules = *game->GetRules();
    h.game.GetGame().cheatAutoPlay = true;
    for (int i = 0; i < 20000 && !h.Host()->IsFinished(); ++i) h.game.Step();
    ASSERT_TRUE(h.Host()->IsFinished());
    EXPECT_TRUE(rules.IsWon());
    for (int32_t t = 0; t < rules.GetTypeCount(); ++t) EXPECT_EQ(rules.GetCollected(t), t + 1);
    const double played = h.Host()->GetTime();
    EXPECT_GT(played, 0);
    ASSERT_TRUE(h.StepUntilHostGone());
    h.game.Step(3);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt(MG_Match3::kTimeKey), int(played / 1000));
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_won"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST_F(MG_Match3Test, HelpSkips) {
    ASSERT_NE(Start("Sample"), nullptr);
    h.game.Step(60);
    h.Host()->OnHelp();
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 1);
    EXPECT_EQ(DataTree::GetInt(MG_Match3::kTimeKey), 1);  // 60 steps of 17 ms
}

TEST_F(MG_Match3Test, BrokenConfigurationsReturnSkippedWithNoStatistics) {
    const struct { const char* what; const char* config; } cases[] = {
        {"one tile type", "OneType"},    {"board too small for a line", "TwoByTwo"},
        {"no spacing", "NoSpacing"},     {"board beyond the limit", "Huge"},
        {"tile picture missing", "NoPicture"}, {"grey picture missing", "NoGrey"},
        {"broken XML", "Broken"},        {"missing file", "Nowhere"},
        {"no configuration named", ""},
    };
    int resumed = 0;
    for (const auto& c : cases) {
        DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
        EXPECT_EQ(Start(c.config), nullptr) << c.what;
        EXPECT_EQ(testsupport::lastStartAnswer, 0) << c.what;
        EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped) << c.what;
        h.game.Step();
        EXPECT_EQ(h.CountCalls("resumed"), ++resumed) << c.what;
    }
    EXPECT_FALSE(DataTree::Exists("[STATS]/mini"));
    EXPECT_FALSE(DataTree::Exists(MG_Match3::kTimeKey));
}

}  // namespace
