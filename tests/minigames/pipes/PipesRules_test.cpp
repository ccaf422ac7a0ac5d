#include "minigames/pipes/MersenneTwister.h"
#include "minigames/pipes/PipesBoard.h"
#include "minigames/pipes/PipesConfig.h"
#include "minigames/pipes/PipesGenerator.h"
#include "minigames/pipes/PipesRules.h"
#include "platform/XmlUtil.h"
#include "support/SourceFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

const char* ReadText(const std::string& xml, PipesConfig& config) {
    std::string text = xml;
    TiXmlDocument document;
    if (!XmlParseText(document, text.data())) return "the text is not XML";
    return ReadPipesConfig(document, config);
}

const std::string kStraight =
    "<tile basefile='s' colormask1='m' colormask2='n' up='1' down='1'/>";
const std::string kBend = "<tile basefile='b' colormask1='m' colormask2='n' up='1' right='1'/>";
const std::string kColours = "<color red='255'/><color blue='255'/>";

std::string Inlet(int fieldX, int fieldY, int direction, int accX, int accY) {
    return "<inlet basefile='i' right='1' fieldx='" + std::to_string(fieldX) + "' fieldy='" +
           std::to_string(fieldY) + "' direction='" + std::to_string(direction) + "' accx='" +
           std::to_string(accX) + "' accy='" + std::to_string(accY) + "'/>";
}

std::string Outlet(int fieldX, int fieldY) {
    return "<outlet basefile='o' left='1' fieldx='" + std::to_string(fieldX) + "' fieldy='" +
           std::to_string(fieldY) + "'/>";
}

std::string Board(int countX, int countY) {
    return "<tilecount countx='" + std::to_string(countX) + "' county='" + std::to_string(countY) +
           "'/><tileoffset offx='50' offy='50'/><tilespacing spcx='100' spcy='100'/>";
}

std::string Pipes(const std::string& body) { return "<pipes><background file='bg'/>" + body + "</pipes>"; }

// Two rows of two: an inlet at the left of each row, an outlet at the right.
std::string TwoRows(const std::string& tiles) {
    return Pipes(kColours + tiles + Inlet(-1, 0, 0, 0, 0) + Inlet(-1, 1, 0, 0, 1) + Outlet(1, 0) + Outlet(1, 1) +
                 Board(2, 2));
}

PipesConfig ReadOrFail(const std::string& xml) {
    PipesConfig config;
    const char* why = ReadText(xml, config);
    EXPECT_EQ(why, nullptr) << why;
    return config;
}

std::unique_ptr<PipesRules> Build(const PipesConfig& config, uint32_t seed) {
    auto rules = std::make_unique<PipesRules>(config, seed);
    EXPECT_TRUE(rules->IsReady()) << rules->GetRefusal();
    return rules;
}

// Runs a turn animation out; answers the report of its last step.
PipesStepReport FinishTurns(PipesRules& rules) {
    PipesStepReport last;
    for (int i = 0; i < PipesRules::kTurnSteps; ++i) last = rules.Step();
    return last;
}

void TurnHome(PipesRules& rules, int x, int y) {
    while (rules.TileAt(x, y).rotation != rules.TileAt(x, y).solvedRotation) {
        ASSERT_NE(rules.TryTurn(x, y), PipesTurn::kRefused);
        FinishTurns(rules);
    }
}

void SetAllHome(PipesBoard& board) {
    for (PipesTile& tile : board.board) {
        if (board.IsPlain(tile)) tile.rotation = tile.solvedRotation;
    }
}

PipesConfig SampleConfig() {
    const std::string text = testsupport::ReadWholeFile(
        testsupport::SourceFolder("data/Data/Shared/MiniGames/Rohre/sample.xml"));
    EXPECT_FALSE(text.empty());
    return ReadOrFail(text);
}

