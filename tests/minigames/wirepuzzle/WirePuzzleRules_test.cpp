#include "minigames/wirepuzzle/WirePuzzleConfig.h"
#include "minigames/wirepuzzle/WirePuzzleRules.h"
#include "platform/XmlUtil.h"
#include "platform/os/Random.h"
#include "support/SourceFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using Rules = WirePuzzleRules;

const char* ReadText(const std::string& xml, WirePuzzleConfig& config) {
    std::string text = xml;
    TiXmlDocument document;
    if (!XmlParseText(document, text.data())) return "the text is not XML";
    return ReadWirePuzzleConfig(document, config);
}

WirePuzzleConfig ReadOrFail(const std::string& xml) {
    WirePuzzleConfig config;
    const char* why = ReadText(xml, config);
    EXPECT_EQ(why, nullptr) << why;
    return config;
}

const std::string kSquare =
    "<hotspots><hotspot label='sq'><point x='-10' y='-10'/><point x='10' y='-10'/><point x='10' y='10'/>"
    "<point x='-10' y='10'/></hotspot></hotspots>";

// A place with a plate of four sides (top, right, bottom, left).
std::string Plate(const std::string& label, int x, const std::string& sides, const std::string& extra = "") {
    std::string xml = "<tile label='" + label + "' hotspot='sq' posx='" + std::to_string(x) + "' posy='0' file='p'" +
                      extra + ">";
    size_t index = 0, start = 0;
    while (start <= sides.size()) {
        const size_t end = std::min(sides.find(' ', start), sides.size());
        xml += "<side index='" + std::to_string(index++) + "' color='" + sides.substr(start, end - start) + "'/>";
        start = end + 1;
    }
    return xml + "</tile>";
}

std::string Place(const std::string& label, int x) {
    return "<tile label='" + label + "' hotspot='sq' posx='" + std::to_string(x) + "' posy='0'/>";
}

std::string Wire(const std::string& from, int fromSide, const std::string& to, int toSide) {
    return "<connection><from tile='" + from + "' sideindex='" + std::to_string(fromSide) + "'/><to tile='" + to +
           "' sideindex='" + std::to_string(toSide) + "'/><image file='w'/></connection>";
}

std::string Puzzle(const std::string& tiles, const std::string& connections) {
    return "<wires><background file='bg'/>" + kSquare + "<tiles>" + tiles + "</tiles><connections>" + connections +
           "</connections></wires>";
}

// Two plates joined red to red, one free place.
std::string Pair(const std::string& extra = "") {
    return Puzzle(Plate("a", 0, "x red y z", extra) + Plate("b", 100, "q w e red") + Place("c", 200),
                  Wire("a", 1, "b", 3));
}

WirePuzzleConfig SampleConfig() {
    const std::string text = testsupport::ReadWholeFile(
        testsupport::SourceFolder("data/Data/Shared/MiniGames/Draehte/sample.xml"));
    EXPECT_FALSE(text.empty());
    return ReadOrFail(text);
}

int32_t PlaceOf(const std::string& label, const WirePuzzleConfig& config) {
    return static_cast<int32_t>(std::distance(config.places.begin(), config.places.find(label)));
}

// Runs every animation out (the self-play adding its moves); answers the
// steps taken, or -1 when the board was not won within `maxSteps`.
int PlayOut(Rules& rules, bool autoPlay, int maxSteps) {
    for (int step = 1; step <= maxSteps; ++step) {
        if (rules.Step(autoPlay).won) return step;
    }
    return -1;
}

bool AtRest(const Rules& rules) {
    for (int32_t i = 0; i < rules.GetTileCount(); ++i)
        if (Rules::IsAnimating(rules.GetTile(i))) return false;
    return true;
}

