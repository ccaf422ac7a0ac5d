// Repeat-the-sequence played through the headless game from a script start,
// on the sample panel (600 x 600, centred in the design area).

#include "minigames/MiniGameHarness.h"

#include "minigames/senso/MG_Senso.h"

namespace {

class MG_SensoTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Abfolge");
        ASSERT_TRUE(h.Start());
        DataTree::SetString(MG_Senso::kConfigKey, "Sample");
        DataTree::SetInt(MG_Senso::kMinLengthKey, 2);
        DataTree::SetInt(MG_Senso::kMaxLengthKey, 3);
    }

    const SensoRules& Rules() const { return *h.Played<MG_Senso>()->GetRules(); }
    void StepToInput() {
        for (int i = 0; i < 1000 && Rules().GetState() != SensoState::kInput; ++i) h.game.Step();
        ASSERT_EQ(Rules().GetState(), SensoState::kInput);
    }
    void ClickButton(int32_t button) {
        const SensoButton& place = h.Played<MG_Senso>()->GetConfig().buttons[button];
        h.game.Click(h.Played<MG_Senso>()->GetPosition() + Vec2{float(place.x), float(place.y)});
        h.game.Step();
    }

    testsupport::MiniGameHarness h;
};

TEST_F(MG_SensoTest, AutoplayWinsAndTheResultIsRecordedOnce) {
    h.game.GetGame().cheatAutoPlay = true;
    ASSERT_TRUE(h.StartPlaying("Abfolge"));
    EXPECT_EQ(h.Played<MG_Senso>()->GetPosition(), (Vec2{0, 0}));  // its table fills the screen
    ASSERT_TRUE(h.StepUntilHostGone(3000));
    h.game.Step(3);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_won"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_GT(DataTree::GetInt(MG_Senso::kTimeKey), 0);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST_F(MG_SensoTest, AWrongClickReplaysTheSequenceRightClicksWinAndHelpSkips) {
    DataTree::SetInt(MG_Senso::kMaxLengthKey, 2);
    ASSERT_TRUE(h.StartPlaying("Abfolge"));
    StepToInput();
    const std::vector<int32_t> sequence = Rules().GetSequence();
    ClickButton((sequence[0] + 1) % 4);
    StepToInput();
    EXPECT_EQ(Rules().GetSequence(), sequence);
    for (int32_t button : sequence) ClickButton(button);
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);

    ASSERT_TRUE(h.StartPlaying("Abfolge"));
    h.Host()->OnHelp();
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 2);
}

TEST_F(MG_SensoTest, ABrokenConfigurationReturnsSkippedWithoutStatistics) {
    const struct { const char* what; const char* config; const char* xml; } cases[] = {
        {"no configuration named", "", nullptr},
        {"missing file", "Elsewhere", nullptr},
        {"no button", "Bare", "<a><background file='Background'/></a>"},
        {"missing button picture", "Dark", "<a><background file='Background'/><button image='Nope'/></a>"},
    };
    for (const auto& c : cases) {
        if (c.xml) h.game.WriteDataFile(std::string("MiniGames/Abfolge/") + c.config + ".xml", c.xml);
        DataTree::SetString(MG_Senso::kConfigKey, c.config);
        DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
        h.game.ClearCalls();
        h.StartFromScript("Abfolge");
        EXPECT_EQ(testsupport::lastStartAnswer, 0) << c.what;
        EXPECT_EQ(h.Host(), nullptr) << c.what;
        EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped) << c.what;
        h.game.Step();
        EXPECT_EQ(h.CountCalls("resumed"), 1) << c.what;
    }
    EXPECT_FALSE(DataTree::Exists("[STATS]/mini"));
    EXPECT_FALSE(DataTree::Exists(MG_Senso::kTimeKey));
}

}  // namespace
