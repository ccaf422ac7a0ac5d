// The wire game under the host, started by name from a script: the self-
// play's win, clicks against drags, counted moves, help, a refused file.

#include "minigames/wirepuzzle/MG_WirePuzzle.h"
#include "minigames/MiniGameHarness.h"

#include "gui/GuiTexture.h"
#include "platform/GLImage.h"
#include "platform/os/Random.h"
#include "support/SourceFiles.h"

#include <cmath>
#include <string>

namespace {

using testsupport::MiniGameHarness;
using Rules = WirePuzzleRules;

class MG_WirePuzzleTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Draehte");
        h.game.WriteDataFile("MiniGames/Draehte/broken.xml",
                             "<wires><background file='wireboard'/><tiles><tile label='a' hotspot='h'/></tiles>"
                             "</wires>");
        ASSERT_TRUE(h.Start());
        DataTree::SetString(MG_WirePuzzle::kConfigKey, "sample");
        os::SeedRand(42);
    }

    MG_WirePuzzle* Start() {
        h.StartFromScript("Draehte");
        h.game.RunUntilFadeEnds();  // input waits for the fade-in
        MiniGameScreen* host = h.Host();
        return host && !host->Children().empty() ? CastTo<MG_WirePuzzle>(host->Children().front().Get()) : nullptr;
    }

    Vec2 PlaceCentre(const MG_WirePuzzle& game, int32_t place) const {
        return game.GetPosition() + game.GetRules()->GetPlacePosition(place);
    }

    MiniGameHarness h;
};

TEST_F(MG_WirePuzzleTest, TheSelfPlaySolvesTheSampleAndWins) {
    h.game.GetGame().cheatAutoPlay = true;
    MG_WirePuzzle* game = Start();
    ASSERT_NE(game, nullptr);
    EXPECT_FALSE(halvo::WeakRef<MG_WirePuzzle>(game)->GetRules()->IsWon());
    ASSERT_TRUE(h.StepUntilHostGone(2000));
    h.game.Step();
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_won"), 1);
    EXPECT_EQ(DataTree::GetInt(MG_WirePuzzle::kMovesKey), 0);  // the self-play counts nothing
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST_F(MG_WirePuzzleTest, FifteenPixelsAreAClickSixteenADragAndOnlyRealMovesCount) {
    MG_WirePuzzle* game = Start();
    ASSERT_NE(game, nullptr);
    const Rules& rules = *game->GetRules();
    int32_t plate = -1, free = -1, occupied = -1;
    for (int32_t place = 0; place < rules.GetPlaceCount(); ++place) {
        const int32_t on = rules.TileAtPlace(place);
        if (on == Rules::kNoPlate) free = place;
        else if (!rules.GetTile(on).fixed && plate < 0) plate = place;
        else occupied = place;
    }
    ASSERT_TRUE(plate >= 0 && free >= 0 && occupied >= 0);
    const Vec2 at = PlaceCentre(*game, plate);
    const int32_t rotation = rules.GetTile(rules.TileAtPlace(plate)).rotation;
    const int32_t sides = static_cast<int32_t>(rules.GetTile(rules.TileAtPlace(plate)).sides.size());

    auto pressMoveRelease = [&](Vec2 to) {
        h.game.MovePointer(at);
        h.game.Press();
        h.game.MovePointer(to);
        h.game.Release();
        h.game.Step(Rules::kAnimationSteps + 1);
    };
    pressMoveRelease(at + Vec2{15, 0});  // a click: turned back a step
    EXPECT_EQ(rules.GetTile(rules.TileAtPlace(plate)).rotation, (rotation + sides - 1) % sides);
    EXPECT_EQ(game->GetMoveCount(), 1);
    pressMoveRelease(at + Vec2{16, 0});  // a drag dropped on its own place: back, not counted
    EXPECT_NE(rules.TileAtPlace(plate), Rules::kNoPlate);
    EXPECT_EQ(game->GetMoveCount(), 1);
    pressMoveRelease(PlaceCentre(*game, occupied));  // onto another plate: back
    EXPECT_EQ(game->GetMoveCount(), 1);
    pressMoveRelease(PlaceCentre(*game, free));  // onto the free place: a move
    EXPECT_EQ(rules.TileAtPlace(plate), Rules::kNoPlate);
    EXPECT_EQ(game->GetMoveCount(), 2);
    EXPECT_EQ(h.Host()->GetCounter(), 2);

    h.Host()->OnHelp();
    ASSERT_TRUE(h.StepUntilHostGone());
    h.game.Step();
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt(MG_WirePuzzle::kMovesKey), 2);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 1);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

