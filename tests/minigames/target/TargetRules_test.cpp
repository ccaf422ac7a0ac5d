#include "minigames/target/TargetConfig.h"
#include "minigames/target/TargetRules.h"
#include "platform/XmlUtil.h"
#include "platform/os/Random.h"
#include "support/SourceFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

const char* ReadText(const std::string& xml, TargetConfig& config) {
    std::string text = xml;
    TiXmlDocument document;
    if (!XmlParseText(document, text.data())) return "the text is not XML";
    return ReadTargetConfig(document, config);
}

TargetConfig FromTree(float delay, int friends, int enemies) {
    TargetConfig config;
    config.delayMs = delay;
    config.friendCount = friends;
    config.enemyCount = enemies;
    return config;
}

const std::string kPictures = "<background file='bg'/><tileback file='back'/><tilefront file='front'/>";
const std::string kFaces = "<tile_friend file='f'/><tile_enemy file='e'/>";

std::string Grid(int columns, int rows, int spacing = 100) {
    return "<tilecount countx='" + std::to_string(columns) + "' county='" + std::to_string(rows) +
           "'/><tileoffset offx='50' offy='50'/><tilespacing spcx='" + std::to_string(spacing) + "' spcy='" +
           std::to_string(spacing) + "'/>";
}

std::string Targets(const std::string& body) { return "<t>" + body + "</t>"; }

TargetConfig ReadOrFail(const std::string& xml, TargetConfig config) {
    const char* why = ReadText(xml, config);
    EXPECT_EQ(why, nullptr) << why;
    return config;
}

TargetConfig Sample(float delay = 170.0f) {
    const std::string text = testsupport::ReadWholeFile(
        testsupport::SourceFolder("data/Data/Shared/MiniGames/Zielscheiben/sample.xml"));
    EXPECT_FALSE(text.empty());
    return ReadOrFail(text, FromTree(delay, 2, 1));
}

const Point2i kBack = {80, 80};

// Steps until the phase is reached; false when it never comes.
bool StepUntil(TargetRules& rules, int phase, int limit = 5000) {
    for (int i = 0; i < limit; ++i) {
        if (rules.GetPhase() == phase) return true;
        rules.Step(false);
    }
    return rules.GetPhase() == phase;
}

int CountKind(const TargetRules& rules, int kind) {
    int n = 0;
    for (const TargetTile& t : rules.GetTiles()) n += t.kind == kind;
    return n;
}

int FirstOfKind(const TargetRules& rules, int kind) {
    for (size_t i = 0; i < rules.GetTiles().size(); ++i) {
        if (rules.GetTiles()[i].kind == kind) return static_cast<int>(i);
    }
    return -1;
}

Point2i CentreOf(const TargetConfig& config, const TargetTile& t) {
    return {config.offsetX + config.spacingX * t.column, config.offsetY + config.spacingY * t.row};
}

TEST(TargetConfig, SampleIsAcceptedAndReadAsWritten) {
    const TargetConfig config = Sample();
    EXPECT_EQ(config.tileBack, "target_back");
    EXPECT_EQ(config.friendNames.size(), 2u);
    EXPECT_EQ(config.enemyNames.size(), 1u);
    EXPECT_EQ(config.columns, 3);
    EXPECT_EQ(config.spacingX, 220);
    EXPECT_EQ(config.showFrames, 10) << "170 ms is ten steps";
}

TEST(TargetConfig, RefusesWhatCannotGiveAFiniteGame) {
    const std::string generic = "<tile_generic file='a'/>";
    const struct {
        const char* what;
        const char* reason;
        std::string xml;
        TargetConfig tree;
    } kCases[] = {
        {"no root", "the file has no root element", "<!-- -->", FromTree(170, 1, 1)},
        {"no background", "no background file",
         Targets("<tileback file='b'/><tilefront file='f'/>" + kFaces + Grid(3, 3)), FromTree(170, 1, 1)},
        {"tileback without file", "no tileback file",
         Targets("<background file='bg'/><tileback/><tilefront file='f'/>" + kFaces + Grid(3, 3)), FromTree(170, 1, 1)},
        {"no enemy picture", "no tile_friend or no tile_enemy",
         Targets(kPictures + "<tile_friend file='f'/>" + Grid(3, 3)), FromTree(170, 1, 1)},
        {"friend without file", "a tile_friend has no file",
         Targets(kPictures + "<tile_friend/>" + kFaces + Grid(3, 3)), FromTree(170, 1, 1)},
        {"generic without file", "a tile_generic has no file", Targets(kPictures + "<tile_generic/>" + Grid(3, 3)),
         FromTree(170, 0, 1)},
        {"no tilecount", "the grid is not 1 to 16 targets a side", Targets(kPictures + kFaces), FromTree(170, 1, 1)},
        {"17 columns", "the grid is not 1 to 16 targets a side", Targets(kPictures + kFaces + Grid(17, 1)),
         FromTree(170, 1, 1)},
        {"stacked columns", "targets of the grid lie on top of each other", Targets(kPictures + kFaces + Grid(3, 3, 0)),
         FromTree(170, 1, 1)},
        {"grid far out", "the grid lies too far out", Targets(kPictures + kFaces + Grid(3, 3, 2000000)),
         FromTree(170, 1, 1)},
        {"more than fit", "more friends and enemies than targets", Targets(kPictures + kFaces + Grid(2, 2)),
         FromTree(170, 3, 2)},
        {"no enemy", "no enemy per round", Targets(kPictures + kFaces + Grid(3, 3)), FromTree(170, 2, 0)},
        {"negative friends", "a negative number of friends", Targets(kPictures + kFaces + Grid(3, 3)),
         FromTree(170, -1, 1)},
        {"one generic with friends", "friends need a second tile_generic", Targets(kPictures + generic + Grid(3, 3)),
         FromTree(170, 1, 1)},
        {"delay not a number", "the delay is not a sane number of milliseconds",
         Targets(kPictures + kFaces + Grid(3, 3)), FromTree(NAN, 1, 1)},
        {"delay of hours", "the delay is not a sane number of milliseconds", Targets(kPictures + kFaces + Grid(3, 3)),
         FromTree(1e9f, 1, 1)},
    };
    for (const auto& c : kCases) {
        TargetConfig config = c.tree;
        EXPECT_STREQ(ReadText(c.xml, config), c.reason) << c.what;
    }
}

