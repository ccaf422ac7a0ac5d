// The README's pictures: the screenshot tool, started in the sample's data
// folder as scripts/screenshots.sh starts it, clicks its way through the
// game on its own clock. A route that stalls ends the tool at its frame
// limit, with status 1 and the picture it waited for; so does a speaker's
// line that does not take the route's click. The row takes the route as far
// as the lock puzzle: the boards clicked where the window shows them, the
// manor's lines each clicked once it has stood half a second, and the game
// one step further with each frame; scripts/screenshots.sh runs the rest.

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

TEST(ScreenshotRoute, RunsThroughTheBoardsAndTheManorsLinesToTheLockPuzzle) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    const testsupport::TempFolder shots, user;
    const std::string data = testsupport::SourceFolder("data").string();
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t tool = fork();
    if (tool == 0) {
        // The driver unloads at exit with allocations the leak checker cannot
        // attribute; our own code's leaks are checked by the in-process tests.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        if (chdir(data.c_str()) != 0) _exit(126);
        close(output[0]);
        dup2(output[1], STDOUT_FILENO);
        execl(TAVRIN_SCREENSHOTS_BINARY, TAVRIN_SCREENSHOTS_BINARY, shots.Path().c_str(), user.Path().c_str(),
              "minigame_lock", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    ASSERT_GT(tool, 0);
    std::string said;
    char chunk[4096];
    for (ssize_t got; (got = read(output[0], chunk, sizeof chunk)) > 0;)
        said.append(chunk, static_cast<size_t>(got));
    close(output[0]);
    int status = 0;
    ASSERT_EQ(waitpid(tool, &status, 0), tool);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the route stalled (see its error output)";
    for (const char* picture : {"splash", "menu", "options", "search", "cutscene", "map", "minigame_lock"})
        EXPECT_TRUE(std::filesystem::exists(shots / (std::string(picture) + ".ppm"))) << picture;
    // Each picture's frame and the game's time then: one step a frame.
    const std::regex taken(R"(at frame (\d+), (\d+) ms into the game)");
    int pictures = 0;
    for (std::sregex_iterator it(said.begin(), said.end(), taken), end; it != end; ++it, ++pictures)
        EXPECT_EQ(std::stod((*it)[2]), std::stod((*it)[1]) * MainLoop::kStepMs) << it->str();
    EXPECT_EQ(pictures, 7) << said;
}

}  // namespace
