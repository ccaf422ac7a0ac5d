// The HUD and the menu screens in the headless game: their frames under the
// GUI root, the splash at start-up and the main menu.

#include "game/screens/MenuScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Game.h"
#include "game/screens/HudScreen.h"
#include "game/screens/ScreenFrame.h"
#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "harness/HeadlessGame.h"

namespace {

using Calls = std::vector<std::string>;

// Logs the removals it hears.
class RemoveProbe : public halvo::GuiListener {
public:
    explicit RemoveProbe(std::vector<std::string>& log) : log_(log) {}
    void OnRemove(halvo::GuiWidget*) override { log_.push_back("OnRemove"); }

private:
    std::vector<std::string>& log_;
};

int GuiRootChildren() {
    int count = 0;
    for (halvo::GuiWidget* w = halvo::GuiMain::Global().GetRoot()->GetFirstChild(); w; w = w->GetNextSibling())
        ++count;
    return count;
}

bool HangsUnderGuiRoot(const halvo::GuiWidget* frame) {
    return frame && frame->GetParent() == halvo::GuiMain::Global().GetRoot();
}

// A menu module whose "Create" reports what its frame says.
std::string FrameReporter(const std::string& module) {
    return "function void Create(auto frame) { RecordCall(\"" + module +
           ".Create\", frame.xsize, frame.ysize, frame.start_scale, frame.from_game); }\n";
}

class MenuScreenTest : public testing::Test {
protected:
    Game& GetGame() { return harness.GetGame(); }
    MenuScreen* Current() { return CastTo<MenuScreen>(GetGame().currentScene.Get()); }

    testsupport::HeadlessGame harness;
    std::vector<std::string> log;
};

TEST_F(MenuScreenTest, StartUpMakesTheHudOutsideTheTreeAndOpensTheSplash) {
    harness.WriteScript("splash", FrameReporter("splash"));
    ASSERT_TRUE(harness.Start());
    EXPECT_EQ(harness.Calls(), Calls{"splash.Create 1920.000000 1080.000000 1.000000 0"});
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen]");
    ASSERT_TRUE(Current());
    EXPECT_TRUE(HangsUnderGuiRoot(Current()->GetGuiFrame()));

    HudScreen* hud = CastTo<HudScreen>(GetGame().hudScreen);
    ASSERT_TRUE(hud);
    EXPECT_EQ(hud->GetSize(), GetGame().screenSize);
    ASSERT_TRUE(HangsUnderGuiRoot(GetGame().GetHudGui()));
    EXPECT_FALSE(GetGame().GetHudGui()->HasProperty(ScreenFrame::kPropFromGame));
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(MenuScreenTest, ASecondHudFrameReplacesTheFirstWhoseListenersHearIt) {
    ASSERT_TRUE(harness.Start());
    HudScreen* hud = CastTo<HudScreen>(GetGame().hudScreen);
    ASSERT_TRUE(hud);
    halvo::WeakRef<halvo::GuiWidget> old(GetGame().GetHudGui());
    old->AddListener(new RemoveProbe(log));
    const int before = GuiRootChildren();

    hud->CreateFrame();
    EXPECT_EQ(log, Calls{"OnRemove"});
    EXPECT_FALSE(old.Get());  // the root held the only reference
    EXPECT_EQ(GuiRootChildren(), before);
    EXPECT_TRUE(HangsUnderGuiRoot(GetGame().GetHudGui()));
}

TEST_F(MenuScreenTest, AMenuTakesItsFrameWithItWhenItGoes) {
    ASSERT_TRUE(harness.Start());
    halvo::WeakRef<halvo::GuiWidget> frame(Current()->GetGuiFrame());
    frame->AddListener(new RemoveProbe(log));
    const int before = GuiRootChildren();
    Current()->RemoveFromParent();
    EXPECT_EQ(log, Calls{"OnRemove"});
    EXPECT_FALSE(frame.Get());
    EXPECT_EQ(GuiRootChildren(), before - 1);
    EXPECT_EQ(harness.ScreenTree(), "GameScreen");
}

TEST_F(MenuScreenTest, TheMainMenuEndsTheGameAndKnowsItCameFromOne) {
    harness.WriteScript("mainmenu", FrameReporter("mainmenu"));
    ASSERT_TRUE(harness.Start());
    Game& game = GetGame();
    game.rootScreen->AddChild(game.hudScreen.Get());
    game.gameStarted = true;

    ASSERT_TRUE(game.OpenMainMenu());
    EXPECT_FALSE(game.gameStarted);
    EXPECT_EQ(harness.Calls(), Calls{"mainmenu.Create 1920.000000 1080.000000 1.000000 1"});
    // The HUD left; the splash stays for the caller to remove.
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen, MenuScreen]");
    ASSERT_FALSE(game.rootScreen->Children().empty());
    EXPECT_EQ(game.currentScene.Get(), game.rootScreen->Children().back().Get());
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(MenuScreenTest, WithoutItsScriptAMenuIsAnEmptyFrameAndNoError) {
    harness.WriteScript("mainmenu", "int nothingHere;\n");
    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(GetGame().OpenMainMenu());
    ASSERT_TRUE(Current());
    ASSERT_TRUE(Current()->GetGuiFrame());
    EXPECT_FALSE(Current()->GetGuiFrame()->GetFirstChild());
    EXPECT_TRUE(harness.Messages().empty());
}

}  // namespace

// The developer layout: the logical screen takes the window's aspect, and
// the HUD covers exactly the part of the design area that it shows.
TEST(HudScreenLayoutTest, FollowsTheLogicalScreenInTheWindowsAspect) {
    halvo::AutoRef<Game> game(new Game());
    game->fitWindowAspect = 1;
    game->SetWindowSize({1024, 768});
    game->SetDesignSize({1920, 1080});
    game->Init();
    HudScreen* hud = CastTo<HudScreen>(game->hudScreen);
    ASSERT_TRUE(hud);
    EXPECT_EQ(hud->GetSize(), (Point2i{1440, 1080}));
    EXPECT_FLOAT_EQ(hud->GetPosition().x, 240);
    EXPECT_FLOAT_EQ(hud->GetPosition().y, 0);
    halvo::WeakRef<halvo::GuiWidget> frame(game->GetHudGui());
    ASSERT_TRUE(frame.Get());
    EXPECT_FLOAT_EQ(frame->ReadFloat(halvo::GuiWidget::kPropXSize), 1440);
    EXPECT_FLOAT_EQ(frame->ReadFloat(ScreenFrame::kPropStartScale), 768.0f / 1080.0f);
    game->Shutdown();
    game.Reset();
    EXPECT_FALSE(frame.Get());
}