TEST(TargetConfig, AShortDelayIsClampedToOneStep) {
    EXPECT_EQ(ReadOrFail(Targets(kPictures + kFaces + Grid(3, 3)), FromTree(5.0f, 1, 1)).showFrames, 1);
    EXPECT_EQ(ReadOrFail(Targets(kPictures + kFaces + Grid(3, 3)), FromTree(-50.0f, 1, 1)).showFrames, 1);
    EXPECT_EQ(ReadOrFail(Targets(kPictures + "<tile_generic file='a'/>" + Grid(1, 1)), FromTree(0, 0, 1)).showFrames,
              1);
}

TEST(TargetRules, ARoundPlacesItsFriendsAndEnemiesAndLeavesTheRestEmpty) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        os::SeedRand(seed);
        TargetRules rules(Sample(), kBack, false);
        EXPECT_EQ(CountKind(rules, kTargetFriend), 2);
        EXPECT_EQ(CountKind(rules, kTargetEnemy), 1);
        for (const TargetTile& t : rules.GetTiles()) {
            EXPECT_EQ(t.picture == -1, t.kind == kTargetEmpty);
            EXPECT_TRUE(t.showTotal >= 10 - 4 && t.showTotal <= 10 + 4);
            EXPECT_TRUE(t.upTotal >= 11 && t.upTotal <= 19);
        }
        EXPECT_EQ(rules.GetWaitFrames(), TargetRules::kRoundPause);
    }
}

TEST(TargetRules, AllTargetsFlipInThePreviewThenShootingBegins) {
    os::SeedRand(2);
    TargetRules rules(Sample(), kBack, false);
    ASSERT_EQ(rules.Click({0, 0}).shot, TargetShot::kNone);
    EXPECT_EQ(rules.GetWaitFrames(), 1) << "a click ends the pause";
    rules.Step(false);
    rules.Step(false);
    for (size_t i = 0; i < rules.GetTiles().size(); ++i) EXPECT_GT(rules.GetFlip(static_cast<int>(i)), 0.0f);
    ASSERT_TRUE(StepUntil(rules, kTargetShooting, 200));
    for (const TargetTile& t : rules.GetTiles()) {
        EXPECT_EQ(t.upLeft + t.downLeft, 0) << "every target is down again";
    }
    EXPECT_EQ(rules.GetShowFrames(), 10);
}

TEST(TargetRules, HitsScoreAndTheScoreNeverFallsBelowZero) {
    os::SeedRand(6);
    const TargetConfig config = Sample();
    TargetRules rules(config, kBack, false);
    ASSERT_TRUE(StepUntil(rules, kTargetShooting));
    const int empty = FirstOfKind(rules, kTargetEmpty), friendly = FirstOfKind(rules, kTargetFriend);
    const int enemy = FirstOfKind(rules, kTargetEnemy);
    TargetClick click = rules.Click(CentreOf(config, rules.GetTiles()[empty]));
    EXPECT_EQ(click.shot, TargetShot::kEmpty);
    EXPECT_EQ(click.tile, empty);
    EXPECT_EQ(rules.GetScore(), 0) << "a miss at 0 stays 0";
    EXPECT_EQ(rules.ScoreHit(empty), TargetShot::kNone) << "a target that is up cannot be hit";
    EXPECT_EQ(rules.ScoreHit(friendly), TargetShot::kFriend);
    EXPECT_EQ(rules.GetScore(), 0);
    EXPECT_EQ(rules.Click({-1000, -1000}).tile, -1);
    // The friend flips back down and can be hit again, and costs again.
    for (int i = 0; i < 60 && rules.GetTiles()[friendly].downLeft > 0; ++i) rules.Step(false);
    ASSERT_EQ(rules.GetPhase(), kTargetShooting);
    EXPECT_EQ(rules.ScoreHit(enemy), TargetShot::kEnemy);
    EXPECT_EQ(rules.ScoreHit(enemy), TargetShot::kNone) << "a hit enemy stays hit";
    EXPECT_EQ(rules.GetScore(), 5);
    EXPECT_EQ(rules.ScoreHit(friendly), TargetShot::kFriend);
    EXPECT_EQ(rules.GetScore(), 0);
}

