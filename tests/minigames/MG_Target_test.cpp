// Target shooting played through the headless game: won by the autoplay
// cheat, skipped by help, refused configurations, the rising numbers on the
// HUD, and the generic variant's enemy bubble holding each round.

#include "minigames/MiniGameHarness.h"

#include "minigames/MG_Target.h"
#include "platform/os/Random.h"

#include <string>

namespace {

using testsupport::MiniGameHarness;

constexpr const char* kPlayed = "[STATS]/mini";

// The sample's pictures as generic ones: each round one of them is the enemy.
constexpr const char* kGenericXml =
    "<targets><background file=\"range\"/><tileback file=\"target_back\"/>"
    "<tilefront file=\"target_front\"/><tile_generic file=\"friend_owl\"/>"
    "<tile_generic file=\"friend_hare\"/><tile_generic file=\"enemy_crow\"/>"
    "<tilecount countx=\"3\" county=\"3\"/><tileoffset offx=\"300\" offy=\"200\"/>"
    "<tilespacing spcx=\"220\" spcy=\"200\"/></targets>";

class MG_TargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Zielscheiben");
        h.game.WriteDataFile("MiniGames/Zielscheiben/generic.xml", kGenericXml);
        // The enemy bubble takes a seventh argument, the enemy's picture.
        h.game.WriteScript("cutscene",
                           "function auto CreateChatBubble(auto hud, int colour, auto text, float x, float y, "
                           "float width, auto picture) { RecordCall(\"bubble\", text, x, y, width, picture); "
                           "return MakeBubble(); }\n");
        ASSERT_TRUE(h.Start());
        InstallHud();
        os::SeedRand(116);
        Configure("sample", 170.0f, 2, 1);
    }

    // A HUD screen with its frame, the parent of the rising numbers.
    void InstallHud() {
        Game& game = h.game.GetGame();
        game.hudScreen = halvo::AutoRef<GameScreen>(new GameScreen());
        game.rootScreen->AddChild(game.hudScreen.Get());
        NewHudFrame();
    }
    void NewHudFrame() {
        halvo::GuiMain& gui = halvo::GuiMain::Global();
        if (halvo::GuiWidget* old = h.game.GetGame().GetHudGui()) old->RemoveAndDetach();
        halvo::AutoRef<halvo::GuiWidget> frame = gui.CreateWidget("Frame");
        frame->SetParent(gui.GetRoot(), false);
        h.game.GetGame().hudScreen->SetGuiFrame(frame.Get());
    }

    static void Configure(const char* file, float delay, int friends, int enemies) {
        DataTree::SetString(MG_Target::kConfigKey, file);
        DataTree::SetFloat(MG_Target::kDelayKey, delay);
        DataTree::SetInt(MG_Target::kFriendsKey, friends);
        DataTree::SetInt(MG_Target::kEnemiesKey, enemies);
    }

    MG_Target* Start() {
        EXPECT_TRUE(h.StartPlaying("Zielscheiben"));
        return h.Played<MG_Target>();
    }

    void StepUntilShooting(MG_Target& game) {
        for (int i = 0; i < 1000 && game.GetRules()->GetPhase() != kTargetShooting; ++i) h.game.Step();
        ASSERT_EQ(game.GetRules()->GetPhase(), kTargetShooting);
    }

    // The design point at the middle of a target.
    static Vec2 DesignPointOf(MG_Target& game, int32_t tile) {
        const TargetTile& t = game.GetRules()->GetTiles()[tile];
        return game.GetPosition() + Vec2{300.0f + 220.0f * static_cast<float>(t.column),
                                         200.0f + 200.0f * static_cast<float>(t.row)};
    }

    static int32_t FirstOfKind(MG_Target& game, int32_t kind) {
        const auto& tiles = game.GetRules()->GetTiles();
        for (size_t i = 0; i < tiles.size(); ++i)
            if (tiles[i].kind == kind) return static_cast<int32_t>(i);
        return -1;
    }

    MiniGameHarness h;
};

TEST_F(MG_TargetTest, TheAutoplayCheatWinsAndAddsTheWholeScoreOnce) {
    h.game.GetGame().cheatAutoPlay = true;
    MG_Target* game = Start();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->GetSize(), (Point2i{1040, 800}));
    EXPECT_STREQ(h.Host()->GetScoreText(), "0 / 50");
    EXPECT_EQ(game->GetRules()->GetWaitFrames(), TargetRules::kCheatRoundPause - 1);
    size_t mostNumbers = 0;
    for (int i = 0; i < 20000 && h.Host(); ++i) {
        h.game.Step();
        if (h.Host() && !h.Host()->Children().empty()) mostNumbers = std::max(mostNumbers, game->GetFloatingTextCount());
    }
    ASSERT_EQ(h.Host(), nullptr);
    // Every shot of the cheat showed its number like a click.
    EXPECT_GE(mostNumbers, 1u);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt(MG_Target::kPointsKey), 50);
    EXPECT_GT(DataTree::GetInt(MG_Target::kTimeKey), 0);
    h.game.Step(3);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_won"), 1);
    EXPECT_EQ(DataTree::GetInt(kPlayed), 1);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST_F(MG_TargetTest, HelpSkipsTheGameWithoutPoints) {
    ASSERT_NE(Start(), nullptr);
    h.Host()->OnHelp();
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_FALSE(DataTree::Exists(MG_Target::kPointsKey));
    EXPECT_EQ(DataTree::GetInt(kPlayed), 1);
}

