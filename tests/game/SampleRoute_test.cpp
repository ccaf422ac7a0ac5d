// The sample game in data/ played headless by input alone, up to the map
// and around it (the manor's puzzles and the farewell after them are the
// mini-game suite's): a garden left half played comes back from the map,
// the HUD lists what to find and shows what is carried, every place of the
// map but the manor leads back to it and is marked done, the map names its
// places clear of its paths, clicks on the HUD's buttons are no misses in
// the searches, the menu button asks before a search is left (naming the
// main menu's way back in words of no button under its question), and the hint
// lantern, lit in full only once it can be used, points the way. No script
// reports an error on the way.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "game/effects/ScnHelpFX.h"
#include "gui/GuiButton.h"
#include "gui/GuiText.h"
#include "platform/Loca.h"
#include "support/SourceFiles.h"
#include "tests/game/SampleRouteFixture.h"

namespace {

using sampletest::Find;
using sampletest::Has;
using sampletest::Shows;
using SampleRouteTest = sampletest::SampleRouteFixture;

// Which objects of the visit are still to find, and which were found.
std::vector<std::string> Labels(const halvo::AutoRefVector<SceneObject>& list) {
    std::vector<std::string> labels;
    for (const auto& object : list) labels.push_back(object->label);
    return labels;
}

// A dotted path of the map's picture: a quadratic curve between two places.
struct MapPath {
    Vec2 from, bend, to;
    Vec2 At(float t) const {
        const float u = 1 - t;
        return {u * u * from.x + 2 * t * u * bend.x + t * t * to.x,
                u * u * from.y + 2 * t * u * bend.y + t * t * to.y};
    }
};

// The paths as the script that draws the map's picture lays its dots
// ("route x0 y0 x1 y1 x2 y2 [step]"), so a path drawn anew is checked anew.
std::vector<MapPath> DrawnMapPaths() {
    std::istringstream script(testsupport::ReadWholeFile(testsupport::SourceFolder("data/source/draw_scenes.sh")));
    std::vector<MapPath> paths;
    for (std::string line; std::getline(script, line);) {
        MapPath path;
        if (std::sscanf(line.c_str(), "route %f %f %f %f %f %f", &path.from.x, &path.from.y, &path.bend.x,
                        &path.bend.y, &path.to.x, &path.to.y) == 6)
            paths.push_back(path);
    }
    return paths;
}

// How far `point` lies outside the box from `low` to `high`; 0 inside.
float DistanceToBox(Vec2 point, Vec2 low, Vec2 high) {
    const float dx = std::fmax(std::fmax(low.x - point.x, point.x - high.x), 0.0f);
    const float dy = std::fmax(std::fmax(low.y - point.y, point.y - high.y), 0.0f);
    return std::hypot(dx, dy);
}

// The garden's own script speaks the first time a player stands in it and
// when the key is found; the countdown starts as the greeting is clicked away.
TEST_F(SampleRouteTest, TheGardenGreetsANewPlayerAndNoticesTheKey) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame(false));
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness->ScreenTree() << Messages();
    // A search has no GUI frame of its own: the lines stand on the HUD's.
    EXPECT_TRUE(Shows(game().GetHudGui(), u"Maren's garden")) << Messages();
    EXPECT_FALSE(Shows(game().GetHudGui(), u"A key!"));
    const double fullTime = garden->GetScene()->timeLimit;
    const Vec2 key = garden->GetScene()->FindObject("key_01")->hotSpot.BoundsCenter();
    harness->Character(27);  // the menu's question taken back leaves it held
    Step(testsupport::HeadlessGame::kBoardReadPasses);
    harness->Character(27);
    Step(300);
    ClickAndSettle(key, 60);  // taken by the greeting
    EXPECT_LT(garden->GetScene()->timeLimit, fullTime - 500);
    EXPECT_GT(garden->GetScene()->timeLimit, fullTime - 1500);
    ClickAndSettle(key, 5);
    EXPECT_TRUE(Shows(game().GetHudGui(), u"A key!")) << Messages();
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

// Nothing to find in the garden lies under the HUD, where it would read as
// part of the menu button, the lantern or the strip of names: each object's
// hotspot keeps clear of everything the HUD shows during the search.
TEST_F(SampleRouteTest, NothingInTheGardenLiesUnderTheHud) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness->ScreenTree() << Messages();
    ASSERT_TRUE(OnHud("hud_items") && OnHud("hud_hint") && OnHud("hud_menu")) << Messages();
    for (halvo::GuiWidget* shown = game().GetHudGui()->GetFirstChild(); shown; shown = shown->GetNextSibling()) {
        if (!shown->ReadBool(halvo::GuiWidget::kPropShow, true)) continue;
        const Vrel::Var* name = shown->Properties().GetMember("name");
        const Vec2 low = shown->LocalToScreen({0, 0});
        const Vec2 high = shown->LocalToScreen(
            {shown->ReadFloat(halvo::GuiWidget::kPropXSize), shown->ReadFloat(halvo::GuiWidget::kPropYSize)});
        for (const auto& object : garden->GetScene()->searchList) {
            const Vec2 middle = object->hotSpot.BoundsCenter(), half = object->hotSpot.HalfSize();
            const bool apart = middle.x + half.x <= low.x || middle.x - half.x >= high.x ||
                               middle.y + half.y <= low.y || middle.y - half.y >= high.y;
            EXPECT_TRUE(apart) << object->label << " under " << (name ? name->GetCString() : "a nameless widget");
        }
    }
}

