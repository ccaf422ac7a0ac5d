// The game's script functions as scripts reach them: bound by name in their
// order, their own argument checks and messages, and what each does with or
// without the screen it drives.

#include "game/functions/GameBuiltins.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Game.h"
#include "game/PoseCache.h"
#include "game/functions/SystemFunctions.h"
#include "harness/HeadlessGame.h"
#include "platform/DataTree.h"
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "support/CbsiWriter.h"

namespace {

using Calls = std::vector<std::string>;

// The names in the order the game binds them.
const std::vector<std::string> kExpectedOrder = {
    "IsIPhone", "RatingMessage", "ActivateEditControlHack", "ShowURL", "ShowFileURL", "IsConnectedToINet",
    "SetValue", "GetValue", "Random", "GetGameTime", "GetSceneScript", "Sleep", "Include", "Transit",
    "GetScreenRes", "Power", "ShowHelp", "ShowHintSparkle", "EnableSceneFX", "GameStateEnd", "GamePause",
    "CanContinueGame", "CanStartNewGame", "ContinueGame", "ShowMainMenu", "GetLocaText", "GetPlayerName",
    "GetCurrentProfileSlot", "SetCurrentProfileSlot", "DeleteProfile", "CreateProfile", "OptionsGetFloat",
    "OptionsSetFloat", "OptionsGetInt", "OptionsSetInt", "OptionsGetString", "OptionsSetString",
    "OptionsSave", "PlayCredits", "UpdateSFXVolume", "UpdateMusicVolume", "CanChangeLanguage",
    "GetLanguageByPos", "ChangeLanguage", "GetLoadedLanguage", "GetPlatform", "QuitGame", "GetHelpFactor",
    "GetHudRoot", "GetWidgetRoot", "StartMinigame", "Fade", "FadeOut", "FadeIn", "GroessterSuperGAU",
    "GameOver", "SetActiveCharacter", "PreloadPose", "UnloadAllPoses", "AddSpeakerNoWait", "AddSpeaker",
    "SetPoseNoWait", "SetPose", "RemoveSpeakerNoWait", "RemoveSpeaker", "Says", "SetSceneColor",
    "AddOverlay", "RemoveOverlay", "PickHotspot", "GetHotspotState", "SetHotspotState", "CharacterGet",
    "CharacterChange", "CharacterGetImage", "ItemAdd", "ItemIsOwned", "ItemRemove",
    "CharacterGetItemCount", "CharacterGetItem", "EnterCutscene", "LeaveCutscene", "DisableHud",
    "EnableHud", "IsHudEnabled", "PlayMusic", "StopMusic", "PlayAmbient", "StopAmbient", "PlayMsx",
    "StopMsx", "PlaySfx", "StopSfx", "ToggleCheatAutoplay", "ToggleCheatHotspots", "ToggleCheatQuickHelp",
    "LogTime", "TakeDamagedSave", "StartPlayerOver", "GetDamagedSaveCopy", "TakeSaveFailure",
    "SaveFailureReason"};

class GameScriptFunctionsTest : public testing::Test {
protected:
    // Each probe function records what one call answered.
    void Start(const std::string& probe) {
        harness.WriteScript("probe", probe);
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(Game::RunInclude("probe"));
        harness.ClearCalls();
        harness.ClearMessages();
    }
    // Runs probe.<function> and answers what it recorded.
    Calls Run(const char* function) {
        harness.ClearCalls();
        Game::CallScript(function, "probe");
        return harness.Calls();
    }
    static float SleepMs(const halvo::WeakRef<Vrel::Thread>& thread) {
        float ms = -1;
        if (thread) thread->GetValue().ToFloat(ms);
        return ms;
    }
    Game& GetGame() { return harness.GetGame(); }

