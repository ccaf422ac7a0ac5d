#include "minigames/match3/Match3Rules.h"

#include "platform/XmlUtil.h"
#include "platform/os/Random.h"
#include "support/SourceFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* Read(std::string xml, Match3Config& config) {
    TiXmlDocument file;
    if (!XmlParseText(file, xml.data())) return "parse";
    return ReadMatch3Config(file, config);
}

std::string Board(int32_t types, int32_t countX, int32_t countY, const char* spacing = "100") {
    std::string xml = "<m><background file='bg'/>";
    for (int32_t t = 0; t < types; ++t) xml += "<tile file='t" + std::to_string(t) + "'/>";
    xml += "<tilecount countx='" + std::to_string(countX) + "' county='" + std::to_string(countY) + "'/>";
    xml += "<tileoffset offx='50' offy='50'/><tilespacing spcx='" + std::string(spacing) + "' spcy='" +
           spacing + "'/></m>";
    return xml;
}

Match3Rules MakeRules(uint32_t seed, int32_t types, int32_t countX, int32_t countY) {
    Match3Config config;
    EXPECT_EQ(Read(Board(types, countX, countY), config), nullptr);
    os::SeedRand(seed);
    return Match3Rules(config);
}

int32_t Type(const Match3Rules& rules, int32_t x, int32_t y) {
    const Match3Tile* tile = rules.TileAt(x, y);
    return tile ? tile->type : -1;
}

// Brute force: every horizontal and vertical window of three equal types.
bool HasLine(const std::vector<std::vector<int32_t>>& board) {
    const int32_t h = int32_t(board.size()), w = int32_t(board[0].size());
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const int32_t t = board[y][x];
            if (t < 0) continue;
            if (x + 2 < w && board[y][x + 1] == t && board[y][x + 2] == t) return true;
            if (y + 2 < h && board[y + 1][x] == t && board[y + 2][x] == t) return true;
        }
    }
    return false;
}

std::vector<std::vector<int32_t>> Types(const Match3Rules& rules) {
    std::vector<std::vector<int32_t>> board(rules.GetCountY(), std::vector<int32_t>(rules.GetCountX()));
    for (int32_t y = 0; y < rules.GetCountY(); ++y) {
        for (int32_t x = 0; x < rules.GetCountX(); ++x) board[y][x] = Type(rules, x, y);
    }
    return board;
}

// Brute force: the first swap of neighbours (as {x, y, dx, dy}) that makes a
// line anywhere on the board; dx = -1 when there is none.
std::array<int32_t, 4> FindMove(const Match3Rules& rules) {
    auto board = Types(rules);
    for (int32_t y = 0; y < rules.GetCountY(); ++y) {
        for (int32_t x = 0; x < rules.GetCountX(); ++x) {
            for (auto [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
                if (x + dx >= rules.GetCountX() || y + dy >= rules.GetCountY()) continue;
                std::swap(board[y][x], board[y + dy][x + dx]);
                const bool line = HasLine(board);
                std::swap(board[y][x], board[y + dy][x + dx]);
                if (line) return {x, y, dx, dy};
            }
        }
    }
    return {0, 0, -1, 0};
}

void StepToRest(Match3Rules& rules) {
    for (int32_t i = 0; i < 2000; ++i) {
        if (rules.Step(false) != Match3Step::kBusy) return;
    }
    FAIL() << "the board never came to rest";
}

float Centre(int32_t cell) { return 50.0f + 100.0f * cell; }

Match3Release Drag(Match3Rules& rules, int32_t x, int32_t y, float dx, float dy) {
    rules.Press(Centre(x), Centre(y));
    rules.MovePointer(Centre(x) + dx, Centre(y) + dy);
    rules.Step(false);
    return rules.Release();
}

}  // namespace

