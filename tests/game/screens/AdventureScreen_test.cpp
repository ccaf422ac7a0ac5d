#include "game/screens/AdventureScreen.h"

#include <gtest/gtest.h>

#include <string>

#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "platform/DataTree.h"
#include "tests/game/CutsceneTestSupport.h"

namespace {

using cutscenetest::CutsceneFixture;
using cutscenetest::Square;

std::string Labels(const halvo::AutoRefVector<SceneObject>& list) {
    std::string text;
    for (const auto& object : list) text += (text.empty() ? "" : " ") + object->label;
    return text;
}

// Three hotspots in a row and a fourth under the second's right half.
class AdventureScreenTest : public CutsceneFixture {
protected:
    void SetUp() override {
        CutsceneFixture::SetUp();
        WriteScene("Adventure", Square("lamp", 100, 100) + Square("chest", 300, 100) + Square("door", 500, 100) +
                                    Square("rug", 320, 100));
    }
    AdventureScreen* EnterScene() {
        screen = Enter<AdventureScreen>();
        return screen;
    }
    void Drag(Vec2 from, Vec2 by) {
        harness.MovePointer(from);
        harness.Press();
        harness.Step();
        const Vec2 half{by.x / 2, by.y / 2};
        harness.MovePointer(from + half);
        harness.Step();
        harness.MovePointer(from + by);
        harness.Step();
        harness.Release();
        harness.Step();
    }
    static std::string Key(const char* label) { return std::string("[PLAYER]/scenes/test/") + label; }

