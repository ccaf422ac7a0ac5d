// tavrin-screenshots OUT_FOLDER USER_FOLDER [LAST]: the sample game as the
// program runs it (run in the folder that holds Data/), driven by injected
// input and a few script transits from the splash through the main menu, its
// options board, the first search, the study's cutscene, the map and the
// manor's puzzles, writing one picture of each as OUT_FOLDER/NAME.ppm (binary
// RGB); with LAST, the route ends once the picture of that name is taken.
// USER_FOLDER stands in for the documents folder and should start empty,
// so that the player is new. The shell's clock gives one 17 ms step per
// frame, and the random generator is seeded from that clock, so every run
// shows the same pictures; every click is made at that clock's time. The
// music and ambience play lists stay silent, as on a machine without a sound
// device: the sound thread plays on the wall clock, so when a track or its
// fade-out ended, and with it when the lists drew from the game's random
// generator, would depend on how fast the machine draws the frames.
// scripts/screenshots.sh runs it under Xvfb and turns the pictures into
// the README's PNGs. It ends with status 1 when the route stalls or a
// speaker's line does not take its click.

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/screens/CutsceneScreen.h"
#include "game/Game.h"
#include "game/PageTurnGuard.h"
#include "game/GameProcess.h"
#include "game/GameShellClient.h"
#include "game/screens/MapScreen.h"
#include "game/screens/MenuScreen.h"
#include "game/scene/Scene.h"
#include "game/screens/SearchScreen.h"
#include "gui/GuiWidget.h"
#include "minigames/MiniGameScreen.h"
#include "minigames/MiniGames.h"
#include "platform/AppShell.h"
#include "platform/InputQueue.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/values/t_Named.h"

namespace {

constexpr uint32_t kStepMs = 17;
// The route takes about 4,700 frames; one that takes half as long again
// has stalled.
constexpr int kFrameLimit = 7000;
// Frames after each injected click: boards fade and slide in.
constexpr int kSettleFrames = 80;
// Frames a speaker's line stands before the route clicks it away: a
// cutscene takes no click on a line until it has stood half a second fully
// drawn, after the sample bubble's 200 ms fade-in.
constexpr uint32_t kBubbleFadeInMs = 200;
constexpr int kLineReadFrames = static_cast<int>((kBubbleFadeInMs + PageTurnGuard::kStandMs) / kStepMs) + 6;
// The splash: a shooting star is halfway across the sky then.
constexpr int kSplashFrame = 480;
constexpr uint16_t kEnterKey = 13;
constexpr const char16_t* kPlayerName = u"Ada";
// The transits the route takes through scripts, as a content author would.
constexpr const char* kRouteModule = "screenshots";
constexpr const char* kRouteScript =
    "function void Study() { Transit(\"study\"); }\n"
    "function void Map() { Transit(\"map\"); }\n"
    "function void Manor() { Transit(\"study_03\"); }\n";

// The widget named `name` under `root`, or null.
halvo::GuiWidget* Named(halvo::GuiWidget* root, const char* name) {
    if (!root) return nullptr;
    Vrel::t_Named criteria;
    *criteria.GetOrAddMember("name") = Vrel::Var(name);
    return root->FindFirst(criteria).Get();
}

// The first child screen of `screen` that is a mini-game host.
MiniGameScreen* HostOf(GameScreen* screen) {
    if (!screen) return nullptr;
    for (const auto& child : screen->Children())
        if (auto* host = CastTo<MiniGameScreen>(child.Get())) return host;
    return nullptr;
}

class ScreenshotClient : public GameShellClient {
public:
    explicit ScreenshotClient(std::string outFolder) : out_(std::move(outFolder)) { BuildRoute(); }

    // The play lists ask the sound thread whether their channel still plays
    // and draw the next track and pause once it does not; a refused query
    // counts as playing, so they start nothing and draw nothing.
    void CreateGame() override {
        GameShellClient::CreateGame();
        GetGame()->trackHooks.queryStream = [](int, bool&) { return false; };
    }

    // The shell's clock: one step further with each frame drawn, however
    // often the loop reads it.
    uint32_t Milliseconds() const { return virtualMs_; }

    void ProcessInput() override {
        Drive();
        GameShellClient::ProcessInput();
    }

    void Render() override {
        GameShellClient::Render();
        ++frame_;
        virtualMs_ += kStepMs;
        if (!pendingShot_.empty()) {
            Save(pendingShot_);
            pendingShot_.clear();
        }
    }

    // Ends the route once the picture `last` is taken; false when the route
    // takes none of that name.
    bool EndAfter(const std::string& last) {
        const auto shot = std::find(pictures_.begin(), pictures_.end(), last);
        if (shot == pictures_.end()) return false;
        const size_t taken = static_cast<size_t>(shot - pictures_.begin()) + 1;
        route_.resize(shotEnds_[taken - 1]);
        pictures_.resize(taken);
        return true;
    }

