#pragma once
// The sample game in data/ played headless by input alone, as the route
// suites share it: a player named, a new game started, searches cleared,
// cutscenes clicked through, the study played to the map, buttons of the
// HUD clicked, and the game started again over the files it saved.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "game/screens/AdventureScreen.h"
#include "game/screens/CutsceneScreen.h"
#include "game/Game.h"
#include "game/screens/MapScreen.h"
#include "game/screens/MenuScreen.h"
#include "game/scene/Scene.h"
#include "game/scene/SceneObject.h"
#include "game/scene/SceneViewMask.h"
#include "game/screens/SearchScreen.h"
#include "gui/GuiText.h"
#include "gui/GuiWidget.h"
#include "harness/HeadlessGame.h"
#include "platform/DataTree.h"
#include "support/TempFolder.h"
#include "tests/game/SampleTestSupport.h"

namespace sampletest {

// Far beyond what any leg takes; a leg that needs more is stuck.
constexpr int kLegPasses = 3000;
// Where no scene object and no button lies.
constexpr Vec2 kEmptySpot{960, 140};
// The map's places, in design units.
constexpr Vec2 kGardenPlot{525, 630};
constexpr Vec2 kCottage{645, 295};
constexpr Vec2 kManor{1440, 325};
constexpr Vec2 kStall{970, 775};

inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Whether a text under `root` shows a first line that begins with `start`.
inline bool Shows(halvo::GuiWidget* root, const std::u16string& start) {
    if (!root) return false;
    for (halvo::GuiWidget* child = root->GetFirstChild(); child; child = child->GetNextSibling()) {
        const auto* text = CastTo<halvo::GuiText>(child);
        if (text && text->GetLineCount() > 0 && text->GetLineText(0).rfind(start, 0) == 0) return true;
        if (Shows(child, start)) return true;
    }
    return false;
}

class SampleRouteFixture : public testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(StartTheGame()); }

    // The program started anew, as after quitting it, over the files the
    // earlier run saved in the same documents folder.
    void StartTheGame() {
        harness.reset();
        harness = std::make_unique<testsupport::HeadlessGame>();
        harness->UseDocumentsFolder(documents.Path());
        harness->MountGameData(SampleData());
        ASSERT_TRUE(harness->Start());
        ASSERT_TRUE(harness->RunUntilFadeEnds());
    }

    Game& game() { return harness->GetGame(); }
    GameScreen* Current() { return game().currentScene.Get(); }
    std::string CurrentName() {
        GameScreen* screen = Current();
        return screen ? screen->GetClassInfo()->name + (":" + screen->GetName()) : "";
    }
    // One pass, noting each new current screen as "Class:module".
    void Step(int passes = 1) {
        for (int i = 0; i < passes; ++i) {
            harness->Step();
            const std::string now = CurrentName();
            if (route.empty() || route.back() != now) route.push_back(now);
        }
    }
    // Passes after a click that brings a question or notice, to read it.
    static constexpr int kToRead = testsupport::HeadlessGame::kBoardReadPasses;
    void ClickAndSettle(Vec2 design, int passes = 30) {
        harness->Click(design);
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
    halvo::AutoRef<halvo::GuiWidget> OnHud(const char* name) { return Find(game().GetHudGui(), "name", name); }
    // A click on the middle of a widget, wherever it hangs; a widget that is
    // not there fails the test and clicks nothing, so the run goes on.
    void ClickOn(const halvo::AutoRef<halvo::GuiWidget>& widget, int passes = 30) {
        if (!widget) {
            ADD_FAILURE() << "nothing there to click: " << harness->ScreenTree() << Messages();
            return;
        }
        ClickAndSettle(MiddleOnScreen(*widget), passes);
    }
    // The first button under `root` whose action is `action`.
    halvo::AutoRef<halvo::GuiWidget> Button(halvo::GuiWidget* root, const char* action) {
        return Find(root, "action", action);
    }
    // Splash, the profile board, a player named "Ada" in the first slot,
    // the menu, a new game: the garden, its greeting clicked away unless `greeted` is false.
    void NameAdaAndStartANewGame(bool greeted = true) {
        ClickAndSettle(kSplash);
        ClickAndSettle(kFirstSlot);
        for (char16_t c : u"Ada") if (c) harness->Character(c);
        harness->Key(13);
        Step(30);
        ASSERT_TRUE(Find(MenuFrame(), "name", "menu")) << Messages();
        ClickAndSettle(kNewGame);
        if (greeted) ClickAndSettle(kEmptySpot);
    }
    // Clicks the middle of every object still to find, exits aside.
    void FindEverything(SearchScreen& screen) {
        halvo::WeakRef<GameScreen> alive(&screen);
        for (int i = 0; i < 60 && alive.Get() && !screen.HasEnded(); ++i) {
            for (const auto& object : screen.GetScene()->remaining) {
                if (object->isExit) continue;
                harness->Click(object->hotSpot.BoundsCenter());
                break;
            }
            // Past a double-click's time: a click that dismissed a greeting
            // over an object leaves a quicker one on the spot refused.
            Step(31);
        }
    }
    // The current search cleared, and the steps until it has gone.
    void ClearTheSearch(const char* name) {
        auto* search = CastTo<SearchScreen>(Current());
        ASSERT_TRUE(search) << name << harness->ScreenTree() << Messages();
        EXPECT_EQ(search->GetScene()->name, name);
        FindEverything(*search);
        ASSERT_TRUE(StepUntilLeft(search)) << name << Messages();
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
            if (cutscene.GetWaitingThread()) harness->ReadAndClick(kEmptySpot);
            Step();
        }
        return most;
    }
    // The study: two speakers talk, the player clicks each line away. Then
    // the study by hand: the key is taken, the door opens with it onto the
    // map, whose places are named.
    void PlayTheStudyToTheMap() {
        auto* study = CastTo<CutsceneScreen>(Current());
        ASSERT_TRUE(study) << harness->ScreenTree() << Messages();
        EXPECT_EQ(PlayCutscene(*study), 2);

        auto* room = CastTo<AdventureScreen>(Current());
        ASSERT_TRUE(room) << harness->ScreenTree() << Messages();
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
            EXPECT_TRUE(OnHud(place)) << place;  // each place is named
    }
    // A place of the map clicked, and the steps until its scene has come.
    void TravelTo(Vec2 place) {
        const GameScreen* map = Current();
        ASSERT_TRUE(CastTo<MapScreen>(Current())) << harness->ScreenTree() << Messages();
        ClickAndSettle(place);
        ASSERT_TRUE(StepUntilLeft(map)) << Messages();
    }
    // The HUD's lantern and menu button take every click on them, with
    // either mouse button: the search beneath counts no miss (a few far
    // apart would lock its clicks and cost time) and finds nothing there.
    void ExpectHudButtonsKeepTheirClicks(SearchScreen& search, const std::string& where) {
        Scene& scene = *search.GetScene();
        const double lastMiss = scene.lastMissTime;
        const int remaining = scene.CountRemaining();
        for (const char* name : {"hud_hint", "hud_menu", "hud_hint", "hud_menu"}) {
            halvo::AutoRef<halvo::GuiWidget> button = OnHud(name);
            ASSERT_TRUE(button) << where << " " << name;
            harness->Click(MiddleOnScreen(*button), InputEvent::kRight);
            Step(5);
        }
        ClickOn(OnHud("hud_hint"), 5);  // unlit: only "not ready yet"
        EXPECT_EQ(scene.lastMissTime, lastMiss) << where;
        EXPECT_EQ(scene.lockTime, 0) << where;
        EXPECT_EQ(scene.CountRemaining(), remaining) << where;
        EXPECT_FALSE(OnHud("hud_leave")) << where;
    }
    // The time the game has counted as played, in ms.
    double PlayedMs() { return game().playSeconds * 1000.0 + game().playTimeMs; }
    // Steps on the current screen: the time played grows by each step of the
    // game's clock, once, however many scenes the screen updates.
    void ExpectEachStepPlayedOnce(const std::string& where, int passes = 60) {
        const double played = PlayedMs(), clock = game().totalTime;
        Step(passes);
        EXPECT_GT(game().totalTime, clock) << where;
        EXPECT_EQ(PlayedMs() - played, game().totalTime - clock) << where;
    }
    std::string Messages() const {
        std::string text;
        for (const std::string& message : harness->Messages()) text += message + "\n";
        return text;
    }

    testsupport::TempFolder documents;
    std::unique_ptr<testsupport::HeadlessGame> harness;
    std::vector<std::string> route;
};

}  // namespace sampletest
