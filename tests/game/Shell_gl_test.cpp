// The whole program under a real display: the shell with the game in
// process, and the built binary as a separate process, started from the
// sample's data folder as scripts/play does, and from a folder without game
// data.

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "game/GameShellClient.h"
#include "platform/AppShell.h"
#include "platform/os/Clock.h"
#include "support/GlDriverResident.h"
#include "support/SourceFiles.h"
#include "support/TempFolder.h"

namespace {

std::string MakeTempHome() {
    char pattern[] = "/tmp/tavrin_home_XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "";
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
        testsupport::KeepGlDriverResident();
        title = SDL_GetWindowTitle(window);
        SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
        SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depthBits);
        SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencilBits);
        fadeAtFirstFrame = GetGame()->fadeLevel;
        userFolder = GetGame()->userFolder;
    }

    void CloseWindow() {
        SDL_Event close{};
        close.type = SDL_WINDOWEVENT;
        close.window.event = SDL_WINDOWEVENT_CLOSE;
        close.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
        SDL_PushEvent(&close);
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
    const std::string home = MakeTempHome();
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

// Far longer than the program needs to give up.
constexpr uint32_t kPatienceMs = 10000;

// What a process writes to `fd` until it closes it, or until `limitMs` passed.
std::string ReadUntilClosed(int fd, uint32_t limitMs) {
    std::string said;
    char chunk[4096];
    for (uint32_t start = os::Milliseconds(); os::Milliseconds() - start < limitMs;) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0) continue;
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0) break;
        said.append(chunk, static_cast<size_t>(got));
    }
    return said;
}

// Starts the built program in `folder` with a fresh home; its error output
// goes to `errorOutput` when that is not negative.
pid_t StartProgramIn(const std::string& folder, int errorOutput = -1) {
    const std::string home = MakeTempHome();
    const pid_t child = fork();
    if (child != 0) return child;
    setenv("HOME", home.c_str(), 1);
    // The driver unloads at exit with allocations the leak checker cannot
    // attribute; our own code's leaks are checked by the in-process test.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    if (chdir(folder.c_str()) != 0) _exit(126);
    if (errorOutput >= 0) dup2(errorOutput, STDERR_FILENO);
    execl(TAVRIN_BINARY, TAVRIN_BINARY, static_cast<char*>(nullptr));
    _exit(127);
}

TEST(Shell, ProgramRunsUntilAskedToQuitAndExitsWithZero) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    const pid_t child = StartProgramIn(testsupport::SourceFolder("data").string());
    ASSERT_GE(child, 0);
    // Still running after a while: the window opened and the loop runs (a
    // failed start-up ends at once).
    int status = 0;
    os::SleepMs(1500);
    ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the program ended on its own";
    // SDL turns the termination request into a quit event.
    kill(child, SIGTERM);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Run from a folder that holds no "Data/", the program ends on its own at
// once, non-zero, with one line on its error output that says where it
// looked and how to start it.
TEST(Shell, ProgramWithoutGameDataSaysHowToStartAndEndsNonZero) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    testsupport::TempFolder empty;
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = StartProgramIn(empty.Path(), pipeEnds[1]);
    ASSERT_GE(child, 0);
    close(pipeEnds[1]);
    const std::string said = ReadUntilClosed(pipeEnds[0], kPatienceMs);
    close(pipeEnds[0]);
    // The error output closes as the program ends; a program that opened a
    // window instead would still be running.
    int status = 0;
    pid_t ended = 0;
    for (uint32_t start = os::Milliseconds(); ended == 0 && os::Milliseconds() - start < kPatienceMs;) {
        ended = waitpid(child, &status, WNOHANG);
        if (ended == 0) os::SleepMs(20);
    }
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    ASSERT_EQ(ended, child) << "the program kept running";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), AppShell::kExitNoGameData);
    EXPECT_NE(WEXITSTATUS(status), 0);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    for (const char* part : {"No game data", "logo/version.xml", "scripts/play", "holds Data/"})
        EXPECT_NE(said.find(part), std::string::npos) << part << " in: " << said;
    EXPECT_NE(said.find("'" + empty.Path() + "'"), std::string::npos) << said;
}

}  // namespace