    bool IsQuitRequested() const override { return done_ || GameShellClient::IsQuitRequested(); }
    const std::string& Failure() const { return failure_; }

private:
    // One step of the route: true when it is done and the next may begin.
    using Step = std::function<bool()>;

    void BuildRoute() {
        Wait([this] { return frame_ >= kSplashFrame; });
        Shot("splash");
        Click(960, 540);   // the splash opens the profiles
        Click(960, 340);   // the first slot, empty
        Act([this] {
            for (const char16_t* c = kPlayerName; *c; ++c) Queue(InputEvent::kKey, 0, *c, 0);
            Queue(InputEvent::kKey, kEnterKey, 0, 0);
        });
        Settle();
        Shot("menu");
        Click(280, 1000);  // "Options", below the board
        Shot("options");
        Click(960, 872);   // its "Close"
        Click(960, 504);   // "New game": the garden
        Wait([this] { return InScene<SearchScreen>() && !GetGame()->IsFading(); });
        Click(960, 140);   // the garden's greeting clicked away: its countdown starts
        Shot("search");
        Script("Study");
        Wait([this] {
            auto* cutscene = CastTo<CutsceneScreen>(GetGame()->currentScene.Get());
            return cutscene && cutscene->GetChatBubble() && !GetGame()->IsFading();
        });
        Settle(40);
        Shot("cutscene");
        Script("Map");
        Wait([this] { return InScene<MapScreen>() && !GetGame()->IsFading(); });
        Settle(60);
        Shot("map");
        Script("Manor");
        PlayUntil("MG_Lock", [](MiniGameScreen& host) { return !host.IsMessageShown(); });
        Settle(60);
        Shot("minigame_lock");
        // The generic target shooting names its enemy before each round, in
        // a message of the host's.
        PlayUntil("MG_Target", [](MiniGameScreen& host) {
            return host.IsMessageShown() && Named(host.GetBubble(), "bubble_picture");
        });
        Settle(40);
        Shot("minigame_targets");
    }

    void Drive() {
        if (done_) return;
        if (frame_ >= kFrameLimit) return Stalled();
        while (next_ < route_.size() && route_[next_]()) ++next_;
        if (next_ == route_.size() && pendingShot_.empty()) done_ = true;
    }

    void Wait(std::function<bool()> until) { route_.push_back(std::move(until)); }
    // Waits `frames` frames from the moment the step is reached.
    void Settle(int frames = kSettleFrames) {
        auto start = std::make_shared<int>(-1);
        route_.push_back([this, start, frames] {
            if (*start < 0) *start = frame_;
            return frame_ - *start >= frames;
        });
    }
    void Act(std::function<void()> action) {
        route_.push_back([action = std::move(action)] {
            action();
            return true;
        });
    }
    void Click(float x, float y) {
        Act([this, x, y] { ClickAt(x, y); });
        Settle();
    }
    void Script(const char* function) {
        Act([function] {
            if (!Vrel::ScriptVM::Global().FindModule(kRouteModule))
                Vrel::ScriptVM::Global().CompileBuffer(kRouteScript, kRouteModule);
            Game::CallScript(function, kRouteModule);
        });
    }
    void Shot(const char* name) {
        pictures_.push_back(name);
        Act([this, name] { pendingShot_ = name; });
        Wait([this] { return pendingShot_.empty(); });
        shotEnds_.push_back(route_.size());
    }

    // The manor's cutscene, entered again for each of its puzzles: its lines
    // are clicked away once read, the mini-games' messages paged and every
    // other game skipped with help (its skip lantern, whatever its light),
    // until the game of class `game` is shown and `ready` holds.
    void PlayUntil(const char* game, std::function<bool(MiniGameScreen&)> ready) {
        auto lastAction = std::make_shared<int>(-kSettleFrames);
        route_.push_back([this, game, ready = std::move(ready), lastAction] {
            auto* cutscene = CastTo<CutsceneScreen>(GetGame()->currentScene.Get());
            const int lineAge = LineAge(cutscene);
            if (GetGame()->IsFading() || frame_ - *lastAction < kSettleFrames) return false;
            MiniGameScreen* host = HostOf(cutscene);
            if (host && !host->Children().empty()) {
                const bool wanted = std::string(host->Children().front()->GetClassInfo()->name) == game;
                if (wanted && ready(*host)) return true;
                if (!wanted || host->IsMessageShown()) {
                    *lastAction = frame_;
                    host->OnHelp();
                }
            } else if (cutscene && cutscene->GetWaitingThread() && lineAge >= kLineReadFrames) {
                // A line read that long takes the click: one still standing refused it.
                if (line_.Get() && line_.Get() == clickedLine_.Get()) {
                    Fail("a speaker's line the route clicked was not taken");
                    return false;
                }
                *lastAction = frame_;
                clickedLine_ = line_.Get();
                ClickAt(960, 540);
            }
            return false;
        });
    }

