// The sample game in data/ played from the splash to the credits and back
// to the main menu's statistics, headless and by input alone: a timed search
// with an exit, the study cutscene with two speakers, the study adventure
// by the light of a cone (the key taken, the door opened with it), the map, the garden's shapes,
// the shelf's differences and the farewell with the credits. The screens
// pass in order, the profile's files say what was played, and no script
// reports an error on the way.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/AdventureScreen.h"
#include "game/CutsceneScreen.h"
#include "game/Game.h"
#include "game/Scene.h"
#include "game/SceneObject.h"
#include "game/SceneViewMask.h"
#include "game/MenuScreen.h"
#include "game/SearchScreen.h"
#include "gui/GuiText.h"
#include "gui/GuiWidget.h"
#include "harness/HeadlessGame.h"
#include "tests/game/SampleTestSupport.h"
#include "platform/DataTree.h"

namespace {

// Far beyond what any leg takes; a leg that needs more is stuck.
constexpr int kLegPasses = 3000;
// Where no scene object and no menu button lies.
constexpr Vec2 kEmptySpot{960, 140};

using sampletest::Find;
using sampletest::SampleData;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Whether a text under `root` shows a first line that begins with `start`.
bool Shows(halvo::GuiWidget* root, const std::u16string& start) {
    if (!root) return false;
    for (halvo::GuiWidget* child = root->GetFirstChild(); child; child = child->GetNextSibling()) {
        const auto* text = CastTo<halvo::GuiText>(child);
        if (text && text->GetLineCount() > 0 && text->GetLineText(0).rfind(start, 0) == 0) return true;
        if (Shows(child, start)) return true;
    }
    return false;
}

class SampleRouteTest : public testing::Test {
protected:
    void SetUp() override {
        harness.MountGameData(SampleData());
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(harness.RunUntilFadeEnds());
    }
    Game& game() { return harness.GetGame(); }
    GameScreen* Current() { return game().currentScene.Get(); }
    std::string CurrentName() {
        GameScreen* screen = Current();
        return screen ? screen->GetClassInfo()->name + (":" + screen->GetName()) : "";
    }
    // One pass, noting each new current screen as "Class:module".
    void Step(int passes = 1) {
        for (int i = 0; i < passes; ++i) {
            harness.Step();
            const std::string now = CurrentName();
            if (route.empty() || route.back() != now) route.push_back(now);
        }
    }
    void ClickAndSettle(Vec2 design, int passes = 30) {
        harness.Click(design);
        Step(passes);
    }
    // Steps until the current screen is another one.
    bool StepUntilLeft(const GameScreen* screen, int maxPasses = kLegPasses) {
        for (int i = 0; i < maxPasses && Current() == screen; ++i) Step();
        return Current() != screen;
    }
    halvo::GuiWidget* MenuFrame() {
        auto* menu = CastTo<MenuScreen>(Current());
        return menu ? menu->GetGuiFrame() : nullptr;
    }
    // Splash, the profile board, a player named "Ada" in the first slot,
    // the menu, a new game.
    void NameAdaAndStartANewGame() {
        ClickAndSettle({960, 540});
        ClickAndSettle({960, 340});
        for (char16_t c : u"Ada") if (c) harness.Character(c);
        harness.Key(13);
        Step(30);
        ASSERT_TRUE(Find(MenuFrame(), "name", "menu")) << Messages();
        ClickAndSettle({960, 504});  // "New game"
    }
    // Clicks the middle of every object still to find, exits aside.
    void FindEverything(SearchScreen& screen) {
        halvo::WeakRef<GameScreen> alive(&screen);
        for (int i = 0; i < 60 && alive.Get() && !screen.HasEnded(); ++i) {
            for (const auto& object : screen.GetScene()->remaining) {
                if (object->isExit) continue;
                harness.Click(object->hotSpot.BoundsCenter());
                break;
            }
            Step(10);
        }
    }
    // Clicks bubbles away until the cutscene has moved on; notes the most
    // speakers that stood at once.
    int PlayCutscene(CutsceneScreen& cutscene) {
        halvo::WeakRef<GameScreen> alive(&cutscene);
        int most = 0;
        for (int i = 0; i < kLegPasses && alive.Get() && Current() == &cutscene; ++i) {
            int standing = 0;
            for (int slot = 0; slot < CutsceneScreen::kSlotCount; ++slot)
                standing += !cutscene.GetSpeakerName(slot).empty();
            most = std::max(most, standing);
            if (cutscene.GetWaitingThread()) harness.Click(kEmptySpot);
            Step();
        }
        return most;
    }
    // The study: two speakers talk, the player clicks each line away. Then
    // the study by hand: the key is taken, the door opens with it onto the
    // map.
    void PlayTheStudyToTheMap() {
        auto* study = CastTo<CutsceneScreen>(Current());
        ASSERT_TRUE(study) << harness.ScreenTree() << Messages();
        EXPECT_EQ(PlayCutscene(*study), 2);

        auto* room = CastTo<AdventureScreen>(Current());
        ASSERT_TRUE(room) << harness.ScreenTree() << Messages();
        // The first time in, the script asks which hotspot lies where the key is.
        EXPECT_TRUE(Shows(room->GetGuiFrame(), u"Something glints")) << Messages();
        const Vec2 key = room->GetScene()->FindObject("key")->hotSpot.BoundsCenter();
        const Vec2 door = room->GetScene()->FindObject("door")->hotSpot.BoundsCenter();
        ClickAndSettle(door);  // locked: nothing happens
        EXPECT_EQ(Current(), room);
        ClickAndSettle(key);
        ASSERT_TRUE(room->GetScene()->viewMask);  // a light cone that follows the pointer
        EXPECT_EQ(room->GetScene()->viewMask->position, key);
        EXPECT_TRUE(DataTree::Exists("[PLAYER]/Tobin/inv/key"));
        EXPECT_EQ(room->PickHotspot(key.x, key.y), "");  // taken away
        ClickAndSettle(door);
        ASSERT_TRUE(StepUntilLeft(room)) << Messages();

        ASSERT_STREQ(Current()->GetClassInfo()->name, "MapScreen") << Messages();
        Step(60);
        for (const char* place : {"#place_garden", "#place_cottage", "#place_manor", "#place_stall"})
            EXPECT_TRUE(Find(game().GetHudGui(), "name", place)) << place;  // each place is named
    }
    std::string Messages() const {
        std::string text;
        for (const std::string& message : harness.Messages()) text += message + "\n";
        return text;
    }

