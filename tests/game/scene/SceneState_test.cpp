#include "game/scene/Scene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include "platform/DataTree.h"
#include "tests/game/SceneTestSupport.h"

namespace {

using namespace scenetest;

class SceneStateTest : public SceneFixture {
protected:
    // A timed search with three forced objects, one of them "old lamp".
    void WriteSearch(const std::string& name, const std::string& difficulty = "") {
        WriteScene(name,
                   Description("Search",
                               "<object label=\"old lamp\" file=\"lamp\" forceuse=\"1\"><Point x=\"0\" y=\"0\"/>"
                               "<Point x=\"10\" y=\"0\"/><Point x=\"10\" y=\"10\"/></object>" +
                                   Object("cup", "forceuse=\"1\"") + Object("key_1", "forceuse=\"1\""),
                               difficulty),
                   {"lamp", "cup", "key_1"});
    }
};

TEST_F(SceneStateTest, AVisitSurvivesSaveAndReload) {
    const std::string name = "workshop_01";
    WriteSearch(name, "<difficulty><low time=\"90\"/></difficulty>");
    halvo::AutoRef<Scene> scene = LoadScene(name);
    ASSERT_EQ(Labels(scene->searchList), "old lamp cup key_1");
    // Found: the lamp leaves remaining; 12.5 s have run.
    scene->remaining.erase(scene->remaining.begin());
    scene->timeLimit = 77500;
    scene->SaveState();
    EXPECT_STREQ(DataTree::GetStoredText(("[PLAYER]/SceneState/" + name + "/Time").c_str()), "77500");

    ClearCalls();
    halvo::AutoRef<Scene> again = LoadScene(name);
    EXPECT_DOUBLE_EQ(again->timeLimit, 77500);
    EXPECT_EQ(Labels(again->searchList), "old lamp cup key_1");
    EXPECT_EQ(Labels(again->remaining), "cup key_1");
    EXPECT_FALSE(again->FindObject("old lamp")->visible);
    EXPECT_EQ(Calls(), "character.Create;help.Create;itemview.Create 2.5 4;help.ResetTime;"
                       "AddItemText old lamp;AddItemText cup;AddItemText key;RemoveItemText old lamp;AddItemEnd;");

    // A second save of the restored visit writes the same attributes again.
    again->SaveState();
    const TiXmlElement* list = DataTree::Resolve(("[PLAYER]/SceneState/" + name + "/ObjectList/").c_str(), false);
    ASSERT_NE(list, nullptr);
    int attributes = 0;
    for (const TiXmlAttribute* a = list->FirstAttribute(); a; a = a->Next()) ++attributes;
    EXPECT_EQ(attributes, 3);

    again->ClearState();
    EXPECT_FALSE(DataTree::Exists(("[PLAYER]/SceneState/" + name + "/").c_str()));
}

TEST_F(SceneStateTest, UntimedScenesNeitherWriteNorTakeATime) {
    WriteSearch("shed");
    halvo::AutoRef<Scene> scene = LoadScene("shed");
    scene->SaveState();
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/SceneState/shed/Time"));
    DataTree::SetString("[PLAYER]/SceneState/shed/Time", "5000");
    EXPECT_EQ(LoadScene("shed")->timeLimit, 0);
    // A saved time that reads as nothing keeps the description's.
    WriteSearch("barn", "<difficulty><low time=\"20\"/></difficulty>");
    DataTree::SetString("[PLAYER]/SceneState/barn/Time", "soon");
    DataTree::SetString("[PLAYER]/SceneState/barn/ObjectList/cup", "");
    EXPECT_DOUBLE_EQ(LoadScene("barn")->timeLimit, 20000);
}

TEST_F(SceneStateTest, SavedListsRestoreWhatTheyName) {
    WriteSearch("cellar");
    // Nothing listed: a visit with nothing to find.
    ASSERT_NE(DataTree::Resolve("[PLAYER]/SceneState/cellar/", true), nullptr);
    halvo::AutoRef<Scene> empty = LoadScene("cellar");
    EXPECT_TRUE(empty->searchList.empty());
    EXPECT_EQ(empty->CountRemaining(), 0);
    // A label no object bears is skipped; letters may stand in any order.
    DataTree::SetString("[PLAYER]/SceneState/cellar/ObjectList/renamed", "");
    DataTree::SetString("[PLAYER]/SceneState/cellar/ObjectList/cup", "xFx");
    halvo::AutoRef<Scene> scene = LoadScene("cellar");
    EXPECT_EQ(Labels(scene->searchList), "cup");
    EXPECT_TRUE(scene->remaining.empty());
}

TEST_F(SceneStateTest, LongSceneNamesAndOddLabelsAreKeptWhole) {
    const std::string name = "hall_" + std::string(95, 'n');  // 100 characters
    WriteScene(name, Description("Search", Object("a/b", "forceuse=\"1\"") + Object("c[d]", "forceuse=\"1\"")),
               {"a/b", "c[d]"});
    halvo::AutoRef<Scene> scene = LoadScene(name);
    ASSERT_EQ(scene->searchList.size(), 2u);
    scene->remaining.erase(scene->remaining.begin() + 1);
    scene->SaveState();
    halvo::AutoRef<Scene> again = LoadScene(name);
    EXPECT_EQ(Labels(again->remaining), "a/b");
    EXPECT_EQ(Labels(again->searchList), "a/b c[d]");
    // The name is one element, not a path into some other part of the tree.
    Scene odd;
    odd.name = "x/[ROOT]/y";
    odd.type = kSceneSearch;
    odd.timeLimit = 10;
    odd.SaveState();
    EXPECT_FALSE(DataTree::Exists("[ROOT]/y/"));
    odd.ClearState();
}

TEST_F(SceneStateTest, DifferenceObjectsKeepTheHalvesTheyAreShownIn) {
    WriteFile("Scenes/twin/twin_left.xml",
              "<s><gameinfo gametype=\"Difference\"/><background file=\"bg\"/><objects>" +
                  Object("a", "forceuse=\"1\"") + Object("b", "forceuse=\"1\"") + Object("c", "forceuse=\"1\"") +
                  "</objects></s>");
    WriteFile("Scenes/twin/twin_right.xml",
              "<s><gameinfo gametype=\"Difference\"/><objects>" + Object("a", "forceuse=\"1\"") +
                  Object("b", "forceuse=\"1\"") + Object("c", "forceuse=\"1\" ignore=\"1\"") + "</objects></s>");
    FileManager::Global().ResetDirectoryCaches();
    halvo::AutoRef<Scene> scene = LoadScene("twin");
    ASSERT_EQ(Labels(scene->remaining), "a b c");
    scene->FindObject("b")->visibleLeft = false;
    scene->remaining.erase(scene->remaining.begin());
    scene->SaveState();
    EXPECT_STREQ(DataTree::GetStoredText("[PLAYER]/SceneState/twin/ObjectList/a"), "F");
    EXPECT_STREQ(DataTree::GetStoredText("[PLAYER]/SceneState/twin/ObjectList/b"), "R");
    EXPECT_STREQ(DataTree::GetStoredText("[PLAYER]/SceneState/twin/ObjectList/c"), "L");

    halvo::AutoRef<Scene> again = LoadScene("twin");
    EXPECT_EQ(Labels(again->remaining), "b c");
    EXPECT_EQ(Labels(again->leftHalf->remaining), "b c");
    EXPECT_FALSE(again->FindObject("b")->visibleLeft);
    EXPECT_TRUE(again->FindObject("b")->visibleRight);
    EXPECT_FALSE(again->FindObject("a")->visibleRight);
    EXPECT_EQ(Recorded("differences"), 2);
}

}  // namespace
