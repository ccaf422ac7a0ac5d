#include "game/scene/Scene.h"

#include <gtest/gtest.h>

#include "tests/game/SceneTestSupport.h"
#include "platform/os/Random.h"
#include "game/effects/ScnExitFX.h"
#include "game/effects/ScnMarkerFX.h"

namespace {

using namespace scenetest;

class SceneTest : public SceneFixture {};

TEST_F(SceneTest, SearchSceneLoadsObjectsAndFillsTheItemList) {
    WriteScene("kitchen",
               Description("Search",
                           Object("cup_1", "forceuse=\"1\"") + Object("cup_2") + Object("spoon", "enabled=\"1\"") +
                               Object("exit_door", "forceuse=\"1\"") + Object("gone", "ignore=\"1\"") +
                               Object("nopicture", "forceuse=\"1\""),
                           "", 1),
               {"cup_1", "cup_2", "spoon", "exit_door", "gone"});
    testing::internal::CaptureStderr();
    halvo::AutoRef<Scene> scene = LoadScene("kitchen");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Scene::Load - an object's picture cannot be read; the object "
                                                      "is left out (Scenes/kitchen/ObjectGfx/nopicture.cbi)\n");
    EXPECT_EQ(scene->type, kSceneSearch);
    // The ignored object and the one without a picture are dropped.
    EXPECT_EQ(Labels(scene->allObjects), "cup_1 cup_2 spoon exit_door");
    // cup is forced as a group; the exit is forced but is no find.
    EXPECT_EQ(Labels(scene->searchList), "cup_1 cup_2 exit_door");
    EXPECT_TRUE(scene->allObjects[1]->forceUse);
    EXPECT_TRUE(scene->FindObject("exit_door")->isExit);
    EXPECT_EQ(scene->CountRemaining(), 2);
    EXPECT_EQ(scene->allObjects[0]->size, (Vec2{32, 32}));
    EXPECT_EQ(scene->timeLimit, 0);
    EXPECT_EQ(Calls(),
              "character.Create;help.Create;itemview.Create 2.5 4;help.ResetTime;"
              "AddItemText cup;AddItemText cup;AddItemEnd;");
}

TEST_F(SceneTest, EveryRequiredPartMissingFailsTheLoad) {
    struct Damage {
        const char* what;
        std::string xml;
    } damages[] = {
        {"no element", "<?xml version=\"1.0\"?>"},
        {"no gameinfo", "<scene><background file=\"bg\"/><objects/></scene>"},
        {"no gametype", "<scene><gameinfo/><background file=\"bg\"/><objects/></scene>"},
        {"no background", "<scene><gameinfo gametype=\"Search\"/><objects/></scene>"},
        {"no background file", "<scene><gameinfo gametype=\"Search\"/><background/><objects/></scene>"},
        {"no objects", "<scene><gameinfo gametype=\"Search\"/><background file=\"bg\"/></scene>"},
        {"broken xml", "<scene><gameinfo gametype=\"Search\"/><background file=\"bg\"/><objects>"},
    };
    int index = 0;
    for (const Damage& damage : damages) {
        const std::string name = "damaged" + std::to_string(index++);
        WriteScene(name, damage.xml, {});
        LoadScene(name, false);
    }
    // Neither a description nor two halves.
    LoadScene("nowhere", false);
    EXPECT_EQ(Calls(), "");
    // An empty objects element is enough.
    WriteScene("bare", "<scene><gameinfo gametype=\"Other\"/><background file=\"bg\"/><objects/></scene>", {});
    EXPECT_EQ(LoadScene("bare")->type, kSceneNone);
}

