// The sample game's frame cost: the program started as its entry starts it
// (the application shell, the real window and GL context, the platform's
// services), driven by injected input from the splash through the main
// menu's profile flow into the first hidden-object search, whose greeting
// holds the garden until it is clicked away: it is clicked as a player
// does, and the search itself is then left alone for 1,000 steady frames.
// The shell's clock moves one 17 ms step after each presented frame, so
// every pass draws exactly one frame of one step and the loop never waits
// for the next.
//
// Prints the wall time from entering main to the first presented frame and,
// per steady frame, the engine's CPU time (scripts, input, GUI, update and
// render submission, not the buffer swap), the heap allocations, and the
// draw calls and texture binds that reach the driver.
//
// bench_game USER_FOLDER [--trace-allocations]: run in the folder that holds
// Data/; USER_FOLDER stands in for the documents folder and should start
// empty, so that the player is new. With --trace-allocations every
// allocation in a steady frame prints its call stack.

#include "AllocationCount.h"
#include "CountingGlApi.h"
#include "MenuRoute.h"
#include "game/GameProcess.h"
#include "game/GameShellClient.h"
#include "game/scene/Scene.h"
#include "game/screens/SearchScreen.h"
#include "gui/GuiWidget.h"
#include "minigames/MiniGames.h"
#include "platform/AppShell.h"
#include "platform/GLState.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kStepMs = 17;
// From the greeting's click to the first measured frame: the countdown has
// started and the search's first frames have made what later ones reuse.
constexpr int kWarmFrames = 240;
constexpr int kMeasuredFrames = 1000;
// Long enough for every screen change and fade of the route; a route that
// takes longer has lost its way.
constexpr int kRouteFrameLimit = 3000;
constexpr const char* kSearchScene = "garden";
// The clear veil under the garden's greeting, which takes the click that
// sends the greeting away.
constexpr const char* kGreetingVeil = "hud_hold";

double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// One steady frame's figures.
struct FrameSample {
    double cpuMs = 0;
    uint64_t allocations = 0;
    uint64_t draws = 0;
    uint64_t binds = 0;
};

// The game as the shell runs it, with a player's input queued at the right
// moments and each frame measured.
class BenchClient : public GameShellClient {
public:
    BenchClient(Clock::time_point entered, CountingGlApi& gl, bool trace)
        : entered_(entered), gl_(gl), trace_(trace) {
        samples_.reserve(kMeasuredFrames);
    }

    // The shell's clock: one step further at the first reading after each
    // presented frame, however often the loop reads it in between.
    uint32_t Milliseconds() {
        if (framesDrawn_ > 0 && startupMs_ < 0) startupMs_ = MsBetween(entered_, Clock::now());
        if (framesDrawn_ != framesAtLastStep_) {
            virtualMs_ += kStepMs;
            framesAtLastStep_ = framesDrawn_;
        }
        return virtualMs_;
    }

    // The first thing of every frame.
    void BeginFrame() {
        frameStart_ = Clock::now();
        allocationsAtStart_ = bench::AllocationCount();
        drawsAtStart_ = gl_.draws;
        bindsAtStart_ = gl_.binds;
        if (Measuring()) bench::TraceAllocations(trace_);
    }

    void ProcessInput() override {
        if (!Measuring()) DriveRoute();
        GameShellClient::ProcessInput();
    }

    void Render() override {
        GameShellClient::Render();
        const Clock::time_point end = Clock::now();
        bench::TraceAllocations(false);
        if (Measuring()) {
            samples_.push_back({MsBetween(frameStart_, end), bench::AllocationCount() - allocationsAtStart_,
                                gl_.draws - drawsAtStart_, gl_.binds - bindsAtStart_});
        }
        ++framesDrawn_;
        if (searchFrame_ >= 0 && framesDrawn_ - searchFrame_ >= kWarmFrames + kMeasuredFrames) done_ = true;
    }

    bool IsQuitRequested() const override { return done_ || GameShellClient::IsQuitRequested(); }

    bool Failed() const { return !failure_.empty(); }
    const std::string& Failure() const { return failure_; }
    double StartupMs() const { return startupMs_; }
    int RouteFrames() const { return searchFrame_; }
    bool GreetingClicked() const { return greetingClickFrame_ >= 0; }
    const std::vector<FrameSample>& Samples() const { return samples_; }

private:
    bool Measuring() const { return searchFrame_ >= 0 && framesDrawn_ - searchFrame_ >= kWarmFrames; }

    // The menus' route, the search scene's arrival, then its greeting
    // clicked away once the scene has faded in.
    void DriveRoute() {
        if (searchFrame_ >= 0 || done_) return;
        if (framesDrawn_ >= kRouteFrameLimit) return Fail("the search scene never came");
        if (!InSearchScene()) return route_.Drive(*GetGame(), framesDrawn_, virtualMs_);
        if (GetGame()->IsFading()) return;
        const halvo::AutoRef<halvo::GuiWidget> veil = GreetingVeil();
        if (!veil) {
            searchFrame_ = framesDrawn_;
            return;
        }
        if (greetingClickFrame_ < 0) {
            greetingClickFrame_ = framesDrawn_;
            ClickGreeting(*veil);
        } else if (framesDrawn_ - greetingClickFrame_ > bench::MenuRoute::kSettleFrames) {
            Fail("the garden's greeting stayed up after a click");
        }
    }

