// The sample game in data/, played headless the way the program starts it:
// the splash fades in, a click opens the main menu, and its "About" board
// opens and closes; a new player names a profile, starts a game, finds
// everything in the first scene and moves on to the next. Any script error
// fails the run.

#include <gtest/gtest.h>

#include <string>

#include "game/screens/CutsceneScreen.h"
#include "game/Game.h"
#include "game/screens/MenuScreen.h"
#include "game/screens/SearchScreen.h"
#include "gui/GuiText.h"
#include "gui/GuiWidget.h"
#include "harness/HeadlessGame.h"
#include "tests/game/SampleTestSupport.h"
#include "platform/DataTree.h"

namespace {

using sampletest::Find;
using sampletest::SampleData;

std::string AllMessages(const testsupport::HeadlessGame& harness) {
    std::string text;
    for (const std::string& message : harness.Messages()) text += message + "\n";
    return text;
}

class SampleGameTest : public testing::Test {
protected:
    void SetUp() override {
        harness.MountGameData(SampleData());
        ASSERT_TRUE(harness.Start());
    }
    halvo::GuiWidget* MenuFrame() {
        MenuScreen* menu = CastTo<MenuScreen>(harness.GetGame().currentScene.Get());
        return menu ? menu->GetGuiFrame() : nullptr;
    }
    void ClickAndSettle(Vec2 design) {
        harness.Click(design);
        harness.Step(30);
    }

    testsupport::HeadlessGame harness;
};

TEST_F(SampleGameTest, TheSampleModulesCompile) {
    for (const char* module : {"maininclude", "splash", "mainmenu", "campain", "scene"})
        EXPECT_TRUE(Game::RunInclude(module)) << module;
    EXPECT_TRUE(harness.Messages().empty()) << AllMessages(harness);
}

TEST_F(SampleGameTest, TheSplashFadesInAndAClickOpensTheMainMenu) {
    ASSERT_TRUE(harness.RunUntilFadeEnds());
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen]");
    halvo::WeakRef<halvo::GuiWidget> splash(MenuFrame());
    ASSERT_TRUE(Find(splash.Get(), "texture", "splash"));
    halvo::AutoRef<halvo::GuiWidget> title = Find(splash.Get(), "font", "gui/DAYROM__.ttf");
    ASSERT_TRUE(title);
    EXPECT_GT(title->ReadFloat(halvo::GuiWidget::kPropXSize), 100);  // laid out in its font
    EXPECT_FALSE(Find(splash.Get(), "name", "menu"));
    harness.Step(180);  // a shooting star, drawn by the game's own animator
    halvo::AutoRef<halvo::GuiWidget> star = Find(splash.Get(), "name", "star");
    ASSERT_TRUE(star);
    EXPECT_TRUE(star->HasAnimators());

    // With a player's profile open the menu's own board comes first.
    ASSERT_TRUE(DataTree::CreateProfile(0, u"Ada"));
    ClickAndSettle({960, 540});
    EXPECT_FALSE(splash.Get());
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen]");
    halvo::AutoRef<halvo::GuiWidget> board = Find(MenuFrame(), "name", "menu");
    ASSERT_TRUE(board);

    // "About" hides the menu's board behind its own; "Close" brings it back.
    ClickAndSettle({960, 780});
    EXPECT_FALSE(board->ReadBool(halvo::GuiWidget::kPropShow));
    ASSERT_TRUE(Find(MenuFrame(), "name", "about"));
    ClickAndSettle({960, 872});
    EXPECT_FALSE(Find(MenuFrame(), "name", "about"));
    EXPECT_TRUE(board->ReadBool(halvo::GuiWidget::kPropShow));
    // Escape closes a board as its button does, the players' page too.
    ClickAndSettle({960, 596});
    ASSERT_TRUE(Find(MenuFrame(), "name", "profiles"));
    harness.Character(27);
    harness.Step(30);
    EXPECT_FALSE(Find(MenuFrame(), "name", "profiles"));
    EXPECT_TRUE(Find(MenuFrame(), "name", "menu"));
    EXPECT_TRUE(harness.Messages().empty()) << AllMessages(harness);
}

