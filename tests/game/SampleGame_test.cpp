// The sample game in data/, played headless the way the program starts it:
// the splash fades in, a click opens the main menu, and its "About" board
// opens and closes. Any script error fails the run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/Game.h"
#include "game/MenuScreen.h"
#include "gui/GuiWidget.h"
#include "harness/HeadlessGame.h"
#include "script/runtime/t_Named.h"

namespace {

std::string SampleData() {
    const char* source = std::getenv("TAVRIN_SOURCE_DIR");
    return std::string(source ? source : ".") + "/data";
}

// The first widget under `root` whose property `name` is the text `value`.
halvo::AutoRef<halvo::GuiWidget> Find(halvo::GuiWidget* root, const char* name, const char* value) {
    if (!root) return {};
    Vrel::t_Named criteria;
    *criteria.GetOrAddMember(name) = Vrel::Var(value);
    return root->FindFirst(criteria);
}

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
    for (const char* module : {"maininclude", "splash", "mainmenu"})
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

    ClickAndSettle({960, 540});
    EXPECT_FALSE(splash.Get());
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen]");
    halvo::AutoRef<halvo::GuiWidget> board = Find(MenuFrame(), "name", "menu");
    ASSERT_TRUE(board);

    // "About" hides the menu's board behind its own; "Close" brings it back.
    ClickAndSettle({960, 640});
    EXPECT_FALSE(board->ReadBool(halvo::GuiWidget::kPropShow));
    ASSERT_TRUE(Find(MenuFrame(), "name", "about"));
    ClickAndSettle({960, 830});
    EXPECT_FALSE(Find(MenuFrame(), "name", "about"));
    EXPECT_TRUE(board->ReadBool(halvo::GuiWidget::kPropShow));
    EXPECT_TRUE(harness.Messages().empty()) << AllMessages(harness);
}

}  // namespace