    testsupport::HeadlessGame harness;
};

TEST_F(GameScriptFunctionsTest, EveryFunctionIsBoundByNameInItsOrder) {
    Start("");
    std::vector<std::string> names;
    Vrel::BinCode* binds = Vrel::ToBinCode(*Vrel::ScriptVM::Global().GetRootModule()->GetMember("~bind"));
    ASSERT_TRUE(binds);
    for (const GameBuiltin& builtin : GameBuiltinTable()) {
        names.push_back(builtin.name);
        const Vrel::Var* bound = binds->GetMember(builtin.name);
        ASSERT_TRUE(bound) << builtin.name;
        EXPECT_EQ(bound->GetBind(), builtin.adapter()) << builtin.name;
    }
    EXPECT_EQ(names, kExpectedOrder);
    // Names that share a native share its one adapter.
    EXPECT_EQ(binds->GetMember("ShowURL")->GetBind(), binds->GetMember("ShowFileURL")->GetBind());
    EXPECT_EQ(binds->GetMember("StopMusic")->GetBind(), binds->GetMember("StopMsx")->GetBind());
}

// Each row calls one function wrongly; the function reports its own text at
// the caller's line and answers its empty result. A function with typed
// parameters is reported by its binding, at the caller's line as well.
TEST_F(GameScriptFunctionsTest, BadArgumentsAreReportedWithTheFunctionsOwnText) {
    struct Row {
        const char* call;
        const char* message;
        const char* result;
    };
    const Row rows[] = {
        {"Sleep(1, 2)", "Sleep(float seconds) - bad parameter", "NULL"},
        {"SetValue(\"key\")", "SetValue() - bad parameters", "NULL"},
        {"GetValue(3)", "GetValue() - bad parameters", "NULL"},
        {"Transit()", "void Transit(const char *pScene) - bad parameters", "NULL"},
        {"CreateProfile(9, \"Tester\")", "CreateProfile(int slot, unicode name) - bad parameter", "0"},
        {"GetHotspotState()", "void GetHotspotState(string Name, [string scene]) - bad parameters", "0"},
        {"GetHotspotState(\"door\")", "void GetHotspotState(string Name) - adventure scene is missing", "0"},
        {"SetHotspotState(\"door\")",
         "void SetHotspotState(string Name, bool value, [string scene]) - bad parameters", "NULL"},
        {"SetHotspotState(\"door\", true)", "void SetHotspotState(\"door\", true) - adventure scene is missing",
         "NULL"},
        {"StartMinigame()", "void StartMinigame() - bad parameters", "NULL"},
        {"StartMinigame(3)", "void StartMinigame() - bad parameters", "NULL"},
        {"StartMinigame(\"Schloss\", 1)", "void StartMinigame() - bad parameters", "NULL"},
        {"GroessterSuperGAU()", "void GroessterSuperGAU(const char *ImageName) - bad parameters", "NULL"},
        {"GroessterSuperGAU(7, \"x\")", "void GroessterSuperGAU(const char *ImageName) - bad parameters", "NULL"},
        {"AddSpeaker(\"Tobin\", \"left\")", "AddSpeaker() - bad parameters", "0.000000"},
        {"AddSpeaker(\"Tobin\", 1, \"happy\")", "AddSpeaker() - bad parameters", "0.000000"},
        {"SetPose(\"Tobin\")", "void SetPose() - bad parameters", "0.000000"},
        {"RemoveSpeaker()", "RemoveSpeaker() - bad parameters", "0.000000"},
        {"RemoveSpeaker(4)", "RemoveSpeaker() - bad parameters", "0.000000"},
        {"Says(\"Tobin\")", "void Says() - bad parameters", "NULL"},
        {"Says(1, \"Hello\")", "void Says() - bad parameters", "NULL"},
        {"OptionsSetString(5, \"x\")", "Invalid parameter 1: found int / expected string", "0"},
    };
    std::string probe;
    for (size_t i = 0; i < std::size(rows); ++i)
        probe += "function void Case" + std::to_string(i) + "() {\n  RecordCall(" + rows[i].call + ");\n}\n";
    Start(probe);
    for (size_t i = 0; i < std::size(rows); ++i) {
        harness.ClearMessages();
        const std::string function = "Case" + std::to_string(i);
        EXPECT_EQ(Run(function.c_str()), Calls{rows[i].result}) << rows[i].call;
        ASSERT_EQ(harness.Messages().size(), 1u) << rows[i].call;
        const std::string expected = "probe(" + std::to_string(3 * i + 2) + ") : " + rows[i].message;
        EXPECT_EQ(harness.Messages()[0].rfind(expected, 0), 0u) << harness.Messages()[0];
    }
}

TEST_F(GameScriptFunctionsTest, PlainAnswersAndRandomNeverNegative) {
    Start("function void Plain() { RecordCall(IsIPhone(), IsConnectedToINet(), GetPlatform(), Power(2.0, 10.0), "
          "Power(3.0)); }\n"
          "function void Nothing() { RatingMessage(); ActivateEditControlHack(); StopSfx(\"x\", 1.0); "
          "LogTime(\"x\"); RecordCall(\"ran on\"); }\n"
          "function void Randoms() { RecordCall(Random(0), Random(1), Random(-5), Random(5)); }\n"
          "function void Texts() { RecordCall(GetLocaText(\"no_such_key\")); }\n");
    EXPECT_EQ(Run("Plain"), Calls{"0 0 0 1024.000000 1.000000"});
    EXPECT_EQ(Run("Nothing"), Calls{"ran on"});
    for (int draw = 0; draw < 200; ++draw) {
        const Calls drawn = Run("Randoms");
        ASSERT_EQ(drawn.size(), 1u);
        int zero = -1, one = -1, minusFive = -1, five = -1;
        ASSERT_EQ(std::sscanf(drawn[0].c_str(), "%d %d %d %d", &zero, &one, &minusFive, &five), 4);
        EXPECT_EQ(zero, 0);
        EXPECT_EQ(one, 0);
        EXPECT_TRUE(minusFive >= 0 && minusFive <= 4) << minusFive;
        EXPECT_TRUE(five >= 0 && five <= 4) << five;
    }
    EXPECT_EQ(Run("Texts"), Calls{"uni(no_such_key)"});
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(GameScriptFunctionsTest, NegativeCharactersAreRefused) {
    Start("function void Images() { RecordCall(CharacterGetImage(-1), CharacterGetImage(4), "
          "CharacterGetImage(3)); }\n"
          "function void Owned() { RecordCall(ItemIsOwned(-1, \"key\"), ItemIsOwned(0, \"key\"), "
          "ItemIsOwned(4, \"key\")); }\n");
    ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
    ASSERT_TRUE(DataTree::OpenProfile(0));
    DataTree::SetInt("[PLAYER]/Tobin/inv/key", 1);
    EXPECT_EQ(Run("Images"), Calls{"  MarenOld"});
    EXPECT_EQ(Run("Owned"), Calls{"0 1 0"});
}

TEST_F(GameScriptFunctionsTest, ScreenResIsANewStructureEachCall) {
    Start("function void Res() { auto first = GetScreenRes(); first.xres = 5.0; auto second = GetScreenRes(); "
          "RecordCall(first.xres, second.xres, second.yres); }\n");
    EXPECT_EQ(Run("Res"), Calls{"5.000000 1920.000000 1080.000000"});
    EXPECT_EQ(GetGame().screenSize.x, 1920);
}

// A launcher that records instead of starting a program.
std::vector<std::string> opened;
bool RecordOpen(const char* target) {
    opened.emplace_back(target);
    return true;
}

TEST_F(GameScriptFunctionsTest, AddressesGoToTheDesktopAsOneArgumentAndEmptyOnesAreIgnored) {
    Start("function void Open() { ShowURL(\"https://example.org/?a=1;b=2\"); ShowFileURL(\"a b'$(x)\"); "
          "ShowURL(\"\"); ShowURL(3); RecordCall(\"ran on\"); }\n");
    opened.clear();
    SystemFunctions::SetDesktopOpener(&RecordOpen);
    EXPECT_EQ(Run("Open"), Calls{"ran on"});
    SystemFunctions::SetDesktopOpener(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string>{"https://example.org/?a=1;b=2", "a b'$(x)"}));
}

TEST_F(GameScriptFunctionsTest, FadesSetTheSpeedAndTheWaitingFormsSleep) {
    Start("function void FadeDefault() { RecordCall(Fade(1, 0.0)); }\n"
          "function void FadeBack() { RecordCall(Fade(0, 2.0)); }\n"
          "function void Out() { FadeOut(); RecordCall(\"out\"); }\n"
          "function void In() { FadeIn(1, 2); RecordCall(\"in\"); }\n");
    Game& game = GetGame();
    EXPECT_EQ(Run("FadeDefault"), Calls{"1.000000"});
    EXPECT_FLOAT_EQ(game.fadeSpeed, 1.0f);
    EXPECT_EQ(Run("FadeBack"), Calls{"2.000000"});
    EXPECT_FLOAT_EQ(game.fadeSpeed, -0.5f);

    harness.ClearCalls();
    halvo::WeakRef<Vrel::Thread> out = Game::CallScript("Out", "probe");
    EXPECT_FLOAT_EQ(game.fadeSpeed, 1.0f);
    EXPECT_FLOAT_EQ(SleepMs(out), 1000.0f);
    game.defaultFadeTime = 0.5f;
    halvo::WeakRef<Vrel::Thread> in = Game::CallScript("In", "probe");
    EXPECT_FLOAT_EQ(game.fadeSpeed, -2.0f);
    EXPECT_FLOAT_EQ(SleepMs(in), 500.0f);
    harness.Step(61);
    EXPECT_EQ(harness.Calls(), (Calls{"in", "out"}));
}

TEST_F(GameScriptFunctionsTest, WithoutTheirScreensFunctionsAnswerEmptyAndTheCallerRunsOn) {
    Start("function void Empty() { RecordCall(AddSpeakerNoWait(\"Tobin\", \"left\", \"happy\"), "
          "AddSpeaker(\"Tobin\", \"left\", \"happy\"), SetPoseNoWait(\"Tobin\", \"sad\"), "
          "SetPose(\"Tobin\", \"sad\"), RemoveSpeakerNoWait(\"Tobin\"), RemoveSpeaker(\"Tobin\", 1), "
          "PickHotspot(10.0, 10.0), PlayCredits(), PlayCredits(3)); }\n"
          "function void Talk() { Says(\"Tobin\", \"Hello\"); EnterCutscene(); LeaveCutscene(); "
          "RecordCall(\"ran on\"); }\n"
          "function void Picture() { GroessterSuperGAU(\"nowhere\"); RecordCall(\"after picture\"); }\n"
          "function void Roots() { RecordCall(GetHudRoot() == GetHudRoot(), GetSceneScript()); }\n");
    EXPECT_EQ(Run("Empty"), Calls{"0.000000 0.000000 0.000000 0.000000 0.000000 0.000000  0 0"});
    EXPECT_EQ(Run("Talk"), Calls{"ran on"});
    EXPECT_TRUE(harness.Messages().empty());

    // Nothing would ever resume a picture's waiter without a scene screen.
    ASSERT_EQ(harness.ScreenTree().find("SearchScreen"), std::string::npos);
    harness.ClearCalls();
    halvo::WeakRef<Vrel::Thread> waiting = Game::CallScript("Picture", "probe");
    ASSERT_TRUE(waiting.Get());
    EXPECT_EQ(waiting->GetState(), Vrel::kThreadSleeping);
    EXPECT_FLOAT_EQ(SleepMs(waiting), 0.0f);
    harness.Step();
    EXPECT_EQ(harness.Calls(), Calls{"after picture"});
}

TEST_F(GameScriptFunctionsTest, APoseLoadsOnceAndGoesWithUnloadAllPoses) {
    const std::vector<uint8_t> picture = CbsiWriter::SingleTileImage(32);
    harness.WriteDataFile("Characters/Tobin_happy.cbi", std::string(picture.begin(), picture.end()));
    Start("function void Preload() { PreloadPose(\"Tobin_happy\"); PreloadPose(\"Tobin_happy\"); "
          "PreloadPose(\"missing\"); RecordCall(\"loaded\"); }\n"
          "function void Unload() { UnloadAllPoses(); }\n");
    PoseCache& cache = PoseCache::Global();
    cache.Clear();
    EXPECT_EQ(Run("Preload"), Calls{"loaded"});
    halvo::WeakRef<halvo::GuiTexture> pose(cache.Find("Tobin_happy"));
    ASSERT_TRUE(pose.Get());
    EXPECT_EQ(pose->size.x, 32);
    EXPECT_FALSE(cache.Find("missing"));
    Run("Preload");
    EXPECT_EQ(cache.Find("Tobin_happy"), pose.Get());
    Run("Unload");
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_FALSE(pose.Get());
}

}  // namespace
