#pragma once
// Scene fixtures: description files and pictures in the global data root, a
// fresh profile, and recording stub modules for the HUD scripts whose calls
// the tests read back as one log ("itemview.AddItemText cup;...").

#include <gtest/gtest.h>

#include <string>

#include "game/Game.h"
#include "game/scene/Scene.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "platform/os/Random.h"
#include "script/runtime/machine/ScriptVM.h"
#include "support/CbsiWriter.h"
#include "support/FakeGlFixture.h"
#include "support/GlobalDataRoot.h"
#include "support/TempFolder.h"

namespace scenetest {

inline void WriteFile(const std::string& path, const std::string& text) {
    testsupport::GlobalDataRoot().WriteFile(path, text);
}

inline void WritePicture(const std::string& path, uint32_t side = 32) {
    const std::vector<uint8_t> bytes = CbsiWriter::SingleTileImage(side);
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

// `<object label=... file=... [extra]>` with a square outline at (x, y).
inline std::string Object(const std::string& label, const std::string& extra = "", float x = 10, float y = 10) {
    const std::string px = std::to_string(x), py = std::to_string(y), qx = std::to_string(x + 20),
                      qy = std::to_string(y + 20);
    return "<object label=\"" + label + "\" file=\"" + label + "\" posx=\"" + px + "\" posy=\"" + py + "\" " +
           extra + "><Point x=\"" + px + "\" y=\"" + py + "\"/><Point x=\"" + qx + "\" y=\"" + py +
           "\"/><Point x=\"" + qx + "\" y=\"" + qy + "\"/><Point x=\"" + px + "\" y=\"" + qy + "\"/></object>";
}

inline std::string Description(const std::string& gametype, const std::string& objects,
                               const std::string& extra = "", int objectCount = 0) {
    return "<scene><gameinfo gametype=\"" + gametype + "\" objectcnt=\"" + std::to_string(objectCount) +
           "\"/><background file=\"bg\"/>" + extra + "<objects>" + objects + "</objects></scene>";
}

// A stub of each HUD module that logs its calls; "Create" answers 2.5 for
// "character" and 4 for "help".
// Numbers do not join texts in scripts: "Create" logs whether it received
// (2.5, 4); the last "SetDifferences" count and "RemoveItemShape" point are
// kept in rec's variables.
inline const char* const kStubModules[][2] = {
    {"rec", "string log = \"\";\nint differences = -1;\nfloat x = -1;\nfloat y = -1;\n"
            "function string Pair(float a, float b) { if (a == 2.5 && b == 4) return \" 2.5 4\"; return \" ?\"; }\n"},
    {"character", "function float Create() { rec::log += \"character.Create;\"; return 2.5; }\n"},
    {"help",
     "function int Create() { rec::log += \"help.Create;\"; return 4; }\n"
     "function ResetTime() { rec::log += \"help.ResetTime;\"; }\n"},
    {"inventory", "function Create(float a, float b) { rec::log += \"inventory.Create\" + rec::Pair(a, b) + \";\"; }\n"},
    {"itemview",
     "function Create(float a, float b) { rec::log += \"itemview.Create\" + rec::Pair(a, b) + \";\"; }\n"
     "function AddItemText(string n) { rec::log += \"AddItemText \" + n + \";\"; }\n"
     "function RemoveItemText(string n) { rec::log += \"RemoveItemText \" + n + \";\"; }\n"
     "function AddItemShape(string n, string f, string s) {\n"
     "  rec::log += \"AddItemShape \" + n + \" \" + f + \" \" + s + \";\"; }\n"
     "function RemoveItemShape(string n, string f, float x, float y) {\n"
     "  rec::log += \"RemoveItemShape \" + n + \" \" + f + \";\"; rec::x = x; rec::y = y; }\n"
     "function AddItemEnd() { rec::log += \"AddItemEnd;\"; }\n"
     "function SetDifferences(int n) { rec::log += \"SetDifferences;\"; rec::differences = n; }\n"},
};

inline std::vector<std::string>& ScriptMessages() {
    static std::vector<std::string> messages;
    return messages;
}
inline void ScriptMessage(const char* text) { ScriptMessages().push_back(text); }

class SceneFixture : public FakeGlFixture {
protected:
    static constexpr uint32_t kRandomSeed = 1;

    void SetUp() override {
        FakeGlFixture::SetUp();
        // Markers and sparks draw random numbers: each test draws the same
        // ones whatever ran before it.
        os::SeedRand(kRandomSeed);
        GLState::SetAlpha(0);
        DataTree::Init();
        DataTree::Load(user.Path());
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
        ASSERT_TRUE(DataTree::OpenProfile(0));
        game = new Game();
        game->SetDesignSize({1920, 1080});
        game->Init();
        // The game leaves the sinks empty; a test wants to see script errors.
        Vrel::ScriptVM::Global().SetFirstCallback(&ScriptMessage);
        Vrel::ScriptVM::Global().SetSecondCallback(nullptr);
        for (const auto& stub : kStubModules)
            ASSERT_TRUE(Vrel::ScriptVM::Global().CompileBuffer(stub[1], stub[0])) << stub[0];
        ScriptMessages().clear();
        WritePicture("Scenes/_All/DissolveSpark01.cbi");
        WritePicture("Scenes/_All/MarkerSpark01.cbi");
        WritePicture("Scenes/_All/Exit.cbi");
    }
    void TearDown() override {
        game.Reset();
        // The stubs and scene modules of this test must not answer the next.
        Vrel::ScriptVM::Global().Shutdown();
        FakeGlFixture::TearDown();
    }

    // Writes "Scenes/<name>/<name>.xml" and a picture for every label given.
    void WriteScene(const std::string& name, const std::string& xml, std::initializer_list<std::string> labels) {
        WriteFile("Scenes/" + name + "/" + name + ".xml", xml);
        WritePicture("Scenes/" + name + "/bg.cbi", 64);
        for (const std::string& label : labels) WritePicture("Scenes/" + name + "/ObjectGfx/" + label + ".cbi");
        FileManager::Global().ResetDirectoryCaches();
    }

    halvo::AutoRef<Scene> LoadScene(const std::string& name, bool expectLoaded = true) {
        halvo::AutoRef<Scene> scene(new Scene());
        EXPECT_EQ(scene->Load(("Scenes/" + name).c_str(), name.c_str()), expectLoaded) << name;
        return scene;
    }

    // Every call the stubs logged, then any script message.
    std::string Calls() const {
        std::string messages;
        for (const std::string& m : ScriptMessages()) messages += " [" + m + "]";
        Vrel::BinCode* rec = Vrel::ScriptVM::Global().FindModule("rec");
        Vrel::Var* log = rec ? rec->GetMember("log") : nullptr;
        return (log ? log->ToString() : "(no recorder)") + messages;
    }
    float Recorded(const char* name) const {
        Vrel::BinCode* rec = Vrel::ScriptVM::Global().FindModule("rec");
        Vrel::Var* value = rec ? rec->GetMember(name) : nullptr;
        float number = -100;
        if (value) value->ToFloat(number);
        return number;
    }
    void ClearCalls() {
        Vrel::BinCode* rec = Vrel::ScriptVM::Global().FindModule("rec");
        if (Vrel::Var* log = rec ? rec->GetMember("log") : nullptr) log->SetString("");
    }

    testsupport::TempFolder user;
    halvo::AutoRef<Game> game;
};

inline std::string Labels(const halvo::AutoRefVector<SceneObject>& list) {
    std::string text;
    for (const auto& object : list) text += (text.empty() ? "" : " ") + object->label;
    return text;
}

}  // namespace scenetest