TEST(MersenneTwister, MatchesTheStandardGeneratorAndScalesIntoItsRange) {
    MersenneTwister twister;
    twister.Seed(5489u);
    std::mt19937 reference(5489u);
    uint32_t word = 0;
    for (int i = 0; i < 10000; ++i) {
        word = twister.NextWord();
        ASSERT_EQ(word, reference()) << i;
    }
    EXPECT_EQ(word, 4123659995u);
    for (int i = 0; i < 10000; ++i) {
        const float f = twister.NextFloat();
        ASSERT_TRUE(f >= 0.0f && f <= 1.0f);
        const int32_t index = twister.NextIndex(3);
        ASSERT_TRUE(index >= 0 && index <= 2);
    }
    EXPECT_EQ(twister.NextIndex(0), 0);
}

TEST(MersenneTwister, SeedsFromTheTimesFloatBits) {
    EXPECT_EQ(MersenneTwister::SeedWordFromTime(0.0), MersenneTwister::kZeroTimeSeed);
    const float time = 1234.0f;
    uint32_t bits = 0;
    std::memcpy(&bits, &time, sizeof bits);
    EXPECT_EQ(MersenneTwister::SeedWordFromTime(1234.0), bits);
    MersenneTwister fresh, seeded;
    seeded.Seed(MersenneTwister::kDefaultSeed);
    EXPECT_EQ(fresh.NextWord(), seeded.NextWord());
}

TEST(PipesConfig, SampleIsAccepted) {
    const PipesConfig config = SampleConfig();
    EXPECT_EQ(config.tiles.size(), 3u);
    EXPECT_EQ(config.inlets.size(), config.colours.size()) << "every inlet pours its own colour";
}

TEST(PipesConfig, RefusesWhatCannotGiveAPlayableBoard) {
    const std::string inlets2 = Inlet(-1, 0, 0, 0, 0) + Inlet(-1, 1, 0, 0, 1);
    const std::string outlet = Outlet(1, 0);
    const struct {
        const char* what;
        const char* reason;
        std::string xml;
    } kCases[] = {
        {"no root element", "the file has no root element", "<!-- nothing -->"},
        {"no background", "no background file",
         "<pipes>" + kColours + kStraight + inlets2 + outlet + Board(2, 2) + "</pipes>"},
        {"no color", "no color", Pipes(kStraight + inlets2 + outlet + Board(2, 2))},
        {"no tile", "no tile", Pipes(kColours + inlets2 + outlet + Board(2, 2))},
        {"tile without a mask", "a tile lacks basefile, colormask1 or colormask2",
         Pipes(kColours + "<tile basefile='s' colormask1='m' up='1'/>" + inlets2 + outlet + Board(2, 2))},
        {"channel 3", "a side names a channel other than 0, 1 or 2",
         Pipes(kColours + "<tile basefile='s' colormask1='m' colormask2='n' up='3'/>" + inlets2 + outlet +
               Board(2, 2))},
        {"negative channel", "a side names a channel other than 0, 1 or 2",
         Pipes(kColours + "<tile basefile='s' colormask1='m' colormask2='n' up='-1'/>" + inlets2 + outlet +
               Board(2, 2))},
        {"inlet without basefile", "an inlet or outlet lacks basefile",
         Pipes(kColours + kStraight + "<inlet right='1'/>" + outlet + Board(2, 2))},
        {"inlet with no opening", "an inlet or outlet does not open on exactly one side",
         Pipes(kColours + kStraight + "<inlet basefile='i'/>" + outlet + Board(2, 2))},
        {"outlet with two openings", "an inlet or outlet does not open on exactly one side",
         Pipes(kColours + kStraight + inlets2 + "<outlet basefile='o' left='1' up='1' fieldx='1'/>" + Board(2, 2))},
        {"no outlet", "no outlet", Pipes(kColours + kStraight + inlets2 + Board(2, 2))},
        {"more outlets than inlets", "more outlets than inlets",
         Pipes(kColours + kStraight + Inlet(-1, 0, 0, 0, 0) + Outlet(1, 0) + Outlet(1, 1) + Board(2, 2))},
        {"more inlets than colours", "more inlets than colours",
         Pipes("<color/>" + kStraight + inlets2 + outlet + Board(2, 2))},
        {"no tilecount", "the board is not 1 to 32 cells a side", Pipes(kColours + kStraight + inlets2 + outlet)},
        {"board 33 wide", "the board is not 1 to 32 cells a side",
         Pipes(kColours + kStraight + inlets2 + outlet + Board(33, 2))},
        {"board 0 high", "the board is not 1 to 32 cells a side",
         Pipes(kColours + kStraight + inlets2 + outlet + Board(2, 0))},
        {"zero spacing", "the tile spacing is not 1 to 1024",
         Pipes(kColours + kStraight + inlets2 + outlet +
               "<tilecount countx='2' county='2'/><tilespacing spcx='0' spcy='10'/>")},
        {"offset far out", "the tile offset lies too far out",
         Pipes(kColours + kStraight + inlets2 + outlet +
               "<tilecount countx='2' county='2'/><tileoffset offx='-2147483648'/>"
               "<tilespacing spcx='10' spcy='10'/>")},
        {"access off the board", "an inlet pours into a cell off the board",
         Pipes(kColours + kStraight + Inlet(-1, 0, 0, 2, 0) + outlet + Board(2, 2))},
        {"inlet far away", "an inlet lies too far from the board",
         Pipes(kColours + kStraight + Inlet(-9, 0, 0, 0, 0) + outlet + Board(2, 2))},
        {"inlet offset not finite", "an inlet offset is not a sane number",
         Pipes(kColours + kStraight + "<inlet basefile='i' right='1' fieldx='-1' offsetx='nan'/>" + outlet +
               Board(2, 2))},
        {"outlet off the board", "an outlet lies off the board",
         Pipes(kColours + kStraight + inlets2 + Outlet(2, 0) + Board(2, 2))},
        {"outlets opening on different sides", "the outlets do not all open on the same side",
         Pipes(kColours + kStraight + inlets2 + Outlet(1, 0) + "<outlet basefile='o' up='1' fieldx='1' fieldy='1'/>" +
               Board(2, 2))},
        {"two outlets on one cell", "two outlets share a cell",
         Pipes(kColours + kStraight + inlets2 + Outlet(1, 0) + Outlet(1, 0) + Board(2, 2))},
    };
    for (const auto& c : kCases) {
        PipesConfig config;
        EXPECT_STREQ(ReadText(c.xml, config), c.reason) << c.what;
    }
}

