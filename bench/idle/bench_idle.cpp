// What the game costs while a player leaves it on its main menu: the program
// started as its entry starts it (the application shell, the real window
// and GL context, the real clock and message loop), taken by injected input
// through the profile board to the main menu, and left there. Over 5 s of
// wall time the main thread's processor time is read from the system, as a
// percentage of one core; the whole process's share (sound thread, the
// driver's threads) is printed beside it, and so is how often the loop read
// its clock, once or twice a pass: a loop that spins reads it thousands of
// times a second.
//
// bench_idle USER_FOLDER: run in the folder that holds Data/; USER_FOLDER
// stands in for the documents folder and should start empty, so that the
// player is new.

#include "MenuRoute.h"
#include "game/GameProcess.h"
#include "game/GameShellClient.h"
#include "game/screens/MenuScreen.h"
#include "gui/GuiWidget.h"
#include "minigames/MiniGames.h"
#include "platform/AppShell.h"
#include "platform/os/Clock.h"
#include "script/runtime/values/t_Named.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kMeasuredSeconds = 5.0;
// The route with its fades takes a few hundred frames; one that takes longer
// has lost its way.
constexpr int kRouteFrameLimit = 3000;
// The main menu's own board, which a named player sees on the menu.
constexpr const char* kMenuBoard = "menu";

double SecondsOf(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double WallSeconds() { return std::chrono::duration<double>(Clock::now().time_since_epoch()).count(); }

// Readings at the start and the end of the measured time; all taken on the
// main thread, at the end of a frame.
struct Reading {
    double wall = 0;
    double mainThread = 0;
    double process = 0;
    int frames = 0;
    uint64_t clockReadings = 0;

    static Reading Take(int frames, uint64_t clockReadings) {
        return {WallSeconds(), SecondsOf(CLOCK_THREAD_CPUTIME_ID), SecondsOf(CLOCK_PROCESS_CPUTIME_ID), frames,
                clockReadings};
    }
};

// The game as the shell runs it, driven to the main menu and then watched.
class IdleClient : public GameShellClient {
public:
    void ProcessInput() override {
        if (!measuring_) route_.Drive(*GetGame(), framesDrawn_, os::Milliseconds());
        GameShellClient::ProcessInput();
    }

    void Render() override {
        GameShellClient::Render();
        ++framesDrawn_;
        if (done_) return;
        if (!measuring_) return StartWhenOnTheMenu();
        const Reading now = Reading::Take(framesDrawn_, clockReadings_);
        if (now.wall - start_.wall < kMeasuredSeconds) return;
        end_ = now;
        done_ = true;
    }

    bool IsQuitRequested() const override { return done_ || GameShellClient::IsQuitRequested(); }

    // The shell's clock, counted.
    uint32_t Milliseconds() {
        ++clockReadings_;
        return os::Milliseconds();
    }

    bool Failed() const { return !failure_.empty(); }
    const std::string& Failure() const { return failure_; }
    const Reading& Start() const { return start_; }
    const Reading& End() const { return end_; }

private:
    void StartWhenOnTheMenu() {
        if (framesDrawn_ >= kRouteFrameLimit) return Fail("the main menu never settled");
        if (!route_.Finished(*GetGame(), framesDrawn_)) return;
        if (!OnTheMainMenu()) return Fail("the route did not end on the main menu");
        start_ = Reading::Take(framesDrawn_, clockReadings_);
        measuring_ = true;
    }

    bool OnTheMainMenu() const {
        auto* menu = CastTo<MenuScreen>(GetGame()->currentScene.Get());
        if (!menu || !menu->GetGuiFrame()) return false;
        Vrel::t_Named criteria;
        *criteria.GetOrAddMember("name") = Vrel::Var(kMenuBoard);
        return menu->GetGuiFrame()->FindFirst(criteria).Get() != nullptr;
    }

    void Fail(const char* why) {
        failure_ = why;
        done_ = true;
    }

    bench::MenuRoute route_{bench::MenuRoute::kNamePlayer};
    int framesDrawn_ = 0;
    uint64_t clockReadings_ = 0;
    bool measuring_ = false;
    bool done_ = false;
    std::string failure_;
    Reading start_, end_;
};

int Report(const IdleClient& client) {
    if (client.Failed() || client.End().frames == 0) {
        std::fprintf(stderr, "idle: %s\n", client.Failed() ? client.Failure().c_str() : "the game ended early");
        return 1;
    }
    const Reading& start = client.Start();
    const Reading& end = client.End();
    const double wall = end.wall - start.wall;
    const double mainThread = end.mainThread - start.mainThread;
    const double process = end.process - start.process;
    const int frames = end.frames - start.frames;
    std::printf("screen             the main menu, a new player's profile open\n");
    std::printf("measured           %.2f s of wall time, %d frames presented (%.1f per second)\n", wall, frames,
                frames / wall);
    std::printf("main thread        %.1f ms of processor time, %.1f%% of one core, %.3f ms per frame\n",
                mainThread * 1e3, 100 * mainThread / wall, mainThread * 1e3 / frames);
    std::printf("whole process      %.1f ms of processor time, %.1f%% of one core\n", process * 1e3,
                100 * process / wall);
    std::printf("loop clock         read %llu times, %.1f per frame\n",
                static_cast<unsigned long long>(end.clockReadings - start.clockReadings),
                static_cast<double>(end.clockReadings - start.clockReadings) / frames);
    std::printf("idle: main-thread %.1f%%\n", 100 * mainThread / wall);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_idle USER_FOLDER\n");
        return 2;
    }
    const std::string userFolder = argv[1];

    ConstructProcessWideObjects();
    RegisterMiniGames();
    IdleClient client;
    ShellEnvironment environment = ShellEnvironment::System();
    environment.milliseconds = [&client] { return client.Milliseconds(); };
    environment.debuggerAttached = [] { return false; };
    environment.documentsFolder = [userFolder] { return userFolder; };
    {
        AppShell shell(GameShellHooks(), std::move(environment));
        shell.Run(client);
    }
    return Report(client);
}
