#include "minigames/pushpuzzle/PushPuzzleRules.h"

#include "platform/TgaFile.h"
#include "platform/os/Random.h"
#include "support/SourceFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

PushPuzzleConfig Config(int32_t n) { return PushPuzzleConfig{n, 400, 300, 240, 240, 32}; }

PushPuzzleRules MakeRules(uint32_t seed, int32_t n) {
    os::SeedRand(seed);
    PushPuzzleRules rules(Config(n));
    EXPECT_TRUE(rules.IsReady());
    return rules;
}

int32_t StepUntilArrived(PushPuzzleRules& rules, bool autoPlay, PushPuzzleStep& last) {
    int32_t steps = 0;
    do {
        last = rules.Step(autoPlay);
        ++steps;
    } while (!rules.IsAtRest() && steps < 1000);
    return steps;
}

// The brute-force oracle: a board with the gap is solvable exactly when the
// parity of its permutation equals the parity of the gap's distance from
// its home cell.
bool IsSolvable(const PushPuzzleRules& rules) {
    const int32_t n = rules.GetGridSize(), count = n * n;
    std::vector<int32_t> homes(count);
    for (int32_t cell = 0; cell < count; ++cell) homes[cell] = rules.HomeAt(cell);
    int32_t transpositions = 0;
    for (int32_t i = 0; i < count; ++i) {
        while (homes[i] != i) {
            std::swap(homes[i], homes[homes[i]]);
            ++transpositions;
        }
    }
    int32_t gap = 0;
    while (!rules.IsGap(gap)) ++gap;
    const int32_t distance = (n - 1 - gap % n) + (n - 1 - gap / n);
    return transpositions % 2 == distance % 2;
}

int32_t GapCell(const PushPuzzleRules& rules) {
    int32_t gap = 0;
    while (!rules.IsGap(gap)) ++gap;
    return gap;
}

}  // namespace

TEST(PushPuzzleRulesTest, ReaderRefusesWhatCannotBePlayed) {
    const struct {
        const char* what;
        const char* reason;
        PushPuzzleConfig config;
    } cases[] = {
        {"grid size 1 (the shuffle would never end)", "grid size below 2", {1, 400, 300, 240, 240, 32}},
        {"grid size 0", "grid size below 2", {0, 400, 300, 240, 240, 32}},
        {"negative grid size", "grid size below 2", {-3, 400, 300, 240, 240, 32}},
        {"grid size 33", "grid size above 32", {33, 400, 300, 2400, 2400, 32}},
        {"picture narrower than the grid", "picture smaller than one pixel per piece", {5, 400, 300, 4, 240, 32}},
        {"picture lower than the grid", "picture smaller than one pixel per piece", {5, 400, 300, 240, 4, 32}},
        {"24-bit picture", "picture is not 32 bits per pixel", {3, 400, 300, 240, 240, 24}},
        {"8-bit picture", "picture is not 32 bits per pixel", {3, 400, 300, 240, 240, 8}},
        {"no background", "background size out of range", {3, 0, 300, 240, 240, 32}},
        {"negative picture", "picture size out of range", {3, 400, 300, -240, 240, 32}},
        {"huge background", "background size out of range", {3, 400, 70000, 240, 240, 32}},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(ReadPushPuzzleConfig(c.config), c.reason) << c.what;
        PushPuzzleRules rules(c.config);
        EXPECT_FALSE(rules.IsReady()) << c.what;
        EXPECT_FALSE(rules.Slide(0, 0)) << c.what;
    }
    EXPECT_EQ(ReadPushPuzzleConfig({2, 1, 1, 2, 2, 32}), nullptr);
    EXPECT_EQ(ReadPushPuzzleConfig({32, 1920, 1080, 64, 64, 32}), nullptr);
}

TEST(PushPuzzleRulesTest, SamplePictureIsAccepted) {
    const std::string bytes = testsupport::ReadWholeFile(
        testsupport::SourceFolder("data/Data/Shared/MiniGames/Mosaik/Sample.tga"));
    ASSERT_FALSE(bytes.empty());
    Point2i size;
    int32_t bits = 0;
    ASSERT_TRUE(LoadTGAFromMemory(&size, &bits, bytes.data(), bytes.size()));
    const PushPuzzleConfig config{3, size.x + 40, size.y + 40, size.x, size.y, bits};
    EXPECT_EQ(ReadPushPuzzleConfig(config), nullptr);
}

TEST(PushPuzzleRulesTest, PiecesAreCutEvenlyAndTheirPictureSitsCentred) {
    os::SeedRand(1);
    PushPuzzleRules rules({3, 120, 111, 100, 50, 32});
    ASSERT_TRUE(rules.IsReady());
    EXPECT_EQ(rules.GetTileWidth(), 33);
    EXPECT_EQ(rules.GetTileHeight(), 16);
    EXPECT_EQ(rules.GetPictureX(), 10);  // (120 - 99) / 2
    EXPECT_EQ(rules.GetPictureY(), 31);  // (111 - 48) / 2
}