TEST(PipesConfig, TooManyColoursInPlayAreRefusedButUnusedOnesAreNot) {
    std::string colours, inlets, tiles = kStraight;
    for (int i = 0; i < 128; ++i) {
        colours += "<color/>";
        inlets += Inlet(-1, i % 32, 0, 0, i % 32);
    }
    PipesConfig crowded;
    EXPECT_STREQ(ReadText(Pipes(colours + tiles + inlets + Outlet(1, 0) + Board(32, 32)), crowded),
                 "more than 127 colours in play");
    PipesConfig spare;
    EXPECT_EQ(ReadText(Pipes(colours + tiles + Inlet(-1, 0, 0, 0, 0) + Outlet(1, 0) + Board(2, 2)), spare),
              nullptr);
}

TEST(PipesConfig, DirectionIsKeptAsAQuarterTurnCount) {
    const PipesConfig config = ReadOrFail(Pipes(kColours + kStraight + Inlet(-1, 0, -1, 0, 0) +
                                                Inlet(-1, 1, 6, 0, 1) + Outlet(1, 0) + Board(2, 2)));
    EXPECT_EQ(config.inlets[0].rotation, 3);
    EXPECT_EQ(config.inlets[1].rotation, 2);
}

TEST(PipesGenerator, SameSeedGivesTheSameBoardAndTimeZeroItsOwnSeed) {
    const PipesConfig config = SampleConfig();
    const uint32_t seed = MersenneTwister::SeedWordFromTime(52717.0);
    std::unique_ptr<PipesRules> a = Build(config, seed), b = Build(config, seed);
    std::unique_ptr<PipesRules> other = Build(config, MersenneTwister::SeedWordFromTime(0.0));
    std::unique_ptr<PipesRules> zero = Build(config, MersenneTwister::kZeroTimeSeed);
    bool differs = false, zeroSame = true;
    for (int y = 0; y < config.countY; ++y) {
        for (int x = 0; x < config.countX; ++x) {
            EXPECT_EQ(a->TileAt(x, y).typeIndex, b->TileAt(x, y).typeIndex);
            EXPECT_EQ(a->TileAt(x, y).rotation, b->TileAt(x, y).rotation);
            differs |= a->TileAt(x, y).typeIndex != other->TileAt(x, y).typeIndex ||
                       a->TileAt(x, y).rotation != other->TileAt(x, y).rotation;
            zeroSame &= zero->TileAt(x, y).typeIndex == other->TileAt(x, y).typeIndex &&
                        zero->TileAt(x, y).rotation == other->TileAt(x, y).rotation;
        }
    }
    EXPECT_TRUE(differs);
    EXPECT_TRUE(zeroSame);
}

