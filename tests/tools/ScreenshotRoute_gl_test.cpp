// The README's pictures: the screenshot tool, started in the sample's data
// folder as scripts/screenshots.sh starts it, clicks its way through the
// game on its own clock to the last picture. A route that stalls ends the
// tool at its frame limit, with status 1 and the picture it waited for.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/SourceFiles.h"
#include "support/TempFolder.h"

namespace {

TEST(ScreenshotRoute, RunsToItsLastPicture) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    const testsupport::TempFolder shots, user;
    const std::string data = testsupport::SourceFolder("data").string();
    const pid_t tool = fork();
    if (tool == 0) {
        // The driver unloads at exit with allocations the leak checker cannot
        // attribute; our own code's leaks are checked by the in-process tests.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        if (chdir(data.c_str()) != 0) _exit(126);
        execl(TAVRIN_SCREENSHOTS_BINARY, TAVRIN_SCREENSHOTS_BINARY, shots.Path().c_str(), user.Path().c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(tool, 0);
    int status = 0;
    ASSERT_EQ(waitpid(tool, &status, 0), tool);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the route stalled (see its error output)";
    for (const char* picture : {"splash", "menu", "options", "search", "cutscene", "map", "minigame_lock",
                                "minigame_targets"})
        EXPECT_TRUE(std::filesystem::exists(shots / (std::string(picture) + ".ppm"))) << picture;
}

}  // namespace
