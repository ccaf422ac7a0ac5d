// The whole program under a real display: the shell with the game in
// process, and the built binary as a separate process, started from the
// sample's data folder as scripts/play does, and from a folder without game
// data.

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "game/GameShellClient.h"
#include "platform/AppShell.h"
#include "platform/InputQueue.h"
#include "platform/os/Clock.h"
#include "support/SourceFiles.h"
#include "support/TempFolder.h"
#include "tests/game/ProgramTestSupport.h"

// Last: the X headers define names as macros.
#include <SDL_syswm.h>
#include <X11/extensions/XTest.h>

namespace {

void CloseWindow() {
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    SDL_PushEvent(&close);
}

// The real game, watched from outside: it reads back each frame and closes
// the window after a few frames, as a player would.
class WatchingClient : public GameShellClient {
public:
    void Render() override {
        GameShellClient::Render();
        ++frames;
        if (frames == 1) InspectContext();
        unsigned char pixel[4] = {1, 1, 1, 1};
        glReadPixels(GetGame()->windowSize.x / 2, GetGame()->windowSize.y / 2, 1, 1, GL_RGBA,
                     GL_UNSIGNED_BYTE, pixel);
        if (pixel[0] || pixel[1] || pixel[2]) ++nonBlackFrames;
        if (frames == kFramesBeforeClose) CloseWindow();
    }

    void InspectContext() {
        SDL_Window* window = SDL_GL_GetCurrentWindow();
        ASSERT_NE(window, nullptr);
        title = SDL_GetWindowTitle(window);
        SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
        SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depthBits);
        SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencilBits);
        fadeAtFirstFrame = GetGame()->fadeLevel;
        userFolder = GetGame()->userFolder;
    }

    static constexpr int kFramesBeforeClose = 5;
    int frames = 0;
    int nonBlackFrames = 0;
    std::string title;
    int doubleBuffer = 0, depthBits = 0, stencilBits = 0;
    float fadeAtFirstFrame = -1;
    std::string userFolder;
};

TEST(Shell, OpensRendersBlackAndExitsCleanlyWhenTheWindowCloses) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    const testsupport::TempFolder homeFolder;
    const std::string home = homeFolder.Path();
    ShellEnvironment environment = ShellEnvironment::System();
    environment.debuggerAttached = [] { return false; };
    environment.documentsFolder = [home] { return home + "/Documents"; };
    int gpuResets = 0;
    ShellHooks hooks;
    hooks.resetGlState = [&gpuResets] { ++gpuResets; };

    WatchingClient client;
    AppShell shell(hooks, environment);
    EXPECT_EQ(shell.Run(client), 0);

    // Events queued before the close (shown, exposed) take a pass each.
    EXPECT_GE(client.frames, WatchingClient::kFramesBeforeClose);
    EXPECT_LT(client.frames, WatchingClient::kFramesBeforeClose + 30);
    EXPECT_EQ(client.nonBlackFrames, 0);
    EXPECT_EQ(client.title, "Tavrin");
    EXPECT_EQ(client.doubleBuffer, 1);
    EXPECT_GE(client.depthBits, 24);
    EXPECT_GE(client.stencilBits, 8);
    EXPECT_GT(client.fadeAtFirstFrame, 0.9f);  // the picture starts black and fades in
    EXPECT_EQ(client.userFolder, home + "/Documents/Tavrin/");
    EXPECT_EQ(access((home + "/Documents/Tavrin").c_str(), F_OK), 0);
    EXPECT_EQ(gpuResets, 1);
    EXPECT_EQ(client.GetGame(), nullptr);  // released before the shell returned
}