// Over many seeds: the rotations the generator laid win under the flow
// rules, paths enter only their own outlet, and about a quarter of the
// plain pieces keep their laid rotation after scrambling.
TEST(PipesGenerator, SampleBoardsAreWinnableAndScrambled) {
    const PipesConfig config = SampleConfig();
    int plain = 0, kept = 0, maxAttempts = 0;
    int64_t maxWork = 0;
    for (uint32_t seed = 1; seed <= 1000; ++seed) {
        PipesBoard board(config);
        MersenneTwister random;
        random.Seed(seed);
        PipesGenerator generator(board, random);
        ASSERT_EQ(generator.Generate(), nullptr) << seed;
        maxAttempts = std::max(maxAttempts, generator.GetAttempts());
        maxWork = std::max(maxWork, generator.GetWork());
        for (const PipesTile& tile : board.board) {
            if (!board.IsPlain(tile)) continue;
            ++plain;
            kept += tile.rotation == tile.solvedRotation;
            ASSERT_GE(tile.typeIndex, 0);
        }
        // The flow of the new board is the one every later judgement finds.
        std::vector<PipesTile> generated = board.board;
        board.ComputeFlow();
        for (size_t i = 0; i < generated.size(); ++i) {
            ASSERT_EQ(generated[i].channelFilled[0], board.board[i].channelFilled[0]) << "seed " << seed;
            ASSERT_EQ(generated[i].channelColour[0], board.board[i].channelColour[0]) << "seed " << seed;
        }
        SetAllHome(board);
        board.ComputeFlow();
        for (const PipesTile& outlet : board.outlets) {
            const PipesTile& tile = board.TileAt(outlet.cellX, outlet.cellY);
            ASSERT_TRUE(tile.channelFilled[0]) << "seed " << seed;
            ASSERT_EQ(tile.channelColour[0], board.PortColour(outlet)) << "seed " << seed;
        }
    }
    EXPECT_NEAR(static_cast<double>(kept) / plain, 0.25, 0.03);
    EXPECT_LE(maxAttempts * 100, PipesGenerator::kMaxAttempts) << "the bound must sit far above need";
    EXPECT_LE(maxWork * 20, PipesGenerator::kMaxWork) << "the bound must sit far above need";
}

// A sample board with a few bytes changed: the straight piece opens on one
// side only and both inlets pour into the same cell, so no attempt can
// carve. Once the attempts spent seconds; the work bound ends them.
TEST(PipesGenerator, AnUncarvableBoardGivesUpWithinItsWork) {
    const std::string text = testsupport::ReadWholeFile(
        testsupport::SourceFolder("tests/fuzz/corpus/fuzz_config_pipes/slow_generation.xml"));
    ASSERT_FALSE(text.empty());
    const PipesConfig config = ReadOrFail(text);
    for (uint32_t seed : {1u, 2u, 77u}) {
        PipesBoard board(config);
        MersenneTwister random;
        random.Seed(seed);
        PipesGenerator generator(board, random);
        EXPECT_STREQ(generator.Generate(), "no board could be generated (the paths cannot be carved)");
        EXPECT_LT(generator.GetAttempts(), PipesGenerator::kMaxAttempts) << "the work bound ends it first";
        // The last search entry may overshoot by one piece's trials.
        EXPECT_LE(generator.GetWork(), PipesGenerator::kMaxWork + 4 * 1024) << seed;
    }
}

