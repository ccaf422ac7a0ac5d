#pragma once
// Cutscene and adventure screens in the headless game: quiet HUD modules, a
// "cutscene" module whose bubbles are plain frames (each recorded), an
// "inventory" stub that records the hotspots it hears, speaker poses of
// known sizes, a fresh profile, and a screen entered the way the game
// enters a scene. "talk"."Line" says one line the way the script word does
// and records "said" once it goes on.

#include <gtest/gtest.h>

#include <string>

#include "game/screens/AdventureScreen.h"
#include "game/screens/CutsceneScreen.h"
#include "game/Game.h"
#include "game/scene/Scene.h"
#include "harness/HeadlessGame.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "support/CbsiWriter.h"

namespace cutscenetest {

inline std::string Square(const std::string& label, int x, int y, int side = 40) {
    const auto n = [](int v) { return std::to_string(v); };
    return "<object label=\"" + label + "\" file=\"pic\" posx=\"" + n(x) + "\" posy=\"" + n(y) +
           "\" forceuse=\"1\"><Point x=\"" + n(x) + "\" y=\"" + n(y) + "\"/><Point x=\"" + n(x + side) +
           "\" y=\"" + n(y) + "\"/><Point x=\"" + n(x + side) + "\" y=\"" + n(y + side) + "\"/><Point x=\"" +
           n(x) + "\" y=\"" + n(y + side) + "\"/></object>";
}

class CutsceneFixture : public testing::Test {
protected:
    static constexpr float kPoseSide = 64;

    void SetUp() override {
        // Shared by every cutscene screen of the process.
        CutsceneScreen::autoplayElapsed = 0;
        harness.WriteScript("character", "function float Create() { return 1; }\n");
        harness.WriteScript("help", "function float Create() { return 2; }\nfunction void ResetTime() {}\n"
                                    "function void IncHelpTime(float scaled, float step) {}\n");
        harness.WriteStubModule("inventory", {"OnHotspot(string place)"});
        harness.WriteScript("cutscene",
                            "function auto CreateChatBubble(auto parent, int colour, auto text, float x, float y) {\n"
                            "  RecordCall(\"bubble\", text, x, y);\n"
                            "  return GuiCreate(parent, \"type\", \"Frame\", \"xpos\", x, \"ypos\", y); }\n");
        harness.WriteScript("talk", "function void Line(string who, string text) { Says(who, text); "
                                    "RecordCall(\"said\", text); }\n");
        const std::vector<uint8_t> pose = CbsiWriter::SingleTileImage(static_cast<uint32_t>(kPoseSide));
        for (const char* name : {"tobin_calm", "tobin_glad", "maren_calm"})
            harness.WriteDataFile(std::string("Characters/") + name + ".cbi", std::string(pose.begin(), pose.end()));
        const std::vector<uint8_t> picture = CbsiWriter::SingleTileImage(32);
        harness.WriteDataFile("Scenes/test/ObjectGfx/pic.cbi", std::string(picture.begin(), picture.end()));
        harness.WriteDataFile("Scenes/test/bg.cbi", std::string(picture.begin(), picture.end()));
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(harness.RunUntilFadeEnds());
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
        ASSERT_TRUE(DataTree::OpenProfile(0));
        for (const char* module : {"character", "help", "inventory", "cutscene", "talk"})
            ASSERT_TRUE(Game::RunInclude(module)) << module;
    }

    void WriteScene(const std::string& type, const std::string& objects) {
        harness.WriteDataFile("Scenes/test/test.xml", "<scene><gameinfo gametype=\"" + type +
                                                          "\"/><background file=\"bg\"/><objects>" + objects +
                                                          "</objects></scene>");
        FileManager::Global().ResetDirectoryCaches();
    }

    // Loads "test" as the game does and puts the screen into the tree, which
    // owns it.
    template <class Screen>
    Screen* Enter() {
        halvo::AutoRef<Scene> scene(new Scene());
        EXPECT_TRUE(scene->Load("Scenes/test", "test"));
        halvo::AutoRef<Screen> screen(new Screen());
        screen->SetScene(scene.Get());
        harness.Root()->AddChild(screen.Get());
        harness.GetGame().currentScene = screen.Get();
        harness.ClearCalls();
        return screen.Get();
    }

    // "talk"."Line" on a thread of its own, as a scene script would say it.
    void SayLine(const char* who, const char* text) {
        const Vrel::Var arguments[2] = {Vrel::Var(who), Vrel::Var(text)};
        halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
        Vrel::Thread::RunFunction(thread.Get(), "talk", "Line", arguments, 2);
    }

    testsupport::HeadlessGame harness;
};

}  // namespace cutscenetest