// A busy machine: every frame outlasts a step, so the loop never waits for a
// message, and what the X server sends the window reaches the game only
// through the loop's own pump. The pointer moves through the X server, as
// the player moves it.
class BusyClient : public GameShellClient {
public:
    void Render() override {
        GameShellClient::Render();
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        // Again now and then: another test's window may stand over this one
        // on the shared display for a while, and take the motion.
        if (++frames % kFramesBetweenMoves == 1 && !seenAt) {
            // By way of another spot: a pointer already standing there
            // (left by an earlier run on the same display) would not move.
            SDL_WarpMouseInWindow(SDL_GL_GetCurrentWindow(), kX, kY + 100);
            SDL_WarpMouseInWindow(SDL_GL_GetCurrentWindow(), kX, kY);
        }
        const PointerState& pointer = PointerState::Global();
        if (!seenAt && pointer.x == kX && pointer.y == kY) seenAt = frames;
        if (frames == (seenAt ? seenAt + 1 : kFramesBeforeClose)) CloseWindow();
    }

    static constexpr int kX = 123, kY = 77;
    // About ten seconds: a starved X server may send the motion late.
    static constexpr int kFramesBeforeClose = 400;
    static constexpr int kFramesBetweenMoves = 20;
    int frames = 0;
    int seenAt = 0;
};

// The shell run over `client` on the suite's display, with a home of its own.
int RunOnTheDisplay(AppClient& client) {
    const testsupport::TempFolder home;
    ShellEnvironment environment = ShellEnvironment::System();
    environment.debuggerAttached = [] { return false; };
    environment.documentsFolder = [&home] { return home / "Documents"; };
    AppShell shell(ShellHooks(), environment);
    return shell.Run(client);
}

TEST(Shell, OnABusyMachineThePointerMovedThroughTheDisplayReachesTheGame) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    UpdateMousePosition(0, 0);
    BusyClient client;
    EXPECT_EQ(RunOnTheDisplay(client), 0);
    EXPECT_GT(client.seenAt, 0) << "the pointer never reached the game in " << client.frames << " frames";
}

// The X server's own time of each left press it made for the window, taken
// as SDL hands the record on: what the game's times are judged against.
int NoteServerPress(void* serverPressMs, SDL_Event* event) {
    if (event->type != SDL_SYSWMEVENT || !event->syswm.msg || event->syswm.msg->subsystem != SDL_SYSWM_X11)
        return 1;
    const XEvent& x = event->syswm.msg->msg.x11.event;
    if (x.type == ButtonPress && !x.xany.send_event && x.xbutton.button == Button1)
        static_cast<std::vector<uint32_t>*>(serverPressMs)->push_back(static_cast<uint32_t>(x.xbutton.time));
    return 1;
}

// A stalled game: two clicks made through the X server 300 ms apart by its
// clock (a starved server only makes them further apart) wait while the
// game sleeps, and one pass takes both. Each press keeps the server's time
// on the game's clock: the server's own gap between them, where the pass's
// time would leave none, and both from well before the stall ended.
class StalledClient : public GameShellClient {
public:
    ~StalledClient() override { SDL_DelEventWatch(NoteServerPress, &serverPressMs); }

    void ProcessInput() override {
        while (auto event = InputQueue::Global().PopFront())
            if (event->kind == InputEvent::kButtonDown) pressMs.push_back(event->timeMs);
        if (pressMs.size() == 2) CloseWindow();
    }

    void Render() override {
        GameShellClient::Render();
        if (++frames == kClickFrame) ClickTwiceThenStall();
        if (frames == kGiveUpFrame) CloseWindow();
    }

