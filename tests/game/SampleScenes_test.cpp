// The sample game's scenes: every description loads, and the search,
// silhouette and difference scenes play to their end by clicks alone.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/Font.h"
#include "gui/GuiText.h"
#include "script/runtime/execution/BinCode.h"
#include "game/ModuleCall.h"
#include "platform/Loca.h"
#include "support/SourceFiles.h"
#include "tests/game/SampleTestSupport.h"
#include "tests/game/SearchTestSupport.h"

namespace {

using Calls = std::vector<std::string>;

class SampleScenesTest : public searchtest::SearchFixture {};

TEST_F(SampleScenesTest, EverySampleDescriptionLoads) {
    harness.WriteStubModule("inventory", {"Create(float a, float b)"});
    ASSERT_TRUE(Game::RunInclude("inventory"));
    const std::pair<const char*, int32_t> scenes[] = {
        {"garden", kSceneSearch},     {"garden_02", kSceneShapeSearch}, {"shelf", kSceneDifference},
        {"study", kSceneCutscene},    {"study_02", kSceneAdventure},    {"map", kSceneMap}};
    for (auto [name, type] : scenes) {
        halvo::AutoRef<Scene> scene(new Scene());
        const std::string folder = "Scenes/" + Scene::BaseSceneName(name);
        ASSERT_TRUE(scene->Load(folder.c_str(), name)) << name;
        EXPECT_EQ(scene->type, type) << name;
        EXPECT_GT(scene->background->size.x, 0) << name;
        for (const auto& object : scene->allObjects) EXPECT_TRUE(object->image) << name << " " << object->label;
    }
    EXPECT_TRUE(harness.Messages().empty()) << harness.Messages().front();
}

TEST_F(SampleScenesTest, TheGardenSearchIsCompletedByClicks) {
    SearchScreen* screen = Enter("garden");
    ASSERT_TRUE(screen->GetTimerText());
    DataTree::SetString("[PLAYER]/SceneState/garden/Time", "1");
    const int32_t toFind = screen->GetScene()->CountRemaining();
    ASSERT_GT(toFind, 0);
    ClickEveryObject(*screen);
    harness.Step();
    EXPECT_TRUE(screen->HasEnded());
    EXPECT_EQ(DataTree::GetInt("[STATS]/search"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/search_found"), toFind);
    EXPECT_EQ(DataTree::GetInt("[STATS]/search_lost"), 0);
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/SceneState/garden/"));
    ASSERT_FALSE(harness.Calls().empty());
    EXPECT_EQ(harness.Calls().back(), "scene.OnSceneComplete");
}

TEST_F(SampleScenesTest, TheSilhouetteSearchIsCompletedByClicks) {
    SearchScreen* screen = Enter("garden_02");
    EXPECT_EQ(screen->GetScene()->CountRemaining(), 3);
    ClickEveryObject(*screen);
    harness.Step();
    EXPECT_TRUE(screen->HasEnded());
    EXPECT_EQ(DataTree::GetInt("[STATS]/shape"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/shape_found"), 3);
    // The item list hears where the silhouette's object was.
    ASSERT_GE(harness.Calls().size(), 2u);
    EXPECT_EQ(harness.Calls()[harness.Calls().size() - 2], "itemview.RemoveItemShape lamp_Shape lamp_01 1360.000000 655.000000");
    EXPECT_EQ(harness.Calls().back(), "scene.OnSceneComplete");
}

TEST_F(SampleScenesTest, TheDifferenceShelfIsCompletedByClicksOnEitherHalf) {
    SearchScreen* screen = Enter("shelf");
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen[SearchScreen, SearchScreen]]");
    Scene& scene = *screen->GetScene();
    ASSERT_EQ(scene.CountRemaining(), 5);
    // The same difference clicked in the right picture.
    const Vec2 first = scene.remaining[0]->hotSpot.BoundsCenter();
    harness.Click({first.x + 960, first.y});
    harness.Step();
    EXPECT_EQ(scene.CountRemaining(), 4);
    ClickEveryObject(*screen);
    harness.Step();
    EXPECT_TRUE(screen->HasEnded());
    EXPECT_EQ(DataTree::GetInt("[STATS]/diff"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/diff_found"), 5);  // one per difference, either picture
    ASSERT_FALSE(harness.Calls().empty());
    EXPECT_EQ(harness.Calls().back(), "scene.OnSceneComplete");
}

TEST_F(SampleScenesTest, DifferenceHalvesZoomAndScrollInStep) {
    SearchScreen* screen = Enter("shelf");
    SceneScreen* left = screen->HalfScreen(true);
    SceneScreen* right = screen->HalfScreen(false);
    ASSERT_TRUE(left && right);
    EXPECT_EQ(right->GetPosition(), (Vec2{960, 0}));
    EXPECT_EQ(left->GetSize(), (Point2i{960, 1080}));
    harness.MovePointer({960, 540});  // the shared edge belongs to the left half
    harness.Wheel(240);
    harness.Step();
    EXPECT_NEAR(left->GetZoom(), 1.21f, 1e-5f);
    EXPECT_EQ(right->GetZoom(), left->GetZoom());
    EXPECT_EQ(right->GetViewScale(), left->GetViewScale());
    EXPECT_EQ(right->GetViewOffset(), left->GetViewOffset());
    EXPECT_EQ(screen->GetZoom(), 1.0f);  // the parent never zooms
    screen->ScrollBy({-50, -40});
    EXPECT_EQ(right->GetScroll(), left->GetScroll());
    screen->OnHelp();
    EXPECT_EQ(DataTree::GetInt("[STATS]/tipps"), 1);
    harness.Step(200);
    EXPECT_EQ(left->GetZoom(), 1.0f);
    EXPECT_EQ(right->GetViewOffset(), left->GetViewOffset());
    EXPECT_EQ(screen->GetViewOffset(), (Vec2{0, 0}));
}

}  // namespace

namespace {

class SampleModulesTest : public searchtest::SearchFixture {
protected:
    SampleModulesTest() { sampleModules = true; }
    static float Member(const char* module, const char* name) {
        Vrel::BinCode* code = Vrel::ScriptVM::Global().FindModule(module);
        Vrel::Var* value = code ? code->GetMember(name) : nullptr;
        float number = -100;
        if (value) value->ToFloat(number);
        return number;
    }
};

TEST_F(SampleModulesTest, TheHudModulesCompileAndFollowADifferenceSearch) {
    // Safe before any Create.
    Game::CallScript("AddItemEnd", "itemview");
    SearchScreen* screen = Enter("shelf");
    EXPECT_EQ(Member("itemview", "differences"), 5);
    ClickEveryObject(*screen);
    harness.Step();
    EXPECT_TRUE(screen->HasEnded());
    EXPECT_EQ(Member("itemview", "differences"), 0);
    EXPECT_GT(Member("help", "charge"), -1);
    EXPECT_TRUE(harness.Messages().empty()) << harness.Messages().front();
}

// The strip of things to find keeps each name on one line, a long one in a
// smaller size, and gives a tall silhouette room to rise above it instead of
// shrinking it to a sliver.
TEST_F(SampleModulesTest, TheItemStripKeepsNamesOnOneLineAndTallShapesVisible) {
    FileManager::Global().AddRoot(testsupport::SourceFolder("data/Data/Global").c_str());
    FileManager::Global().ResetDirectoryCaches();
    ASSERT_TRUE(Loca::Global().Load("english"));
    Enter("garden");
    for (const char* name : {"can", "apple", "book", "cup", "lamp", "key"}) {
        const Vrel::Var item(name);
        CallModuleFunction("itemview", "AddItemText", &item, 1);
    }
    CallModuleFunction("itemview", "AddItemEnd", nullptr, 0);
    halvo::GuiWidget* hud = harness.GetGame().GetHudGui();
    auto* can = CastTo<halvo::GuiText>(sampletest::Find(sampletest::Find(hud, "name", "item_can").Get(), "name",
                                                       "label").Get());
    ASSERT_TRUE(can);
    EXPECT_EQ(can->GetLineCount(), 1u);
    EXPECT_LE(can->GetLineWidth(0), can->ReadFloat(halvo::GuiWidget::kPropXSize));

    Enter("garden_02");
    hud = harness.GetGame().GetHudGui();
    halvo::AutoRef<halvo::GuiWidget> lamp = sampletest::Find(sampletest::Find(hud, "name", "item_lamp_Shape").Get(),
                                                             "name", "label");
    halvo::AutoRef<halvo::GuiWidget> key = sampletest::Find(sampletest::Find(hud, "name", "item_key_Shape").Get(),
                                                            "name", "label");
    ASSERT_TRUE(lamp && key);
    const auto shownWidth = [](const halvo::GuiWidget& shape) {
        return shape.ReadFloat("natural_x") * shape.ReadFloat("scale");
    };
    EXPECT_GT(shownWidth(*lamp), shownWidth(*key) * 0.3f);
    EXPECT_TRUE(harness.Messages().empty()) << harness.Messages().front();
}

// The countdown's digits are rendered before each is first shown and let go
// with the screen, in its plain font and in its outline.
TEST_F(SampleScenesTest, TheCountdownHoldsEveryDigitWhileItRuns) {
    SearchScreen* screen = Enter("garden");
    auto* text = CastTo<halvo::GuiText>(screen->GetTimerText());
    ASSERT_TRUE(text);
    const halvo::AutoRef<halvo::Font> fonts[] = {text->GetMainFont(), text->GetOutlineFont()};
    for (const auto& font : fonts) {
        ASSERT_TRUE(font);
        for (char digit = '0'; digit <= '9'; ++digit) EXPECT_TRUE(font->FindGlyph(digit)) << digit;
    }
    screen->RemoveFromParent();
    harness.Step();
    for (const auto& font : fonts) EXPECT_FALSE(font->FindGlyph('7'));
}

}  // namespace
