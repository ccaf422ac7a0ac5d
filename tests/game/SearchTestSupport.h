#pragma once
// Search scenes in the headless game: the HUD modules as quiet scripts (the
// item list records its calls) or the sample game's own, the "scene" fallback module recording the
// end events, the sample data mounted behind the test's own, a fresh
// profile, and a search screen entered the way the game enters a scene.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/Game.h"
#include "game/scene/Scene.h"
#include "game/screens/SearchScreen.h"
#include "harness/HeadlessGame.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/machine/ScriptVM.h"
#include "support/CbsiWriter.h"

namespace searchtest {

// Takes the current scene screen out of the tree and nothing else.
inline void LeaveScene() {
    Game* game = Game::Current();
    if (GameScreen* screen = game ? game->currentScene.Get() : nullptr) screen->RemoveFromParent();
}

inline std::string Square(const std::string& label, float x, float y, float side = 40,
                          const std::string& extra = "forceuse=\"1\"") {
    const auto n = [](float v) { return std::to_string(static_cast<int>(v)); };
    return "<object label=\"" + label + "\" file=\"pic\" posx=\"" + n(x) + "\" posy=\"" + n(y) + "\" " + extra +
           "><Point x=\"" + n(x) + "\" y=\"" + n(y) + "\"/><Point x=\"" + n(x + side) + "\" y=\"" + n(y) +
           "\"/><Point x=\"" + n(x + side) + "\" y=\"" + n(y + side) + "\"/><Point x=\"" + n(x) + "\" y=\"" +
           n(y + side) + "\"/></object>";
}

class SearchFixture : public testing::Test {
protected:
    void SetUp() override {
        // Shared by every search screen of the process.
        SearchScreen::autoplayCountdown = SearchScreen::kAutoplaySteps;
        if (!sampleModules) WriteQuietModules();
        harness.WriteStubModule("scene", {"OnLoadScene()", "OnSceneComplete()", "OnSceneFailed()", "OnSceneAborted()"});
        const std::vector<uint8_t> picture = CbsiWriter::SingleTileImage(32);
        harness.WriteDataFile("Scenes/test/ObjectGfx/pic.cbi", std::string(picture.begin(), picture.end()));
        ASSERT_TRUE(harness.Start());
        const char* source = std::getenv("TAVRIN_SOURCE_DIR");
        ASSERT_NE(source, nullptr);
        FileManager::Global().AddRoot((std::string(source) + "/data/Data/Shared").c_str());
        FileManager::Global().ResetDirectoryCaches();
        ASSERT_TRUE(harness.RunUntilFadeEnds());
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
        ASSERT_TRUE(DataTree::OpenProfile(0));
        for (const char* module : {"character", "help", "itemview", "scene"}) ASSERT_TRUE(Game::RunInclude(module));
        // The sample's help builds the HUD's way back to the menu as well.
        if (sampleModules) {
            ASSERT_TRUE(Game::RunInclude("hudmenu"));
        }
    }
    // The HUD modules as quiet scripts, the item list recording its calls.
    void WriteQuietModules() {
        harness.WriteScript("character", "function float Create() { return 1; }\n");
        harness.WriteScript("help",
                            "function float Create() { return 2; }\nfunction void ResetTime() {}\n"
                            "function void IncHelpTime(float scaled, float step) {}\n");
        harness.WriteStubModule("itemview", {"Create(float a, float b)", "AddItemText(string n)",
                                             "RemoveItemText(string n)", "AddItemShape(string n, string f, string s)",
                                             "RemoveItemShape(string n, string f, float x, float y)",
                                             "AddItemEnd()", "SetDifferences(int n)"});
    }


    // A search scene "test" of the given kind and objects; `extra` goes
    // before the objects (a time limit, say).
    void WriteTestScene(const std::string& objects, const std::string& extra = "",
                        const std::string& type = "Search") {
        harness.WriteDataFile("Scenes/test/test.xml", "<scene><gameinfo gametype=\"" + type +
                                                          "\"/><background file=\"bg\"/>" + extra + "<objects>" +
                                                          objects + "</objects></scene>");
        FileManager::Global().ResetDirectoryCaches();
    }

    // A search scene of one object in a folder of its own; `extra` goes
    // before the objects.
    void WriteSceneIn(const std::string& folder, const std::string& name, const std::string& type = "Search",
                      const std::string& extra = "") {
        const std::vector<uint8_t> picture = CbsiWriter::SingleTileImage(32);
        harness.WriteDataFile("Scenes/" + folder + "/ObjectGfx/pic.cbi", std::string(picture.begin(), picture.end()));
        harness.WriteDataFile("Scenes/" + folder + "/" + name + ".xml",
                              "<scene><gameinfo gametype=\"" + type + "\"/><background file=\"bg\"/>" + extra +
                                  "<objects>" + Square("cup", 100, 100) + "</objects></scene>");
        FileManager::Global().ResetDirectoryCaches();
    }

    // Loads the scene as the game does and puts its search screen into the
    // tree in place of the current scene (the splash at start), as a transit
    // does; the tree owns it.
    SearchScreen* Enter(const std::string& name) {
        if (GameScreen* previous = harness.GetGame().currentScene.Get()) previous->RemoveFromParent();
        halvo::AutoRef<Scene> scene(new Scene());
        const std::string folder = "Scenes/" + Scene::BaseSceneName(name);
        EXPECT_TRUE(scene->Load(folder.c_str(), name.c_str())) << name;
        halvo::AutoRef<SearchScreen> screen(new SearchScreen());
        screen->SetScene(scene.Get());
        harness.Root()->AddChild(screen.Get());
        harness.GetGame().currentScene = screen.Get();
        harness.ClearCalls();
        return screen.Get();
    }

    // The recorded calls without the item list's.
    std::vector<std::string> CallsBesideItemList() const {
        std::vector<std::string> calls;
        for (const std::string& call : harness.Calls())
            if (call.rfind("itemview.", 0) != 0) calls.push_back(call);
        return calls;
    }

    // Clicks the middle of every object still to find, one step apart.
    void ClickEveryObject(SearchScreen& screen, int maxClicks = 50) {
        for (int i = 0; i < maxClicks && !screen.HasEnded() && screen.GetScene()->CountRemaining() > 0; ++i) {
            const Scene& scene = *screen.GetScene();
            for (const auto& object : scene.remaining) {
                if (object->isExit) continue;
                harness.Click(object->hotSpot.BoundsCenter());
                break;
            }
            harness.Step();
        }
    }

    testsupport::HeadlessGame harness;
    // The sample game's own HUD modules instead of the quiet ones.
    bool sampleModules = false;
};

}  // namespace searchtest
