#include "minigames/puzzle/PuzzleConfig.h"
#include "minigames/puzzle/PuzzleCutter.h"
#include "minigames/puzzle/PuzzleRules.h"
#include "platform/TgaFile.h"
#include "platform/os/Random.h"
#include "support/SourceFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

// A mask drawn by a function of the pixel, with a plain picture beside it.
struct Images {
    Images(int width, int height, const std::function<uint8_t(int, int)>& idAt) {
        size = {width, height};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                mask.push_back(idAt(x, y));
                for (int c = 0; c < 4; ++c) picture.push_back(static_cast<uint8_t>(x + y + c + 1));
            }
        }
    }
    PuzzleImage Picture() const { return {size, 32, picture.data()}; }
    PuzzleImage Mask() const { return {size, 8, mask.data()}; }
    Point2i size;
    std::vector<uint8_t> mask, picture;
};

PuzzleConfig Configured(int trayWidth = 1000, int trayHeight = 800, float threshold = 26.0f) {
    PuzzleConfig config;
    config.picture = "picture";
    config.mask = "mask";
    config.trayWidth = trayWidth;
    config.trayHeight = trayHeight;
    config.snapThreshold = threshold;
    return config;
}

PuzzleConfig Read(const Images& images, PuzzleConfig config = Configured()) {
    const char* why = ReadPuzzleConfig(images.Picture(), images.Mask(), config);
    EXPECT_EQ(why, nullptr) << why;
    return config;
}

// Two pieces of 64 x 64 side by side: id 1 on the left, id 2 on the right.
const Images& TwoPieces() {
    static const Images images(128, 64, [](int x, int) { return x < 64 ? 1 : 2; });
    return images;
}

// A point inside the piece, wherever its group lies and however it is turned.
Point2i Inside(const PuzzleRules& rules, int piece) { return rules.GetPieceCentre(piece); }

void TurnUpright(PuzzleRules& rules, int piece, int rotation = 0) {
    for (int guard = 0; rules.GetGroupRotation(piece) != rotation && guard < 4; ++guard) {
        ASSERT_EQ(rules.Press(Inside(rules, piece), 0.0), PuzzleMove::kNothing);
        ASSERT_EQ(rules.Release(100.0), PuzzleMove::kTurned);
    }
    ASSERT_EQ(rules.GetGroupRotation(piece), rotation);
}

// Drags the piece's group so that the piece's world position moves by delta.
PuzzleMove DragBy(PuzzleRules& rules, int piece, Point2i delta) {
    const Point2i start = Inside(rules, piece);
    rules.Press(start, 0.0);
    const Point2i grab = {start.x + 16, start.y};
    EXPECT_EQ(rules.MovePointer(grab), PuzzleMove::kDragging);
    rules.MovePointer({grab.x + delta.x, grab.y + delta.y});
    return rules.Release(1000.0);
}

// Places piece 1 (id 1) beside piece 2 with the given error from its place.
PuzzleMove DropWithError(PuzzleRules& rules, Point2i error) {
    const int left = rules.GetTileOfId(1), right = rules.GetTileOfId(2);
    // Upright, the left piece belongs 64 units left of the right one.
    const Point2i wanted = {rules.GetWorldPosition(right).x - 64 - error.x,
                            rules.GetWorldPosition(right).y - error.y};
    const Point2i now = rules.GetWorldPosition(left);
    return DragBy(rules, left, {wanted.x - now.x, wanted.y - now.y});
}

// Rules whose two pieces lie upright, apart and away from the tray's edges.
PuzzleRules UprightApart() {
    os::SeedRand(5);
    PuzzleRules rules(Read(TwoPieces()));
    TurnUpright(rules, rules.GetTileOfId(1));
    TurnUpright(rules, rules.GetTileOfId(2));
    const int right = rules.GetTileOfId(2), left = rules.GetTileOfId(1);
    Point2i at = rules.GetWorldPosition(right);
    EXPECT_EQ(DragBy(rules, right, {500 - at.x, 400 - at.y}), PuzzleMove::kPlaced);
    at = rules.GetWorldPosition(left);
    EXPECT_NE(DragBy(rules, left, {200 - at.x, 200 - at.y}), PuzzleMove::kJoined);
    return rules;
}

TEST(PuzzleConfig, ScreenSizesGiveTheTrayAndTheSnapDistance) {
    PuzzleConfig config;
    SetPuzzleScreen(config, {1920, 1080}, 1080);
    EXPECT_EQ(config.trayWidth, 1728);
    EXPECT_EQ(config.trayHeight, 756);
    EXPECT_FLOAT_EQ(config.snapThreshold, 256.0f);
    SetPuzzleScreen(config, {1920, 1080}, 576);
    EXPECT_FLOAT_EQ(config.snapThreshold, 900.0f);
    SetPuzzleScreen(config, {1920, 1080}, 0);
    EXPECT_FLOAT_EQ(config.snapThreshold, 256.0f) << "no window height: the design height stands in";
}

