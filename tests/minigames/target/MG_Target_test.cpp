// Target shooting played through the headless game from a script start on
// the sample range: won by the autoplay cheat, skipped by help, refused
// configurations, the rising numbers on the HUD, and the generic variant's
// enemy bubble holding each round.

#include "minigames/MiniGameHarness.h"

#include "game/screens/HudScreen.h"
#include "minigames/target/MG_Target.h"
#include "platform/os/Random.h"

namespace {

// The sample's pictures as generic ones: each round one of them is the enemy.
constexpr const char* kGenericXml =
    "<targets><background file=\"range\"/><tileback file=\"target_back\"/><tilefront file=\"target_front\"/>"
    "<tile_generic file=\"friend_owl\"/><tile_generic file=\"friend_hare\"/><tile_generic file=\"enemy_crow\"/>"
    "<tilecount countx=\"3\" county=\"3\"/><tileoffset offx=\"300\" offy=\"200\"/>"
    "<tilespacing spcx=\"220\" spcy=\"200\"/></targets>";

class MG_TargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Zielscheiben");
        h.game.WriteDataFile("MiniGames/Zielscheiben/generic.xml", kGenericXml);
        // The enemy's bubble takes a seventh argument: its picture.
        h.game.WriteScript("cutscene", "function auto CreateChatBubble(auto hud, int colour, auto text, float x, "
                                       "float y, float width, auto picture) { RecordCall(\"bubble\", text, picture); "
                                       "return MakeBubble(); }\n");
        ASSERT_TRUE(h.Start());
        os::SeedRand(116);
        Configure("sample", 2, 1);
    }

    // The HUD's frame, where the rising numbers go, built anew.
    void NewHudFrame() { CastTo<HudScreen>(h.game.GetGame().hudScreen)->CreateFrame(); }
    static void Configure(const char* file, int friends, int enemies) {
        DataTree::SetString(MG_Target::kConfigKey, file);
        DataTree::SetFloat(MG_Target::kDelayKey, 170.0f);
        DataTree::SetInt(MG_Target::kFriendsKey, friends);
        DataTree::SetInt(MG_Target::kEnemiesKey, enemies);
    }
    MG_Target* Play() { return h.StartPlaying("Zielscheiben") ? h.Played<MG_Target>() : nullptr; }
    // The generic range, its how-to up.
    MG_Target* PlayGenericAfterAHowTo() {
        DataTree::SetString(MiniGameScreen::kTutorialKey, "Tutorial");
        Configure("generic", 2, 1);
        MG_Target* game = Play();
        return game && h.Host()->IsMessageShown() ? game : nullptr;
    }
    // How many announcements of an enemy the range has made.
    int Announcements() const {
        int made = 0;
        for (const std::string& call : h.game.Calls())
            made += call.starts_with("bubble minigame_zielscheiben_enemy #MiniGames/Zielscheiben/");
        return made;
    }

    // Steps into the shooting phase and clicks the first empty target.
    void ShootAnEmptyTarget(MG_Target& game) {
        for (int i = 0; i < 1000 && game.GetRules()->GetPhase() != kTargetShooting; ++i) h.game.Step();
        ASSERT_EQ(game.GetRules()->GetPhase(), kTargetShooting);
        for (const TargetTile& t : game.GetRules()->GetTiles()) {
            if (t.kind != kTargetEmpty) continue;
            h.game.Click(game.GetPosition() + Vec2{740.0f + 220.0f * float(t.column), 340.0f + 200.0f * float(t.row)});
            h.game.Step();
            return;
        }
    }

    testsupport::MiniGameHarness h;
};

TEST_F(MG_TargetTest, TheAutoplayCheatWinsAddsTheWholeScoreOnceAndHelpSkips) {
    h.game.GetGame().cheatAutoPlay = true;
    MG_Target* game = Play();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->GetSize(), (Point2i{1920, 1080}));
    EXPECT_STREQ(h.Host()->GetScoreText(), "0 / 50");
    size_t numbers = 0;  // the cheat's shots show their points like clicks
    for (int i = 0; i < 20000 && h.Host(); ++i, h.game.Step()) numbers = std::max(numbers, game->GetFloatingTextCount());
    ASSERT_EQ(h.Host(), nullptr);
    EXPECT_GE(numbers, 1u);
    h.game.Step(3);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt(MG_Target::kPointsKey), 50);
    EXPECT_GT(DataTree::GetInt(MG_Target::kTimeKey), 0);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_EQ(h.CountCalls("resumed"), 1);

    ASSERT_NE(Play(), nullptr);
    h.Host()->OnHelp();
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt(MG_Target::kPointsKey), 50);
}

TEST_F(MG_TargetTest, ARefusedConfigurationLeavesAtOnceWithSkippedAndNoStatistics) {
    Configure("nowhere", 2, 1);
    EXPECT_EQ(Play(), nullptr) << "a missing file";
    Configure("sample", 2, 1);
    DataTree::Remove(MG_Target::kEnemiesKey);
    EXPECT_EQ(Play(), nullptr) << "no Enemies key";
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(h.CountCalls("resumed"), 2);
    EXPECT_FALSE(DataTree::Exists("[STATS]/mini"));
    EXPECT_FALSE(DataTree::Exists(MG_Target::kTimeKey));
}