// The sample with every place's square outline replaced by a ring of
// 10,000 points inside it: a click at a plate's centre turns it, one in a
// corner of the old square, outside the ring, finds nothing.
TEST_F(MG_WirePuzzleTest, AFinelyDrawnOutlineTakesClicksInsideItOnly) {
    std::string sample = testsupport::ReadWholeFile(
        testsupport::SourceFolder("data/Data/Shared/MiniGames/Draehte/sample.xml"));
    const size_t from = sample.find("<point"), to = sample.find("</hotspot>");
    ASSERT_TRUE(from != std::string::npos && to != std::string::npos);
    std::string ring;
    for (int i = 0; i < 10000; ++i) {
        const double angle = 2 * 3.14159265358979 * i / 10000;
        ring += "<point x='" + std::to_string(60 * std::cos(angle)) + "' y='" + std::to_string(60 * std::sin(angle)) +
                "'/>";
    }
    h.game.WriteDataFile("MiniGames/Draehte/ring.xml", sample.replace(from, to - from, ring));
    DataTree::SetString(MG_WirePuzzle::kConfigKey, "ring");
    MG_WirePuzzle* game = Start();
    ASSERT_NE(game, nullptr);
    const Rules& rules = *game->GetRules();
    int32_t plate = 0;
    while (rules.TileAtPlace(plate) == Rules::kNoPlate || rules.GetTile(rules.TileAtPlace(plate)).fixed) ++plate;
    const WireTile& tile = rules.GetTile(rules.TileAtPlace(plate));
    const int32_t sides = static_cast<int32_t>(tile.sides.size());
    const int32_t rotation = tile.rotation;
    auto click = [&](Vec2 at) {
        h.game.MovePointer(at);
        h.game.Press();
        h.game.Release();
        h.game.Step(Rules::kAnimationSteps + 1);
    };
    click(PlaceCentre(*game, plate) + Vec2{70, 70});
    EXPECT_EQ(tile.rotation, rotation);
    EXPECT_EQ(game->GetMoveCount(), 0);
    click(PlaceCentre(*game, plate) + Vec2{40, 40});
    EXPECT_EQ(tile.rotation, (rotation + sides - 1) % sides);
    EXPECT_EQ(game->GetMoveCount(), 1);
}

TEST_F(MG_WirePuzzleTest, ARefusedConfigurationReturnsSkippedWithNoStatistics) {
    DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
    for (const char* name : {"broken", "missing"}) {
        DataTree::SetString(MG_WirePuzzle::kConfigKey, name);
        EXPECT_EQ(Start(), nullptr) << name;
        EXPECT_EQ(h.Host(), nullptr) << name;
        EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped) << name;
        h.game.Step();
    }
    EXPECT_FALSE(DataTree::Exists("[STATS]/mini"));
    EXPECT_FALSE(DataTree::Exists(MG_WirePuzzle::kMovesKey));
    EXPECT_EQ(h.CountCalls("resumed"), 2);
}

TEST(MG_WirePuzzle, APlayersTurnSwingsThePictureClockwiseTheShortWay) {
    // Rotation 0 to 3 on four sides: the shown turn runs from 4 to 3.
    EXPECT_FLOAT_EQ(MG_WirePuzzle::PlateAngle(4.0f, 4), 0.0f);
    EXPECT_FLOAT_EQ(MG_WirePuzzle::PlateAngle(3.5f, 4), 45.0f);
    EXPECT_FLOAT_EQ(MG_WirePuzzle::PlateAngle(3.0f, 4), 90.0f);
    // At 90 degrees the plate's top side shows on the right.
    GLImage image;
    image.size = {160, 160};
    halvo::SetRotationDegrees(image, MG_WirePuzzle::PlateAngle(3.0f, 4));
    image.UpdateMatrix();
    const float* m = image.ModelMatrix().m;
    EXPECT_NEAR(m[4] * -80.0f + m[12], 80.0f, 1e-3f);
    EXPECT_NEAR(m[5] * -80.0f + m[13], 0.0f, 1e-3f);
}

}  // namespace