TEST(PuzzleConfig, RefusesImagesThatGiveNoPuzzle) {
    const Images good = TwoPieces();
    const Images other(64, 64, [](int, int) { return 1; });
    const Images blank(128, 64, [](int, int) { return 0; });
    const Images huge(4097, 1, [](int, int) { return 1; });
    const std::vector<uint8_t> none;
    PuzzleConfig unnamed = Configured();
    unnamed.mask.clear();
    PuzzleConfig noTray = Configured(0, 800);
    PuzzleConfig badSnap = Configured(1000, 800, NAN);
    const struct {
        const char* what;
        const char* reason;
        PuzzleImage picture, mask;
        PuzzleConfig config;
    } kCases[] = {
        {"picture unread", "the picture could not be read", {good.size, 32, nullptr}, good.Mask(), Configured()},
        {"mask unread", "the mask could not be read", good.Picture(), {good.size, 8, nullptr}, Configured()},
        {"sizes differ", "the picture and the mask differ in size", good.Picture(), other.Mask(), Configured()},
        {"8-bit picture",
         "the picture is not 24 or 32 bits per pixel",
         {good.size, 8, good.picture.data()},
         good.Mask(),
         Configured()},
        {"32-bit mask",
         "the mask is not 8 bits per pixel",
         good.Picture(),
         {good.size, 32, good.picture.data()},
         Configured()},
        {"mask without a piece", "the mask holds no piece", blank.Picture(), blank.Mask(), Configured()},
        {"picture too wide", "the picture is not 1 to 4096 pixels a side", huge.Picture(), huge.Mask(), Configured()},
        {"no mask named", "no picture or mask named", good.Picture(), good.Mask(), unnamed},
        {"tray of no width", "the tray has no sane size", good.Picture(), good.Mask(), noTray},
        {"snap distance not a number", "the snap distance is not finite", good.Picture(), good.Mask(), badSnap},
    };
    for (const auto& c : kCases) {
        PuzzleConfig config = c.config;
        EXPECT_STREQ(ReadPuzzleConfig(c.picture, c.mask, config), c.reason) << c.what;
    }
}

TEST(PuzzleConfig, SamplePictureAndMaskAreAcceptedAndEveryPieceCanBeJoined) {
    Point2i pictureSize, maskSize;
    int32_t pictureBits = 0, maskBits = 0;
    const std::string pictureFile =
        testsupport::ReadWholeFile(testsupport::SourceFolder("data/Data/Shared/MiniGames/Puzzle/sample.tga"));
    const std::string maskFile =
        testsupport::ReadWholeFile(testsupport::SourceFolder("data/Data/Shared/MiniGames/Puzzle/sample_mask.tga"));
    auto picture = LoadTGAFromMemory(&pictureSize, &pictureBits, pictureFile.data(), pictureFile.size());
    auto mask = LoadTGAFromMemory(&maskSize, &maskBits, maskFile.data(), maskFile.size());
    PuzzleConfig config = Configured();
    ASSERT_EQ(ReadPuzzleConfig({pictureSize, pictureBits, picture.get()}, {maskSize, maskBits, mask.get()}, config),
              nullptr);
    os::SeedRand(1);
    PuzzleRules rules(config);
    ASSERT_EQ(rules.GetTiles().size(), 12u);
    // The neighbour lists join all pieces into one: each can be joined by hand.
    std::vector<int> reached = {0};
    std::vector<bool> seen(12, false);
    seen[0] = true;
    for (size_t i = 0; i < reached.size(); ++i) {
        const PuzzleTile& piece = rules.GetTiles()[reached[i]];
        for (int n = 0; n < piece.neighbourCount; ++n) {
            const int other = rules.GetTileOfId(piece.neighbours[n]);
            if (!seen[other]) {
                seen[other] = true;
                reached.push_back(other);
            }
        }
    }
    EXPECT_EQ(reached.size(), 12u);
}