    AdventureScreen* screen = nullptr;
};

TEST_F(AdventureScreenTest, TheFirstEntryStoresEveryHotspotAsOnAndAStoredOffHidesIt) {
    ASSERT_TRUE(DataTree::SetInt(Key("chest").c_str(), 0));
    EnterScene();
    EXPECT_EQ(screen->GetStatePrefix(), "[PLAYER]/scenes/test/");
    EXPECT_EQ(Labels(screen->GetScene()->remaining), "lamp door rug");
    EXPECT_FALSE(screen->GetScene()->FindObject("chest")->visible);
    for (const char* label : {"lamp", "door", "rug"}) EXPECT_EQ(DataTree::GetInt(Key(label).c_str()), 1) << label;
    EXPECT_EQ(DataTree::GetInt(Key("chest").c_str()), 0);
    EXPECT_EQ(screen->GetZoom(), 1.0f);

    // The hidden chest cannot be clicked: the rug under it answers.
    harness.Click({310, 110});
    harness.Step();
    EXPECT_TRUE(harness.Calls().empty());
    harness.Click({330, 110});
    harness.Step();
    ASSERT_EQ(harness.Calls().size(), 1u);
    EXPECT_EQ(harness.Calls()[0], "inventory.OnHotspot rug");
}

TEST_F(AdventureScreenTest, ASceneNameOfAnyLengthKeepsItsWholeStatePrefix) {
    const std::string name(112, 'n');  // the prefix runs past 127 characters
    harness.WriteDataFile("Scenes/" + name + "/" + name + ".xml",
                          "<scene><gameinfo gametype=\"Adventure\"/><background file=\"pic\"/><objects>" + Square("lamp", 0, 0) + "</objects></scene>");
    const std::vector<uint8_t> picture = CbsiWriter::SingleTileImage(32);
    for (const char* file : {"/ObjectGfx/pic.cbi", "/pic.cbi"})
        harness.WriteDataFile("Scenes/" + name + file, std::string(picture.begin(), picture.end()));
    FileManager::Global().ResetDirectoryCaches();
    halvo::AutoRef<Scene> scene(new Scene());
    ASSERT_TRUE(scene->Load(("Scenes/" + name).c_str(), name.c_str()));
    halvo::AutoRef<AdventureScreen> adventure(new AdventureScreen());
    adventure->SetScene(scene.Get());
    EXPECT_EQ(adventure->GetStatePrefix(), "[PLAYER]/scenes/" + name + "/");
    EXPECT_EQ(DataTree::GetInt(("[PLAYER]/scenes/" + name + "/lamp").c_str()), 1);
}

TEST_F(AdventureScreenTest, TenUnitsOfTravelMakeADragThatScrollsAndClicksNothing) {
    EnterScene();
    // At zoom 2 a view unit is two design units: travel is measured in view units.
    screen->SetZoom(2.0f);
    screen->SetScroll({0, 0});
    const Vec2 lamp = screen->LocalToScreen({110, 110});
    Drag(lamp, {12, 14});  // (6, 7): 85 squared, a click on the lamp
    EXPECT_EQ(screen->GetScroll(), (Vec2{0, 0}));
    EXPECT_EQ(screen->GetDragDistance(), (Vec2{6, 7}));
    ASSERT_EQ(harness.Calls().size(), 1u);
    EXPECT_EQ(harness.Calls()[0], "inventory.OnHotspot lamp");

    harness.ClearCalls();
    Drag(lamp, {-12, -16});  // (6, 8): exactly 100 squared, a drag
    EXPECT_TRUE(harness.Calls().empty());
    EXPECT_GE(screen->GetScroll().y, 4.0f);  // and it glides on
}

TEST_F(AdventureScreenTest, SwitchedBackOnAHotspotReturnsBetweenItsNeighboursAndNeverTwice) {
    EnterScene();
    screen->ApplyHotspotState("chest", false);
    EXPECT_EQ(Labels(screen->GetScene()->remaining), "lamp door rug");
    DataTree::SetInt(Key("chest").c_str(), 0);
    screen->ApplyHotspotState("chest", true);
    EXPECT_EQ(Labels(screen->GetScene()->remaining), "lamp chest door rug");
    EXPECT_TRUE(screen->GetScene()->FindObject("chest")->visible);

    // Stored off while the door is still shown: switching it on keeps one.
    DataTree::SetInt(Key("door").c_str(), 0);
    screen->ApplyHotspotState("door", true);
    EXPECT_EQ(Labels(screen->GetScene()->remaining), "lamp chest door rug");
    // Already as stored, or no such hotspot: nothing changes.
    screen->ApplyHotspotState("lamp", true);
    screen->ApplyHotspotState("ghost", false);
    EXPECT_EQ(Labels(screen->GetScene()->remaining), "lamp chest door rug");
    // The live change never writes the state itself.
    EXPECT_EQ(DataTree::GetInt(Key("chest").c_str()), 0);
}

TEST_F(AdventureScreenTest, HelpCountsAndAsksTheSceneScriptWhichReportsAMissingHandler) {
    EnterScene();
    harness.ClearMessages();
    screen->OnHelp();
    EXPECT_EQ(DataTree::GetInt("[STATS]/tipps"), 1);
    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_NE(harness.Messages()[0].find("Script function test::OnHelp not found"), std::string::npos)
        << harness.Messages()[0];

    harness.WriteScript("test", "function void OnHelp() { RecordCall(\"help\"); }\n");
    ASSERT_TRUE(Game::RunInclude("test"));
    harness.ClearMessages();
    screen->OnHelp();
    EXPECT_EQ(DataTree::GetInt("[STATS]/tipps"), 2);
    EXPECT_EQ(harness.Calls(), (std::vector<std::string>{"help"}));
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(AdventureScreenTest, PickHotspotNamesTheTopmostHotspotWithTheScrollAdded) {
    EnterScene();
    EXPECT_EQ(screen->PickHotspot(330, 110), "rug");
    EXPECT_EQ(screen->PickHotspot(310, 110), "chest");
    EXPECT_EQ(screen->PickHotspot(50, 50), "");
    screen->SetZoom(2.0f);
    screen->SetScroll({100, 0});
    EXPECT_EQ(screen->PickHotspot(10, 110), "lamp");
}

TEST_F(AdventureScreenTest, CutsceneModeHidesTheHudAndSwallowsClicksButNotBubbleDismissal) {
    halvo::AutoRef<GameScreen> hud(new GameScreen());
    halvo::AutoRef<halvo::GuiWidget> hudFrame = halvo::GuiMain::Global().CreateWidget("Frame");
    hud->SetGuiFrame(hudFrame.Get());
    harness.GetGame().hudScreen = hud;
    EnterScene();
    screen->AddSpeaker("Tobin", "left", "tobin_calm");

    screen->EnterCutscene();
    EXPECT_TRUE(screen->IsInCutsceneMode());
    EXPECT_FALSE(hudFrame->ReadBool(halvo::GuiWidget::kPropShow));
    harness.Click({110, 110});
    harness.Step();
    EXPECT_TRUE(harness.Calls().empty());
    SayLine("Tobin", "Look");
    harness.Step(testsupport::HeadlessGame::kReadPasses);  // a line stands half a second first
    harness.Click({110, 110});
    harness.Step(2);
    ASSERT_FALSE(harness.Calls().empty());
    EXPECT_EQ(harness.Calls().back(), "said Look");
    // The wheel still zooms.
    harness.MovePointer({960, 540});
    harness.Wheel(120);
    harness.Step();
    EXPECT_FLOAT_EQ(screen->GetZoom(), 1.1f);

    screen->LeaveCutscene();
    EXPECT_TRUE(hudFrame->ReadBool(halvo::GuiWidget::kPropShow));
    harness.ClearCalls();
    harness.Click(screen->LocalToScreen({110, 110}));
    harness.Step();
    EXPECT_EQ(harness.Calls(), std::vector<std::string>{"inventory.OnHotspot lamp"});
    // A line that waits takes a release too soon to turn it, and the hotspot under it hears nothing.
    SayLine("Tobin", "Wait");
    harness.ClearCalls();
    harness.Click(screen->LocalToScreen({110, 110}));
    harness.Step();
    EXPECT_TRUE(harness.Calls().empty());
    EXPECT_TRUE(screen->GetWaitingThread());
    harness.GetGame().hudScreen.Reset();
}

TEST_F(AdventureScreenTest, TheWheelZoomsByNotchesWithinLimitsAndNotDuringATween) {
    EnterScene();
    harness.MovePointer({960, 540});
    harness.Wheel(-120);
    harness.Step();
    EXPECT_FLOAT_EQ(screen->GetZoom(), 1.0f);
    for (int i = 0; i < 20; ++i) {
        harness.Wheel(120);
        harness.Step();
    }
    EXPECT_FLOAT_EQ(screen->GetZoom(), 2.5f);
    harness.Wheel(-120);
    harness.Step();
    EXPECT_FLOAT_EQ(screen->GetZoom(), 2.5f / 1.1f);
    screen->StartZoomTween(2.0f, 1.5f);
    const float during = screen->GetZoom();
    harness.GetGame().rootScreen->DispatchInput([] {
        InputEvent wheel;
        wheel.kind = InputEvent::kWheel;
        wheel.wheel = 120;
        return wheel;
    }());
    EXPECT_FLOAT_EQ(screen->GetZoom(), during);
}

}  // namespace