    halvo::AutoRef<halvo::GuiWidget> GreetingVeil() const {
        halvo::GuiWidget* hud = GetGame()->GetHudGui();
        if (!hud) return {};
        Vrel::t_Named byName;
        *byName.GetOrAddMember("name") = Vrel::Var(kGreetingVeil);
        return hud->FindFirst(byName);
    }

    // On the middle of the greeting's bubble, where a player clicks it; on
    // the veil's middle should the bubble be missing.
    void ClickGreeting(const halvo::GuiWidget& veil) const {
        const halvo::GuiWidget* target = veil.GetFirstChild() ? veil.GetFirstChild() : &veil;
        bench::MenuRoute::Click(*GetGame(), veil.GetLeft() + (target->GetLeft() + target->GetRight()) / 2,
                                veil.GetTop() + (target->GetTop() + target->GetBottom()) / 2, virtualMs_);
    }

    bool InSearchScene() const {
        const auto* search = CastTo<SearchScreen>(GetGame()->currentScene.Get());
        return search && search->GetScene() && search->GetScene()->name == kSearchScene;
    }

    void Fail(const char* why) {
        failure_ = why;
        done_ = true;
    }

    Clock::time_point entered_;
    CountingGlApi& gl_;
    bool trace_;
    // One step in: the random generator is seeded from the first reading,
    // and this seed is the one the figures were always taken with.
    uint32_t virtualMs_ = kStepMs;
    int framesAtLastStep_ = 0;
    double startupMs_ = -1;
    int framesDrawn_ = 0;
    bench::MenuRoute route_{bench::MenuRoute::kNewGame};
    int greetingClickFrame_ = -1;
    int searchFrame_ = -1;
    bool done_ = false;
    std::string failure_;
    Clock::time_point frameStart_;
    uint64_t allocationsAtStart_ = 0, drawsAtStart_ = 0, bindsAtStart_ = 0;
    std::vector<FrameSample> samples_;
};

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t rank = static_cast<size_t>(std::ceil(fraction * static_cast<double>(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

int Report(const BenchClient& client) {
    const std::vector<FrameSample>& samples = client.Samples();
    if (client.Failed() || samples.size() != kMeasuredFrames) {
        std::fprintf(stderr, "game: %s (%zu steady frames measured)\n",
                     client.Failed() ? client.Failure().c_str() : "the game ended early", samples.size());
        return 1;
    }
    std::vector<double> cpu;
    uint64_t allocations = 0, worstAllocations = 0, draws = 0, binds = 0;
    size_t allocatingFrames = 0;
    for (const FrameSample& sample : samples) {
        cpu.push_back(sample.cpuMs);
        allocations += sample.allocations;
        worstAllocations = std::max(worstAllocations, sample.allocations);
        if (sample.allocations > 0) ++allocatingFrames;
        draws += sample.draws;
        binds += sample.binds;
    }
    const double median = Percentile(cpu, 0.5), p99 = Percentile(cpu, 0.99);
    const double frames = static_cast<double>(samples.size());
    std::printf("scene              %s, searched from frame %d on (greeting %s)\n", kSearchScene,
                client.RouteFrames(), client.GreetingClicked() ? "clicked away" : "not shown");
    std::printf("start-up           %.1f ms to the first presented frame\n", client.StartupMs());
    std::printf("frame cpu          %.3f ms median, %.3f ms p99, %.3f ms worst over %zu frames\n", median, p99,
                *std::max_element(cpu.begin(), cpu.end()), samples.size());
    std::printf("heap allocations   %llu in %zu frames, made by %zu of them, %llu in the worst\n",
                static_cast<unsigned long long>(allocations), samples.size(), allocatingFrames,
                static_cast<unsigned long long>(worstAllocations));
    std::printf("draw calls         %.1f per frame\n", static_cast<double>(draws) / frames);
    std::printf("texture binds      %.1f per frame\n", static_cast<double>(binds) / frames);
    std::printf("game: start %.1f frame %.3f p99 %.3f allocs %llu\n", client.StartupMs(), median, p99,
                static_cast<unsigned long long>(worstAllocations));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point entered = Clock::now();
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_game USER_FOLDER [--trace-allocations]\n");
        return 2;
    }
    const std::string userFolder = argv[1];
    const bool trace = argc > 2 && std::strcmp(argv[2], "--trace-allocations") == 0;

    ConstructProcessWideObjects();
    RegisterMiniGames();
    CountingGlApi counting;
    GLState::UseApi(&counting);
    BenchClient client(entered, counting, trace);

    ShellHooks hooks = GameShellHooks();
    hooks.updateScripts = [&client, scripts = std::move(hooks.updateScripts)](float frameMs) {
        client.BeginFrame();
        scripts(frameMs);
    };
    ShellEnvironment environment = ShellEnvironment::System();
    environment.milliseconds = [&client] { return client.Milliseconds(); };
    environment.debuggerAttached = [] { return false; };
    environment.documentsFolder = [userFolder] { return userFolder; };
    {
        AppShell shell(std::move(hooks), std::move(environment));
        shell.Run(client);
    }
    GLState::UseApi(nullptr);
    return Report(client);
}