TEST_F(SceneTest, AnEmptyOrUnreadableBackgroundGivesASceneWithoutPicture) {
    std::string xml = Description("Search", Object("cup", "forceuse=\"1\""), "", 1);
    xml.replace(xml.find("file=\"bg\""), 9, "file=\"\"");
    WriteScene("bare", xml, {"cup"});
    halvo::AutoRef<Scene> scene = LoadScene("bare");
    EXPECT_EQ(scene->type, kSceneSearch);
    EXPECT_EQ(scene->backgroundFile, "");
    ASSERT_TRUE(scene->background);
    EXPECT_EQ(scene->background->size, (Point2i{0, 0}));
    EXPECT_EQ(Labels(scene->remaining), "cup");
    EXPECT_EQ(Calls(), "character.Create;help.Create;itemview.Create 2.5 4;help.ResetTime;AddItemText cup;AddItemEnd;");
    scene->Draw(Matrix4::Identity());
    // Named but unreadable, it is told.
    xml.replace(xml.find("file=\"\""), 7, "file=\"gone\"");
    WriteScene("bare", xml, {"cup"});
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadScene("bare")->background->size, (Point2i{0, 0}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Scene::Load - the background cannot be read; the scene shows none (Scenes/bare/gone.cbi)\n");
}

TEST_F(SceneTest, DifficultyChoosesTheTimeLimit) {
    const std::string times =
        "<difficulty><low time=\"60\"/><med time=\"45.5\"/><high time=\"30\"/></difficulty>";
    WriteScene("timed", Description("Search", "", times), {});
    WriteScene("lowonly", Description("Search", "", "<difficulty><low time=\"60\"/></difficulty>"), {});
    const std::pair<int, double> expected[] = {{0, 60000}, {1, 45500}, {2, 30000}, {7, 30000}, {-1, 30000}};
    for (auto [difficulty, ms] : expected) {
        DataTree::SetInt("[SETTINGS]/difficulty", difficulty);
        EXPECT_DOUBLE_EQ(LoadScene("timed")->timeLimit, ms) << difficulty;
    }
    EXPECT_EQ(LoadScene("lowonly")->timeLimit, 0);  // no "high" child: untimed
}

TEST_F(SceneTest, ObjectCountIsClampedToTheCandidates) {
    WriteScene("many", Description("Search", Object("a", "enabled=\"1\"") + Object("b", "enabled=\"1\"") +
                                                 Object("c", "enabled=\"1\"") + Object("d"),
                                   "", 10),
               {"a", "b", "c", "d"});
    halvo::AutoRef<Scene> scene = LoadScene("many");
    EXPECT_EQ(scene->objectCount, 3);
    EXPECT_EQ(scene->searchList.size(), 3u);
    EXPECT_EQ(scene->FindRemaining("d"), nullptr);  // neither enabled nor forced

    WriteScene("none", Description("Search", Object("a", "enabled=\"1\""), "", 0), {"a"});
    EXPECT_TRUE(LoadScene("none")->searchList.empty());
    WriteScene("negative", Description("Search", Object("a", "enabled=\"1\""), "", -4), {"a"});
    EXPECT_TRUE(LoadScene("negative")->searchList.empty());
}

TEST_F(SceneTest, ForcedAndEnabledGroupEndsTheDrawInsteadOfSpinning) {
    WriteScene("overlap", Description("Search", Object("a", "forceuse=\"1\" enabled=\"1\"") + Object("b"), "", 2),
               {"a", "b"});
    halvo::AutoRef<Scene> scene = LoadScene("overlap");
    EXPECT_EQ(Labels(scene->searchList), "a");

    // The same overcount still draws an enabled exit.
    WriteScene("withexit",
               Description("Search", Object("a", "forceuse=\"1\" enabled=\"1\"") + Object("exit_x", "enabled=\"1\""),
                           "", 2),
               {"a", "exit_x"});
    EXPECT_EQ(Labels(LoadScene("withexit")->searchList), "a exit_x");
}

TEST_F(SceneTest, RandomDrawsPickEnabledGroupsWholeAndInFileOrder) {
    WriteScene("groups",
               Description("Search", Object("key_1", "enabled=\"1\"") + Object("lamp", "enabled=\"1\"") +
                                         Object("key_2") + Object("box", "enabled=\"1\""),
                           "", 2),
               {"key_1", "lamp", "key_2", "box"});
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        os::SeedRand(seed);
        halvo::AutoRef<Scene> scene = LoadScene("groups");
        const std::string chosen = Labels(scene->searchList);
        EXPECT_TRUE(chosen == "key_1 key_2 lamp" || chosen == "key_1 key_2 box" || chosen == "lamp box")
            << chosen;
        EXPECT_EQ(scene->remaining.size(), scene->searchList.size());
    }
}