TEST(Match3RulesTest, ReaderTakesTypesAndTheBoard) {
    Match3Config config;
    ASSERT_EQ(Read("<m><background file='bg'/><tile file='a' stackposx='10.5' stackstepy='-40'/>"
                   "<tile file='b'/><tilecount countx='8' county='6'/><tileoffset offx='100' offy='80'/>"
                   "<tilespacing spcx='64' spcy='60'/></m>",
                   config),
              nullptr);
    EXPECT_EQ(config.background, "bg");
    ASSERT_EQ(config.types.size(), 2u);
    EXPECT_EQ(config.types[0].file, "a");
    EXPECT_FLOAT_EQ(config.types[0].stackPosX, 10.5f);
    EXPECT_FLOAT_EQ(config.types[0].stackStepY, -40.0f);
    EXPECT_EQ(config.countX, 8);
    EXPECT_EQ(config.countY, 6);
    EXPECT_EQ(config.offX, 100);
    EXPECT_EQ(config.spcY, 60);
}

TEST(Match3RulesTest, ReaderRefusesWhatCannotBePlayedOrWouldNeverSettle) {
    const struct {
        const char* what;
        const char* reason;
        std::string xml;
    } cases[] = {
        {"empty document", "parse", ""},
        {"no background", "no background file",
         "<m><tile file='a'/><tile file='b'/><tilecount countx='5' county='5'/></m>"},
        {"background without file", "no background file", "<m><background/><tile file='a'/><tile file='b'/></m>"},
        {"no tile", "fewer than two tile types", Board(0, 5, 5)},
        {"one tile type (every refill makes lines)", "fewer than two tile types", Board(1, 5, 5)},
        {"33 tile types", "more than 32 tile types", Board(33, 5, 5)},
        {"tile without file", "a tile without a file",
         "<m><background file='bg'/><tile/><tile file='b'/>"
         "<tilecount countx='5' county='5'/><tilespacing spcx='9' spcy='9'/></m>"},
        {"no tilecount", "no board (tilecount)",
         "<m><background file='bg'/><tile file='a'/><tile file='b'/>"
         "<tilespacing spcx='9' spcy='9'/></m>"},
        {"board 2 x 2", "board too small for any line", Board(3, 2, 2)},
        {"board 3 x 1", "board too small for any line", Board(3, 3, 1)},
        {"board 1 x 3", "board too small for any line", Board(3, 1, 3)},
        {"board 65 wide", "board larger than 64 by 64", Board(3, 65, 5)},
        {"huge board", "board larger than 64 by 64", Board(3, 100000, 100000)},
        {"negative count", "no board (tilecount)", Board(3, -5, 5)},
        {"zero spacing", "tile spacing not positive", Board(3, 5, 5, "0")},
        {"negative spacing", "tile spacing not positive", Board(3, 5, 5, "-20")},
        {"huge spacing", "board placed far outside the game", Board(3, 5, 5, "2000000000")},
        {"stack at infinity", "a tile's stack placed far outside the game",
         "<m><background file='bg'/><tile file='a' stackposx='inf'/><tile file='b'/>"
         "<tilecount countx='5' county='5'/><tilespacing spcx='9' spcy='9'/></m>"},
        {"stack step not a number", "a tile's stack placed far outside the game",
         "<m><background file='bg'/><tile file='a' stackstepy='nan'/>"
         "<tile file='b'/><tilecount countx='5' county='5'/>"
         "<tilespacing spcx='9' spcy='9'/></m>"},
    };
    for (const auto& c : cases) {
        Match3Config config;
        EXPECT_STREQ(Read(c.xml, config), c.reason) << c.what;
    }
    for (auto [x, y] : {std::pair{4, 1}, std::pair{1, 4}, std::pair{3, 2}, std::pair{2, 3}, std::pair{64, 64}}) {
        Match3Config config;
        EXPECT_EQ(Read(Board(3, x, y), config), nullptr) << x << " x " << y;
    }
}

TEST(Match3RulesTest, SampleConfigurationIsAcceptedAndSettles) {
    std::string xml = testsupport::ReadWholeFile(
        testsupport::SourceFolder("data/Data/Shared/MiniGames/Match3/Sample.xml"));
    ASSERT_FALSE(xml.empty());
    Match3Config config;
    ASSERT_EQ(Read(xml, config), nullptr);
    os::SeedRand(1);
    Match3Rules rules(config);
    EXPECT_TRUE(rules.IsReady());
}