TEST(PuzzleRules, PiecesAreCutInScanOrderWithBoxesOverAllTheirPixels) {
    // Id 7 has two islands; 0 belongs to no piece.
    const Images images(40, 20, [](int x, int y) -> uint8_t {
        if (y < 5) return x < 10 ? 3 : 0;
        if (x < 5 || x >= 35) return 7;
        return y >= 15 ? 200 : 0;
    });
    os::SeedRand(3);
    PuzzleRules rules(Read(images));
    ASSERT_EQ(rules.GetTiles().size(), 3u);
    const PuzzleTile& three = rules.GetTiles()[rules.GetTileOfId(3)];
    const PuzzleTile& seven = rules.GetTiles()[rules.GetTileOfId(7)];
    const PuzzleTile& far = rules.GetTiles()[rules.GetTileOfId(200)];
    EXPECT_EQ(three.home, (Point2i{0, 0}));
    EXPECT_EQ(three.size, (Point2i{10, 5}));
    EXPECT_EQ(seven.home, (Point2i{0, 5}));
    EXPECT_EQ(seven.size, (Point2i{40, 15}));
    EXPECT_EQ(far.home, (Point2i{5, 15}));
    EXPECT_EQ(far.size, (Point2i{30, 5}));
    const std::vector<uint8_t> pixels = CutPuzzleTile(images.Picture(), Read(images), seven);
    ASSERT_EQ(pixels.size(), 40u * 15u * 4u);
    EXPECT_EQ(pixels[0], images.picture[(5 * 40) * 4]) << "a pixel of the piece";
    EXPECT_EQ(pixels[(0 * 40 + 10) * 4 + 3], 0) << "a pixel of no piece is transparent";
}

TEST(PuzzleRules, NeighboursMeetInWindowsOfTwoIdsOnly) {
    // 1 on the left; 2 above 3 on the right. 2 and 3 meet only where 1 is
    // also within the window.
    const Images images(20, 24, [](int x, int y) -> uint8_t { return x < 12 ? 1 : (y < 12 ? 2 : 3); });
    os::SeedRand(3);
    PuzzleRules rules(Read(images));
    const PuzzleTile& one = rules.GetTiles()[rules.GetTileOfId(1)];
    const PuzzleTile& two = rules.GetTiles()[rules.GetTileOfId(2)];
    const PuzzleTile& three = rules.GetTiles()[rules.GetTileOfId(3)];
    ASSERT_EQ(one.neighbourCount, 2);
    EXPECT_EQ(one.neighbours[0], 2);
    EXPECT_EQ(one.neighbours[1], 3);
    ASSERT_EQ(two.neighbourCount, 1);
    EXPECT_EQ(three.neighbourCount, 1);
    EXPECT_EQ(three.neighbours[0], 1);
}

TEST(PuzzleRules, AQuickClickTurnsAboutThePressedPointAndASlowOneDoesNot) {
    os::SeedRand(9);
    PuzzleRules rules(Read(TwoPieces()));
    const int piece = rules.GetTileOfId(1);
    TurnUpright(rules, piece, 1);
    const Point2i point = Inside(rules, piece);
    const Point2i root = rules.GetWorldPosition(piece);
    rules.Press(point, 1000.0);
    EXPECT_EQ(rules.Release(1499.0), PuzzleMove::kTurned);
    EXPECT_EQ(rules.GetGroupRotation(piece), 0);
    EXPECT_EQ(rules.Pick(point), piece) << "the pressed point stays on the piece";
    ASSERT_FALSE(rules.GetTopGroups().empty());
    EXPECT_EQ(rules.GetTopGroups().back(), piece) << "a turned group is drawn on top";
    EXPECT_NE(rules.GetWorldPosition(piece), root);
    rules.Press(point, 2000.0);
    EXPECT_EQ(rules.Release(2500.0), PuzzleMove::kNothing);
    EXPECT_EQ(rules.GetGroupRotation(piece), 0);
}

TEST(PuzzleRules, ADragStartsOnlyPastFifteenUnits) {
    os::SeedRand(9);
    PuzzleRules rules(Read(TwoPieces()));
    const int piece = rules.GetTileOfId(1);
    const Point2i start = Inside(rules, piece);
    rules.Press(start, 0.0);
    EXPECT_EQ(rules.MovePointer({start.x + 15, start.y}), PuzzleMove::kNothing);
    EXPECT_EQ(rules.GetDragged(), PuzzleRules::kNone);
    EXPECT_EQ(rules.MovePointer({start.x + 15, start.y + 1}), PuzzleMove::kDragging);
    EXPECT_EQ(rules.GetDragged(), piece);
    EXPECT_EQ(rules.Press(start, 10.0), PuzzleMove::kPlaced) << "a press while holding drops";
    EXPECT_EQ(rules.GetDragged(), PuzzleRules::kNone);
    rules.Release(20.0);
    EXPECT_EQ(rules.MovePointer({0, 0}), PuzzleMove::kIgnored) << "moves after a release belong to nobody";
}