TEST_F(SceneTest, ShapeSearchNamesSilhouettesAndSearchesOnlyForcedGroups) {
    const std::string longFile = "shape" + std::string(140, 'x') + "_01";
    WriteScene("attic_02",
               Description("ShapeSearch",
                           Object("cup", "forceuse=\"1\"") + Object("plate", "forceuse=\"1\"") +
                               Object("long", "forceuse=\"1\"") + Object("nofile", "forceuse=\"1\"") +
                               Object("vase", "enabled=\"1\""),
                           "<shapes><shape label=\"cup\" file=\"cup_01\"/><shape label=\"plate\" file=\"plate\"/>"
                           "<shape label=\"long\" file=\"" + longFile + "\"/>"
                           "<shape label=\"nofile\" file=\"missing_01\"/><shape label=\"ghost\" file=\"g_01\"/>"
                           "</shapes>",
                           5),
               {"cup", "plate", "long", "nofile", "vase"});
    WritePicture("Scenes/attic_02/Shapes/cup_01.cbi");
    WritePicture("Scenes/attic_02/Shapes/plate.cbi");
    WritePicture("Scenes/attic_02/Shapes/" + longFile + ".cbi");
    FileManager::Global().ResetDirectoryCaches();
    halvo::AutoRef<Scene> scene = LoadScene("attic_02");
    EXPECT_EQ(scene->FindObject("cup")->shapeName, "cup_Shape");
    EXPECT_EQ(scene->FindObject("plate")->shapeName, "");
    EXPECT_EQ(scene->FindObject("long")->shapeName, "shape" + std::string(140, 'x') + "_Shape");
    EXPECT_EQ(scene->FindObject("nofile")->shapeName, "");
    EXPECT_EQ(scene->FindObject("nofile")->shapeFile, "missing_01");
    EXPECT_EQ(scene->objectCount, 4);
    EXPECT_EQ(Labels(scene->searchList), "cup plate long nofile");
    EXPECT_EQ(Calls(), "character.Create;help.Create;itemview.Create 2.5 4;help.ResetTime;"
                       "AddItemShape cup_Shape cup_01 attic;AddItemShape " + scene->FindObject("long")->shapeName +
                           " " + longFile + " attic;AddItemEnd;");
}

TEST_F(SceneTest, CutsceneAdventureAndMapCallTheirOwnHudModules) {
    const std::string objects = Object("note", "forceuse=\"1\"");
    WriteScene("talk", Description("Cutscene", objects), {"note"});
    WriteScene("yard", Description("Adventure", objects), {"note"});
    WriteScene("world", Description("Map", objects), {"note"});
    LoadScene("talk");
    EXPECT_EQ(Calls(), "character.Create;help.Create;inventory.Create 2.5 4;AddItemText note;AddItemEnd;");
    ClearCalls();
    EXPECT_EQ(LoadScene("yard")->type, kSceneAdventure);
    EXPECT_EQ(Calls(), "character.Create;help.Create;inventory.Create 2.5 4;AddItemText note;AddItemEnd;");
    ClearCalls();
    LoadScene("world");
    EXPECT_EQ(Calls(), "character.Create;help.Create;AddItemText note;AddItemEnd;");
}

void WriteHalves(const std::string& name, const std::string& left, const std::string& right) {
    WriteFile("Scenes/" + name + "/" + name + "_left.xml",
              "<scene><gameinfo gametype=\"Difference\" closeupoffset=\"40\"/><background file=\"bg\"/>"
              "<difficulty><high time=\"60\"/></difficulty><objects>" + left + "</objects></scene>");
    WriteFile("Scenes/" + name + "/" + name + "_right.xml",
              "<scene><gameinfo gametype=\"Difference\"/><difficulty><high time=\"30\"/></difficulty><objects>" +
                  right + "</objects></scene>");
    WritePicture("Scenes/" + name + "/bg.cbi", 64);
    FileManager::Global().ResetDirectoryCaches();
}