TEST(PushPuzzleRulesTest, ShuffledBoardIsNeverSolvedAndAlwaysSolvable) {
    for (int32_t n = 2; n <= 5; ++n) {
        for (uint32_t seed = 1; seed <= 300; ++seed) {
            PushPuzzleRules rules = MakeRules(seed, n);
            EXPECT_FALSE(rules.IsSolved()) << n << " " << seed;
            EXPECT_TRUE(IsSolvable(rules)) << n << " " << seed;
            EXPECT_EQ(rules.GetMoves(), 0);
        }
    }
}

TEST(PushPuzzleRulesTest, OnlyAPieceBesideTheGapSlides) {
    PushPuzzleRules rules = MakeRules(3, 4);
    const int32_t gap = GapCell(rules), gx = gap % 4, gy = gap / 4;
    EXPECT_FALSE(rules.Slide(gx, gy));           // the gap itself
    EXPECT_FALSE(rules.Slide(-1, 0));            // outside the grid
    EXPECT_FALSE(rules.Slide(4, 0));
    EXPECT_FALSE(rules.Slide((gx + 2) % 4, (gy + 2) % 4));  // two away on both axes
    EXPECT_EQ(rules.GetMoves(), 0);
    const int32_t nx = gx > 0 ? gx - 1 : gx + 1;
    const int32_t moved = rules.HomeAt(gy * 4 + nx);
    EXPECT_TRUE(rules.Slide(nx, gy));
    EXPECT_EQ(rules.HomeAt(gap), moved);
    EXPECT_TRUE(rules.IsGap(gy * 4 + nx));
    EXPECT_EQ(rules.GetMoves(), 1);
    EXPECT_FALSE(rules.IsAtRest());
    EXPECT_TRUE(rules.Slide(gx, gy));  // accepted while the first still slides
    EXPECT_EQ(rules.GetMoves(), 2);
}


TEST(PushPuzzleRulesTest, AutoplaySolvesEverySeedWithoutCountingMoves) {
    for (int32_t n = 2; n <= 5; ++n) {
        for (uint32_t seed = 1; seed <= 50; ++seed) {
            PushPuzzleRules rules = MakeRules(seed, n);
            int32_t steps = 0;
            PushPuzzleStep last = PushPuzzleStep::kNone;
            // One exchange per arrival brings at least one piece home.
            const int32_t bound = 16 * (n * n + 1);
            while (last != PushPuzzleStep::kSolved && steps < bound) {
                last = rules.Step(true);
                ++steps;
            }
            EXPECT_EQ(last, PushPuzzleStep::kSolved) << n << " " << seed;
            EXPECT_EQ(rules.GetMoves(), 0);
            EXPECT_FALSE(rules.IsAutoSolved());
        }
    }
}

TEST(PushPuzzleRulesTest, HelpSlidesEveryPieceHomeAndEndsAsSolvedByHelp) {
    PushPuzzleRules rules = MakeRules(9, 4);
    rules.AutoSolve();
    EXPECT_TRUE(rules.IsAutoSolved());
    EXPECT_TRUE(rules.IsSolved());
    PushPuzzleStep last;
    const int32_t steps = StepUntilArrived(rules, false, last);
    EXPECT_EQ(steps, 16);
    EXPECT_EQ(last, PushPuzzleStep::kSolved);
    EXPECT_EQ(rules.GetMoves(), 0);
    EXPECT_EQ(rules.Step(false), PushPuzzleStep::kNone);  // reported once
}

TEST(PushPuzzleRulesTest, PlayerSolvingByHandIsReportedAtTheLastArrival) {
    os::SeedRand(2);
    PushPuzzleRules rules({2, 100, 100, 100, 100, 32});
    ASSERT_TRUE(rules.IsReady());
    PushPuzzleStep last;
    StepUntilArrived(rules, false, last);
    EXPECT_EQ(last, PushPuzzleStep::kNone);
    // Walk the gap round the 2 × 2 ring until the picture is whole.
    int32_t slides = 0;
    while (!rules.IsSolved() && slides < 12) {
        const int32_t gap = GapCell(rules);
        const int32_t ring[4] = {0, 1, 3, 2};
        int32_t at = 0;
        while (ring[at] != gap) ++at;
        const int32_t next = ring[(at + 1) % 4];
        ASSERT_TRUE(rules.Slide(next % 2, next / 2));
        ++slides;
    }
    ASSERT_TRUE(rules.IsSolved());
    StepUntilArrived(rules, false, last);
    EXPECT_EQ(last, PushPuzzleStep::kSolved);
    EXPECT_EQ(rules.GetMoves(), slides);
    EXPECT_FALSE(rules.IsAutoSolved());
}
