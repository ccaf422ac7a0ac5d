// The jigsaw played through the headless game: started by name from a
// script, solved by the autoplay cheat or by help, refused configurations,
// pointer input in the game's own coordinates, and pieces drawn where the
// rules pick them.

#include "minigames/MiniGameHarness.h"

#include "minigames/MG_Puzzle.h"
#include "platform/GLImage.h"
#include "platform/os/Random.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

using testsupport::MiniGameHarness;

constexpr const char* kPlayed = "[STATS]/mini";

// An uncompressed TGA with its first row at the top.
std::string Tga(int width, int height, int bits, const std::vector<uint8_t>& pixels) {
    std::string file(18, '\0');
    file[2] = bits == 8 ? 3 : 2;
    file[12] = static_cast<char>(width & 0xFF), file[13] = static_cast<char>(width >> 8);
    file[14] = static_cast<char>(height & 0xFF), file[15] = static_cast<char>(height >> 8);
    file[16] = static_cast<char>(bits);
    file[17] = 0x20;
    return file + std::string(pixels.begin(), pixels.end());
}

class MG_PuzzleTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.CopySample("Puzzle");
        // Refused: a mask of nothing but 0, and a mask of another size.
        h.game.WriteDataFile("MiniGames/Puzzle/empty_mask.tga", Tga(160, 120, 8, std::vector<uint8_t>(160 * 120, 0)));
        h.game.WriteDataFile("MiniGames/Puzzle/small_mask.tga", Tga(16, 16, 8, std::vector<uint8_t>(16 * 16, 1)));
        ASSERT_TRUE(h.Start());
        os::SeedRand(31);
    }

    void Configure(const char* picture, const char* mask) {
        DataTree::SetString(MG_Puzzle::kPictureKey, picture);
        DataTree::SetString(MG_Puzzle::kMaskKey, mask);
    }

    MG_Puzzle* StartSample() {
        Configure("sample", "sample_mask");
        EXPECT_TRUE(h.StartPlaying("Puzzle"));
        return h.Played<MG_Puzzle>();
    }

    // A point of the piece in design units.
    Vec2 DesignPointOf(MG_Puzzle& game, int32_t piece) const {
        const Point2i centre = game.GetRules()->GetPieceCentre(piece);
        return game.GetPosition() + Vec2{static_cast<float>(centre.x), static_cast<float>(centre.y)};
    }

    MiniGameHarness h;
};

TEST_F(MG_PuzzleTest, TheAutoplayCheatWinsAndTheResultAndStatisticsCountOnce) {
    h.game.GetGame().cheatAutoPlay = true;
    MG_Puzzle* game = StartSample();
    ASSERT_NE(game, nullptr);
    // The tray: 9/10 by 7/10 of the screen, a quarter of the room below it
    // lifted above the centre.
    EXPECT_EQ(game->GetSize(), (Point2i{1728, 756}));
    EXPECT_EQ(game->GetPosition(), (Vec2{96, 81}));
    ASSERT_TRUE(h.StepUntilHostGone(3000));
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameWon);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_won"), 1);
    EXPECT_TRUE(DataTree::Exists(MG_Puzzle::kTimeKey));
    h.game.Step(3);
    EXPECT_EQ(h.CountCalls("resumed"), 1);
    EXPECT_EQ(DataTree::GetInt(kPlayed), 1);
}

TEST_F(MG_PuzzleTest, HelpSolvesItWhileInputIsIgnoredAndTheScriptReadsSkipped) {
    MG_Puzzle* game = StartSample();
    ASSERT_NE(game, nullptr);
    // A group held when help comes is put down first.
    const int32_t piece = 0;
    const Vec2 at = DesignPointOf(*game, piece);
    h.game.MovePointer(at);
    h.game.Press();
    h.game.MovePointer(at + Vec2{16, 0});
    h.game.Step();
    ASSERT_NE(game->GetRules()->GetDragged(), PuzzleRules::kNone);
    h.Host()->OnHelp();
    EXPECT_EQ(game->GetRules()->GetDragged(), PuzzleRules::kNone);
    EXPECT_FALSE(h.Host()->IsFinished());
    InputEvent press{};
    press.kind = InputEvent::kButtonDown;
    EXPECT_FALSE(game->OnInput(press));

    ASSERT_TRUE(h.StepUntilHostGone(3000));
    EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_skipped"), 1);
    EXPECT_EQ(DataTree::GetInt(kPlayed), 1);
    h.game.Step();
    EXPECT_EQ(h.CountCalls("resumed"), 1);
}