TEST(PipesGenerator, ABoxedInOutletFailsFastInsteadOfHanging) {
    // The outlet at (0, 0) opens left, off the board: no path can reach it.
    const PipesConfig config = ReadOrFail(Pipes(kColours + kStraight + kBend + Inlet(1, -1, 1, 1, 0) +
                                                "<outlet basefile='o' left='1'/>" + Board(2, 2)));
    const PipesRules rules(config, 99u);
    EXPECT_FALSE(rules.IsReady());
    EXPECT_STREQ(rules.GetRefusal(), "no board could be generated (the paths cannot be carved)");
}

// A two-row board whose second row starts disconnected, so that no turn of
// the first row can win it.
std::unique_ptr<PipesRules> SecondRowOpen() {
    const PipesConfig config = ReadOrFail(TwoRows(kStraight));
    for (uint32_t seed = 1;; ++seed) {
        std::unique_ptr<PipesRules> rules = Build(config, seed);
        const PipesTile& tile = rules->TileAt(0, 1);
        if (tile.rotation % 2 != tile.solvedRotation % 2) return rules;
    }
}

TEST(PipesRules, FourTurnsAreTheIdentity) {
    std::unique_ptr<PipesRules> rules = SecondRowOpen();
    const PipesTile start = rules->TileAt(0, 0);
    for (int turn = 1; turn <= 4; ++turn) {
        ASSERT_NE(rules->TryTurn(0, 0), PipesTurn::kRefused);
        EXPECT_EQ(rules->TileAt(0, 0).turnSteps, PipesRules::kTurnSteps);
        EXPECT_EQ(rules->TileAt(0, 0).prevRotation, (start.rotation + turn - 1) % 4);
        FinishTurns(*rules);
    }
    EXPECT_EQ(rules->TileAt(0, 0).rotation, start.rotation);
    for (int k = 0; k < kPipesSides; ++k) EXPECT_EQ(rules->TileAt(0, 0).sideColour[k], start.sideColour[k]);
}

TEST(PipesRules, OutletsAndCellsOffTheBoardDoNotTurn) {
    std::unique_ptr<PipesRules> rules = Build(ReadOrFail(TwoRows(kStraight)), 7u);
    EXPECT_EQ(rules->TryTurn(1, 0), PipesTurn::kRefused);
    EXPECT_EQ(rules->TryTurn(-1, 0), PipesTurn::kRefused) << "the inlet's own cell";
    EXPECT_EQ(rules->TryTurn(2, 0), PipesTurn::kRefused);
    EXPECT_EQ(rules->TryTurn(0, 2), PipesTurn::kRefused);
    EXPECT_FALSE(rules->IsTurning());
}

TEST(PipesRules, TurningAConnectedPieceDrainsAndTheWinWaitsForTheAnimation) {
    std::unique_ptr<PipesRules> rules = SecondRowOpen();
    // Each row's straight piece joins its inlet to the outlet of its colour.
    TurnHome(*rules, 0, 0);
    ASSERT_FALSE(rules->IsWon());
    const PipesTile& outlet0 = rules->TileAt(1, 0);
    ASSERT_TRUE(outlet0.channelFilled[0]);
    EXPECT_EQ(rules->TryTurn(0, 0), PipesTurn::kTurnedAndDrained);
    EXPECT_FALSE(outlet0.channelFilled[0]) << "a turning piece blocks the liquid at once";
    FinishTurns(*rules);
    EXPECT_FALSE(outlet0.channelFilled[0]);
    ASSERT_EQ(rules->TryTurn(0, 0), PipesTurn::kTurned);
    FinishTurns(*rules);
    EXPECT_TRUE(outlet0.channelFilled[0]) << "a straight piece connects again after two turns";
    // One turn joins the second row: the win comes with the animation's end.
    ASSERT_EQ(rules->TryTurn(0, 1), PipesTurn::kTurned);
    for (int step = 1; step < PipesRules::kTurnSteps; ++step) ASSERT_FALSE(rules->Step().won) << step;
    const PipesStepReport last = rules->Step();
    EXPECT_TRUE(last.won);
    EXPECT_TRUE(last.outletFilled);
    EXPECT_TRUE(rules->IsWon());
    EXPECT_FALSE(rules->Step().won) << "the win is reported once";
    EXPECT_EQ(rules->TryTurn(0, 0), PipesTurn::kRefused);
}