    testsupport::HeadlessGame harness;
    std::vector<std::string> route;
};

// The garden's own script speaks the first time a player stands in it and
// when the key is found.
TEST_F(SampleRouteTest, TheGardenGreetsANewPlayerAndNoticesTheKey) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness.ScreenTree() << Messages();
    // A search has no GUI frame of its own: the lines stand on the HUD's.
    EXPECT_TRUE(Shows(game().GetHudGui(), u"Maren's garden")) << Messages();
    EXPECT_FALSE(Shows(game().GetHudGui(), u"A key!"));
    ClickAndSettle(garden->GetScene()->FindObject("key_01")->hotSpot.BoundsCenter(), 5);
    EXPECT_TRUE(Shows(game().GetHudGui(), u"A key!")) << Messages();
    EXPECT_TRUE(harness.Messages().empty()) << Messages();
}

TEST_F(SampleRouteTest, ANewPlayerPlaysEveryScreenToTheCreditsAndReadsTheStatistics) {
    // Splash, the profile board, a named player, the menu, a new game.
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());

    // The garden: a timed search with an exit, every object found.
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness.ScreenTree() << Messages();
    EXPECT_GT(garden->GetScene()->timeLimit, 0);
    EXPECT_TRUE(garden->GetTimerText());
    bool hasExit = false;
    for (const auto& object : garden->GetScene()->remaining) hasExit |= object->isExit;
    EXPECT_TRUE(hasExit);
    FindEverything(*garden);
    ASSERT_TRUE(StepUntilLeft(garden)) << Messages();

    ASSERT_NO_FATAL_FAILURE(PlayTheStudyToTheMap());

    // The map: the cottage leads to the garden's shapes.
    const GameScreen* map = Current();
    ClickAndSettle({645, 295});
    ASSERT_TRUE(StepUntilLeft(map)) << Messages();

    for (const char* name : {"garden_02", "shelf"}) {
        auto* search = CastTo<SearchScreen>(Current());
        ASSERT_TRUE(search) << name << harness.ScreenTree() << Messages();
        EXPECT_EQ(search->GetScene()->name, name);
        FindEverything(*search);
        ASSERT_TRUE(StepUntilLeft(search)) << name << Messages();
    }

    // The farewell, the credits rising over it, and the main menu again.
    auto* farewell = CastTo<CutsceneScreen>(Current());
    ASSERT_TRUE(farewell) << harness.ScreenTree() << Messages();
    halvo::WeakRef<halvo::GuiWidget> frame(farewell->GetGuiFrame());
    // Before the credits the lighthouse fills the screen, then the script
    // fades to black and back.
    bool pictured = false, black = false;
    for (int i = 0; i < kLegPasses && !Find(frame.Get(), "name", "credits"); ++i) {
        if (farewell->GetWaitingThread()) harness.Click(kEmptySpot);
        Step();
        pictured |= farewell->HasImage();
        black |= pictured && game().fadeLevel >= 1.0f;
    }
    EXPECT_TRUE(pictured);
    EXPECT_TRUE(black);
    EXPECT_LT(game().fadeLevel, 1.0f);
    halvo::AutoRef<halvo::GuiWidget> credits = Find(frame.Get(), "name", "credits");
    ASSERT_TRUE(credits) << Messages();
    Step(100);
    EXPECT_TRUE(credits->GetFirstChild());  // the first lines have risen into view
    PlayCutscene(*farewell);
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu")) << harness.ScreenTree() << Messages();

    EXPECT_EQ(route, (std::vector<std::string>{
                         "MenuScreen:", "SearchScreen:garden", "CutsceneScreen:study", "AdventureScreen:study_02",
                         "MapScreen:map", "SearchScreen:garden_02", "SearchScreen:shelf", "CutsceneScreen:study_04",
                         "MenuScreen:"}));

    // The statistics page rises while the menu is read, so a player who asks
    // for it after a few seconds finds its upper half filled already; its
    // lines are cut off at its edges.
    Step(360);
    ClickAndSettle({960, 688});
    halvo::AutoRef<halvo::GuiWidget> page = Find(MenuFrame(), "name", "statistics_page");
    ASSERT_TRUE(page) << Messages();
    EXPECT_TRUE(page->ReadBool(halvo::GuiWidget::kPropClip));
    float highest = page->ReadFloat(halvo::GuiWidget::kPropYSize);
    for (halvo::GuiWidget* line = page->GetFirstChild(); line; line = line->GetNextSibling())
        highest = std::min(highest, line->ReadFloat(halvo::GuiWidget::kPropYPos));
    EXPECT_LT(highest, page->ReadFloat(halvo::GuiWidget::kPropYSize) * 0.5f);

    const std::string settings = harness.ReadSavedFile("gamedata.xml");
    for (const char* part : {"name=\"Ada\"", "transits=\"7\"", "search_found=", "clicks=", "time=", "<options volume_music="})
        EXPECT_TRUE(Has(settings, part)) << part << "\n" << settings;
    const std::string player = harness.ReadSavedFile("data0.xml");
    for (const char* part : {"LastScene=\"study_04\"", "CurrentChar=\"0\"", "<Tobin", "<inv", "<garden enter=\"1\"",
                             "<study_02 ", "key=\"0\"", "door=\"1\"", "<shelf enter=\"1\""})
        EXPECT_TRUE(Has(player, part)) << part << "\n" << player;
    EXPECT_FALSE(Has(player, "<SceneState")) << player;  // every search was finished
    EXPECT_TRUE(harness.Messages().empty()) << Messages();
}