TEST(TargetRules, TheRevealFollowsTheLastEnemyAndTheWinIsJudgedAtItsEnd) {
    os::SeedRand(8);
    TargetRules rules(Sample(), kBack, false);
    int rounds = 0;
    bool won = false;
    for (int step = 0; step < 100000 && !won; ++step) {
        if (rules.GetPhase() == kTargetShooting) {
            const int enemy = FirstOfKind(rules, kTargetEnemy);
            if (rules.ScoreHit(enemy) == TargetShot::kEnemy) {
                // One enemy per round: the reveal comes once it stands up.
                for (int i = 1; i < TargetRules::kFlipSteps; ++i) EXPECT_EQ(rules.Step(false).flipSound, false);
                const TargetStepReport report = rules.Step(false);
                EXPECT_EQ(rules.GetPhase(), kTargetReveal);
                EXPECT_TRUE(report.flipSound);
                EXPECT_EQ(rules.GetShowFrames(), TargetRules::kRevealFrames);
                ++rounds;
                continue;
            }
        }
        const int phase = rules.GetPhase();
        const TargetStepReport report = rules.Step(false);
        won = report.won;
        if (phase == kTargetReveal && rules.GetPhase() == kTargetPreview) {
            EXPECT_EQ(won, rules.GetScore() >= TargetRules::kGoal);
            EXPECT_EQ(report.newRound, !won);
        }
    }
    EXPECT_TRUE(won);
    EXPECT_EQ(rounds, 10) << "five points a round";
    EXPECT_EQ(rules.GetScore(), 50);
    EXPECT_TRUE(rules.IsWon());
}

TEST(TargetRules, AClickDuringAFullRevealShortensEveryShow) {
    os::SeedRand(12);
    TargetRules rules(Sample(), kBack, false);
    ASSERT_TRUE(StepUntil(rules, kTargetShooting));
    ASSERT_EQ(rules.ScoreHit(FirstOfKind(rules, kTargetEnemy)), TargetShot::kEnemy);
    ASSERT_TRUE(StepUntil(rules, kTargetReveal));
    bool allUp = false;
    for (int i = 0; i < 100 && !allUp; ++i) {
        rules.Step(false);
        allUp = true;
        for (const TargetTile& t : rules.GetTiles()) allUp &= t.upLeft <= 0 && t.downLeft >= t.downTotal;
    }
    ASSERT_TRUE(allUp);
    rules.Click({0, 0});
    for (const TargetTile& t : rules.GetTiles()) EXPECT_TRUE(t.showLeft >= -4 && t.showLeft <= 4);
    EXPECT_TRUE(StepUntil(rules, kTargetPreview, 60));
}

TEST(TargetRules, TheGenericEnemyChangesEveryRound) {
    const TargetConfig config = ReadOrFail(
        Targets(kPictures + "<tile_generic file='a'/><tile_generic file='b'/><tile_generic file='c'/>" + Grid(3, 3)),
        FromTree(170, 3, 1));
    os::SeedRand(21);
    TargetRules rules(config, kBack, true);
    int previous = rules.GetRoundEnemy(), rounds = 0;
    for (int step = 0; step < 200000 && !rules.IsWon(); ++step) {
        const TargetStepReport report = rules.Step(true);
        if (report.newRound) {
            ++rounds;
            EXPECT_NE(rules.GetRoundEnemy(), previous);
            previous = rules.GetRoundEnemy();
            EXPECT_EQ(rules.GetWaitFrames(), 1) << "the announcement stands in for the pause";
        }
        for (const TargetTile& t : rules.GetTiles()) {
            if (t.kind == kTargetFriend) {
                ASSERT_NE(t.picture, rules.GetRoundEnemy());
            } else if (t.kind == kTargetEnemy) {
                ASSERT_EQ(t.picture, rules.GetRoundEnemy());
            }
        }
    }
    EXPECT_TRUE(rules.IsWon());
    EXPECT_EQ(rounds, 9);
}

TEST(TargetRules, AutoplayWinsFromEverySeedWithinItsBound) {
    const TargetConfig config = Sample(1000.0f);
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        os::SeedRand(seed);
        TargetRules rules(config, kBack, true);
        int steps = 0;
        while (!rules.IsWon() && steps < 20000) {
            rules.Step(true);
            ++steps;
        }
        ASSERT_TRUE(rules.IsWon()) << seed;
        EXPECT_EQ(rules.GetScore(), 50);
    }
}

}  // namespace