// A hand-laid board for the flow rules: inlet slots coloured as given.
struct FlowBoard {
    explicit FlowBoard(const PipesConfig& config) : board(config) {
        for (int y = 0; y < board.GetCountY(); ++y) {
            for (int x = 0; x < board.GetCountX(); ++x) {
                board.TileAt(x, y).cellX = x;
                board.TileAt(x, y).cellY = y;
            }
        }
    }
    void Piece(int x, int y, int type, int rotation) {
        board.TileAt(x, y).typeIndex = type;
        board.TileAt(x, y).rotation = rotation;
    }
    void Pour(size_t inlet, int colour) {
        board.inletSlots[inlet] = board.inlets[inlet];
        board.ColorChannel(board.inletSlots[inlet], kPipesNoSide, colour);
    }
    void OutletColour(size_t outlet, int colour) {
        board.ColorChannel(board.outlets[outlet], kPipesNoSide, colour);
        PipesTile& tile = board.TileAt(board.outlets[outlet].cellX, board.outlets[outlet].cellY);
        tile = board.outlets[outlet];
    }
    PipesBoard board;
};

TEST(PipesFlow, TheFirstInletKeepsASharedChannel) {
    // One row of three straight pieces, an inlet at each end.
    const PipesConfig config = ReadOrFail(Pipes(kColours + kStraight + Inlet(-1, 0, 0, 0, 0) +
                                                Inlet(3, 0, 2, 2, 0) + Outlet(0, 1) + Board(3, 2)));
    FlowBoard flow(config);
    for (int x = 0; x < 3; ++x) flow.Piece(x, 0, 0, 1);
    flow.Piece(1, 1, 0, 0);
    flow.Piece(2, 1, 0, 0);
    flow.Pour(0, 0);
    flow.Pour(1, 1);
    flow.OutletColour(0, 0);
    flow.board.ComputeFlow();
    for (int x = 0; x < 3; ++x) {
        EXPECT_TRUE(flow.board.TileAt(x, 0).channelFilled[0]) << x;
        EXPECT_EQ(flow.board.TileAt(x, 0).channelColour[0], 0) << x;
    }
}

// Two ways into the outlet at (1, 1), which opens to the left: liquid of
// another colour from above (a closed side) and its own from the left.
PipesConfig IntruderConfig() {
    return ReadOrFail(Pipes(kColours + kStraight + Inlet(1, -1, 1, 1, 0) + Inlet(-1, 1, 0, 0, 1) +
                            Outlet(1, 1) + Board(2, 2)));
}

TEST(PipesFlow, LiquidAtAClosedSideOfAnOutletDoesNotBlockItsOwnColour) {
    FlowBoard flow(IntruderConfig());
    flow.Piece(0, 0, 0, 0);
    flow.Piece(1, 0, 0, 0);
    flow.Piece(0, 1, 0, 1);
    flow.Pour(0, 0);
    flow.Pour(1, 1);
    flow.OutletColour(0, 1);
    flow.board.ComputeFlow();
    const PipesTile& outlet = flow.board.TileAt(1, 1);
    EXPECT_TRUE(outlet.channelFilled[0]);
    EXPECT_EQ(outlet.channelColour[0], 1);
    EXPECT_TRUE(flow.board.TileAt(1, 0).channelFilled[0]) << "the intruder fills its own pipe";
}

TEST(PipesFlow, AnOutletReachedByAnotherColourStaysEmpty) {
    FlowBoard flow(IntruderConfig());
    flow.Piece(0, 0, 0, 0);
    flow.Piece(1, 0, 0, 1);
    flow.Piece(0, 1, 0, 1);
    flow.Pour(0, 1);
    flow.Pour(1, 0);
    flow.OutletColour(0, 1);
    flow.board.ComputeFlow();
    EXPECT_FALSE(flow.board.TileAt(1, 1).channelFilled[0]);
    EXPECT_EQ(flow.board.TileAt(1, 1).channelColour[0], 1) << "it keeps showing its own colour";
    EXPECT_TRUE(flow.board.TileAt(0, 1).channelFilled[0]);
}

}  // namespace
