// The README's pictures: the screenshot tool, started in the sample's data
// folder as scripts/screenshots.sh starts it, clicks its way through the
// game on its own clock. A route that stalls ends the tool at its frame
// limit, with status 1 and the picture it waited for; so does a speaker's
// line that does not take the route's click. The row takes the route as far
// as the lock puzzle: the boards clicked where the window shows them, the
// manor's lines each clicked once it has stood half a second, and the game
// one step further with each frame; scripts/screenshots.sh runs the rest.
// The sound thread plays on the wall clock, so the route keeps the music
// lists from drawing on the game's random generator: the garden's list is
// the same with the suite's null sound device as with none.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "platform/MainLoop.h"
#include "support/SourceFiles.h"
#include "support/TempFolder.h"

namespace {

struct ToolRun {
    int status = -1;
    std::string said;
};

// The tool run as far as the picture `last`, into `shots`; with
// `audioDrivers`, OpenAL Soft tries only those.
ToolRun RunTool(const testsupport::TempFolder& shots, const char* last, const char* audioDrivers = nullptr) {
    const testsupport::TempFolder user;
    const std::string data = testsupport::SourceFolder("data").string();
    ToolRun run;
    int output[2];
    if (pipe(output) != 0) return run;
    const pid_t tool = fork();
    if (tool == 0) {
        // The driver unloads at exit with allocations the leak checker cannot
        // attribute; our own code's leaks are checked by the in-process tests.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        if (audioDrivers) setenv("ALSOFT_DRIVERS", audioDrivers, 1);
        if (chdir(data.c_str()) != 0) _exit(126);
        close(output[0]);
        dup2(output[1], STDOUT_FILENO);
        execl(TAVRIN_SCREENSHOTS_BINARY, TAVRIN_SCREENSHOTS_BINARY, shots.Path().c_str(), user.Path().c_str(), last,
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    if (tool <= 0) return run;
    char chunk[4096];
    for (ssize_t got; (got = read(output[0], chunk, sizeof chunk)) > 0;)
        run.said.append(chunk, static_cast<size_t>(got));
    close(output[0]);
    int status = 0;
    if (waitpid(tool, &status, 0) == tool && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

TEST(ScreenshotRoute, RunsThroughTheBoardsAndTheManorsLinesToTheLockPuzzle) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    const testsupport::TempFolder shots;
    const ToolRun run = RunTool(shots, "minigame_lock");
    const std::string& said = run.said;
    EXPECT_EQ(run.status, 0) << "the route stalled (see its error output)";
    for (const char* picture : {"splash", "menu", "options", "search", "cutscene", "map", "minigame_lock"})
        EXPECT_TRUE(std::filesystem::exists(shots / (std::string(picture) + ".ppm"))) << picture;
    // Each picture's frame and the game's time then: one step a frame.
    const std::regex taken(R"(at frame (\d+), (\d+) ms into the game)");
    int pictures = 0;
    for (std::sregex_iterator it(said.begin(), said.end(), taken), end; it != end; ++it, ++pictures)
        EXPECT_EQ(std::stod((*it)[2]), std::stod((*it)[1]) * MainLoop::kStepMs) << it->str();
    EXPECT_EQ(pictures, 7) << said;
}

TEST(ScreenshotRoute, TakesTheSameGardenListWithOrWithoutASoundDevice) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    const testsupport::TempFolder playing, silent;
    ASSERT_EQ(RunTool(playing, "search").status, 0);
    ASSERT_EQ(RunTool(silent, "search", "no-such-driver").status, 0);
    using testsupport::ReadWholeFile;
    EXPECT_TRUE(ReadWholeFile(playing / "search.ppm") == ReadWholeFile(silent / "search.ppm"))
        << "the music lists drew on the route's random generator";
}

}  // namespace