TEST(Match3RulesTest, SettledBoardsHoldNoLineAndTheSameSeedMakesTheSameBoard) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        for (auto [types, w, h] : {std::tuple{2, 6, 6}, std::tuple{3, 8, 8}, std::tuple{5, 12, 9}}) {
            Match3Rules rules = MakeRules(seed, types, w, h);
            ASSERT_TRUE(rules.IsReady());
            const auto board = Types(rules);
            EXPECT_FALSE(HasLine(board)) << seed;
            for (const auto& row : board) {
                for (int32_t t : row) ASSERT_TRUE(t >= 0 && t < types);
            }
            EXPECT_EQ(Types(MakeRules(seed, types, w, h)), board);
        }
    }
}

TEST(Match3RulesTest, HasMoveAgreesWithBruteForceOverAllSwaps) {
    int32_t without = 0;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        Match3Rules rules = MakeRules(seed, 2 + seed % 7, 3 + seed % 3, 2 + seed % 4);
        const bool found = FindMove(rules)[2] >= 0;
        EXPECT_EQ(rules.HasMove(), found) << seed;
        without += !found;
    }
    EXPECT_GT(without, 10);  // both answers were exercised
}

TEST(Match3RulesTest, SwapThatMakesNoLineIsRefusedAndBothSlideBack) {
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        Match3Rules rules = MakeRules(seed, 6, 6, 6);
        auto board = Types(rules);
        std::swap(board[0][0], board[0][1]);
        if (HasLine(board) || board[0][0] == board[0][1]) continue;
        EXPECT_EQ(Drag(rules, 0, 0, 60, 0), Match3Release::kRefused);
        const Match3Tile* first = rules.TileAt(0, 0);
        EXPECT_EQ(first->swapSteps, 15);
        EXPECT_EQ(Type(rules, 0, 0), Types(MakeRules(seed, 6, 6, 6))[0][0]);
        for (int32_t i = 0; i < 15; ++i) rules.Step(false);
        EXPECT_FLOAT_EQ(rules.TileAt(0, 0)->currentX, Centre(0));
        EXPECT_FLOAT_EQ(rules.TileAt(1, 0)->currentX, Centre(1));
        EXPECT_EQ(rules.GetExplosionCount(), 0);
        return;
    }
    FAIL() << "no seed gave a refusable swap";
}

TEST(Match3RulesTest, DragOfHalfASpacingOrLessPicksNoNeighbour) {
    Match3Rules rules = MakeRules(3, 6, 6, 6);
    ASSERT_EQ(rules.Press(Centre(2), Centre(2)), Match3Press::kPicked);
    rules.MovePointer(Centre(2) + 50, Centre(2));
    rules.Step(false);
    EXPECT_EQ(rules.GetSecond(), -1);
    rules.MovePointer(Centre(2) + 51, Centre(2));
    rules.Step(false);
    EXPECT_EQ(rules.GetSecond(), 2 * 6 + 3);
    rules.MovePointer(Centre(2), Centre(2) - 30);  // back within: both return
    rules.Step(false);
    EXPECT_EQ(rules.GetSecond(), -1);
    EXPECT_EQ(rules.Release(), Match3Release::kDropped);
    EXPECT_EQ(rules.Press(Centre(0) - 51, Centre(0)), Match3Press::kNoTile);  // off the board
    EXPECT_EQ(rules.Press(0, 0), Match3Press::kIgnored);  // a drag is on
}

TEST(Match3RulesTest, AcceptedSwapExplodesCollectsAndRefillsFromAbove) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        Match3Rules rules = MakeRules(seed, 4, 7, 7);
        const auto move = FindMove(rules);
        ASSERT_GE(move[2], 0);
        EXPECT_EQ(Drag(rules, move[0], move[1], 60.0f * move[2], 60.0f * move[3]), Match3Release::kSwapped);
        EXPECT_GE(rules.GetExplosionCount(), 1);
        int32_t collected = 0;
        for (int32_t t = 0; t < 4; ++t) {
            EXPECT_LE(rules.GetCollected(t), t + 1);
            collected += rules.GetCollected(t);
        }
        EXPECT_GE(collected, 1);
        // Vanishing tiles keep their image; nothing can be picked up there.
        int32_t vanishing = 0;
        for (int32_t cell = 0; cell < 49; ++cell) {
            const Match3Tile* tile = rules.TileAt(cell % 7, cell / 7);
            if (tile->type >= 0) continue;
            ++vanishing;
            EXPECT_GE(tile->shownType, 0);
            EXPECT_EQ(rules.Press(Centre(cell % 7), Centre(cell / 7)), Match3Press::kNoTile);
            rules.Release();
        }
        EXPECT_GE(vanishing, 3);
        for (int32_t i = 0; i < 30; ++i) rules.Step(false);
        bool fromAbove = false;
        for (int32_t cell = 0; cell < 49; ++cell) {
            const Match3Tile* tile = rules.TileAt(cell % 7, cell / 7);
            EXPECT_GE(tile->type, 0);
            if (tile->fallSteps == 30 && tile->fromY == 50.0f - 500.0f) fromAbove = true;
        }
        EXPECT_TRUE(fromAbove) << "new tiles start five rows above the top row";
        StepToRest(rules);
        EXPECT_FALSE(HasLine(Types(rules)));
    }
}