TEST_F(SceneTest, DifferenceHalvesMergeByLabelIgnoringCase) {
    DataTree::SetInt("[SETTINGS]/difficulty", 2);
    WriteHalves("pair",
                Object("Bird", "forceuse=\"1\"") + Object("cat", "ignore=\"1\" forceuse=\"1\"") +
                    Object("both", "ignore=\"1\""),
                Object("bird", "ignore=\"1\"") + Object("cat") + Object("both", "ignore=\"1\""));
    WritePicture("Scenes/pair/ObjectGfx/bird.cbi");
    FileManager::Global().ResetDirectoryCaches();
    halvo::AutoRef<Scene> scene = LoadScene("pair");
    EXPECT_EQ(scene->type, kSceneDifference);
    EXPECT_EQ(scene->closeUpOffset, (Point2i{40, 0}));
    EXPECT_DOUBLE_EQ(scene->timeLimit, 45000);
    EXPECT_DOUBLE_EQ(scene->leftHalf->timeLimit, 45000);
    ASSERT_EQ(Labels(scene->allObjects), "bird cat");  // the right half's objects
    const SceneObject* bird = scene->allObjects[0].Get();
    EXPECT_TRUE(bird->visibleLeft);
    EXPECT_FALSE(bird->visibleRight);
    EXPECT_TRUE(bird->image);
    EXPECT_FALSE(scene->allObjects[1]->image);  // no picture: kept, unseen
    EXPECT_EQ(Labels(scene->remaining), "bird cat");
    EXPECT_EQ(scene->leftHalf->type, kSceneDifferenceLeft);
    EXPECT_EQ(scene->rightHalf->remaining[1].Get(), scene->allObjects[1].Get());
    EXPECT_EQ(scene->leftHalf->parent.Get(), scene.Get());
    EXPECT_EQ(scene->leftHalf->background.Get(), scene->background.Get());
    EXPECT_EQ(Calls(), "character.Create;help.Create;itemview.Create 2.5 4;SetDifferences;help.ResetTime;");
    EXPECT_EQ(Recorded("differences"), 2);

    WriteHalves("uneven", Object("a") + Object("b"), Object("a"));
    halvo::AutoRef<Scene> uneven = LoadScene("uneven");
    EXPECT_TRUE(uneven->allObjects.empty());
    EXPECT_EQ(uneven->CountRemaining(), 0);

    WriteFile("Scenes/lonely/lonely_left.xml", "<scene/>");
    FileManager::Global().ResetDirectoryCaches();
    testing::internal::CaptureStderr();
    LoadScene("lonely", false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),  // once, with its reason
              "Scene::Load - no gameinfo element (Scenes/lonely/lonely_left.xml)\n");
}

TEST_F(SceneTest, StripsKeepTheirFramesOrOnlyTheFirstWithoutAnimations) {
    const std::string strip =
        "<texturestrip label=\"fire\" file=\"fire\" fps=\"60\"><object label=\"a\" file=\"f1\"/>"
        "<object label=\"b\" file=\"missing\"/><object label=\"c\" file=\"f2\"/><object file=\"f1\"/>"
        "<object label=\"d\" file=\"missing\"/></texturestrip><texturestrip label=\"empty\" file=\"none\"/>";
    WriteScene("hearth", Description("Search", strip), {});
    WritePicture("Scenes/hearth/TextureStrips/fire/f1.cbi");
    WritePicture("Scenes/hearth/TextureStrips/fire/f2.cbi");
    FileManager::Global().ResetDirectoryCaches();
    testing::internal::CaptureStderr();
    halvo::AutoRef<Scene> scene = LoadScene("hearth");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),  // named twice, told once
              "Scene::Load - a strip's frame cannot be read; the strip plays without it "
              "(Scenes/hearth/TextureStrips/fire/missing.cbi)\n");
    ASSERT_EQ(scene->animations.size(), 2u);
    EXPECT_EQ(scene->animations[0]->frames.size(), 2u);
    EXPECT_TRUE(scene->animations[1]->frames.empty());
    scene->UpdateMarkers(0, 17);  // 1020 per step: one frame a step
    EXPECT_EQ(scene->animations[0]->frame, 1);
    scene->UpdateMarkers(17, 17);
    EXPECT_EQ(scene->animations[0]->frame, 0);

    DataTree::SetInt("[SETTINGS]/animations", 0);
    EXPECT_EQ(LoadScene("hearth")->animations[0]->frames.size(), 1u);
}

