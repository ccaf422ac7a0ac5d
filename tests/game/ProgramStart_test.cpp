// The built program started where it cannot play, as a separate process and
// without a display server: it must end on its own with one line that says
// why, and leave the player's home untouched.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/AppShell.h"
#include "support/SourceFiles.h"
#include "support/TempFolder.h"
#include "tests/game/ProgramTestSupport.h"

namespace {

using testsupport::EnvSetting;

// Ending on its own within this shows that it never reached a window loop.
constexpr uint32_t kQuickEndMs = 5000;

struct DisplayCase {
    const char* name;
    std::vector<EnvSetting> settings;
};

// Started from the sample's data folder as scripts/play does, but with no
// display named (variables unset, or set empty), the program says so before
// it reads the data and makes no folder; the invisible fallback window would
// instead run until killed. A display named that does not answer (a stale
// forwarded one, a stopped server) ends the same way once video starts; the
// runtime folder is set so that the display library finds nothing to add.
TEST(ProgramStart, WithoutADisplayItSaysSoInOneLineAndEndsWithOne) {
    const std::vector<DisplayCase> noDisplay = {
        {"unset", {{"DISPLAY"}, {"WAYLAND_DISPLAY"}, {"SDL_VIDEODRIVER"}}},
        {"set empty", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}}},
        {"X display not there", {{"DISPLAY", ":987"}, {"WAYLAND_DISPLAY"}, {"SDL_VIDEODRIVER"}}},
        {"Wayland display not there", {{"DISPLAY"}, {"WAYLAND_DISPLAY", "tavrin-none"}, {"SDL_VIDEODRIVER"}}},
    };
    for (const DisplayCase& display : noDisplay) {
        SCOPED_TRACE(display.name);
        testsupport::TempFolder home, runtime;
        std::vector<EnvSetting> settings = display.settings;
        settings.push_back({"XDG_RUNTIME_DIR", runtime.Path().c_str()});
        const testsupport::ProgramEnd end =
            testsupport::RunProgramUntilItEnds(testsupport::SourceFolder("data").string(), home.Path(), settings);
        ASSERT_TRUE(end.ended) << "the program kept running";
        EXPECT_LT(end.ms, kQuickEndMs);
        ASSERT_TRUE(WIFEXITED(end.status));
        EXPECT_EQ(WEXITSTATUS(end.status), AppShell::kExitNoDisplay);
        EXPECT_EQ(WEXITSTATUS(end.status), 1);
        ASSERT_FALSE(end.said.empty());
        EXPECT_EQ(end.said.find('\n'), end.said.size() - 1) << end.said;
        for (const char* part : {"No display", "DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"})
            EXPECT_NE(end.said.find(part), std::string::npos) << part << " in: " << end.said;
        EXPECT_TRUE(std::filesystem::is_empty(home.Path())) << "a folder made without a display";
    }
}

// A video driver chosen that cannot start ends the start as a failure, not
// as a player's quit, before anything is made in the player's home.
TEST(ProgramStart, AChosenVideoDriverThatCannotStartEndsNonZeroAndMakesNoFolder) {
    testsupport::TempFolder home;
    const testsupport::ProgramEnd end =
        testsupport::RunProgramUntilItEnds(testsupport::SourceFolder("data").string(), home.Path(),
                                           {{"DISPLAY"}, {"WAYLAND_DISPLAY"}, {"SDL_VIDEODRIVER", "x11"}});
    ASSERT_TRUE(end.ended) << "the program kept running";
    ASSERT_TRUE(WIFEXITED(end.status));
    EXPECT_EQ(WEXITSTATUS(end.status), AppShell::kExitNoWindow);
    EXPECT_NE(WEXITSTATUS(end.status), 0);
    EXPECT_NE(end.said.find("Unable to start video"), std::string::npos) << end.said;
    EXPECT_TRUE(std::filesystem::is_empty(home.Path())) << "a folder made for a game that could not start";
}

// A video driver chosen on purpose (as headless runs do) stands in for a
// display: the start goes on to look for the game, and without it ends with
// the missing data named, still leaving no documents or user folder behind.
TEST(ProgramStart, AChosenVideoDriverGetsPastTheDisplayCheckAndNoGameDataMakesNoFolder) {
    testsupport::TempFolder empty, home;
    const testsupport::ProgramEnd end = testsupport::RunProgramUntilItEnds(
        empty.Path(), home.Path(), {{"DISPLAY"}, {"WAYLAND_DISPLAY"}, {"SDL_VIDEODRIVER", "dummy"}});
    ASSERT_TRUE(end.ended) << "the program kept running";
    EXPECT_LT(end.ms, kQuickEndMs);
    ASSERT_TRUE(WIFEXITED(end.status));
    EXPECT_EQ(WEXITSTATUS(end.status), AppShell::kExitNoGameData);
    EXPECT_EQ(end.said.find("No display"), std::string::npos) << end.said;
    EXPECT_NE(end.said.find("No game data"), std::string::npos) << end.said;
    EXPECT_EQ(end.said.find('\n'), end.said.size() - 1) << end.said;
    EXPECT_TRUE(std::filesystem::is_empty(home.Path())) << "a folder made for a game not found";
}

}  // namespace