// A garden left half played through its exit is kept in the player's file:
// the story goes on to the study, and once the map is open its garden plot
// brings back the objects still to find, hides the found ones and counts
// down from the time left. "New game" then asks before it throws that game
// away, and starts the garden afresh under the same name.
TEST_F(SampleRouteTest, AGardenLeftThroughItsExitComesBackFromTheMapUntilANewGame) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness->ScreenTree() << Messages();
    Scene& visit = *garden->GetScene();
    const double fullTime = visit.timeLimit;

    std::vector<std::string> found;
    for (int i = 0; i < 2; ++i) {
        for (const auto& object : visit.remaining) {
            if (object->isExit) continue;
            found.push_back(object->label);
            harness->Click(object->hotSpot.BoundsCenter());
            break;
        }
        Step(10);
    }
    Step(300);
    const std::vector<std::string> chosen = Labels(visit.searchList);
    const std::vector<std::string> left = Labels(visit.remaining);
    ASSERT_EQ(left.size() + 2, chosen.size());
    SceneObject* exit = nullptr;
    for (const auto& object : visit.remaining) if (object->isExit) exit = object.Get();
    ASSERT_TRUE(exit);
    const double timeLeft = visit.timeLimit;
    ASSERT_LT(timeLeft, fullTime - 5000);
    harness->Click(exit->hotSpot.BoundsCenter());  // the first click only marks the way out
    Step();
    harness->Click(exit->hotSpot.BoundsCenter());
    ASSERT_TRUE(StepUntilLeft(garden)) << Messages();
    ASSERT_STREQ(Current()->GetClassInfo()->name, "CutsceneScreen");
    const std::string player = harness->ReadSavedFile("data0.xml");
    for (const char* part : {"LastScene=\"study\"", "<SceneState>", "<garden Time=\"", "<ObjectList "})
        EXPECT_TRUE(Has(player, part)) << part << "\n" << player;

    // Back in the menu, which reads the profile from its file again.
    game().ShowMainMenu(nullptr);
    Step(30);
    ClickAndSettle(sampletest::kContinue);  // where the game went on to
    ASSERT_NO_FATAL_FAILURE(PlayTheStudyToTheMap());
    EXPECT_FALSE(OnHud("done_garden"));  // left half searched, so not done
    ASSERT_NO_FATAL_FAILURE(TravelTo(sampletest::kGardenPlot));
    auto* again = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(again) << harness->ScreenTree() << Messages();
    Scene& restored = *again->GetScene();
    EXPECT_EQ(restored.name, "garden");
    EXPECT_EQ(Labels(restored.searchList), chosen);
    EXPECT_EQ(Labels(restored.remaining), left);
    for (const std::string& label : found) EXPECT_FALSE(restored.FindObject(label)->visible) << label;
    EXPECT_NEAR(restored.timeLimit, timeLeft, 1000);

    // Leaving it again goes back to the map now, where it waits.
    for (const auto& object : restored.remaining) if (object->isExit) exit = object.Get();
    harness->Click(exit->hotSpot.BoundsCenter());
    Step();
    harness->Click(exit->hotSpot.BoundsCenter());
    ASSERT_TRUE(StepUntilLeft(again)) << Messages();
    ASSERT_STREQ(Current()->GetClassInfo()->name, "MapScreen") << Messages();

    // "New game" asks first; "Start again" begins in a fresh garden.
    game().ShowMainMenu(nullptr);
    Step(30);
    ClickAndSettle(sampletest::kNewGame, kToRead);
    ASSERT_TRUE(Find(MenuFrame(), "name", "ask")) << harness->ScreenTree() << Messages();
    harness->Click({960, 780});  // "Start again"
    for (int i = 0; i < 60 && !CastTo<SearchScreen>(Current()); ++i) Step();
    auto* fresh = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(fresh) << harness->ScreenTree() << Messages();
    EXPECT_GE(fresh->GetScene()->timeLimit, fullTime);  // the first visit had begun counting
    for (const auto& object : fresh->GetScene()->searchList) EXPECT_TRUE(object->visible) << object->label;
    const std::string restarted = harness->ReadSavedFile("data0.xml");
    for (const char* part : {"<SceneState", "<Tobin", "<study_02", "<map "})
        EXPECT_FALSE(Has(restarted, part)) << part << "\n" << restarted;
    EXPECT_TRUE(Has(harness->ReadSavedFile("gamedata.xml"), "name=\"Ada\""));
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