TEST(WirePuzzleConfig, SampleIsAcceptedAndTheRefusalsNameWhatIsWrong) {
    const WirePuzzleConfig sample = SampleConfig();
    EXPECT_EQ(sample.tiles.size(), 5u);
    EXPECT_EQ(sample.places.size(), 6u);
    EXPECT_EQ(sample.connections.size(), 5u);

    const struct {
        const char* what;
        const char* reason;
        std::string xml;
    } damages[] = {
        {"no root", "the text is not XML", ""},
        {"no background", "no background file", "<wires>" + kSquare + "</wires>"},
        // Counted over every hotspots element, as tiles are.
        {"second hotspot without label", "hotspot 2 has no label",
         "<wires><background file='bg'/>" + kSquare + "<hotspots><hotspot/></hotspots></wires>"},
        // A tile is named by its label, else by its number counted over
        // every tiles element, and the refusal names the key it lacks.
        {"tile without label", "tile 1 has no label", Puzzle("<tile hotspot='sq'/>", "")},
        {"tile without hotspot", "tile 'a' has no hotspot", Puzzle("<tile label='a'/>", "")},
        {"third tile bare", "tile 3 has no label and no hotspot",
         "<wires><background file='bg'/><tiles>" + Place("a", 0) + "</tiles><tiles>" + Place("b", 9) +
             "<tile/></tiles></wires>"},
        {"empty label, no hotspot", "tile 2 has no hotspot", Puzzle(Place("a", 0) + "<tile label=''/>", "")},
        {"plate without file", "tile 'a' has sides and no file",
         Puzzle("<tile label='a' hotspot='sq'><side color='r'/></tile>", "")},
        {"side without color", "tile 'a' has a side without color",
         Puzzle("<tile label='a' hotspot='sq' file='p'><side index='0'/></tile>", "")},
        // The side index, the connection by its number, the place and the
        // hotspot: each refusal names what an author can search for.
        {"negative side index", "tile 'b' has side index -1, not 0 to 63",
         Puzzle(Plate("a", 0, "r") + "<tile label='b' hotspot='sq' file='p'><side index='-1' "
                                     "color='r'/></tile>",
                Wire("a", 0, "b", 0))},
        {"huge side index", "tile 'a' has side index 64, not 0 to 63",
         Puzzle("<tile label='a' hotspot='sq' file='p'><side index='64' color='r'/></tile>", "")},
        {"connection without from", "connection 1 has no from",
         Puzzle(Plate("a", 0, "r") + Plate("b", 50, "r"), "<connection><to tile='a'/></connection>")},
        {"second connection without to", "connection 2 has no to",
         Puzzle(Plate("a", 0, "r") + Plate("b", 50, "r"),
                Wire("a", 0, "b", 0) + "<connection><from tile='a'/></connection>")},
        {"to without tile", "connection 1 has a to without tile",
         Puzzle(Plate("a", 0, "r") + Plate("b", 50, "r"), "<connection><from tile='a'/><to/></connection>")},
        {"image without file", "connection 1 has an image without file",
         Puzzle(Plate("a", 0, "r") + Plate("b", 50, "r"),
                "<connection><from tile='a'/><to tile='b'/><image/></connection>")},
        {"image position not a number", "connection 1 has an image 'w' whose position is not a sane number",
         Puzzle(Plate("a", 0, "r") + Plate("b", 50, "r"),
                "<connection><from tile='a'/><to tile='b'/><image file='w' posx='1e9'/></connection>")},
        {"image angle not a number", "connection 1 has an image 'w' whose angle is not a number",
         Puzzle(Plate("a", 0, "r") + Plate("b", 50, "r"),
                "<connection><from tile='a'/><to tile='b'/><image file='w' angle='nan'/></connection>")},
        {"two plates at home on one place", "two plates share the home place 'a'",
         Puzzle(Plate("a", 0, "r") + Plate("a", 50, "g"), Wire("a", 0, "a", 0))},
        {"no plate", "no plate", Puzzle(Place("a", 0), Wire("a", 0, "a", 0))},
        {"no connection", "no connection", Puzzle(Plate("a", 0, "r") + Plate("b", 50, "g"), "")},
        {"connection to an empty place", "connection 1 names 'b', which has no plate",
         Puzzle(Plate("a", 0, "r") + Place("b", 50), Wire("a", 0, "b", 0))},
        {"second connection from no place", "connection 2 names 'nowhere', which is no place",
         Puzzle(Plate("a", 0, "r") + Plate("b", 50, "r"), Wire("a", 0, "b", 0) + Wire("nowhere", 0, "a", 0))},
        {"hotspot point not a number", "hotspot 'far' has a point that is not a sane number",
         "<wires><background file='bg'/><hotspots><hotspot label='far'><point x='0' y='-1e9'/></hotspot>"
         "</hotspots></wires>"},
        {"position not a number", "tile 'c' has a position that is not a sane number",
         Puzzle(Plate("a", 0, "r") + Plate("b", 50, "r") + "<tile label='c' hotspot='sq' posx='nan' posy='0'/>",
                Wire("a", 0, "b", 0))},
    };
    for (const auto& damage : damages) {
        WirePuzzleConfig config;
        EXPECT_STREQ(ReadText(damage.xml, config), damage.reason) << damage.what;
    }

    // A later element of a label replaces the place; with one plate between
    // them that is no fault, and a fixed plate may rest where nothing hits.
    const WirePuzzleConfig replaced = ReadOrFail(Puzzle(
        Plate("a", 0, "r") + Place("a", 70) + Plate("b", 50, "r") +
            "<tile label='f' hotspot='none' file='p' fixed='1'><side color='r'/></tile>",
        Wire("a", 0, "b", 0)));
    EXPECT_EQ(replaced.places.at("a").position.x, 70.0f);
    EXPECT_EQ(replaced.tiles.size(), 3u);
}