TEST(PuzzleRules, ADropJoinsInsideTheSnapDistanceAndNotAtIt) {
    PuzzleRules atThreshold = UprightApart();
    EXPECT_EQ(DropWithError(atThreshold, {5, 1}), PuzzleMove::kPlaced) << "26 is not below 26";
    PuzzleRules inside = UprightApart();
    EXPECT_EQ(DropWithError(inside, {5, 0}), PuzzleMove::kJoined);
    EXPECT_EQ(inside.GetTopGroups().size(), 1u);
    const int left = inside.GetTileOfId(1), right = inside.GetTileOfId(2);
    EXPECT_EQ(inside.GetGroupRoot(left), right);
    EXPECT_EQ(inside.GetWorldPosition(left).x, inside.GetWorldPosition(right).x - 64) << "joined pieces sit exactly";
}

TEST(PuzzleRules, GroupsTurnedDifferentlyNeverJoin) {
    PuzzleRules rules = UprightApart();
    const int right = rules.GetTileOfId(2);
    TurnUpright(rules, right, 3);
    TurnUpright(rules, right, 2);
    TurnUpright(rules, right, 1);
    TurnUpright(rules, right, 0);
    TurnUpright(rules, right, 3);
    EXPECT_EQ(DropWithError(rules, {0, 0}), PuzzleMove::kPlaced);
}

TEST(PuzzleRules, AGroupPushedOffTheTrayComesBackWithItsCentreOnTheEdge) {
    PuzzleRules rules = UprightApart();
    const int right = rules.GetTileOfId(2);
    DragBy(rules, right, {5000, 0});
    EXPECT_EQ(rules.GetGroupCentre(right).x, 1000);
}

TEST(PuzzleRules, AJoinedTurnedGroupRightsItselfAndWins) {
    PuzzleRules rules = UprightApart();
    ASSERT_EQ(DropWithError(rules, {0, 0}), PuzzleMove::kJoined);
    const int right = rules.GetTileOfId(2);
    TurnUpright(rules, right, 1);
    EXPECT_FALSE(rules.IsSolved());
    EXPECT_EQ(rules.Step(false), PuzzleResult::kWon);
    EXPECT_EQ(rules.GetGroupRotation(right), 0);
    EXPECT_EQ(rules.GetGroupCentre(right), (Point2i{500, 400}));
    EXPECT_EQ(rules.Step(false), PuzzleResult::kNone) << "the result comes once";
    EXPECT_EQ(rules.GetResult(), PuzzleResult::kWon);
}

TEST(PuzzleRules, HelpSolvesEveryScatterStepByStep) {
    const Images images(300, 200, [](int x, int y) { return static_cast<uint8_t>(1 + x / 50 + 6 * (y / 50)); });
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        os::SeedRand(seed);
        PuzzleRules rules(Read(images, Configured(1728, 756)));
        const Point2i start = Inside(rules, 0);
        rules.Press(start, 0.0);
        rules.MovePointer({start.x + 30, start.y});
        rules.StartAutoSolve();
        EXPECT_EQ(rules.GetDragged(), PuzzleRules::kNone) << "help drops what is held";
        EXPECT_EQ(rules.Press(start, 0.0), PuzzleMove::kIgnored);
        PuzzleResult result = PuzzleResult::kNone;
        int steps = 0;
        while (result == PuzzleResult::kNone && steps < 10000) {
            result = rules.Step(false);
            ++steps;
        }
        ASSERT_EQ(result, PuzzleResult::kSkipped) << seed;
        EXPECT_TRUE(rules.IsSolved());
        EXPECT_FALSE(rules.IsAutoSolving());
        // Each of 24 groups needs at most three turns and a join, the first
        // also a move, at one action every second step.
        EXPECT_LE(steps, 2 * (24 * 4 + 3 + 24 + 1)) << seed;
    }
}

TEST(PuzzleRules, TheAutoplayCheatWinsAndSkipsAStepWhileTheOnlyGroupIsHeld) {
    os::SeedRand(4);
    PuzzleRules rules(Read(TwoPieces()));
    PuzzleResult result = PuzzleResult::kNone;
    for (int step = 0; step < 100 && result == PuzzleResult::kNone; ++step) {
        if (rules.GetTopGroups().size() == 1 && rules.GetDragged() == PuzzleRules::kNone) {
            const int root = rules.GetTopGroups()[0];
            const Point2i at = Inside(rules, root);
            rules.Press(at, 0.0);
            rules.MovePointer({at.x + 20, at.y});
            ASSERT_NE(rules.GetDragged(), PuzzleRules::kNone);
            EXPECT_EQ(rules.Step(true), PuzzleResult::kNone);
            EXPECT_EQ(rules.Step(true), PuzzleResult::kNone);
            rules.Release(10.0);
        }
        result = rules.Step(true);
    }
    EXPECT_EQ(result, PuzzleResult::kWon) << "the cheat's result is a win";
}

}  // namespace
