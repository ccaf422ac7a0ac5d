#pragma once
// The headless game set up for mini-games: the games registered, a cutscene
// screen without a scene for them to start over, recording stubs of the "help"
// and "character" scripts, a "cutscene" script whose chat bubbles are plain
// frames, and "play"."Start", which starts a game as a cutscene script does
// and records "resumed" when it goes on.

#include "harness/HeadlessGame.h"

#include "game/screens/CutsceneScreen.h"
#include "game/Game.h"
#include "gui/GuiMain.h"
#include "minigames/MiniGameScreen.h"
#include "minigames/MiniGames.h"
#include "platform/DataTree.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/machine/ScriptVM.h"
#include "support/SourceFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace testsupport {

inline halvo::GuiWidget* MakeBubble() {
    halvo::AutoRef<halvo::GuiWidget> bubble = halvo::GuiMain::Global().CreateWidget("Frame");
    bubble->SetParent(halvo::GuiMain::Global().GetRoot(), false);
    return bubble.Get();
}

// What the last start answered: 1 true, 0 false, -1 none yet.
inline int lastStartAnswer = -1;

inline void StartNamedGame(Vrel::t_Interface& call) {
    const Vrel::Var* name = call.GetArg(0);
    lastStartAnswer = Game::Current()->StartMiniGame(name ? name->GetCString() : nullptr, call.thread);
}

class MiniGameHarness {
public:
    MiniGameHarness() {
        game.WriteStubModule("help", {"Create()", "IncHelpTime(float scaled, float step)"});
        game.WriteStubModule("character", {"Create()"});
        game.WriteScript("cutscene",
                         "function auto CreateChatBubble(auto hud, int colour, auto text, float x, float y, "
                         "float width) { RecordCall(\"bubble\", text, x, y, width); return MakeBubble(); }\n");
        game.WriteScript("play", "function void Start(string name) { TestStartMinigame(name); "
                                 "RecordCall(\"resumed\"); }\n");
        game.WriteDataFile("gui/DAYROM__.ttf", ReadWholeFile(SourceFolder("data/Data/Shared/gui/DAYROM__.ttf")));
    }

    // Profile 0 open, the fade-in over, the stand-in cutscene under the root.
    bool Start() {
        RegisterMiniGames();
        lastStartAnswer = -1;
        if (!game.Start() || !game.RunUntilFadeEnds()) return false;
        Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
        vm.AddCFunction("MakeBubble", Vrel::detail::AdapterFor<&MakeBubble>());
        vm.AddCFunction("TestStartMinigame", Vrel::detail::AdapterFor<&StartNamedGame>());
        for (const char* module : {"help", "character", "cutscene", "play"})
            if (!Game::RunInclude(module)) return false;
        if (!DataTree::CreateProfile(0, u"Tester") || !DataTree::OpenProfile(0)) return false;
        cutscene = new CutsceneScreen();
        game.Root()->AddChild(cutscene.Get());
        return true;
    }

    // A sample game's folder from the source tree into the data folder.
    void CopySample(const std::string& folder) const {
        for (const auto& entry :
             std::filesystem::directory_iterator(SourceFolder("data/Data/Shared/MiniGames/" + folder)))
            game.WriteDataFile("MiniGames/" + folder + "/" + entry.path().filename().string(),
                               ReadWholeFile(entry.path()));
    }

    void StartFromScript(const char* name) {
        const Vrel::Var argument(name);
        halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
        Vrel::Thread::RunFunction(thread.Get(), "play", "Start", &argument, 1);
    }
    // Then one step for the host's fade-in to settle: input queued while a
    // fade runs is dropped.
    bool StartPlaying(const char* name) {
        StartFromScript(name);
        game.Step();
        return lastStartAnswer == 1 && Host();
    }

    MiniGameScreen* Host() const {
        return cutscene->Children().empty() ? nullptr : CastTo<MiniGameScreen>(cutscene->Children().front().Get());
    }
    template <class T>
    T* Played() const {
        const MiniGameScreen* host = Host();
        return host && !host->Children().empty() ? CastTo<T>(host->Children().front().Get()) : nullptr;
    }
    bool StepUntilHostGone(int maxPasses = HeadlessGame::kDefaultMaxPasses) {
        for (int i = 0; i < maxPasses && Host(); ++i) game.Step();
        return !Host();
    }
    int CountCalls(const std::string& call) const {
        return static_cast<int>(std::count(game.Calls().begin(), game.Calls().end(), call));
    }

    // Clicks on the spot every `gapMs` for `forMs`, or until the host has
    // gone, each message seen to have stood half a second before it went;
    // how many went meanwhile.
    int ClickOnTheSpot(uint32_t gapMs, uint32_t forMs) {
        const auto shown = [&] {
            const MiniGameScreen* host = Host();
            return host && host->IsMessageShown() ? host->GetBubble() : nullptr;
        };
        halvo::WeakRef<halvo::GuiWidget> message;
        bool up = false;
        uint32_t shownMs = 0;
        int went = 0;
        const auto watch = [&] {
            halvo::GuiWidget* now = shown();
            if (up && now && now == message.Get()) return;
            if (up) {
                EXPECT_GE(game.Now() - shownMs, PageTurnGuard::kStandMs) << "message " << went;
                ++went;
            }
            up = now != nullptr;
            message = now;
            shownMs = game.Now();
        };
        watch();
        const uint32_t first = game.Now();
        for (uint32_t pressMs = first; pressMs < first + forMs && Host(); pressMs += gapMs) {
            while (game.Now() + HeadlessGame::kPassMs <= pressMs) {
                game.Step();
                watch();
            }
            game.ClickAt(pressMs, {400, 400});
        }
        return went;
    }

    HeadlessGame game;
    halvo::AutoRef<GameScreen> cutscene;
};

}  // namespace testsupport