TEST(WirePuzzleRules, SideColoursTurnWithThePlateAndUnnamedSidesMatch) {
    os::SeedRand(7);
    WirePuzzleConfig config = ReadOrFail(
        Puzzle(Plate("a", 0, "r g b y") + "<tile label='b' hotspot='sq' posx='50' file='p'><side index='3' "
                                          "color='r'/></tile>",
               Wire("b", 0, "b", 1)));
    config.tiles[0].fixed = config.tiles[1].fixed = true;  // no scramble can change them
    Rules rules(config);
    const WireTile& b = rules.GetTile(1);
    ASSERT_EQ(b.sides.size(), 4u);
    // Sides 0..2 of b were never named: they share the empty colour.
    EXPECT_EQ(b.sides[0], b.sides[1]);
    EXPECT_NE(b.sides[0], b.sides[3]);
    EXPECT_EQ(Rules::SideAt(b, 1), 1);
    EXPECT_EQ(Rules::SideAt(b, -1), 3);  // negative side numbers wrap, never index below 0
    EXPECT_EQ(Rules::SideAt(b, -9), 3);
    EXPECT_EQ(Rules::SideAt(b, 6), 2);
    // The board stays solved: the scramble gives up after its attempts.
    EXPECT_TRUE(rules.AllConnected());
    EXPECT_EQ(rules.GetScrambleAttempts(), Rules::kMaxScrambleAttempts);
}

TEST(WirePuzzleRules, AClickTurnsBackAStepTheShortWayAndDropsOnlyLandOnFreePlaces) {
    os::SeedRand(3);
    const WirePuzzleConfig config = ReadOrFail(Pair());
    Rules rules(config);
    const int32_t a = PlaceOf("a", config), b = PlaceOf("b", config), c = PlaceOf("c", config);
    ASSERT_TRUE(AtRest(rules));

    // A click turns back a step: from rotation 0 to 3, the shown turn
    // running from 4 down to 3, the short way.
    const int32_t place = rules.GetTile(0).currentPlace;
    ASSERT_TRUE(rules.Grab(place));
    const int32_t before = rules.GetTile(0).rotation;
    ASSERT_TRUE(rules.TurnGrabbed());
    const WireTile& turned = rules.GetTile(0);
    EXPECT_EQ(turned.rotation, (before + 3) % 4);
    EXPECT_EQ(turned.turnFrames, Rules::kAnimationSteps);
    WireTile four = turned;
    four.rotation = 3, four.prevRotation = 0, four.turnFrames = Rules::kAnimationSteps;
    EXPECT_FLOAT_EQ(Rules::ShownTurn(four), 4.0f);
    four.turnFrames = 1;
    EXPECT_GT(Rules::ShownTurn(four), 3.0f);
    EXPECT_LT(Rules::ShownTurn(four), 3.1f);
    rules.Release();
    PlayOut(rules, false, Rules::kAnimationSteps);

    // Drops: onto the other plate or its own place it slides back; onto the
    // free place it moves.
    const int32_t free = rules.TileAtPlace(a) == Rules::kNoPlate ? a
                         : rules.TileAtPlace(b) == Rules::kNoPlate ? b : c;
    int32_t occupied = Rules::kNoPlace;
    for (int32_t p : {a, b, c})
        if (p != free && p != place && rules.TileAtPlace(p) != Rules::kNoPlate) occupied = p;
    for (int32_t target : {occupied, place, Rules::kNoPlace}) {
        ASSERT_TRUE(rules.Grab(place));
        rules.DragGrabbedTo({500, 500});
        EXPECT_EQ(rules.DropGrabbed(target), WireDrop::kReturned) << target;
        EXPECT_EQ(rules.GetTile(0).currentPlace, place);
        EXPECT_EQ(Rules::ShownPosition(rules.GetTile(0)).x, 500.0f) << "slides back from where it was dropped";
        rules.Release();
        PlayOut(rules, false, Rules::kAnimationSteps);
    }
    ASSERT_TRUE(rules.Grab(place));
    EXPECT_EQ(rules.DropGrabbed(free), WireDrop::kMoved);
    EXPECT_EQ(rules.TileAtPlace(free), 0);
    rules.Release();
}