// The HUD says what to look for and keeps the clicks on its buttons from
// the searches beneath: the garden's strip lists the names of the
// objects to find and drops a found one, the study shows the key in the
// inventory once it is taken, the shapes search lists its silhouettes and
// the shelf counts the differences left. The map is the hub between them:
// the cottage and the stall each lead back to it, a place done bears its
// seal and leads nowhere any more, and the story does not end while the
// manor waits.
TEST_F(SampleRouteTest, TheHudListsWhatToFindAndEveryPlaceLeadsBackToTheMap) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness->ScreenTree() << Messages();

    ExpectEachStepPlayedOnce("garden");
    halvo::AutoRef<halvo::GuiWidget> list = OnHud("hud_items");
    ASSERT_TRUE(list) << Messages();
    EXPECT_TRUE(list->ReadBool(halvo::GuiWidget::kPropShow));
    EXPECT_TRUE(OnHud("hud_hint"));
    ExpectHudButtonsKeepTheirClicks(*garden, "garden");
    SceneObject* first = nullptr;
    for (const auto& object : garden->GetScene()->searchList) {
        if (object->isExit) continue;
        if (!first) first = object.Get();
        EXPECT_TRUE(Find(list.Get(), "name", ("item_" + object->baseName).c_str())) << object->label;
    }
    ASSERT_TRUE(first);
    // A group of two (the apples) is one entry that needs both found.
    const bool alone = std::count_if(garden->GetScene()->searchList.begin(), garden->GetScene()->searchList.end(),
                                     [&](const auto& o) { return o->baseName == first->baseName; }) == 1;
    const std::string entry = "item_" + first->baseName;
    ClickAndSettle(first->hotSpot.BoundsCenter(), 60);
    EXPECT_EQ(!Find(list.Get(), "name", entry.c_str()), alone) << entry;
    FindEverything(*garden);
    ASSERT_TRUE(StepUntilLeft(garden)) << Messages();

    // The study: no tray before the key is taken, the key in it after.
    auto* study = CastTo<CutsceneScreen>(Current());
    ASSERT_TRUE(study) << harness->ScreenTree() << Messages();
    ExpectEachStepPlayedOnce("study");
    PlayCutscene(*study);
    auto* room = CastTo<AdventureScreen>(Current());
    ASSERT_TRUE(room) << harness->ScreenTree() << Messages();
    ExpectEachStepPlayedOnce("study by hand");
    EXPECT_FALSE(OnHud("hud_items"));
    EXPECT_FALSE(OnHud("hud_inventory"));
    ClickAndSettle(room->GetScene()->FindObject("key")->hotSpot.BoundsCenter());
    halvo::AutoRef<halvo::GuiWidget> tray = OnHud("hud_inventory");
    ASSERT_TRUE(tray) << Messages();
    EXPECT_TRUE(Find(tray.Get(), "name", "key"));
    // Beside the lantern, not under it.
    halvo::AutoRef<halvo::GuiWidget> lantern = OnHud("hud_hint");
    ASSERT_TRUE(lantern);
    EXPECT_GE(tray->GetLeft(), lantern->GetRight());
    ClickAndSettle(room->GetScene()->FindObject("door")->hotSpot.BoundsCenter());
    ASSERT_TRUE(StepUntilLeft(room)) << Messages();
    EXPECT_FALSE(OnHud("hud_inventory"));
    Step(60);
    ExpectEachStepPlayedOnce("map");
    EXPECT_TRUE(OnHud("done_garden"));
    for (const char* place : {"done_garden_02", "done_study_03", "done_shelf"}) EXPECT_FALSE(OnHud(place)) << place;
    ASSERT_NO_FATAL_FAILURE(TravelTo(sampletest::kCottage));

    // The shapes: one silhouette per shape to find.
    auto* shapes = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(shapes) << harness->ScreenTree() << Messages();
    ExpectEachStepPlayedOnce("cottage");
    ExpectHudButtonsKeepTheirClicks(*shapes, "cottage");
    list = OnHud("hud_items");
    ASSERT_TRUE(list) << Messages();
    int silhouettes = 0;
    for (halvo::GuiWidget* child = list->GetFirstChild(); child; child = child->GetNextSibling()) ++silhouettes;
    int wanted = 0;
    for (const auto& object : shapes->GetScene()->searchList) wanted += !object->shapeName.empty();
    EXPECT_GT(wanted, 0);
    EXPECT_EQ(silhouettes, wanted);
    FindEverything(*shapes);
    ASSERT_TRUE(StepUntilLeft(shapes)) << Messages();

    // Back on the map, the cottage done; a click on it keeps the player there.
    ASSERT_TRUE(CastTo<MapScreen>(Current())) << harness->ScreenTree() << Messages();
    Step(30);
    EXPECT_TRUE(OnHud("done_garden_02"));
    const GameScreen* map = Current();
    ClickAndSettle(sampletest::kCottage, 60);
    EXPECT_EQ(Current(), map);
    ASSERT_NO_FATAL_FAILURE(TravelTo(sampletest::kStall));

    // The shelf counts down as the differences are spotted.
    auto* shelf = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(shelf) << harness->ScreenTree() << Messages();
    ExpectEachStepPlayedOnce("stall");  // the search and its two pictures: three scenes, one step
    halvo::AutoRef<halvo::GuiWidget> left = OnHud("left");
    ASSERT_TRUE(left) << Messages();
    auto* count = CastTo<halvo::GuiText>(left.Get());
    ASSERT_TRUE(count);
    const int before = shelf->GetScene()->CountRemaining();
    EXPECT_EQ(count->GetLineText(0), std::u16string(1, char16_t(u'0' + before)));
    ASSERT_FALSE(shelf->GetScene()->remaining.empty());
    ClickAndSettle(shelf->GetScene()->remaining.front()->hotSpot.BoundsCenter());
    EXPECT_EQ(count->GetLineText(0), std::u16string(1, char16_t(u'0' + before - 1)));
    FindEverything(*shelf);
    ASSERT_TRUE(StepUntilLeft(shelf)) << Messages();

    // The manor's puzzles are still to play: the map again, not the farewell.
    ASSERT_TRUE(CastTo<MapScreen>(Current())) << harness->ScreenTree() << Messages();
    Step(30);
    EXPECT_TRUE(OnHud("done_shelf"));
    EXPECT_FALSE(OnHud("done_study_03"));
    EXPECT_EQ(route, (std::vector<std::string>{"MenuScreen:", "SearchScreen:garden", "CutsceneScreen:study",
                                               "AdventureScreen:study_02", "MapScreen:map", "SearchScreen:garden_02",
                                               "MapScreen:map", "SearchScreen:shelf", "MapScreen:map"}));
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