// Which objects of the visit are still to find, and which were found.
std::vector<std::string> Labels(const halvo::AutoRefVector<SceneObject>& list) {
    std::vector<std::string> labels;
    for (const auto& object : list) labels.push_back(object->label);
    return labels;
}

// A garden left half played through its exit is kept in the player's file:
// the story goes on to the study, and once the map is open its garden plot
// brings back the objects still to find, hides the found ones and counts
// down from the time left. "New game" then asks before it throws that game
// away, and starts the garden afresh under the same name.
TEST_F(SampleRouteTest, AGardenLeftThroughItsExitComesBackFromTheMapUntilANewGame) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness.ScreenTree() << Messages();
    Scene& visit = *garden->GetScene();
    const double fullTime = visit.timeLimit;

    std::vector<std::string> found;
    for (int i = 0; i < 2; ++i) {
        for (const auto& object : visit.remaining) {
            if (object->isExit) continue;
            found.push_back(object->label);
            harness.Click(object->hotSpot.BoundsCenter());
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
    harness.Click(exit->hotSpot.BoundsCenter());  // the first click only marks the way out
    Step();
    harness.Click(exit->hotSpot.BoundsCenter());
    ASSERT_TRUE(StepUntilLeft(garden)) << Messages();
    ASSERT_STREQ(Current()->GetClassInfo()->name, "CutsceneScreen");
    const std::string player = harness.ReadSavedFile("data0.xml");
    for (const char* part : {"LastScene=\"study\"", "<SceneState>", "<garden Time=\"", "<ObjectList "})
        EXPECT_TRUE(Has(player, part)) << part << "\n" << player;

    // Back in the menu, which reads the profile from its file again.
    game().ShowMainMenu(nullptr);
    Step(30);
    ClickAndSettle({960, 412});  // "Continue": where the game went on to
    ASSERT_NO_FATAL_FAILURE(PlayTheStudyToTheMap());
    const GameScreen* map = Current();
    ClickAndSettle({525, 630});  // the garden plot
    ASSERT_TRUE(StepUntilLeft(map)) << Messages();
    auto* again = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(again) << harness.ScreenTree() << Messages();
    Scene& restored = *again->GetScene();
    EXPECT_EQ(restored.name, "garden");
    EXPECT_EQ(Labels(restored.searchList), chosen);
    EXPECT_EQ(Labels(restored.remaining), left);
    for (const std::string& label : found) EXPECT_FALSE(restored.FindObject(label)->visible) << label;
    EXPECT_NEAR(restored.timeLimit, timeLeft, 1000);

    // Leaving it again goes back to the map now, where it waits.
    for (const auto& object : restored.remaining) if (object->isExit) exit = object.Get();
    harness.Click(exit->hotSpot.BoundsCenter());
    Step();
    harness.Click(exit->hotSpot.BoundsCenter());
    ASSERT_TRUE(StepUntilLeft(again)) << Messages();
    ASSERT_STREQ(Current()->GetClassInfo()->name, "MapScreen") << Messages();

    // "New game" asks first; "Start again" begins in a fresh garden.
    game().ShowMainMenu(nullptr);
    Step(30);
    ClickAndSettle({960, 504});
    ASSERT_TRUE(Find(MenuFrame(), "name", "ask")) << harness.ScreenTree() << Messages();
    harness.Click({960, 780});  // "Start again"
    for (int i = 0; i < 60 && !CastTo<SearchScreen>(Current()); ++i) Step();
    auto* fresh = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(fresh) << harness.ScreenTree() << Messages();
    EXPECT_GE(fresh->GetScene()->timeLimit, fullTime);  // the first visit had begun counting
    for (const auto& object : fresh->GetScene()->searchList) EXPECT_TRUE(object->visible) << object->label;
    const std::string restarted = harness.ReadSavedFile("data0.xml");
    for (const char* part : {"<SceneState", "<Tobin", "<study_02", "<map "})
        EXPECT_FALSE(Has(restarted, part)) << part << "\n" << restarted;
    EXPECT_TRUE(Has(harness.ReadSavedFile("gamedata.xml"), "name=\"Ada\""));
    EXPECT_TRUE(harness.Messages().empty()) << Messages();
}

// The HUD says what to look for: the garden's strip lists the names of the
// objects to find and drops a found one, the study shows the key in the
// inventory once it is taken, the shapes search lists its silhouettes and
// the shelf counts the differences left.
TEST_F(SampleRouteTest, TheHudListsWhatToFindAndShowsWhatIsCarried) {
    ASSERT_NO_FATAL_FAILURE(NameAdaAndStartANewGame());
    auto* garden = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(garden) << harness.ScreenTree() << Messages();

    halvo::AutoRef<halvo::GuiWidget> list = Find(game().GetHudGui(), "name", "hud_items");
    ASSERT_TRUE(list) << Messages();
    EXPECT_TRUE(list->ReadBool(halvo::GuiWidget::kPropShow));
    EXPECT_TRUE(Find(game().GetHudGui(), "name", "hud_hint"));
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
    ASSERT_TRUE(study) << harness.ScreenTree() << Messages();
    PlayCutscene(*study);
    auto* room = CastTo<AdventureScreen>(Current());
    ASSERT_TRUE(room) << harness.ScreenTree() << Messages();
    EXPECT_FALSE(Find(game().GetHudGui(), "name", "hud_items"));
    EXPECT_FALSE(Find(game().GetHudGui(), "name", "hud_inventory"));
    ClickAndSettle(room->GetScene()->FindObject("key")->hotSpot.BoundsCenter());
    halvo::AutoRef<halvo::GuiWidget> tray = Find(game().GetHudGui(), "name", "hud_inventory");
    ASSERT_TRUE(tray) << Messages();
    EXPECT_TRUE(Find(tray.Get(), "name", "key"));
    ClickAndSettle(room->GetScene()->FindObject("door")->hotSpot.BoundsCenter());
    ASSERT_TRUE(StepUntilLeft(room)) << Messages();
    EXPECT_FALSE(Find(game().GetHudGui(), "name", "hud_inventory"));
    Step(60);
    const GameScreen* map = Current();
    ClickAndSettle({645, 295});
    ASSERT_TRUE(StepUntilLeft(map)) << Messages();

    // The shapes: one silhouette per shape to find.
    auto* shapes = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(shapes) << harness.ScreenTree() << Messages();
    list = Find(game().GetHudGui(), "name", "hud_items");
    ASSERT_TRUE(list) << Messages();
    int silhouettes = 0;
    for (halvo::GuiWidget* child = list->GetFirstChild(); child; child = child->GetNextSibling()) ++silhouettes;
    int wanted = 0;
    for (const auto& object : shapes->GetScene()->searchList) wanted += !object->shapeName.empty();
    EXPECT_GT(wanted, 0);
    EXPECT_EQ(silhouettes, wanted);
    FindEverything(*shapes);
    ASSERT_TRUE(StepUntilLeft(shapes)) << Messages();

    // The shelf counts down as the differences are spotted.
    auto* shelf = CastTo<SearchScreen>(Current());
    ASSERT_TRUE(shelf) << harness.ScreenTree() << Messages();
    halvo::AutoRef<halvo::GuiWidget> left = Find(game().GetHudGui(), "name", "left");
    ASSERT_TRUE(left) << Messages();
    auto* count = CastTo<halvo::GuiText>(left.Get());
    ASSERT_TRUE(count);
    const int before = shelf->GetScene()->CountRemaining();
    EXPECT_EQ(count->GetLineText(0), std::u16string(1, char16_t(u'0' + before)));
    ClickAndSettle(shelf->GetScene()->remaining.front()->hotSpot.BoundsCenter());
    EXPECT_EQ(count->GetLineText(0), std::u16string(1, char16_t(u'0' + before - 1)));
    EXPECT_TRUE(harness.Messages().empty()) << Messages();
}

}  // namespace
