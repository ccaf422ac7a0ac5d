// The sample's main menu tells the player of a saved file that could not be
// read: damaged settings and profiles ("gamedata.xml") or a damaged player
// file ("data0.xml"), found at start-up or when a player is chosen. The
// notice names the file in the player's language, over the menu's board,
// once; the file itself is kept as "<name>.bad".

#include <gtest/gtest.h>

#include <string>

#include "game/screens/MenuScreen.h"
#include "gui/GuiText.h"
#include "gui/GuiWidget.h"
#include "harness/HeadlessGame.h"
#include "platform/Loca.h"
#include "platform/DataTree.h"
#include "tests/game/SampleTestSupport.h"

namespace {

using sampletest::Find;
using sampletest::SampleData;
using sampletest::kClose;
using sampletest::kFirstSlot;
using sampletest::kLanguage;
using sampletest::kNewGame;
using sampletest::kPlayers;
using sampletest::kSecondSlot;
using sampletest::kSplash;

// Two players: Ada, who plays in German and played last, and Bea.
constexpr const char* kTwoPlayers =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
    "<root><profiles>"
    "<slot0 name=\"Ada\"><options language=\"german\" /><stats /><logs /></slot0>"
    "<slot1 name=\"Bea\"><options language=\"english\" /><stats /><logs /></slot1>"
    "</profiles><global last_slot=\"0\" /><options /></root>\n";
constexpr const char* kPlayerFile = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<root />\n";
// Cut off in the middle, as by a power cut while writing without care.
constexpr const char* kCutOff = "<root><profiles><slot0 name=\"Ada\"";

class SampleSaveNoticeTest : public testing::Test {
protected:
    // Starts the sample and clicks the splash away.
    void OpenMainMenu() {
        harness.MountGameData(SampleData());
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(harness.RunUntilFadeEnds());
        ClickAndSettle(kSplash);
    }
    void ClickAndSettle(Vec2 design) {
        harness.Click(design);
        harness.Step(30);
    }
    halvo::GuiWidget* MenuFrame() {
        auto* menu = CastTo<MenuScreen>(harness.GetGame().currentScene.Get());
        return menu ? menu->GetGuiFrame() : nullptr;
    }
    // Every line of text on the notice, one after the other; empty without one.
    std::u16string NoticeText() {
        halvo::AutoRef<halvo::GuiWidget> board = Find(MenuFrame(), "name", "damaged_save");
        std::u16string text;
        for (halvo::GuiWidget* child = board ? board->GetFirstChild() : nullptr; child;
             child = child->GetNextSibling()) {
            auto* lines = CastTo<halvo::GuiText>(child);
            for (size_t i = 0; lines && i < lines->GetLineCount(); ++i) text += lines->GetLineText(i) + u"|";
        }
        return text;
    }
    bool Shows(const std::u16string& part) { return NoticeText().find(part) != std::u16string::npos; }

    testsupport::HeadlessGame harness;
};

TEST_F(SampleSaveNoticeTest, DamagedGameDataIsToldOnceOverTheProfiles) {
    harness.WriteSavedFile("gamedata.xml", kCutOff);
    OpenMainMenu();
    EXPECT_EQ(harness.ReadSavedFile("gamedata.xml.bad"), kCutOff);
    EXPECT_TRUE(Shows(u"A damaged save|")) << Loca::WideToUtf8(NoticeText());
    EXPECT_TRUE(Shows(u"|gamedata.xml|")) << Loca::WideToUtf8(NoticeText());
    EXPECT_TRUE(Shows(u".bad")) << Loca::WideToUtf8(NoticeText());
    halvo::AutoRef<halvo::GuiWidget> profiles = Find(MenuFrame(), "name", "profiles");
    ASSERT_TRUE(profiles);

    // The menu waits under the notice: the language button takes no click.
    ClickAndSettle(kLanguage);
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "english");
    ClickAndSettle(kClose);
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));
    EXPECT_TRUE(profiles->ReadBool(halvo::GuiWidget::kPropShow));
    // Built again in another language, the menu does not tell it twice.
    ClickAndSettle(kLanguage);
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "german");
    EXPECT_TRUE(Find(MenuFrame(), "name", "profiles"));
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(SampleSaveNoticeTest, TheLastPlayersDamagedFileIsToldInTheirLanguage) {
    harness.WriteSavedFile("gamedata.xml", kTwoPlayers);
    harness.WriteSavedFile("data0.xml", kCutOff);
    OpenMainMenu();
    EXPECT_EQ(harness.ReadSavedFile("data0.xml.bad"), kCutOff);
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "german");
    EXPECT_TRUE(Shows(u"Beschädigter Spielstand|")) << Loca::WideToUtf8(NoticeText());
    EXPECT_TRUE(Shows(u"|data0.xml|")) << Loca::WideToUtf8(NoticeText());
    ClickAndSettle(kClose);
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));

    // Chosen again, the player plays on from the start under the same name.
    ClickAndSettle(kFirstSlot);
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    ClickAndSettle(kNewGame);
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    EXPECT_EQ(harness.ReadSavedFile("data0.xml.bad"), kCutOff);
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(SampleSaveNoticeTest, APlayersDamagedFileIsToldWhenThePlayerIsChosen) {
    harness.WriteSavedFile("gamedata.xml", kTwoPlayers);
    harness.WriteSavedFile("data0.xml", kPlayerFile);
    harness.WriteSavedFile("data1.xml", kCutOff);
    OpenMainMenu();
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));
    ClickAndSettle(kPlayers);
    ASSERT_TRUE(Find(MenuFrame(), "name", "profiles"));
    ClickAndSettle(kSecondSlot);
    EXPECT_EQ(harness.ReadSavedFile("data1.xml.bad"), kCutOff);
    EXPECT_TRUE(Shows(u"|data1.xml|")) << Loca::WideToUtf8(NoticeText());
    ClickAndSettle(kClose);
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));
    EXPECT_EQ(DataTree::GetCurrentSlot(), 1);
    EXPECT_TRUE(Find(MenuFrame(), "name", "menu"));
    EXPECT_TRUE(harness.Messages().empty());
}

}  // namespace
