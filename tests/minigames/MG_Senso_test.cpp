// Repeat-the-sequence played through the headless game from a script start,
// on the sample panel (600 x 600, centred in the design area).

#include "minigames/MiniGameHarness.h"

#include "minigames/MG_Senso.h"

namespace {

using testsupport::MiniGameHarness;

class MG_SensoTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Abfolge");
        ASSERT_TRUE(h.Start());
        DataTree::SetString(MG_Senso::kConfigKey, "Sample");
        DataTree::SetInt(MG_Senso::kMinLengthKey, 2);
        DataTree::SetInt(MG_Senso::kMaxLengthKey, 3);
    }

    MG_Senso* Senso() const {
        MiniGameScreen* host = h.Host();
        return host && !host->Children().empty() ? CastTo<MG_Senso>(host->Children().front().Get()) : nullptr;
    }

    void StepToInput() {
        for (int i = 0; i < 1000 && Senso()->GetRules()->GetState() != SensoState::kInput; ++i) h.game.Step();
        ASSERT_EQ(Senso()->GetRules()->GetState(), SensoState::kInput);
    }

    void ClickButton(int32_t button) {
        const SensoButton& place = Senso()->GetConfig().buttons[button];
        const Vec2 corner = Senso()->GetPosition();
        h.game.Click(corner + Vec2{static_cast<float>(place.x), static_cast<float>(place.y)});
        h.game.Step();
    }

    MiniGameHarness h;
};

TEST_F(MG_SensoTest, AutoplayWinsAndTheResultIsRecordedOnce) {
    h.game.GetGame().cheatAutoPlay = true;
    ASSERT_TRUE(h.StartPlaying("Abfolge"));
    EXPECT_EQ(Senso()->GetPosition(), (Vec2{660, 240}));
    ASSERT_TRUE(h.StepUntilHostGone(3000));
    h.game.Step(3);
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_won"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_GT(DataTree::GetInt(MG_Senso::kTimeKey), 0);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST_F(MG_SensoTest, AWrongClickReplaysTheSameSequenceAndRightClicksWin) {
    DataTree::SetInt(MG_Senso::kMaxLengthKey, 2);
    ASSERT_TRUE(h.StartPlaying("Abfolge"));
    StepToInput();
    const std::vector<int32_t> sequence = Senso()->GetRules()->GetSequence();
    ClickButton((sequence[0] + 1) % 4);
    EXPECT_EQ(Senso()->GetRules()->GetState(), SensoState::kIntro);
    StepToInput();
    EXPECT_EQ(Senso()->GetRules()->GetSequence(), sequence);
    for (int32_t button : sequence) ClickButton(button);
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
}

TEST_F(MG_SensoTest, HelpSkips) {
    ASSERT_TRUE(h.StartPlaying("Abfolge"));
    h.Host()->OnHelp();
    ASSERT_TRUE(h.StepUntilHostGone());
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 1);
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