    // Frames since the route first saw the speaker's line that stands now.
    int LineAge(CutsceneScreen* cutscene) {
        halvo::GuiWidget* bubble = cutscene ? cutscene->GetChatBubble() : nullptr;
        if (bubble != line_.Get()) {
            line_ = bubble;
            lineSeenFrame_ = frame_;
        }
        return frame_ - lineSeenFrame_;
    }

    template <class T>
    bool InScene() const {
        return CastTo<T>(GetGame()->currentScene.Get()) != nullptr;
    }

    void Fail(std::string why) {
        failure_ = std::move(why);
        done_ = true;
    }

    void Stalled() {
        const size_t taken = std::min(saved_, pictures_.size());
        std::string why = "the route stalled at frame " + std::to_string(frame_) + " after " +
                          std::to_string(taken) + " of " + std::to_string(pictures_.size()) + " pictures";
        if (taken < pictures_.size()) why += ", before '" + pictures_[taken] + "'";
        Fail(why);
    }

    void Queue(uint8_t kind, uint16_t virtualKey, uint16_t character, uint8_t button) {
        InputQueue::Global().Push(kind, virtualKey, character, button, 0, Milliseconds());
    }

    // As the window procedure reports one, at (x, y) of the design's 1920 by
    // 1080 as the window shows it: the pointer moves there, then the left
    // button goes down and up in place.
    void ClickAt(float x, float y) {
        const Point2i at = GetGame()->DesignToWindow({x, y});
        UpdateMousePosition(at.x, at.y);
        Queue(InputEvent::kPointer, 0, 0, 0);
        for (uint8_t kind : {InputEvent::kPointer, InputEvent::kButtonDown}) Queue(kind, 0, 0, InputEvent::kLeft);
        for (uint8_t kind : {InputEvent::kPointer, InputEvent::kButtonUp}) Queue(kind, 0, 0, InputEvent::kLeft);
    }

    // The frame just drawn, before it is shown, rows from the top.
    void Save(const std::string& name) {
        const int w = GetGame()->windowSize.x, h = GetGame()->windowSize.y;
        std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        const std::string path = out_ + "/" + name + ".ppm";
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) return Fail("cannot write a picture");
        std::fprintf(file, "P6\n%d %d\n255\n", w, h);
        for (int row = h - 1; row >= 0; --row)
            std::fwrite(pixels.data() + static_cast<size_t>(row) * w * 3, 1, static_cast<size_t>(w) * 3, file);
        std::fclose(file);
        ++saved_;
        std::printf("screenshots: %s at frame %d, %.0f ms into the game\n", name.c_str(), frame_,
                    GetGame()->totalTime);
    }

    std::string out_;
    std::vector<Step> route_;
    size_t next_ = 0;
    // One step in: the random generator is seeded from the first reading.
    uint32_t virtualMs_ = kStepMs;
    int frame_ = 0;
    halvo::WeakRef<halvo::GuiWidget> line_;
    int lineSeenFrame_ = 0;
    halvo::WeakRef<halvo::GuiWidget> clickedLine_;
    std::vector<std::string> pictures_;
    // How many steps of the route stand up to each picture taken.
    std::vector<size_t> shotEnds_;
    size_t saved_ = 0;
    std::string pendingShot_;
    bool done_ = false;
    std::string failure_;
};

int Usage() {
    std::fprintf(stderr, "usage: tavrin-screenshots OUT_FOLDER USER_FOLDER [LAST]\n  LAST: splash, menu, "
                         "options, search, cutscene, map, minigame_lock or minigame_targets\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) return Usage();
    const std::string userFolder = argv[2];
    ConstructProcessWideObjects();
    RegisterMiniGames();
    ScreenshotClient client(argv[1]);
    if (argc == 4 && !client.EndAfter(argv[3])) return Usage();
    ShellEnvironment environment = ShellEnvironment::System();
    environment.milliseconds = [&client] { return client.Milliseconds(); };
    environment.debuggerAttached = [] { return false; };
    environment.documentsFolder = [userFolder] { return userFolder; };
    {
        AppShell shell(GameShellHooks(), std::move(environment));
        shell.Run(client);
    }
    if (!client.Failure().empty()) {
        std::fprintf(stderr, "screenshots: %s\n", client.Failure().c_str());
        return 1;
    }
    return 0;
}
