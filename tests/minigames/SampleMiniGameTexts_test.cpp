// What the manor's lines say about its puzzles holds for the games its setup
// starts, in both languages: target shooting's lines send the player to the
// enemy each round announces, every tank of the pipe board has a basin of its colour, and the
// sliding picture's piece that never shows holds nothing the eye misses.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/Game.h"
#include "harness/HeadlessGame.h"
#include "minigames/pipes/MG_Pipes.h"
#include "minigames/pipes/PipesRules.h"
#include "minigames/pushpuzzle/MG_PushPuzzle.h"
#include "minigames/target/MG_Target.h"
#include "platform/DataTree.h"
#include "platform/Loca.h"
#include "platform/TgaFile.h"
#include "platform/XmlUtil.h"
#include "script/runtime/machine/ScriptVM.h"
#include "support/SourceFiles.h"

namespace {

constexpr const char* kManor = "study_03";

class SampleMiniGameTextsTest : public testing::Test {
protected:
    void SetUp() override {
        const char* source = std::getenv("TAVRIN_SOURCE_DIR");
        ASSERT_NE(source, nullptr);
        harness.MountGameData(std::string(source) + "/data");
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
        ASSERT_TRUE(DataTree::OpenProfile(0));
        // The manor's own Setup writes the keys each game reads.
        const std::string script = testsupport::ReadWholeFile(
            testsupport::SourceFolder("data/Data/Shared/scripts/scenes/study_03.cis"));
        ASSERT_TRUE(Vrel::ScriptVM::Global().CompileBuffer(script.c_str(), kManor));
        Game::CallScript("Setup", kManor);
        for (const std::string& message : harness.Messages()) ADD_FAILURE() << message;
    }
    void TearDown() override { Vrel::ScriptVM::Global().ReleaseModule(kManor); }

    // The line the player reads for `key` in `language`.
    static std::string Line(const char* language, const std::string& key) {
        EXPECT_TRUE(Loca::Global().Load(language)) << language;
        std::u16string text;
        EXPECT_GE(Loca::Global().Translate(("#" + key).c_str(), text), 0) << language << " " << key;
        return Loca::WideToUtf8(text);
    }
    static bool Says(const std::string& line, const char* word) {
        return line.find(word) != std::string::npos;
    }