// The market stall played as a player would: the lantern's hint points at a
// difference, which the player then finds in the right picture, a click
// that misses finds nothing, and the rest are found by hand in the left one.
// Clicks on the HUD's buttons, the hint among them, are no misses in the
// pictures. Each difference counts once in the statistics, and the visit
// adds to the time played what the game's clock ran, once.
TEST_F(SampleRouteTest, TheStallCountsEachDifferenceAndItsTimeOnce) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    ASSERT_NO_FATAL_FAILURE(ClearTheSearch("garden"));
    ASSERT_NO_FATAL_FAILURE(PlayTheStudyToTheMap());
    ASSERT_NO_FATAL_FAILURE(TravelTo(sampletest::kStall));
    auto* shelf = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(shelf) << harness->ScreenTree() << Messages();
    const double clockAtEntry = game().totalTime;
    const int timeAtEntry = DataTree::GetInt("[STATS]/time");
    halvo::AutoRef<Scene> scene(shelf->GetScene());
    const int differences = scene->CountRemaining();
    ASSERT_GT(differences, 2);
    // Where a player clicks a difference in one picture, as the view now shows it.
    const auto inPicture = [&](bool left, const std::string& label) {
        const Scene* half = left ? scene->leftHalf.Get() : scene->rightHalf.Get();
        const SceneObject* object = half ? half->FindRemaining(label) : nullptr;
        const SceneScreen* screen = shelf->HalfScreen(left);
        if (!object || !screen) return Vec2{-1, -1};
        return shelf->LocalToScreen(screen->LocalToScreen(object->hotSpot.BoundsCenter()));
    };

    ExpectHudButtonsKeepTheirClicks(*shelf, "stall");
    halvo::AutoRef<halvo::GuiWidget> lantern = OnHud("hud_hint");
    ASSERT_TRUE(lantern) << Messages();
    Step(60000 / 17 + 60);  // a minute of searching lights it
    ClickOn(lantern, 90);
    ASSERT_EQ(DataTree::GetInt("[STATS]/tipps"), 1);
    EXPECT_EQ(scene->lastMissTime, 0);  // the hint taken is no miss in the pictures
    std::string hinted;
    for (const auto& effect : scene->effects) {
        const SceneObject* object = effect->object.Get();
        if (effect->GetClassInfo() == &ScnHelpFX::kClassRecord && object) hinted = object->label;
    }
    ASSERT_FALSE(hinted.empty());
    ClickAndSettle(inPicture(false, hinted));
    EXPECT_FALSE(scene->FindRemaining(hinted));
    EXPECT_EQ(DataTree::GetInt("[STATS]/diff_found"), 1);
    ClickAndSettle(sampletest::kEmptySpot);
    EXPECT_EQ(scene->CountRemaining(), differences - 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/diff_found"), 1);  // a miss finds nothing
    halvo::WeakRef<GameScreen> alive(shelf);
    for (int i = 0; i < 2 * differences && alive.Get() && scene->CountRemaining() > 0; ++i) {
        for (const auto& object : scene->remaining) {
            if (object->isExit) continue;
            ClickAndSettle(inPicture(true, object->label), 10);
            break;
        }
    }
    ASSERT_TRUE(StepUntilLeft(shelf)) << Messages();
    EXPECT_EQ(DataTree::GetInt("[STATS]/diff"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/diff_found"), differences);
    // Written as the stall is left for the map.
    const double seconds = (game().totalTime - clockAtEntry) / 1000.0;
    EXPECT_GT(seconds, 60);
    EXPECT_NEAR(DataTree::GetInt("[STATS]/time") - timeAtEntry, seconds, 1.0);
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

// Every place of the map is named on the same side of its picture and close
// to it, in English and in German, and no name stands on a dotted path: a
// path's dots (radius 5) and the name's outline keep 10 units apart.
TEST_F(SampleRouteTest, TheMapNamesEveryPlaceOnOneSideOfItsPictureClearOfThePaths) {
    constexpr float kClearance = 10;
    constexpr float kMostGap = 50;
    const std::vector<MapPath> paths = DrawnMapPaths();
    ASSERT_EQ(paths.size(), 4u);
    const std::pair<const char*, const char*> kPlaces[] = {
        {"garden", "#place_garden"}, {"garden_02", "#place_cottage"}, {"study_03", "#place_manor"},
        {"shelf", "#place_stall"}};
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    std::vector<bool> above;
    for (const char* language : {"english", "german"}) {
        DataTree::SetString("[SETTINGS]/language", language);
        ASSERT_TRUE(Loca::Global().Load(language));
        game().Transit("map", nullptr);
        Step(30);
        auto* map = CastTo<MapScreen>(Current());
        ASSERT_TRUE(map) << harness->ScreenTree() << Messages();
        for (const auto& [label, key] : kPlaces) {
            const SceneObject* place = map->GetScene()->FindObject(label);
            const auto* name = CastTo<halvo::GuiText>(OnHud(key).Get());
            ASSERT_TRUE(place && name && name->GetLineCount() == 1) << language << " " << key;
            const Vec2 corner = name->LocalToScreen({0, 0});
            const float middle = corner.x + name->ReadFloat(halvo::GuiWidget::kPropXSize) * 0.5f;
            const float halfWidth = name->GetLineWidth(0) * 0.5f;
            const Vec2 low{middle - halfWidth, corner.y};
            const Vec2 high{middle + halfWidth, corner.y + name->ReadFloat(halvo::GuiWidget::kPropYSize)};
            const Vec2 pictureLow = place->position;
            const Vec2 pictureHigh = Vec2::Add(place->position, place->size);
            EXPECT_TRUE(middle > pictureLow.x && middle < pictureHigh.x) << key;
            above.push_back(high.y <= pictureLow.y);
            const float gap = above.back() ? pictureLow.y - high.y : low.y - pictureHigh.y;
            EXPECT_TRUE(gap >= 0 && gap < kMostGap) << language << " " << key << " stands " << gap << " away";
            for (const MapPath& path : paths) {
                for (int step = 0; step <= 100; ++step) {
                    const Vec2 dot = path.At(static_cast<float>(step) / 100);
                    ASSERT_GE(DistanceToBox(dot, low, high), kClearance)
                        << language << " " << key << " on the path through " << dot.x << "," << dot.y;
                }
            }
        }
    }
    ASSERT_EQ(above.size(), 2 * std::size(kPlaces));
    EXPECT_TRUE(std::all_of(above.begin(), above.end(), [&](bool side) { return side == above.front(); }));
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

// The menu button of a search asks before it leaves, says what would be
// lost, and holds the game still meanwhile; "Keep playing" and Escape take
// the question back, Escape also asks. "To the menu" drops the search, and
// Continue starts it again. In a cutscene nothing is lost: the button opens
// the menu at once, and from the credits, once they rise, it ends the story.
TEST_F(SampleRouteTest, TheMenuButtonAsksBeforeASearchIsLeftAndNotInACutscene) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness->ScreenTree() << Messages();
    Step(60);
    SceneObject* first = nullptr;
    for (const auto& object : garden->GetScene()->remaining) if (!first && !object->isExit) first = object.Get();
    ASSERT_TRUE(first);
    const std::string firstLabel = first->label;
    ClickAndSettle(first->hotSpot.BoundsCenter(), 60);
    ASSERT_FALSE(garden->GetScene()->FindRemaining(firstLabel));

    halvo::AutoRef<halvo::GuiWidget> button = OnHud("hud_menu");
    ASSERT_TRUE(button) << Messages();
    ClickOn(button, kToRead);
    halvo::AutoRef<halvo::GuiWidget> question = OnHud("hud_leave");
    ASSERT_TRUE(question) << Messages();
    auto* told = CastTo<halvo::GuiText>(Find(question.Get(), "name", "question").Get());
    ASSERT_TRUE(told);
    EXPECT_EQ(told->GetLineText(0).substr(0, 12), u"What you did");  // what leaving would lose
    EXPECT_TRUE(game().paused);
    ExpectEachStepPlayedOnce("garden, asked");  // held still, but still played
    const double timeLeft = garden->GetScene()->timeLimit;
    ASSERT_FALSE(garden->GetScene()->remaining.empty());
    ClickAndSettle(garden->GetScene()->remaining.front()->hotSpot.BoundsCenter(), 120);
    EXPECT_EQ(garden->GetScene()->timeLimit, timeLeft);  // the countdown stands
    EXPECT_EQ(Current(), garden);
    ClickOn(Button(question.Get(), "stay"));
    EXPECT_FALSE(OnHud("hud_leave"));
    EXPECT_FALSE(game().paused);

    harness->Character(27);  // Escape asks as well, and takes it back
    Step(testsupport::HeadlessGame::kBoardReadPasses);
    ASSERT_TRUE(OnHud("hud_leave")) << Messages();
    harness->Character(27);
    Step(10);
    EXPECT_FALSE(OnHud("hud_leave"));

    ClickOn(OnHud("hud_menu"), kToRead);
    ClickOn(Button(OnHud("hud_leave").Get(), "leave"));
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu")) << harness->ScreenTree() << Messages();
    EXPECT_FALSE(game().paused);
    // The seconds played in the search count, and count once.
    const int played = game().playSeconds;
    EXPECT_EQ(DataTree::GetInt("[STATS]/time"), played);
    const double inTheMenu = PlayedMs();
    Step(120);
    EXPECT_EQ(PlayedMs(), inTheMenu);  // the menu's time belongs to no game
    ClickAndSettle(sampletest::kContinue);
    EXPECT_LE(game().playSeconds, played + 1);
    auto* again = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(again) << harness->ScreenTree() << Messages();
    EXPECT_EQ(again->GetScene()->name, "garden");
    EXPECT_TRUE(again->GetScene()->FindObject(firstLabel)->visible);  // found before, lost with the leaving

    FindEverything(*again);
    ASSERT_TRUE(StepUntilLeft(again)) << Messages();
    ASSERT_TRUE(CastTo<CutsceneScreen>(Current())) << harness->ScreenTree() << Messages();
    Step(30);
    ClickOn(OnHud("hud_menu"));
    EXPECT_TRUE(Find(MenuFrame(), "name", "menu")) << harness->ScreenTree() << Messages();

    // From the farewell it ends the story if a line of the credits with text
    // had been drawn half faded in on a lit screen as the leave was taken
    // (Continue grey, a new game unasked): not for a press on the standing
    // picture held until the title shows, nor for Escape taken in the step
    // their page is made, while its first line is still below the edge or
    // behind a fade left standing more than half way to black (one just short
    // of half leaves the screen lit), nor for a click as the empty line
    // above the title is half in, or in the step after the one that first
    // drew the title half in (the click may have come as that frame was still
    // being made); a click a step later ends it. However the farewell is left,
    // the menu comes up lit and answers its first click, also when the leave
    // comes as the picture stands black between the fades (a long frame as
    // the fade starts, on a busy machine, lets it stand so for some steps
    // before the script fades it back), when a scene fails to load there, as
    // a script's Transit after a mini-game would in the black, and when a
    // script opens the menu while its fade to black runs.
    enum Moment { kBeforeTheFade, kAtBlack, kFadingToBlack, kAsThePageIsMade, kOnTheVeil, kBehindAFade,
                  kEmptyLineHalfIn, kTitleFirstDrawnHalfIn, kTitleDrawnHalfIn, kOnTheLines };
    enum How { kHeldPress, kEscape, kClick, kFailingTransit, kMenuByScript };
    const struct { const char* what; Moment moment; How how; bool storyEnds; float fade = 1; } leaves[] = {
        {"a press before the fade held until the title shows", kBeforeTheFade, kHeldPress, false},
        {"Escape as the picture stands black", kAtBlack, kEscape, false},
        {"a scene failing to load as the picture stands black", kAtBlack, kFailingTransit, false},
        {"the menu opened by script as the fade to black runs", kFadingToBlack, kMenuByScript, false},
        {"Escape as the page is made", kAsThePageIsMade, kEscape, false},
        {"Escape on the veil before a line shows", kOnTheVeil, kEscape, false},
        {"Escape as the lines rise behind black", kBehindAFade, kEscape, false},
        {"Escape as the lines rise behind a fade just past half", kBehindAFade, kEscape, false, 0.55f},
        {"Escape as the lines rise behind a fade just short of half", kBehindAFade, kEscape, true, 0.45f},
        {"a click as only the empty line is half in", kEmptyLineHalfIn, kClick, false},
        {"a click as the title is first drawn half in", kTitleFirstDrawnHalfIn, kClick, false},
        {"a click a step later", kTitleDrawnHalfIn, kClick, true},
        {"Escape on the lines", kOnTheLines, kEscape, true},
        {"a click on the lines", kOnTheLines, kClick, true}};
    for (const auto& leave : leaves) {
        game().Transit("study_04", nullptr);
        auto* farewell = CastTo<CutsceneScreen>(Current());
        ASSERT_TRUE(farewell) << leave.what;
        halvo::AutoRef<halvo::GuiWidget> frame(farewell->GetGuiFrame());
        const auto page = [&] { return Find(frame.Get(), "name", "credits"); };
        const auto lines = [&] { return page() ? page()->GetFirstChild() : nullptr; };
        const auto alphaOf = [](halvo::GuiWidget* line) {
            return line ? line->ReadFloat(halvo::GuiWidget::kPropAlpha) : 0.0f;
        };
        // The first line with words: the title, below the empty line.
        const auto title = [&]() -> halvo::GuiWidget* {
            for (halvo::GuiWidget* line = lines(); line; line = line->GetNextSibling()) {
                const auto* text = CastTo<halvo::GuiText>(line);
                if (text && text->GetLineCount() > 0 && !text->GetLineText(0).empty()) return line;
            }
            return nullptr;
        };
        const halvo::WeakRef<GameScreen> alive(farewell);
        bool faded = false;
        int stepsTitleHalfIn = 0;  // "half" is the guide's word: pinned here, not read from the page
        for (int i = 0; i < sampletest::kLegPasses && alive.Get(); ++i) {
            faded |= game().IsFading();
            stepsTitleHalfIn += alphaOf(title()) >= 0.5f;
            if (leave.moment == kBeforeTheFade && farewell->GetImageCounter() >= SceneScreen::kImageSteps - 2) break;
            if (leave.moment == kAtBlack && faded && game().fadeLevel == 1 && !game().IsFading()) break;
            if (leave.moment == kFadingToBlack && game().fadeSpeed > 0 && game().fadeLevel >= 0.5f) break;
            if (leave.moment == kAsThePageIsMade && faded && game().fadeLevel == 0 && !game().IsFading()) break;
            if (leave.moment == kOnTheVeil && lines()) break;
            if (leave.moment == kBehindAFade && lines() && game().fadeLevel == 0) game().SetFade(leave.fade);
            if (leave.moment == kBehindAFade && alphaOf(title()) == 1.0f) break;
            if (leave.moment == kEmptyLineHalfIn && alphaOf(lines()) >= 0.55f) break;
            if (leave.moment == kTitleFirstDrawnHalfIn && stepsTitleHalfIn == 1) break;
            if (leave.moment == kTitleDrawnHalfIn && stepsTitleHalfIn == 2) break;
            if (leave.moment == kOnTheLines && alphaOf(lines()) == 1.0f) break;
            if (farewell->GetWaitingThread()) harness->ReadAndClick(sampletest::kEmptySpot);
            if (leave.moment == kAtBlack && !faded) game().frameAccumulator += 4 * 17.0;
            Step();
        }
        ASSERT_TRUE(alive.Get()) << leave.what << harness->ScreenTree() << Messages();
        if (leave.moment == kAtBlack) {
            ASSERT_EQ(game().fadeLevel, 1.0f) << leave.what;
        }
        if (leave.moment == kOnTheVeil) {
            ASSERT_EQ(alphaOf(lines()), 0.0f) << leave.what;
        }
        if (leave.moment == kEmptyLineHalfIn) {
            ASSERT_LT(alphaOf(title()), 0.5f) << leave.what;
        }
        const halvo::AutoRef<halvo::GuiWidget> menuButton = OnHud("hud_menu");
        ASSERT_TRUE(menuButton) << leave.what;
        if (leave.how == kHeldPress) {
            harness->MovePointer(sampletest::MiddleOnScreen(*menuButton));
            harness->Press();
            for (int i = 0; i < sampletest::kLegPasses && !(page() && page()->ReadBool("seen")); ++i) Step();
            EXPECT_GT(alphaOf(title()), 0.5f) << leave.what;  // judged at the release, it would end the story
            harness->Release();
        } else if (leave.how == kEscape) {
            harness->Character(27);
        } else if (leave.how == kClick) {
            harness->Click(sampletest::MiddleOnScreen(*menuButton));
        } else if (leave.how == kFailingTransit) {
            game().Transit("no_such_scene", nullptr);
            ASSERT_EQ(harness->Messages().size(), 1u) << leave.what << Messages();
            EXPECT_TRUE(Has(harness->Messages().front(), "unable to load scene 'no_such_scene'")) << Messages();
            harness->ClearMessages();
        } else {
            game().ShowMainMenu(nullptr);
        }
        Step(30);
        ASSERT_TRUE(Find(MenuFrame(), "name", "menu")) << leave.what << harness->ScreenTree() << Messages();
        const bool pageDue = leave.moment != kAtBlack && leave.moment != kFadingToBlack;
        EXPECT_EQ(static_cast<bool>(Find(frame.Get(), "name", "credits")), pageDue) << leave.what;
        EXPECT_EQ(DataTree::Exists("[PLAYER]/LastScene"), !leave.storyEnds) << leave.what;
        EXPECT_EQ(game().fadeLevel, 0.0f) << leave.what;
        const halvo::AutoRef<halvo::GuiWidget> resume = Button(MenuFrame(), "continue");
        ASSERT_TRUE(resume) << leave.what;
        EXPECT_EQ(resume->ReadBool(halvo::GuiButton::kPropDeactivated), leave.storyEnds) << leave.what;
        ClickOn(Button(MenuFrame(), "statistics"));
        const halvo::AutoRef<halvo::GuiWidget> statistics = Find(MenuFrame(), "name", "statistics");
        EXPECT_TRUE(statistics && statistics->ReadBool(halvo::GuiWidget::kPropShow)) << leave.what;
        ClickOn(Button(statistics.Get(), "close"));
    }
    ClickAndSettle(sampletest::kContinue);
    ClickAndSettle(sampletest::kNewGame);
    EXPECT_TRUE(CastTo<SearchScreen>(Current())) << harness->ScreenTree();
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

std::u16string Lowered(std::u16string text) {
    for (char16_t& c : text) if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return text;
}

// The question over a scene, or over a puzzle whose result is kept, speaks
// of the main menu's way back into the game, in either language, in words
// that no button under it bears in any form (a caption's words of five
// letters or more, less their last two), and holds its lines in its box:
// "Keep playing" goes on here, at once.
TEST_F(SampleRouteTest, TheMenuQuestionNamesTheWayBackInWordsOfNoButtonUnderIt) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    for (const char* language : {"english", "german"}) {
        DataTree::SetString("[SETTINGS]/language", language);
        ASSERT_TRUE(Loca::Global().Load(language));
        ClickOn(OnHud("hud_menu"), kToRead);
        const halvo::AutoRef<halvo::GuiWidget> board = OnHud("hud_leave");
        const auto* question = CastTo<halvo::GuiText>(Find(board.Get(), "name", "question").Get());
        ASSERT_TRUE(question) << language << Messages();
        EXPECT_LE(question->GetLineCount() * question->GetMainFont()->GetLineHeight(),
                  question->ReadFloat(halvo::GuiWidget::kPropYSize))
            << language;
        std::u16string asked;
        Loca::Global().Translate("#leave_question_kept", asked);
        for (size_t i = 0; i < question->GetLineCount(); ++i) asked += u" " + question->GetLineText(i);
        asked = Lowered(asked);
        for (const char* action : {"stay", "leave"}) {
            const halvo::AutoRef<halvo::GuiWidget> button = Button(board.Get(), action);
            const auto* caption = CastTo<halvo::GuiText>(button ? button->GetFirstChild() : nullptr);
            ASSERT_TRUE(caption) << language << " " << action;
            std::u16string word;
            for (char16_t c : Lowered(caption->GetLineText(0)) + u" ") {
                if (c != u' ') {
                    word += c;
                    continue;
                }
                if (word.size() >= 5) {
                    EXPECT_EQ(asked.find(word.substr(0, word.size() - 2)), std::u16string::npos) << language;
                }
                word.clear();
            }
        }
        ClickOn(Button(board.Get(), "stay"));
    }
}

// A line that follows another at once is a new page to the quick second
// click of a double-click that dismissed the one before: the farewell's
// second line, and the manor's first offer after its welcome, stay to be read.
TEST_F(SampleRouteTest, ADoubleClickOnALineLeavesTheNextToRead) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    for (const char* scene : {"study_04", "study_03"}) {
        game().Transit(scene, nullptr);
        auto* cutscene = CastTo<CutsceneScreen>(Current());
        ASSERT_TRUE(cutscene) << scene;
        for (int i = 0; i < sampletest::kLegPasses && !cutscene->GetWaitingThread(); ++i) Step();
        Step(testsupport::HeadlessGame::kReadPasses);
        const halvo::WeakRef<halvo::GuiWidget> first(cutscene->GetChatBubble());
        const uint32_t pressMs = harness->Now();
        harness->ClickAt(pressMs, sampletest::kEmptySpot);
        Step(12);
        const halvo::WeakRef<halvo::GuiWidget> next(cutscene->GetChatBubble());
        ASSERT_TRUE(next.Get() && next.Get() != first.Get()) << scene;
        harness->ClickAt(pressMs + 200, sampletest::kEmptySpot);
        Step(30);
        EXPECT_TRUE(next.Get() && next->GetParent() && cutscene->GetWaitingThread()) << scene;
    }
}

// A reader clicking on the spot at a steady pace, at a reading pace or
// quicker, through the study's lines (with a pose change's pause between
// them), the manor's welcome and offer and the farewell: each line stands
// half a second before a click takes it, so a click made while none stood
// takes none, and the reader still moves on through every line.
struct ReadingPace {
    const char* name;
    const char* scene;
    int lines;
    uint32_t gapMs;
};

void PrintTo(const ReadingPace& row, std::ostream* out) { *out << row.name; }

const ReadingPace kReadingPaces[] = {
    {"StudyAtAReadersPace", "study", 3, 600},       {"StudyQuickly", "study", 3, 300},
    {"ManorAtAReadersPace", "study_03", 2, 600},    {"ManorQuickly", "study_03", 2, 300},
    {"FarewellAtAReadersPace", "study_04", 2, 600}, {"FarewellQuickly", "study_04", 2, 300},
};

class SampleReadingPaceTest : public sampletest::SampleRouteFixture,
                              public testing::WithParamInterface<ReadingPace> {};

TEST_P(SampleReadingPaceTest, EveryLineStandsHalfASecondAndIsRead) {
    const ReadingPace& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    game().Transit(row.scene, nullptr);
    const halvo::WeakRef<CutsceneScreen> cutscene(CastTo<CutsceneScreen>(Current()));
    ASSERT_TRUE(cutscene.Get());
    for (int i = 0; i < sampletest::kLegPasses && !cutscene->GetWaitingThread(); ++i) Step();
    int read = 0;
    halvo::WeakRef<halvo::GuiWidget> line;
    bool lineUp = false;
    uint32_t shownMs = 0;
    const auto stepAndWatch = [&] {
        Step();
        CutsceneScreen* screen = cutscene.Get();
        halvo::GuiWidget* bubble = screen && screen->GetWaitingThread() ? screen->GetChatBubble() : nullptr;
        if (lineUp && (!bubble || bubble != line.Get())) {
            EXPECT_GE(harness->Now() - shownMs, 500u) << "line " << read;
            ++read;
            lineUp = false;
        }
        if (bubble && !lineUp) {
            line = bubble;
            lineUp = true;
            shownMs = harness->Now();
        }
    };
    stepAndWatch();
    const uint32_t first = harness->Now();
    for (uint32_t pressMs = first; pressMs < first + 6000; pressMs += row.gapMs) {
        while (harness->Now() + 17 <= pressMs) stepAndWatch();
        harness->ClickAt(pressMs, sampletest::kEmptySpot);
    }
    stepAndWatch();
    EXPECT_GE(read, row.lines);
}

INSTANTIATE_TEST_SUITE_P(Scenes, SampleReadingPaceTest, testing::ValuesIn(kReadingPaces),
                         [](const testing::TestParamInfo<ReadingPace>& info) { return info.param.name; });

// The study searched by hand shows the hint lantern, which help time lights
// within a minute; a click on the lit lantern sends the hint's sparks to the
// key and puts the lantern out again.
TEST_F(SampleRouteTest, TheStudysLanternLightsAndPointsAtTheKey) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    ASSERT_NO_FATAL_FAILURE(ClearTheSearch("garden"));
    auto* study = CastTo<CutsceneScreen>(Current());
    ASSERT_TRUE(study) << harness->ScreenTree() << Messages();
    PlayCutscene(*study);
    auto* room = CastTo<AdventureScreen>(Current());
    ASSERT_TRUE(room) << harness->ScreenTree() << Messages();
    halvo::AutoRef<halvo::GuiWidget> lantern = OnHud("hud_hint");
    ASSERT_TRUE(lantern) << Messages();
    ClickOn(lantern);  // unlit: nothing yet
    EXPECT_EQ(DataTree::GetInt("[STATS]/tipps"), 0);

    Step(60000 / 17);
    ClickOn(lantern);
    EXPECT_EQ(DataTree::GetInt("[STATS]/tipps"), 1);
    EXPECT_FALSE(room->GetScene()->effects.empty());  // the sparks fly to the key
    ClickOn(lantern);  // out again
    EXPECT_EQ(DataTree::GetInt("[STATS]/tipps"), 1);
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

// The garden's hint lantern only glows faintly while help time gathers, and
// answers an early click with a line above it that stands a moment and
// fades, one line however often it is clicked. Clicked in every step, it
// takes the first click after it lit in full, with its glass flared larger,
// and goes out again.
TEST_F(SampleRouteTest, TheHintLanternLightsInFullTheStepAClickTakes) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness->ScreenTree() << Messages();
    halvo::AutoRef<halvo::GuiWidget> lantern = OnHud("hud_hint");
    ASSERT_TRUE(lantern) << Messages();

    ClickOn(lantern);
    EXPECT_EQ(DataTree::GetInt("[STATS]/tipps"), 0);
    halvo::AutoRef<halvo::GuiWidget> said = OnHud(sampletest::kLanternNotYet);
    ASSERT_TRUE(said) << Messages();
    EXPECT_TRUE(Shows(lantern.Get(), u"Not ready yet"));
    EXPECT_EQ(said->GetAlpha(), 1.0f);
    ClickOn(lantern);  // again: the line starts over, still one
    int lines = 0;
    for (halvo::GuiWidget* child = lantern->GetFirstChild(); child; child = child->GetNextSibling()) {
        const Vrel::Var* name = child->GetMember("name");
        lines += name && name->GetCString() && Has(name->GetCString(), sampletest::kLanternNotYet);
    }
    EXPECT_EQ(lines, 1);
    said = OnHud(sampletest::kLanternNotYet);
    ASSERT_TRUE(said);
    Step(50);  // it stands for over a second, then fades
    EXPECT_GT(said->GetAlpha(), 0.0f);
    EXPECT_LT(said->GetAlpha(), 1.0f);
    Step(20);
    EXPECT_FALSE(OnHud(sampletest::kLanternNotYet));

    const sampletest::LanternClicks seen = sampletest::ClickTheLanternUntilTaken(
        *lantern, [&](Vec2 point) { ClickAndSettle(point, 1); },
        [] { return DataTree::GetInt("[STATS]/tipps") > 0; }, 2 * 60000 / 17);
    ASSERT_TRUE(seen.taken) << Messages();
    EXPECT_EQ(seen.clicksWhileLit, 1);
    EXPECT_GT(seen.brightestUnlit, 0.2f);  // it did gather, faintly
    EXPECT_LE(seen.brightestUnlit, 0.3f);
    EXPECT_GT(seen.scaleWhenLit, 1.2f);
    EXPECT_EQ(seen.alphaAfter, 0.0f);  // out again
    EXPECT_FALSE(garden->GetScene()->effects.empty());  // the hint's sparks
    EXPECT_EQ(Current(), garden);
    EXPECT_TRUE(harness->Messages().empty()) << Messages();
}

}  // namespace
