// Clicks into a scene: finds, exits, misclick penalties and the item list.

#include <gtest/gtest.h>

#include <string>

#include "game/effects/ScnDisslvFX.h"
#include "platform/os/Random.h"
#include "tests/game/SceneTestSupport.h"

namespace {

using namespace scenetest;

class SceneClickTest : public SceneFixture {
protected:
    halvo::AutoRef<Scene> Search(const std::string& objects, const std::string& type = "Search") {
        WriteScene("room", Description(type, objects), {"cup", "spoon", "exit_door", "exit_hall", "long"});
        halvo::AutoRef<Scene> scene = LoadScene("room");
        ClearCalls();
        ScriptMessages().clear();
        return scene;
    }
    void ClickAt(Scene& scene, float x, float y, double atMs) {
        game->totalTime = atMs;
        scene.OnClick({x, y});
    }
    static size_t Sparks(const Scene& scene) {
        size_t count = 0;
        for (const auto& effect : scene.effects)
            if (effect->GetClassInfo() == &ScnDisslvFX::kClassRecord) ++count;
        return count;
    }
};

TEST_F(SceneClickTest, FarMissesLockAndCostTimeNearOnesNeverDo) {
    halvo::AutoRef<Scene> scene = Search(Object("cup", "forceuse=\"1\"", 10, 10));
    // Far misses weigh 3 each after the first: 0, 3, 6.
    ClickAt(*scene, 500, 500, 1000);
    ClickAt(*scene, 800, 500, 1500);
    EXPECT_EQ(scene->missCounter, 3);
    EXPECT_EQ(scene->lockTime, 0);
    ClickAt(*scene, 1100, 500, 2000);
    EXPECT_EQ(scene->missCounter, 6);
    EXPECT_EQ(scene->lockTime, Scene::kLockMs);
    EXPECT_EQ(scene->penaltyTime, Scene::kPenaltyMs);
    // Locked: even a click on the object changes nothing.
    ClickAt(*scene, 15, 15, 2100);
    EXPECT_EQ(scene->CountRemaining(), 1);
    EXPECT_EQ(scene->lastMissPos, (Vec2{1100, 500}));

    // 50 units apart: near misses weigh nothing.
    halvo::AutoRef<Scene> near = Search(Object("cup", "forceuse=\"1\"", 10, 10));
    for (int i = 0; i < 20; ++i) ClickAt(*near, 500 + 50.0f * static_cast<float>(i % 2), 500, 1000 + 100.0 * i);
    EXPECT_EQ(near->missCounter, 0);
    EXPECT_EQ(near->lockTime, 0);

    // 100 units apart weigh 1: the seventh miss locks.
    halvo::AutoRef<Scene> middle = Search(Object("cup", "forceuse=\"1\"", 10, 10));
    for (int i = 0; i < 6; ++i) ClickAt(*middle, 500 + 100.0f * static_cast<float>(i), 500, 1000 + 100.0 * i);
    EXPECT_EQ(middle->missCounter, 5);
    EXPECT_EQ(middle->lockTime, 0);
    ClickAt(*middle, 1100, 500, 1600);
    EXPECT_EQ(middle->lockTime, Scene::kLockMs);
}

TEST_F(SceneClickTest, AHitOrAPauseStartsANewMissSequence) {
    halvo::AutoRef<Scene> scene =
        Search(Object("cup", "forceuse=\"1\"", 10, 10) + Object("spoon", "forceuse=\"1\"", 100, 100));
    ClickAt(*scene, 500, 500, 1000);
    ClickAt(*scene, 800, 500, 1500);
    ClickAt(*scene, 15, 15, 1600);  // the cup
    EXPECT_EQ(scene->lastMissTime, 0);
    ClickAt(*scene, 1100, 500, 1700);
    EXPECT_EQ(scene->missCounter, 0);
    ClickAt(*scene, 1400, 500, 4700);  // 3000 ms later: starts afresh
    EXPECT_EQ(scene->missCounter, 0);
    ClickAt(*scene, 1700, 500, 5000);
    EXPECT_EQ(scene->missCounter, 3);
    EXPECT_EQ(DataTree::GetInt("[STATS]/search_found"), 1);
}

TEST_F(SceneClickTest, AFindDissolvesSparksRaisesEventsAndLeavesTheList) {
    ASSERT_TRUE(Vrel::ScriptVM::Global().CompileBuffer(
        "function OnObjectFound() { rec::log += \"found;\"; }\n"
        "function OnObjectFound_spoon() { rec::log += \"found spoon;\"; }\n",
        "room"));
    // The spoon lies on the cup and is listed later: the first click takes it.
    halvo::AutoRef<Scene> scene =
        Search(Object("cup", "forceuse=\"1\"", 10, 10) + Object("spoon", "forceuse=\"1\"", 15, 15));
    ClickAt(*scene, 20, 20, 1000);
    EXPECT_EQ(Labels(scene->remaining), "cup");
    EXPECT_EQ(Calls(), "found;found spoon;RemoveItemText spoon;");
    const SceneObject* spoon = scene->FindObject("spoon");
    EXPECT_FLOAT_EQ(spoon->fadeSpeed, 1.0f / (2000.0f / 17.0f));
    // A 20 x 20 outline: a circle of radius 10, one spark per 8 units.
    EXPECT_EQ(Sparks(*scene), 7u);
    ClickAt(*scene, 20, 20, 1100);
    EXPECT_EQ(scene->CountRemaining(), 0);
    EXPECT_EQ(DataTree::GetInt("[STATS]/search_found"), 2);

    // No dissolve time: found, but it stays visible and never fades.
    halvo::AutoRef<Scene> still = Search(Object("cup", "forceuse=\"1\"", 10, 10));
    still->OnObjectFound("cup", 0.0f);
    EXPECT_EQ(still->CountRemaining(), 0);
    EXPECT_EQ(still->FindObject("cup")->fadeSpeed, 0);
    still->OnObjectFound("nothing", 2.0f);  // an unknown label does nothing
}

TEST_F(SceneClickTest, LongLabelsReachTheirOwnEventWhole) {
    const std::string label = "long" + std::string(176, 'x');
    ASSERT_TRUE(Vrel::ScriptVM::Global().CompileBuffer(
        ("function OnObjectFound_" + label + "() { rec::log += \"whole;\"; }\n").c_str(), "room"));
    WriteScene("room",
               Description("Search", "<object label=\"" + label +
                                         "\" file=\"long\" forceuse=\"1\"><Point x=\"0\" y=\"0\"/>"
                                         "<Point x=\"8\" y=\"0\"/><Point x=\"8\" y=\"8\"/></object>"),
               {"long"});
    halvo::AutoRef<Scene> scene = LoadScene("room");
    ClearCalls();
    ScriptMessages().clear();
    scene->OnClick({6, 2});
    EXPECT_EQ(Calls(), "whole;RemoveItemText " + label + ";");
}

TEST_F(SceneClickTest, ExitsArmOnTheFirstClickAndAFindDisarmsThemAll) {
    halvo::AutoRef<Scene> scene = Search(Object("cup", "forceuse=\"1\"", 10, 10) +
                                         Object("exit_door", "forceuse=\"1\"", 100, 10) +
                                         Object("exit_hall", "forceuse=\"1\"", 200, 10));
    SceneObject* door = scene->FindObject("exit_door");
    SceneObject* hall = scene->FindObject("exit_hall");
    ClickAt(*scene, 105, 15, 1000);
    ClickAt(*scene, 205, 15, 1100);
    EXPECT_TRUE(door->exitArmed && hall->exitArmed);
    EXPECT_EQ(scene->lastMissTime, 0);
    ClickAt(*scene, 15, 15, 1200);
    EXPECT_FALSE(door->exitArmed || hall->exitArmed);
    // No search screen owns the scene: the second click only stays armed.
    ClickAt(*scene, 105, 15, 1300);
    ClickAt(*scene, 105, 15, 1400);
    EXPECT_TRUE(door->exitArmed);
    EXPECT_EQ(DataTree::GetInt("[STATS]/search_found"), 1);
}

TEST_F(SceneClickTest, DifferenceClicksFindInBothHalvesAndCountEachDifferenceOnce) {
    WriteFile("Scenes/pair/pair_left.xml",
              "<scene><gameinfo gametype=\"Half\"/><background file=\"bg\"/><objects>" +
                  Object("bird", "forceuse=\"1\"", 10, 10) + Object("cat", "forceuse=\"1\"", 100, 10) +
                  Object("exit_door", "forceuse=\"1\"", 200, 10) + "</objects></scene>");
    WriteFile("Scenes/pair/pair_right.xml", "<scene><gameinfo gametype=\"Half\"/><objects>" +
                                                Object("bird", "ignore=\"1\"", 10, 10) +
                                                Object("cat", "", 100, 10) + Object("exit_door", "", 200, 10) +
                                                "</objects></scene>");
    WritePicture("Scenes/pair/bg.cbi", 64);
    FileManager::Global().ResetDirectoryCaches();
    halvo::AutoRef<Scene> scene = LoadScene("pair");
    ClearCalls();
    scene->OnClick({15, 15});
    EXPECT_EQ(Calls(), "RemoveItemText bird;RemoveItemText bird;SetDifferences;");
    EXPECT_EQ(Recorded("differences"), 1);
    EXPECT_EQ(DataTree::GetInt("[STATS]/diff_found"), 1);  // found in the search and both pictures: one
    EXPECT_EQ(Labels(scene->remaining), "cat exit_door");
    EXPECT_EQ(Labels(scene->leftHalf->remaining), "cat exit_door");
    EXPECT_EQ(Labels(scene->rightHalf->remaining), "cat exit_door");
    EXPECT_EQ(scene->effects.size(), scene->leftHalf->effects.size());
    EXPECT_GT(scene->effects.size(), 0u);
    for (double t : {1000.0, 1500.0, 2000.0}) {
        game->totalTime = t;
        scene->OnClick({500 + static_cast<float>(t) * 0.6f, 500});
    }
    EXPECT_EQ(scene->lockTime, Scene::kLockMs);
    EXPECT_EQ(scene->rightHalf->lockTime, Scene::kLockMs);
    EXPECT_EQ(scene->leftHalf->missCounter, 6);
    scene->OnClick({105, 15});  // locked: nothing found
    EXPECT_EQ(Labels(scene->remaining), "cat exit_door");
    EXPECT_EQ(DataTree::GetInt("[STATS]/diff_found"), 1);  // misses find nothing
    scene->lockTime = 0;
    scene->OnObjectFound("cat", 0);  // as the autoplay finds it
    EXPECT_EQ(DataTree::GetInt("[STATS]/diff_found"), 2);
    // An exit in the pictures is no difference, clicked or taken as found.
    scene->OnClick({205, 15});
    EXPECT_TRUE(scene->FindRemaining("exit_door")->exitArmed);
    scene->OnObjectFound("exit_door", 0);
    EXPECT_EQ(DataTree::GetInt("[STATS]/diff_found"), 2);
}

}  // namespace