TEST(WirePuzzleRules, BoardsThatCannotBeScrambledStillLoadWithoutHanging) {
    // Every place taken: no swap could ever be undone, so only turns.
    os::SeedRand(11);
    {
        const WirePuzzleConfig config = ReadOrFail(
            Puzzle(Plate("a", 0, "r g b y") + Plate("b", 100, "q w e r"), Wire("a", 1, "b", 3)));
        Rules rules(config);
        for (int32_t i = 0; i < rules.GetTileCount(); ++i)
            EXPECT_EQ(rules.GetTile(i).currentPlace, rules.GetTile(i).homePlace);
    }
    // One movable plate among fixed ones and free places: turns only.
    {
        const WirePuzzleConfig config = ReadOrFail(Pair(" fixed='1'"));
        Rules rules(config);
        for (int32_t i = 0; i < rules.GetTileCount(); ++i)
            EXPECT_EQ(rules.GetTile(i).currentPlace, rules.GetTile(i).homePlace);
        EXPECT_FALSE(rules.AllConnected());
    }
    // Uniform colours: every scramble is solved; the attempts stop.
    {
        const WirePuzzleConfig config = ReadOrFail(
            Puzzle(Plate("a", 0, "r r r r") + Plate("b", 100, "r r r r") + Place("c", 200), Wire("a", 1, "b", 3)));
        Rules rules(config);
        EXPECT_EQ(rules.GetScrambleAttempts(), Rules::kMaxScrambleAttempts);
    }
    // No plate at all: the self-play has nothing to turn.
    WirePuzzleConfig empty;
    empty.places["a"] = {};
    Rules none(empty);
    none.StartAutoPlay();
    EXPECT_FALSE(none.AutoPlayMove());
}

// Three plates filling every place: three swaps always leave some plate
// away from home (two plates would come back after their two swaps and hide
// a scramble that swaps where no plate could ever be moved back).
TEST(WirePuzzleRules, PlatesFillingEveryPlaceAreOnlyTurnedWhateverTheDraws) {
    const WirePuzzleConfig config =
        ReadOrFail(Puzzle(Plate("a", 0, "r g b y") + Plate("b", 100, "q w e r") + Plate("c", 200, "r t u v"),
                          Wire("a", 1, "b", 3) + Wire("b", 0, "c", 1)));
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        os::SeedRand(seed);
        Rules rules(config);
        for (int32_t i = 0; i < rules.GetTileCount(); ++i)
            EXPECT_EQ(rules.GetTile(i).currentPlace, rules.GetTile(i).homePlace) << "seed " << seed;
        EXPECT_FALSE(rules.AllConnected()) << "seed " << seed;
    }
}

TEST(WirePuzzleRules, SampleNeverStartsSolvedAndTheSelfPlaySolvesEveryScramble) {
    const WirePuzzleConfig config = SampleConfig();
    int32_t mostAttempts = 0, mostSteps = 0;
    for (uint32_t seed = 1; seed <= 500; ++seed) {
        os::SeedRand(seed);
        Rules rules(config);
        mostAttempts = std::max(mostAttempts, rules.GetScrambleAttempts());
        ASSERT_FALSE(rules.AllConnected()) << seed;
        for (int32_t i = 0; i < rules.GetTileCount(); ++i) {
            const WireTile& tile = rules.GetTile(i);
            if (tile.fixed) {
                EXPECT_TRUE(tile.currentPlace == tile.homePlace && tile.rotation == 0) << seed;
            }
        }
        rules.StartAutoPlay();
        // Each self-play move is one animation; a plate needs at most one
        // move home, one aside and three turns.
        const int steps = PlayOut(rules, true, Rules::kAnimationSteps * (5 * rules.GetTileCount() + 2));
        ASSERT_GT(steps, 0) << seed;
        mostSteps = std::max(mostSteps, steps);
        EXPECT_TRUE(rules.AllConnected()) << seed;
    }
    RecordProperty("most_scramble_attempts", mostAttempts);
    RecordProperty("most_selfplay_steps", mostSteps);
}