TEST_F(SceneTest, ExitsShowAMarkerUntilArmedThenTheArrow) {
    WriteScene("hall", Description("Search", Object("exit_door", "forceuse=\"1\"") + Object("HOG", "forceuse=\"1\"")),
               {"exit_door", "HOG"});
    halvo::AutoRef<Scene> scene = LoadScene("hall");
    SceneObject* door = scene->FindObject("exit_door");
    scene->UpdateMarkers(0, 17);
    EXPECT_TRUE(scene->FindEffect(door, &ScnMarkerFX::kClassRecord));
    EXPECT_FALSE(scene->FindEffect(door, &ScnExitFX::kClassRecord));
    door->exitArmed = true;
    scene->UpdateMarkers(17, 17);
    EXPECT_FALSE(scene->FindEffect(door, &ScnMarkerFX::kClassRecord));
    EXPECT_TRUE(scene->FindEffect(door, &ScnExitFX::kClassRecord));
    door->showEffects = false;
    scene->FindObject("HOG")->showEffects = false;
    scene->UpdateMarkers(34, 17);
    EXPECT_TRUE(scene->effects.empty());
    // Play time is the game's step to count, once, however many scenes a
    // screen updates.
    EXPECT_EQ(game->playTimeMs + game->playSeconds * 1000.0, 0);
}

// The exit's marker comes back every 1.5 s for as long as the search lasts:
// a finished one is started again instead of a new one, but never while
// something else (a difference half) still lists it.
TEST_F(SceneTest, FinishedExitMarkersAreStartedAgainWhenNothingElseHoldsThem) {
    WriteScene("porch", Description("Search", Object("exit_gate", "forceuse=\"1\"")), {"exit_gate"});
    halvo::AutoRef<Scene> scene = LoadScene("porch");
    SceneObject* gate = scene->FindObject("exit_gate");
    // Steps until the marker on the gate is another one or has started over.
    auto runOut = [&](SceneFX* marker) {
        for (int step = 0; step < 200; ++step) {
            const float before = marker->progress;
            scene->UpdateMarkers(step * 17.0, 17);
            if (scene->FindEffect(gate, &ScnMarkerFX::kClassRecord) != marker || marker->progress < before) return;
        }
    };
    scene->UpdateMarkers(0, 17);
    halvo::AutoRef<SceneFX> first = scene->FindEffect(gate, &ScnMarkerFX::kClassRecord);
    ASSERT_TRUE(first);
    first->frame = 5;
    SceneFX* firstRaw = first.Get();
    first.Reset();
    runOut(firstRaw);
    SceneFX* second = scene->FindEffect(gate, &ScnMarkerFX::kClassRecord);
    ASSERT_EQ(second, firstRaw);
    EXPECT_LT(second->progress, 0.1f);
    EXPECT_FALSE(second->IsFinished());
    EXPECT_EQ(second->frame, 0u);

    halvo::AutoRef<SceneFX> heldElsewhere = second;
    runOut(second);
    SceneFX* third = scene->FindEffect(gate, &ScnMarkerFX::kClassRecord);
    ASSERT_TRUE(third);
    EXPECT_NE(third, second);
    EXPECT_EQ(scene->effects.size(), 1u);
}

TEST_F(SceneTest, EmptySparkSetsMakeNoEffects) {
    WriteScene("bare_hall", Description("Search", Object("exit_door", "forceuse=\"1\"") + Object("HOG", "forceuse=\"1\"")),
               {"exit_door", "HOG"});
    halvo::AutoRef<Scene> scene = LoadScene("bare_hall");
    scene->markerImages.Clear();
    scene->exitImages.Clear();
    for (int step = 0; step < 40; ++step) scene->UpdateMarkers(step * 17.0, 17);
    scene->FindObject("exit_door")->exitArmed = true;
    scene->UpdateMarkers(0, 17);
    EXPECT_TRUE(scene->effects.empty());
    scene->Draw(Matrix4::Identity());
}

TEST_F(SceneTest, PointlessOrHugeOutlinesGetBoundedMarkers) {
    WriteScene("odd", Description("Search", "<object label=\"HOG\" file=\"HOG\" forceuse=\"1\"/>" +
                                                std::string("<object label=\"far\" file=\"far\" forceuse=\"1\">"
                                                            "<Point x=\"-1e30\" y=\"0\"/><Point x=\"1e30\" y=\"5\"/>"
                                                            "<Point x=\"0\" y=\"1e30\"/></object>")),
               {"HOG", "far"});
    halvo::AutoRef<Scene> scene = LoadScene("odd");
    for (int step = 0; step < 100; ++step) scene->UpdateMarkers(step * 17.0, 17);
    EXPECT_TRUE(scene->effects.empty());  // a point-less outline gets no spark
}

}  // namespace
