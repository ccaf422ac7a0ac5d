// The sample's options board, played headless through the main menu: it is
// laid out from its XML layout, each knob dragged changes its volume at once
// and is kept in the player's saved settings, the fullscreen box is kept for
// the next start, and "Close" brings the menu back. The menus list the menu
// music and starting a game lists the play music.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Game.h"
#include "game/screens/MenuScreen.h"
#include "game/TrackList.h"
#include "gui/GuiWidget.h"
#include "harness/HeadlessGame.h"
#include "platform/DataTree.h"
#include "tests/game/SampleTestSupport.h"

namespace {

using sampletest::Find;

// The menu's board is 760 x 940 in the middle of the screen; the layout
// places the parts from its corner.
constexpr Vec2 kBoardCorner = {960 - 380, 540 - 470};
constexpr Vec2 kOptionsButton = {280, 1000};

class SampleOptionsTest : public testing::Test {
protected:
    void SetUp() override {
        harness.MountGameData(sampletest::SampleData());
        ASSERT_TRUE(harness.Start());
        harness.GetGame().trackHooks.setVolumes = [this](float effect, float music) {
            volumes.push_back({effect, music});
        };
        ASSERT_TRUE(harness.RunUntilFadeEnds());
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Ada"));
        ClickAndSettle({960, 540});
    }
    void TearDown() override {
        MusicTracks.Clear();
        AmbientTracks.Clear();
    }
    halvo::GuiWidget* Frame() {
        MenuScreen* menu = CastTo<MenuScreen>(harness.GetGame().currentScene.Get());
        return menu ? menu->GetGuiFrame() : nullptr;
    }
    void ClickAndSettle(Vec2 design) {
        harness.Click(design);
        harness.Step(30);
    }
    // Takes the knob at its middle and drags it to x on screen.
    void Drag(halvo::GuiWidget& knob, float x) {
        const Vec2 middle = knob.LocalToScreen({24, 24});
        harness.MovePointer(middle);
        harness.Step();
        harness.Press();
        harness.Step();
        for (int step = 1; step <= 4; ++step) {
            harness.MovePointer({middle.x + (x - middle.x) * step / 4, middle.y});
            harness.Step();
        }
        harness.Release();
        harness.Step(5);
    }

    struct Volumes {
        float effect, music;
    };
    testsupport::HeadlessGame harness;
    std::vector<Volumes> volumes;
};

TEST_F(SampleOptionsTest, TheBoardSetsBothVolumesAndFullscreenAndKeepsThem) {
    halvo::WeakRef<halvo::GuiWidget> menu(Find(Frame(), "name", "menu").Get());
    ASSERT_TRUE(menu.Get());
    ASSERT_EQ(MusicTracks.records.size(), 1u);
    EXPECT_EQ(MusicTracks.records[0].name, "Music/menu");
    ClickAndSettle(kOptionsButton);
    halvo::AutoRef<halvo::GuiWidget> board = Find(Frame(), "name", "options");
    ASSERT_TRUE(board);
    EXPECT_FALSE(menu->ReadBool(halvo::GuiWidget::kPropShow));

    // Placed by the layout file, not by the script.
    halvo::AutoRef<halvo::GuiWidget> music = Find(board.Get(), "name", "music");
    halvo::AutoRef<halvo::GuiWidget> effects = Find(board.Get(), "name", "effects");
    ASSERT_TRUE(music && effects);
    EXPECT_FLOAT_EQ(music->GetParent()->ReadFloat(halvo::GuiWidget::kPropYPos), 310);
    EXPECT_FLOAT_EQ(effects->GetParent()->ReadFloat(halvo::GuiWidget::kPropYPos), 470);

    // The music knob to the far left: silent at once, and saved.
    volumes.clear();
    Drag(*music, kBoardCorner.x + 120);
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_music"), 0.0f);
    ASSERT_FALSE(volumes.empty());
    EXPECT_FLOAT_EQ(volumes.back().music, 0.0f);
    EXPECT_LT(volumes.back().effect, 0.0f);  // left as it was
    // The effects knob to the far right: full.
    volumes.clear();
    Drag(*effects, kBoardCorner.x + 120 + 600);
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_sfx"), 1.0f);
    ASSERT_FALSE(volumes.empty());
    EXPECT_FLOAT_EQ(volumes.back().effect, 1.0f);
    EXPECT_LT(volumes.back().music, 0.0f);
    const std::string saved = harness.ReadSavedFile("gamedata.xml");
    EXPECT_NE(saved.find("volume_music=\"0"), std::string::npos) << saved;
    EXPECT_NE(saved.find("volume_sfx=\"1"), std::string::npos) << saved;

    // Fullscreen flips and is kept for the next start.
    const int fullscreen = DataTree::GetInt("[ROOT]/global/fullscreen");
    halvo::AutoRef<halvo::GuiWidget> toggle = Find(board.Get(), "name", "fullscreen");
    ASSERT_TRUE(toggle);
    ClickAndSettle(toggle->LocalToScreen({28, 28}));
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/fullscreen"), fullscreen ? 0 : 1);
    ClickAndSettle(toggle->LocalToScreen({28, 28}));
    EXPECT_EQ(DataTree::GetInt("[ROOT]/global/fullscreen"), fullscreen);

    ClickAndSettle(kBoardCorner + Vec2{380, 802});
    EXPECT_FALSE(Find(Frame(), "name", "options"));
    EXPECT_TRUE(menu->ReadBool(halvo::GuiWidget::kPropShow));
    EXPECT_TRUE(harness.Messages().empty()) << harness.Messages().front();
}

TEST_F(SampleOptionsTest, StartingAGameListsThePlayMusicInsteadOfTheMenus) {
    ClickAndSettle(kBoardCorner + Vec2{380, 434});  // "New game"
    harness.Step(60);
    ASSERT_EQ(MusicTracks.records.size(), 1u);
    EXPECT_EQ(MusicTracks.records[0].name, "Music/play");
    EXPECT_LT(MusicTracks.records[0].minPause, MusicTracks.records[0].maxPause);
}

}  // namespace