// A place's outline may be as fine as its picture needs, and a place no
// click can find is fine wherever no plate that moves must ever lie.
TEST(WirePuzzleConfig, PolygonsOfAnySizeLoadAndUnclickablePlacesOnlyWhereTheGameStaysWinnable) {
    std::string ring = "<hotspots><hotspot label='ring'>";
    for (int i = 0; i < 10000; ++i) {
        const double angle = 2 * 3.14159265358979 * i / 10000;
        ring += "<point x='" + std::to_string(80 * std::cos(angle)) + "' y='" + std::to_string(80 * std::sin(angle)) +
                "'/>";
    }
    ring += "</hotspot><hotspot label='line'><point x='0' y='0'/><point x='9' y='9'/></hotspot></hotspots>";
    // A second group of polygons beside the square of the other places.
    auto puzzle = [&](const std::string& tiles, const std::string& connections) {
        return "<wires><background file='bg'/>" + kSquare + ring + "<tiles>" + tiles + "</tiles><connections>" +
               connections + "</connections></wires>";
    };
    const WirePuzzleConfig fine = ReadOrFail(puzzle(Plate("a", 0, "r") + Plate("b", 50, "r") + Place("c", 100),
                                                    Wire("a", 0, "b", 0)));
    EXPECT_EQ(fine.hotspots.at("ring").size(), 10000u);

    auto place = [](const std::string& label, const std::string& hotspot, const std::string& plate = "") {
        const std::string start = "<tile label='" + label + "' hotspot='" + hotspot + "' posx='300' posy='0'";
        return plate.empty() ? start + "/>" : start + plate + "</tile>";
    };
    const std::string fixedPlate = " file='p' fixed='1'><side color='r'/>";
    const std::string movingPlate = " file='p'><side color='r'/>";
    const std::string pair = Plate("a", 0, "r") + Plate("b", 50, "r");
    const struct { const char* what; std::string tiles; const char* why; } cases[] = {
        {"a free place without polygon beside a clickable one", pair + Place("c", 100) + place("d", "none"), nullptr},
        {"a free place with two points beside a clickable one", pair + Place("c", 100) + place("d", "line"), nullptr},
        {"a fixed plate without polygon", pair + Place("c", 100) + place("f", "line", fixedPlate), nullptr},
        {"one plate that moves, the free place without polygon", Plate("a", 0, "r") + place("f", "none", fixedPlate) +
                                                                     place("d", "none"), nullptr},
        // The place and its hotspot are named, and whether the hotspot is
        // missing or too small.
        {"a plate that moves on a polygon of two points", pair + Place("c", 100) + place("m", "line", movingPlate),
         "place 'm' has a plate that moves and its hotspot 'line' has fewer than 3 points"},
        {"a plate that moves on a hotspot no polygon has", pair + Place("c", 100) + place("m", "round", movingPlate),
         "place 'm' has a plate that moves and its hotspot 'round' is not among the hotspots"},
        {"plates that swap and no free place a drop can reach", pair + place("d", "none"),
         "no free place has a hotspot polygon"},
    };
    for (const auto& c : cases) {
        WirePuzzleConfig config;
        const std::string wire = c.tiles.find("label='f'") != std::string::npos ? Wire("a", 0, "f", 0)
                                                                                : Wire("a", 0, "b", 0);
        const char* why = ReadText(puzzle(c.tiles, wire), config);
        if (c.why) {
            EXPECT_STREQ(why, c.why) << c.what;
        } else {
            EXPECT_EQ(why, nullptr) << c.what << ": " << why;
        }
    }
}

// Every click tests every place's outline, so the reader bounds the points
// of one: 100,000 is some 3 MB of XML, far beyond what a board picture
// needs. The number is the test's own: a bound raised in the reader fails
// here rather than loading outlines of any length.
TEST(WirePuzzleConfig, AnOutlineAtTheBoundIsTakenAndOnePointMoreIsRefusedNamingTheBound) {
    constexpr int32_t kBound = 100'000;
    auto withOutline = [](int32_t points) {
        std::string outline = "<hotspots><hotspot label='fine'>";
        for (int32_t i = 0; i < points; ++i) outline += "<point x='1' y='2'/>";
        outline += "</hotspot></hotspots>";
        return "<wires><background file='bg'/>" + kSquare + outline + "<tiles>" + Plate("a", 0, "r") +
               Plate("b", 50, "r") + Place("c", 100) + "</tiles><connections>" + Wire("a", 0, "b", 0) +
               "</connections></wires>";
    };
    WirePuzzleConfig taken;
    EXPECT_EQ(ReadText(withOutline(kBound), taken), nullptr);
    ASSERT_EQ(taken.hotspots.count("fine"), 1u);
    EXPECT_EQ(taken.hotspots.at("fine").size(), static_cast<size_t>(kBound));
    WirePuzzleConfig refused;
    EXPECT_STREQ(ReadText(withOutline(kBound + 1), refused), "a hotspot has over 100000 points");
}

}  // namespace