    testsupport::HeadlessGame harness;
};

struct Language {
    const char* code;
    const char* figures[3];  // one each, as the offer names them
    const char* flocks[3];   // all of a kind, as fixed roles would name them
    const char* bubble;
    const char* onlyThisOne;
    const char* range;  // as the offer names the place
    const char* lastRound;
};
constexpr Language kLanguages[] = {
    {"english", {"crow", "owl", "hare"}, {"crows", "owls", "hares"}, "bubble", "only this one", "target range",
     "last round"},
    {"german", {"Krähe", "Eule", "Hase"}, {"Krähen", "Eulen", "Hasen"}, "Sprechblase", "nur auf dieses",
     "Schießstand", "letzte Runde"},
};

// The range announces a new enemy every round, so the lines may name no
// figure as always the enemy or always spared: they send the player to the
// bubble, whose own text says to shoot only the figure it shows.
TEST_F(SampleMiniGameTextsTest, TargetShootingsLinesSendThePlayerToTheEnemyEachRoundAnnounces) {
    TargetConfig config;
    config.delayMs = DataTree::GetFloat(MG_Target::kDelayKey);
    config.friendCount = DataTree::GetInt(MG_Target::kFriendsKey);
    config.enemyCount = DataTree::GetInt(MG_Target::kEnemiesKey);
    const std::string file =
        std::string("MiniGames/Zielscheiben/") + DataTree::GetString(MG_Target::kConfigKey) + ".xml";
    TiXmlDocument document;
    ASSERT_TRUE(XmlLoadFile(document, file.c_str())) << file;
    ASSERT_EQ(ReadTargetConfig(document, config), nullptr) << file;
    EXPECT_TRUE(config.IsGeneric());
    EXPECT_EQ(config.genericNames, (std::vector<std::string>{"friend_owl", "friend_hare", "enemy_crow"}));
    EXPECT_EQ(config.enemyCount, 1);

    for (const Language& language : kLanguages) {
        const std::string offer = Line(language.code, "games_Zielscheiben");
        const std::string howTo = Line(language.code, "games_howto_Zielscheiben");
        const std::string closing = Line(language.code, "games_closing_Zielscheiben");
        for (const char* figure : language.figures) EXPECT_TRUE(Says(offer, figure)) << offer;
        for (const char* flock : language.flocks) {
            for (const std::string& line : {offer, howTo, closing}) EXPECT_FALSE(Says(line, flock)) << line;
        }
        EXPECT_TRUE(Says(howTo, language.bubble)) << howTo;
        const std::string announcement = Line(language.code, "minigame_zielscheiben_enemy");
        EXPECT_TRUE(Says(announcement, language.onlyThisOne)) << announcement;
    }
}

// The range's one closing line comes however it ends, skipped in its
// second round as much as won: it tells of leaving the range, never of a
// last round played.
TEST_F(SampleMiniGameTextsTest, TheRangesClosingLineHoldsWhenItIsSkippedBeforeItsLastRound) {
    for (const Language& language : kLanguages) {
        EXPECT_TRUE(Says(Line(language.code, "games_Zielscheiben"), language.range)) << language.code;
        const std::string closing = Line(language.code, "games_closing_Zielscheiben");
        EXPECT_TRUE(Says(closing, language.range)) << closing;
        EXPECT_FALSE(Says(closing, language.lastRound)) << closing;
    }
}

// The tanks and basins take their colours anew on every board, so boards of
// many seeds are laid: each one must give every tank a basin of its colour.
TEST_F(SampleMiniGameTextsTest, EveryTankOfThePipeBoardHasABasinOfItsColour) {
    const std::string file =
        std::string("MiniGames/Rohre/") + DataTree::GetString(MG_Pipes::kConfigKey) + ".xml";
    TiXmlDocument document;
    ASSERT_TRUE(XmlLoadFile(document, file.c_str())) << file;
    PipesConfig config;
    ASSERT_EQ(ReadPipesConfig(document, config), nullptr) << file;
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        PipesRules rules(config, seed);
        ASSERT_TRUE(rules.IsReady()) << rules.GetRefusal();
        std::multiset<int32_t> tanks, basins;
        for (const PipesTile& slot : rules.GetInletSlots()) tanks.insert(slot.channelColour[0]);
        for (const PipesPort& outlet : config.outlets)
            basins.insert(rules.TileAt(outlet.cellX, outlet.cellY).channelColour[0]);
        ASSERT_EQ(tanks, basins) << "seed " << seed;
        ASSERT_EQ(tanks.count(kPipesNoColour), 0u) << "seed " << seed;
    }
    const char* const said[] = {"basin of its colour", "Becken seiner Farbe"};
    for (size_t i = 0; i < std::size(kLanguages); ++i) {
        const std::string howTo = Line(kLanguages[i].code, "games_howto_Rohre");
        EXPECT_TRUE(Says(howTo, said[i])) << howTo;
    }
}

// The game never shows the bottom-right piece, solved or not: that ninth of
// the picture must be plain, or the closing line's lighthouse "in one piece"
// would still miss a corner. The piece above it, with the lighthouse, shows
// that the measure sees a drawing.
TEST_F(SampleMiniGameTextsTest, TheSlidingPicturesPieceThatNeverShowsIsPlain) {
    const int32_t grid = DataTree::GetInt(MG_PushPuzzle::kGridSizeKey);
    ASSERT_GE(grid, 2);
    Point2i size;
    int32_t bits = 0;
    const std::unique_ptr<uint8_t[]> pixels =
        LoadTGA(&size, &bits, "MiniGames/Mosaik/%s.tga", DataTree::GetString(MG_PushPuzzle::kPictureKey));
    ASSERT_TRUE(pixels);
    ASSERT_EQ(bits, 32);
    const Point2i cell{size.x / grid, size.y / grid};
    // The largest spread of one colour channel over the cell, as the game
    // cuts it from the rows as stored.
    const auto spread = [&](int32_t column, int32_t row) {
        double largest = 0.0;
        for (int32_t channel = 0; channel < 3; ++channel) {
            double sum = 0.0, squares = 0.0;
            for (int32_t y = row * cell.y; y < (row + 1) * cell.y; ++y) {
                for (int32_t x = column * cell.x; x < (column + 1) * cell.x; ++x) {
                    const double v = pixels[(static_cast<size_t>(y) * size.x + x) * 4 + channel];
                    sum += v;
                    squares += v * v;
                }
            }
            const double count = static_cast<double>(cell.x) * cell.y;
            const double mean = sum / count;
            largest = std::max(largest, std::sqrt(std::max(0.0, squares / count - mean * mean)));
        }
        return largest;
    };
    EXPECT_LT(spread(grid - 1, grid - 1), 2.0);
    EXPECT_GT(spread(grid - 1, grid - 2), 20.0);
}

}  // namespace
