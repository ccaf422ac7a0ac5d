// Start-up with the real platform services: data folders mounted from the
// working folder, the data tree's defaults and user folder, the window mode
// from the saved setting, the sound thread, and the language choice; and no
// window at all where the working folder holds no game.

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "game/GameShellClient.h"
#include "platform/AppShell.h"
#include "platform/DataTree.h"
#include "platform/Loca.h"
#include "platform/PlatformServices.h"
#include "platform/WindowProc.h"
#include "support/ArchiveWriter.h"
#include "support/LocaTableWriter.h"
#include "support/TempFolder.h"

namespace {

constexpr const char* kVersionXml =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
    "<version><language default=\"english\"><english /><german /></language></version>\n";

// Closes the window after a few frames, as a player would.
class ClosingClient : public GameShellClient {
public:
    void Render() override {
        GameShellClient::Render();
        ++frames;
        if (frames != 3) return;
        SDL_Event close{};
        close.type = SDL_WINDOWEVENT;
        close.window.event = SDL_WINDOWEVENT_CLOSE;
        close.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
        SDL_PushEvent(&close);
    }
    int frames = 0;
};

struct ShellRun {
    int exitCode = -1;
    int frames = 0;
};

// Runs the program's start-up in `dataFolder` with the given system language.
ShellRun RunShellIn(const testsupport::TempFolder& dataFolder, const std::string& documents, int uiLanguage) {
    char* previous = getcwd(nullptr, 0);
    EXPECT_EQ(chdir(dataFolder.Path().c_str()), 0);
    ShellEnvironment environment = ShellEnvironment::System();
    environment.debuggerAttached = [] { return false; };
    environment.documentsFolder = [documents] { return documents; };
    environment.uiLanguage = [uiLanguage] { return uiLanguage; };
    ClosingClient client;
    AppShell shell(PlatformServiceHooks(), environment);
    const int exitCode = shell.Run(client);
    EXPECT_EQ(chdir(previous), 0);
    std::free(previous);
    return {exitCode, client.frames};
}

TEST(Startup, PlatformServicesChooseFoldersWindowAndLanguage) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    testsupport::TempFolder data, home;
    data.WriteFile("Data/Global/logo/version.xml", kVersionXml);
    testsupport::LocaTableWriter german;
    german.Add("greeting", "Hallo");
    data.WriteFile("Data/Shared/loca/loca_german.bin", german.Build());
    data.MakeFolder("Data/Windows");

    const ShellRun run = RunShellIn(data, home / "Documents", 0x0407);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_GE(run.frames, 3);

    // The version file was read from the mounted roots, the system language
    // had a table, and the defaults ask for a fullscreen window.
    EXPECT_STREQ(DataTree::GetString("[VERSION]/language/default"), "english");
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "german");
    EXPECT_TRUE(ShellState::Global().fullscreen);
    EXPECT_EQ(DataTree::GetUserFolder(), home / "Documents/Tavrin/");
    EXPECT_EQ(access((home / "Documents/Tavrin").c_str(), F_OK), 0);
}

// Without the version file in any data folder the start ends before its
// window opens, before anything is read as if the game were there and before
// the user folder is made; the version file packed in an archive is game
// data as much as one in a folder.
TEST(Startup, WithoutGameDataItOpensNoWindow) {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs a display (run under xvfb-run)";
    testsupport::TempFolder data, home;
    data.WriteFile("Data/Shared/scripts/maininclude.cis", "// no version file beside it\n");

    testing::internal::CaptureStderr();
    const ShellRun missing = RunShellIn(data, home / "Documents", 0x0409);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(missing.exitCode, AppShell::kExitNoGameData);
    EXPECT_EQ(missing.frames, 0);
    EXPECT_EQ(said.find("Unable to load"), std::string::npos) << said;
    EXPECT_NE(access((home / "Documents").c_str(), F_OK), 0) << "a documents folder for a game not found";

    testsupport::ArchiveWriter logo;
    logo.Add("version.xml", kVersionXml);
    data.WriteFile("Data/Global/logo.tvk", logo.Build());
    const ShellRun packed = RunShellIn(data, home / "Documents", 0x0409);
    EXPECT_EQ(packed.exitCode, 0);
    EXPECT_GE(packed.frames, 3);
    EXPECT_STREQ(DataTree::GetString("[VERSION]/language/default"), "english");
}

}  // namespace