    // The pointer is held on this window while the clicks are made, so that
    // another test's window standing over it on the shared display cannot
    // take them; only then, for the window library may let go of a grab it
    // did not make as it takes events.
    void ClickTwiceThenStall() {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GL_GetCurrentWindow(), &info)) << SDL_GetError();
        Display* game = info.info.x11.display;
        ASSERT_EQ(XGrabPointer(game, info.info.x11.window, False, ButtonPressMask | ButtonReleaseMask,
                               GrabModeAsync, GrabModeAsync, None, None, CurrentTime),
                  GrabSuccess);
        SDL_AddEventWatch(NoteServerPress, &serverPressMs);
        Display* clicker = XOpenDisplay(nullptr);
        ASSERT_NE(clicker, nullptr);
        // Each waits on the one before, by the server's clock.
        XTestFakeButtonEvent(clicker, 1, True, 0);
        XTestFakeButtonEvent(clicker, 1, False, 30);
        XTestFakeButtonEvent(clicker, 1, True, 270);
        XTestFakeButtonEvent(clicker, 1, False, 30);
        XSync(clicker, False);  // the server has made them all
        XCloseDisplay(clicker);
        XUngrabPointer(game, CurrentTime);
        XFlush(game);
        os::SleepMs(kStallMs);
        stallEndMs = os::Milliseconds();
    }

    static constexpr int kClickFrame = 10, kGiveUpFrame = 400;
    // Long beside how late a busy machine may hand the game the server's
    // time, which is how far after the click a right time may come.
    static constexpr int32_t kStallMs = 1000;
    int frames = 0;
    std::vector<uint32_t> pressMs;
    std::vector<uint32_t> serverPressMs;
    uint32_t stallEndMs = 0;
};

TEST(Shell, PressesMadeThroughTheDisplayKeepTheirGapsWhenAStalledGameTakesThemLate) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    StalledClient client;
    EXPECT_EQ(RunOnTheDisplay(client), 0);
    ASSERT_EQ(client.pressMs.size(), 2u) << "the clicks never reached the game";
    ASSERT_EQ(client.serverPressMs.size(), 2u);
    const uint32_t serverGap = client.serverPressMs[1] - client.serverPressMs[0];
    EXPECT_GE(serverGap, 250u) << "the clicker's gap, which a busy server only lengthens";
    EXPECT_EQ(client.pressMs[1] - client.pressMs[0], serverGap);
    EXPECT_LE(static_cast<int32_t>(client.pressMs[1] - client.stallEndMs), -StalledClient::kStallMs / 2);
}

TEST(Shell, ProgramRunsUntilAskedToQuitAndExitsWithZero) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    testsupport::TempFolder home;
    // Asked once its user folder stands, which comes after video has started:
    // only from then on does the window library turn the request into a quit,
    // however long a loaded machine takes to get there.
    const std::string userFolder = home / "Documents/Tavrin";
    const auto started = [&userFolder](const std::string&) { return access(userFolder.c_str(), F_OK) == 0; };
    constexpr uint32_t kRunMs = 1500;
    const testsupport::ProgramEnd end = testsupport::RunProgramThenAskItToEnd(
        testsupport::SourceFolder("data").string(), home.Path(), {}, kRunMs, started);
    // Still running after a while: the window opened and the loop runs (a
    // failed start-up ends at once).
    ASSERT_GE(end.ms, kRunMs) << "the program ended on its own: " << end.said;
    ASSERT_TRUE(end.ended) << "the program kept running when asked to end";
    ASSERT_TRUE(WIFEXITED(end.status));
    EXPECT_EQ(WEXITSTATUS(end.status), 0);
}

// Run from a folder that holds no "Data/", the program ends on its own at
// once, non-zero, with one line on its error output that says where it
// looked and how to start it, and leaves the player's home as it was.
TEST(Shell, ProgramWithoutGameDataSaysHowToStartAndEndsNonZero) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    testsupport::TempFolder empty, home;
    const testsupport::ProgramEnd end = testsupport::RunProgramUntilItEnds(empty.Path(), home.Path());
    // A program that opened a window instead would still be running.
    ASSERT_TRUE(end.ended) << "the program kept running";
    ASSERT_TRUE(WIFEXITED(end.status));
    EXPECT_EQ(WEXITSTATUS(end.status), AppShell::kExitNoGameData);
    EXPECT_NE(WEXITSTATUS(end.status), 0);
    const std::string& said = end.said;
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    for (const char* part : {"No game data", "logo/version.xml", "scripts/play", "holds Data/"})
        EXPECT_NE(said.find(part), std::string::npos) << part << " in: " << said;
    EXPECT_NE(said.find("'" + empty.Path() + "'"), std::string::npos) << said;
    EXPECT_TRUE(std::filesystem::is_empty(home.Path())) << "no documents or user folder for a game not found";
}

}  // namespace