TEST_F(MG_TargetTest, ARefusedConfigurationLeavesAtOnceWithSkippedAndNoStatistics) {
    const struct { const char* what; const char* file; int friends, enemies; } cases[] = {
        {"a missing file", "nowhere", 2, 1},
        {"more friends and enemies than targets", "sample", 9, 1},
        {"no enemy", "sample", 2, 0},
    };
    for (const auto& c : cases) {
        Configure(c.file, 170.0f, c.friends, c.enemies);
        DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
        EXPECT_FALSE(h.StartPlaying("Zielscheiben")) << c.what;
        EXPECT_EQ(h.Host(), nullptr) << c.what;
        EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped) << c.what;
    }
    DataTree::Remove(MG_Target::kDelayKey);
    Configure("sample", 170.0f, 2, 1);
    DataTree::Remove(MG_Target::kEnemiesKey);
    EXPECT_FALSE(h.StartPlaying("Zielscheiben")) << "no Enemies key";
    EXPECT_EQ(h.CountCalls("resumed"), 4);
    EXPECT_FALSE(DataTree::Exists(kPlayed));
    EXPECT_FALSE(DataTree::Exists(MG_Target::kTimeKey));
}

TEST_F(MG_TargetTest, AShotShowsARisingNumberAndNumbersWhoseFrameWentAreDropped) {
    MG_Target* game = Start();
    ASSERT_NE(game, nullptr);
    StepUntilShooting(*game);
    const int32_t empty = FirstOfKind(*game, kTargetEmpty);
    h.game.Click(DesignPointOf(*game, empty));
    h.game.Step();
    ASSERT_EQ(game->GetFloatingTextCount(), 1u);
    EXPECT_STREQ(h.Host()->GetScoreText(), "0 / 50");  // a miss at 0 stays at 0
    halvo::AutoRef<halvo::GuiWidget> number(game->GetFloatingText(0));
    EXPECT_EQ(number->GetParent(), h.game.GetGame().GetHudGui());
    const Vec2 at = number->GetPosition();
    const float alpha = number->ReadFloat(halvo::GuiWidget::kPropAlpha);
    h.game.Step();
    EXPECT_FLOAT_EQ(number->GetPosition().y, at.y - 1.5f);
    EXPECT_FLOAT_EQ(number->ReadFloat(halvo::GuiWidget::kPropAlpha), alpha - 1.0f / 128.0f);

    // It fades out and goes from the HUD and the list.
    h.game.Step(130);
    EXPECT_EQ(game->GetFloatingTextCount(), 0u);
    EXPECT_EQ(number->GetParent(), nullptr);

    // A number whose HUD frame is rebuilt under it is dropped, not touched.
    StepUntilShooting(*game);
    h.game.Click(DesignPointOf(*game, FirstOfKind(*game, kTargetEmpty)));
    h.game.Step();
    ASSERT_EQ(game->GetFloatingTextCount(), 1u);
    NewHudFrame();
    h.game.Step();
    EXPECT_EQ(game->GetFloatingTextCount(), 0u);
}

TEST_F(MG_TargetTest, ReleasesGoToTheMessageThenTheEnemyBubbleThenTheTargets) {
    DataTree::SetString(MiniGameScreen::kTutorialKey, "Tutorial");
    Configure("generic", 170.0f, 2, 1);
    MG_Target* game = Start();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(h.CountCalls("bubble minigame_zielscheiben_enemy 960.000000 540.000000 500.000000 "
                           "#MiniGames/Zielscheiben/" +
                           std::string(game->GetRules()->GetRoundEnemy() == 0   ? "friend_owl"
                                       : game->GetRules()->GetRoundEnemy() == 1 ? "friend_hare"
                                                                                 : "enemy_crow") +
                           ".cbi"),
              1);
    // Something else holds the bubble: once clicked away it still stops
    // holding the round.
    halvo::AutoRef<halvo::GuiWidget> bubble(game->GetEnemyBubble());
    ASSERT_TRUE(bubble);
    ASSERT_TRUE(h.Host()->IsMessageShown());

    h.game.Click({10, 10});
    h.game.Step();
    EXPECT_FALSE(h.Host()->IsMessageShown());
    EXPECT_NE(bubble->GetParent(), nullptr);  // the message took the release

    const int32_t wait = game->GetRules()->GetWaitFrames();
    h.game.Step(5);
    EXPECT_EQ(game->GetRules()->GetWaitFrames(), wait);  // the round waits for the bubble
    EXPECT_EQ(h.Host()->GetTime(), 0);

    h.game.Click({10, 10});
    h.game.Step();
    EXPECT_EQ(bubble->GetParent(), nullptr);
    EXPECT_EQ(game->GetEnemyBubble(), nullptr);
    h.game.Step(5);
    EXPECT_GT(h.Host()->GetTime(), 0);

    // Now the targets take the release: a shot at an empty target scores.
    StepUntilShooting(*game);
    h.game.Click(DesignPointOf(*game, FirstOfKind(*game, kTargetEmpty)));
    h.game.Step();
    EXPECT_EQ(game->GetFloatingTextCount(), 1u);
}

}  // namespace