// The button below the board names the loaded language; a click switches to
// the next listed one, builds the menu again in it and keeps the choice, and
// the next click comes back round to the first.
TEST_F(SampleGameTest, TheMenusLanguageButtonGoesRoundTheListedLanguages) {
    ASSERT_TRUE(harness.RunUntilFadeEnds());
    ASSERT_TRUE(DataTree::CreateProfile(0, u"Ada"));
    ClickAndSettle({960, 540});
    auto shownName = [&]() -> std::u16string {
        halvo::AutoRef<halvo::GuiWidget> button = Find(MenuFrame(), "name", "language");
        if (!button) return u"(no button)";
        auto* label = CastTo<halvo::GuiText>(button->GetFirstChild());
        if (!label) return u"(no label)";
        return label->GetLineCount() ? label->GetLineText(0) : u"";
    };
    EXPECT_EQ(shownName(), u"English");
    ClickAndSettle({1640, 1000});
    EXPECT_EQ(shownName(), u"Deutsch");
    EXPECT_STREQ(DataTree::GetString("[SETTINGS]/language"), "german");
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    ClickAndSettle({1640, 1000});
    EXPECT_EQ(shownName(), u"English");
    EXPECT_TRUE(harness.Messages().empty()) << AllMessages(harness);
}

// The whole route: splash, main menu, a new profile, a new game, the first
// search scene played to its end, and the transit to the next scene, with
// the profile's files on disk saying so.
TEST_F(SampleGameTest, ANewPlayerStartsAGameFinishesTheFirstSceneAndMovesOn) {
    ASSERT_TRUE(harness.RunUntilFadeEnds());
    ClickAndSettle({960, 540});
    ASSERT_TRUE(Find(MenuFrame(), "name", "profiles"));
    ClickAndSettle({960, 340});  // the first slot, empty
    ASSERT_TRUE(Find(MenuFrame(), "name", "player_name"));
    for (char16_t c : u"Ada") if (c) harness.Character(c);
    harness.Key(13);
    harness.Step(30);
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    EXPECT_NE(harness.ReadSavedFile("gamedata.xml").find("name=\"Ada\""), std::string::npos);

    ClickAndSettle({960, 504});  // "New game"
    Game& game = harness.GetGame();
    auto* search = CastTo<SearchScreen>(game.currentScene.Get());
    ASSERT_TRUE(search) << harness.ScreenTree() << AllMessages(harness);
    EXPECT_EQ(search->GetScene()->name, "garden");
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    EXPECT_TRUE(game.gameStarted);
    EXPECT_NE(harness.ReadSavedFile("data0.xml").find("LastScene=\"garden\""), std::string::npos);

    halvo::WeakRef<GameScreen> garden(search);
    for (int i = 0; i < 40 && garden.Get() && !search->HasEnded(); ++i) {
        for (const auto& object : search->GetScene()->remaining) {
            if (object->isExit) continue;
            harness.Click(object->hotSpot.BoundsCenter());
            break;
        }
        // Past a double-click's time: the first click dismisses the
        // greeting, and a quicker one on the spot would only be refused.
        harness.Step(31);
    }
    harness.Step(10);
    EXPECT_FALSE(garden.Get());
    auto* next = CastTo<CutsceneScreen>(game.currentScene.Get());
    ASSERT_TRUE(next) << harness.ScreenTree() << AllMessages(harness);
    EXPECT_EQ(next->GetScene()->name, "study");
    EXPECT_EQ(DataTree::GetInt("[STATS]/transits"), 2);
    EXPECT_EQ(DataTree::GetInt("[STATS]/search"), 1);
    const std::string player = harness.ReadSavedFile("data0.xml");
    EXPECT_NE(player.find("LastScene=\"study\""), std::string::npos) << player;
    EXPECT_NE(player.find("<garden enter=\"1\""), std::string::npos);  // its first entry is kept
    EXPECT_NE(harness.ReadSavedFile("gamedata.xml").find("transits=\"2\""), std::string::npos);
    EXPECT_TRUE(harness.Messages().empty()) << AllMessages(harness);
}

}  // namespace