TEST_F(MG_PuzzleTest, ARefusedConfigurationLeavesAtOnceWithSkippedAndNoStatistics) {
    const struct { const char* what; const char* picture; const char* mask; bool background; } cases[] = {
        {"no mask named", "sample", "", false},
        {"a missing picture file", "nowhere", "sample_mask", false},
        {"a mask without pieces", "sample", "empty_mask", false},
        {"a mask of another size", "sample", "small_mask", false},
        {"a background that cannot be loaded", "sample", "sample_mask", true},
    };
    int resumed = 0;
    for (const auto& c : cases) {
        Configure(c.picture, c.mask);
        if (c.background) DataTree::SetString(MG_Puzzle::kBackgroundKey, "nowhere");
        DataTree::SetInt(MiniGameScreen::kResultKey, kMiniGameWon);
        EXPECT_FALSE(h.StartPlaying("Puzzle")) << c.what;
        EXPECT_EQ(h.Host(), nullptr) << c.what;
        EXPECT_EQ(DataTree::GetInt(MiniGameScreen::kResultKey), kMiniGameSkipped) << c.what;
        EXPECT_EQ(h.CountCalls("resumed"), ++resumed) << c.what;
    }
    EXPECT_FALSE(DataTree::Exists(kPlayed));
    EXPECT_FALSE(DataTree::Exists(MG_Puzzle::kTimeKey));
}

TEST_F(MG_PuzzleTest, PointerInputReachesTheTrayInItsOwnCoordinates) {
    MG_Puzzle* game = StartSample();
    ASSERT_NE(game, nullptr);
    PuzzleRules& rules = *game->GetRules();
    const int32_t piece = rules.GetDrawOrder().back();  // the topmost
    const int32_t rotation = rules.GetGroupRotation(piece);

    // A quick click turns the piece under the pointer a quarter clockwise.
    h.game.Click(DesignPointOf(*game, piece));
    h.game.Step();
    EXPECT_EQ(rules.GetGroupRotation(piece), (rotation + 3) % 4);

    // A drag moves it by the pointer's travel past the start of the drag.
    const Point2i before = rules.GetWorldPosition(piece);
    const Vec2 at = DesignPointOf(*game, piece);
    h.game.MovePointer(at);
    h.game.Press();
    h.game.MovePointer(at + Vec2{16, 0});
    h.game.MovePointer(at + Vec2{116, 30});
    h.game.Release();
    h.game.Step();
    EXPECT_EQ(rules.GetDragged(), PuzzleRules::kNone);
    EXPECT_EQ(rules.GetWorldPosition(piece), (Point2i{before.x + 100, before.y + 30}));
}

// Column-major: x' = m0 x + m4 y + m12.
Vec2 Transform(const Matrix4& m, Vec2 p) {
    return {m.m[0] * p.x + m.m[4] * p.y + m.m[12], m.m[1] * p.x + m.m[5] * p.y + m.m[13]};
}

TEST_F(MG_PuzzleTest, EachPieceIsDrawnWhereTheRulesPickItInEveryTurn) {
    MG_Puzzle* game = StartSample();
    ASSERT_NE(game, nullptr);
    PuzzleRules& rules = *game->GetRules();
    const int32_t piece = rules.GetDrawOrder().back();
    for (int turn = 0; turn < 4; ++turn) {
        game->PlacePieceImage(piece);
        GLImage& image = *game->GetPieceImage(piece);
        image.UpdateMatrix();
        // A pixel of the piece's picture lands where the rules' mapping
        // (world position plus the pixel turned with the group) puts it.
        const Point2i pixel{7, 3};
        const Point2i expected = Point2i::Add(rules.GetWorldPosition(piece),
                                              Point2i::Rotate(pixel, -rules.GetGroupAngle(piece)));
        // The image's vertices lie about its middle.
        const Vec2 vertex{7.0f - static_cast<float>(image.size.x) * 0.5f, 3.0f - static_cast<float>(image.size.y) * 0.5f};
        const Vec2 drawn = Transform(image.ModelMatrix(), vertex);
        EXPECT_NEAR(drawn.x, static_cast<float>(expected.x), 1.0f) << "rotation " << rules.GetGroupRotation(piece);
        EXPECT_NEAR(drawn.y, static_cast<float>(expected.y), 1.0f) << "rotation " << rules.GetGroupRotation(piece);
        h.game.Click(DesignPointOf(*game, piece));
        h.game.Step();
    }
}

}  // namespace