TEST(Match3RulesTest, FallingTileCannotBePickedAndASwapWithItIsRefused) {
    Match3Rules rules = MakeRules(5, 4, 7, 7);
    const auto move = FindMove(rules);
    Drag(rules, move[0], move[1], 60.0f * move[2], 60.0f * move[3]);
    for (int32_t i = 0; i < 31; ++i) rules.Step(false);  // vanished, refilled: now falling
    int32_t falling = -1;
    for (int32_t cell = 0; cell < 49 && falling < 0; ++cell) {
        if (rules.TileAt(cell % 7, cell / 7)->fallSteps > 0) falling = cell;
    }
    ASSERT_GE(falling, 0);
    const int32_t fx = falling % 7, fy = falling / 7;
    EXPECT_EQ(rules.Press(Centre(fx), Centre(fy)), Match3Press::kNoTile);
    rules.Release();
    // Dragging a resting neighbour onto the falling tile moves neither.
    const int32_t nx = fx > 0 ? fx - 1 : fx + 1;
    if (rules.TileAt(nx, fy)->fallSteps == 0) {
        ASSERT_EQ(rules.Press(Centre(nx), Centre(fy)), Match3Press::kPicked);
        rules.MovePointer(Centre(nx) + (fx > nx ? 60 : -60), Centre(fy));
        rules.Step(false);
        EXPECT_EQ(rules.GetSecond(), -1);
        rules.Release();
    }
    StepToRest(rules);
    EXPECT_FALSE(HasLine(Types(rules)));
}

TEST(Match3RulesTest, AutoplayFillsEveryStackAndTheWinComesAtRest) {
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        Match3Rules rules = MakeRules(seed, 4, 8, 8);
        int32_t steps = 0;
        Match3Step last = Match3Step::kBusy;
        while (last != Match3Step::kWon && steps < 20000) {
            last = rules.Step(true);
            ++steps;
            for (int32_t t = 0; t < 4; ++t) ASSERT_LE(rules.GetCollected(t), t + 1);
        }
        ASSERT_EQ(last, Match3Step::kWon) << seed;
        for (int32_t t = 0; t < 4; ++t) EXPECT_EQ(rules.GetCollected(t), t + 1);
        EXPECT_TRUE(rules.IsWon());
        EXPECT_FALSE(rules.IsDragging());
        EXPECT_EQ(rules.Step(true), Match3Step::kAtRest);  // reported once
    }
}

TEST(Match3RulesTest, BoardWithoutMoveClearsAndASettledOneReplacesIt) {
    int32_t clears = 0;
    for (uint32_t seed = 1; seed <= 200 && clears < 5; ++seed) {
        Match3Rules rules = MakeRules(seed, 8, 4, 2);
        if (rules.HasMove()) continue;
        ASSERT_EQ(rules.Step(false), Match3Step::kCleared);
        EXPECT_TRUE(rules.IsClearing());
        for (int32_t i = 0; i < 29; ++i) EXPECT_EQ(rules.Step(false), Match3Step::kBusy);
        rules.Step(false);  // the vanish ends: a new board at once
        const auto board = Types(rules);
        EXPECT_FALSE(HasLine(board));
        for (const auto& row : board) {
            for (int32_t t : row) EXPECT_GE(t, 0);
        }
        EXPECT_EQ(rules.GetExplosionCount(), 0);  // nothing collected while settling
        ++clears;
    }
    EXPECT_EQ(clears, 5);
}