TEST_F(MG_TargetTest, AShotsNumberRisesAndFadesAndIsDroppedWhenItsFrameGoes) {
    MG_Target* game = Play();
    ASSERT_NE(game, nullptr);
    ShootAnEmptyTarget(*game);
    ASSERT_EQ(game->GetFloatingTextCount(), 1u);
    EXPECT_STREQ(h.Host()->GetScoreText(), "0 / 50");  // a miss at 0 stays at 0
    halvo::AutoRef<halvo::GuiWidget> number(game->GetFloatingText(0));
    EXPECT_EQ(number->GetParent(), h.game.GetGame().GetHudGui());
    const float y = number->GetPosition().y, alpha = number->ReadFloat(halvo::GuiWidget::kPropAlpha);
    h.game.Step();
    EXPECT_FLOAT_EQ(number->GetPosition().y, y - 1.5f);
    EXPECT_FLOAT_EQ(number->ReadFloat(halvo::GuiWidget::kPropAlpha), alpha - 1.0f / 128.0f);
    h.game.Step(130);
    EXPECT_EQ(game->GetFloatingTextCount(), 0u);
    EXPECT_EQ(number->GetParent(), nullptr);

    ShootAnEmptyTarget(*game);
    ASSERT_EQ(game->GetFloatingTextCount(), 1u);
    NewHudFrame();
    h.game.Step();
    EXPECT_EQ(game->GetFloatingTextCount(), 0u);
}

TEST_F(MG_TargetTest, ReleasesGoToTheMessageThenTheEnemyBubbleThenTheTargets) {
    MG_Target* game = PlayGenericAfterAHowTo();
    ASSERT_NE(game, nullptr);
    halvo::AutoRef<halvo::GuiWidget> howTo(h.Host()->GetBubble());
    h.game.Step(testsupport::HeadlessGame::kReadPasses);
    EXPECT_EQ(Announcements(), 0);  // not beside the how-to
    h.game.Click({10, 10});
    h.game.Step(5);
    EXPECT_EQ(howTo->GetParent(), nullptr);
    const char* enemies[] = {"friend_owl", "friend_hare", "enemy_crow"};
    EXPECT_EQ(h.CountCalls(std::string("bubble minigame_zielscheiben_enemy #MiniGames/Zielscheiben/") +
                           enemies[game->GetRules()->GetRoundEnemy()] + ".cbi"),
              1);
    // Held elsewhere too: once clicked away it no longer holds the round.
    halvo::AutoRef<halvo::GuiWidget> bubble(h.Host()->GetBubble());
    ASSERT_TRUE(bubble && bubble->GetParent());
    // A double-click's second click does not take away, unseen, the bubble
    // its first one uncovered.
    h.game.Click({10, 10});
    h.game.Step(40);
    EXPECT_TRUE(bubble->GetParent());
    EXPECT_EQ(h.Host()->GetTime(), 0);  // the round waits for its enemy to be seen

    h.game.Click({10, 10});
    h.game.Step(5);
    EXPECT_EQ(bubble->GetParent(), nullptr);
    EXPECT_FALSE(h.Host()->IsMessageShown());
    EXPECT_GT(h.Host()->GetTime(), 0);
    ShootAnEmptyTarget(*game);
    EXPECT_EQ(game->GetFloatingTextCount(), 1u);
}

// A press made before the announcement came up was meant for the how-to
// before it: its release neither takes the announcement nor shoots.
TEST_F(MG_TargetTest, APressMadeBeforeTheAnnouncementCameUpTakesNothing) {
    MG_Target* game = PlayGenericAfterAHowTo();
    ASSERT_NE(game, nullptr);
    h.game.Step(testsupport::HeadlessGame::kReadPasses);
    h.game.Click({10, 10});
    h.game.MovePointer({900, 900});
    h.game.Press();
    h.game.Step(testsupport::HeadlessGame::kReadPasses);
    ASSERT_EQ(Announcements(), 1);
    h.game.Release();
    h.game.Step(5);
    EXPECT_TRUE(h.Host()->IsMessageShown());
    EXPECT_EQ(h.Host()->GetTime(), 0);
    EXPECT_EQ(game->GetFloatingTextCount(), 0u);
}

// A shooter clicking every 250 ms from the how-to on, the autoplay cheat
// playing, turns each round's announcement once it has stood, and the range
// reaches its closing line while the clicks go on.
TEST_F(MG_TargetTest, QuickClicksTurnEachAnnouncementOnceItHasStoodUpToTheClosingLine) {
    h.game.GetGame().cheatAutoPlay = true;
    DataTree::SetString(MiniGameScreen::kSolvedKey, "Solved");
    MG_Target* game = PlayGenericAfterAHowTo();
    ASSERT_NE(game, nullptr);
    const int went = h.ClickOnTheSpot(250, 240000);
    EXPECT_EQ(h.Host(), nullptr);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_GE(Announcements(), 2);
    // The how-to, each announcement and the closing line.
    EXPECT_EQ(went, Announcements() + 2);
}

}  // namespace
