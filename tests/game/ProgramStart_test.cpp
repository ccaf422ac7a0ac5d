// The built program started where it cannot play, as a separate process and
// without a display server: it must end on its own with one line that says
// why, and leave the player's home untouched.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "platform/AppShell.h"
#include "support/SourceFiles.h"
#include "support/TempFolder.h"
#include "tests/game/ProgramTestSupport.h"

namespace {

using testsupport::EnvSetting;

// A start without a display gives up within a fraction of a second on a
// quiet machine, a few seconds under the sanitizers on a busy one. Far above
// either, yet well below the patience kept for a program that would never
// end, so that a start which stalls before it says so fails.
constexpr uint32_t kNoDisplayEndMs = 20000;

struct DisplayCase {
    const char* name;
    std::vector<EnvSetting> settings;
    // The display named that did not answer, as the line must name it.
    const char* named = nullptr;
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
        {"X display not there", {{"DISPLAY", ":987"}, {"WAYLAND_DISPLAY"}, {"SDL_VIDEODRIVER"}}, "DISPLAY=':987'"},
        {"Wayland display not there",
         {{"DISPLAY"}, {"WAYLAND_DISPLAY", "tavrin-none"}, {"SDL_VIDEODRIVER"}},
         "WAYLAND_DISPLAY='tavrin-none'"},
    };
    for (const DisplayCase& display : noDisplay) {
        SCOPED_TRACE(display.name);
        testsupport::TempFolder home, runtime;
        std::vector<EnvSetting> settings = display.settings;
        settings.push_back({"XDG_RUNTIME_DIR", runtime.Path().c_str()});
        const testsupport::ProgramEnd end =
            testsupport::RunProgramUntilItEnds(testsupport::SourceFolder("data").string(), home.Path(), settings);
        // Ending on its own shows that it never reached a window loop, which
        // runs until it is killed.
        ASSERT_TRUE(end.ended) << "the program kept running";
        EXPECT_LT(end.ms, kNoDisplayEndMs) << "the start stalled before it gave up";
        ASSERT_TRUE(WIFEXITED(end.status));
        EXPECT_EQ(WEXITSTATUS(end.status), AppShell::kExitNoDisplay);
        EXPECT_EQ(WEXITSTATUS(end.status), 1);
        ASSERT_FALSE(end.said.empty());
        EXPECT_EQ(end.said.find('\n'), end.said.size() - 1) << end.said;
        for (const char* part : {"No display", "DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"})
            EXPECT_NE(end.said.find(part), std::string::npos) << part << " in: " << end.said;
        // A display named is not told to be set: the line names the one that did not answer.
        if (display.named) EXPECT_NE(end.said.find(std::string(display.named) + " did not answer"),
                                     std::string::npos) << end.said;
        else EXPECT_EQ(end.said.find("did not answer"), std::string::npos) << end.said;
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
    ASSERT_TRUE(WIFEXITED(end.status));
    EXPECT_EQ(WEXITSTATUS(end.status), AppShell::kExitNoGameData);
    EXPECT_EQ(end.said.find("No display"), std::string::npos) << end.said;
    EXPECT_NE(end.said.find("No game data"), std::string::npos) << end.said;
    EXPECT_EQ(end.said.find('\n'), end.said.size() - 1) << end.said;
    EXPECT_TRUE(std::filesystem::is_empty(home.Path())) << "a folder made for a game not found";
}

// The program as it runs without a display server, on the windowless driver
// chosen on purpose; long enough to start, then asked to end.
constexpr uint32_t kRunMs = 2500;
const std::vector<EnvSetting> kWindowless = {{"DISPLAY"}, {"WAYLAND_DISPLAY"}, {"SDL_VIDEODRIVER", "offscreen"},
                                             {"LANG", "en_US.UTF-8"}, {"LANGUAGE"}, {"LC_ALL"}, {"LC_MESSAGES"}};

std::vector<EnvSetting> With(std::vector<EnvSetting> settings, std::initializer_list<EnvSetting> more) {
    settings.insert(settings.end(), more);
    return settings;
}

std::string LastLine(const std::string& said) {
    const size_t end = said.empty() || said.back() != '\n' ? said.size() : said.size() - 1;
    const size_t start = said.rfind('\n', end == 0 ? 0 : end - 1);
    return said.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
}

// A windowless driver named in SDL_VIDEODRIVER is the one asked for, not a
// fallback for a display that did not answer: the offscreen one runs the
// game, the dummy one (which has no OpenGL) ends as a window that cannot
// start, and neither is told as a missing display.
TEST(ProgramStart, AWindowlessDriverChosenOnPurposeIsNotTakenForAMissingDisplay) {
    testsupport::TempFolder home;
    const std::string data = testsupport::SourceFolder("data").string();
    const testsupport::ProgramEnd offscreen = testsupport::RunProgramThenAskItToEnd(data, home.Path(), kWindowless, kRunMs);
    EXPECT_GE(offscreen.ms, kRunMs) << "ended before it was asked: " << offscreen.said;
    ASSERT_TRUE(offscreen.ended) << "the program kept running";
    ASSERT_TRUE(WIFEXITED(offscreen.status)) << offscreen.said;
    EXPECT_EQ(WEXITSTATUS(offscreen.status), 0) << offscreen.said;
    EXPECT_EQ(offscreen.said.find("No display"), std::string::npos) << offscreen.said;

    testsupport::TempFolder otherHome;
    const testsupport::ProgramEnd dummy = testsupport::RunProgramUntilItEnds(
        data, otherHome.Path(), {{"DISPLAY"}, {"WAYLAND_DISPLAY"}, {"SDL_VIDEODRIVER", "dummy"}});
    ASSERT_TRUE(dummy.ended) << "the program kept running";
    ASSERT_TRUE(WIFEXITED(dummy.status));
    EXPECT_EQ(WEXITSTATUS(dummy.status), AppShell::kExitNoWindow);
    EXPECT_EQ(dummy.said.find("No display"), std::string::npos) << dummy.said;
    EXPECT_NE(dummy.said.find("(dummy)"), std::string::npos) << dummy.said;
}

// A folder to start the program in, as the sample's data folder (its data
// folders linked), with `gameData` as a file named as the game's saved
// settings and the scripts of the title screen and of the first scene, the
// garden, replaced by `splash` and `garden`, each when given.
std::string GameFolder(const testsupport::TempFolder& folder, const std::string& gameData,
                       const std::string& splash, const char* garden = nullptr) {
    const std::filesystem::path data = testsupport::SourceFolder("data/Data");
    folder.MakeFolder("Data/Windows");
    for (const char* shared : {"Shared", "Global"})
        std::filesystem::create_directory_symlink(std::filesystem::absolute(data / shared),
                                                 std::filesystem::path(folder / "Data") / shared);
    if (!splash.empty()) folder.WriteFile("Data/Windows/scripts/splash.cis", splash);
    if (garden) folder.WriteFile("Data/Windows/scripts/scenes/garden.cis", garden);
    if (!gameData.empty()) folder.WriteFile("gamedata.xml", gameData);
    return folder.Path();
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Instead of the title screen, the last player's game at once, as Continue
// would start it: a new game's first scene change saves both files.
constexpr const char* kPlayAtOnce =
    "function void Create(auto frame) {\n  Sleep(0.2);\n  ContinueGame();\n}\n"
    "function bool OnButton(auto button) { return true; }\n";
// The same once the second player is deleted.
constexpr const char* kDeleteThenPlay =
    "function void Create(auto frame) {\n  Sleep(0.2);\n  DeleteProfile(1);\n  ContinueGame();\n}\n"
    "function bool OnButton(auto button) { return true; }\n";
// The same after a "Start again" of the first player's game.
constexpr const char* kStartAgainThenPlay =
    "function void Create(auto frame) {\n  Sleep(0.2);\n  StartPlayerOver(0);\n  ContinueGame();\n}\n"
    "function bool OnButton(auto button) { return true; }\n";
// A garden that keeps a count of its own in the settings and saves them,
// each time a change: once their file refuses it, the end has it to lose.
constexpr const char* kCountingGarden =
    "function void OnFirstEnter() {\n  int n = 0;\n  while (true) {\n    n = n + 1;\n"
    "    OptionsSetInt(\"[SETTINGS]/count\", n);\n    OptionsSave(0);\n    Sleep(0.05);\n  }\n}\n";
// Ada, who played last, and Bea.
constexpr const char* kPlayers =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<root><profiles><slot0 name=\"Ada\">"
    "<options language=\"english\" /><stats /><logs /></slot0><slot1 name=\"Bea\"><options /><stats /><logs />"
    "</slot1></profiles><global last_slot=\"0\" /></root>\n";
constexpr const char* kCutOff = "<root><profiles><slot0 name=\"Ada\"";

// A save that did not reach the disk when the program ends is told in one
// last line and ends with a status of its own: a folder of saved games that
// refuses every file, and no folder at all (HOME unset), where the line at
// the start says the game cannot save, nothing is read from the working
// folder (a damaged game data there stays untouched and untold) and nothing
// lands in it, and a folder that cannot be made. A run whose saves succeed
// ends with 0.
TEST(ProgramStart, AFailedLastSaveIsToldAndEndsWithItsOwnStatus) {
    const std::string data = testsupport::SourceFolder("data").string();
    testsupport::TempFolder home;
    const testsupport::ProgramEnd saved = testsupport::RunProgramThenAskItToEnd(data, home.Path(), kWindowless, kRunMs);
    ASSERT_TRUE(saved.ended && WIFEXITED(saved.status)) << saved.said;
    EXPECT_EQ(WEXITSTATUS(saved.status), 0) << saved.said;
    EXPECT_TRUE(std::filesystem::exists(home / "Documents/Tavrin/gamedata.xml"));
    EXPECT_EQ(saved.said.find("Not saved"), std::string::npos) << saved.said;

    testsupport::TempFolder full;
    std::filesystem::create_directories(full / "Documents/Tavrin/gamedata.xml.tmp");
    const testsupport::ProgramEnd refused = testsupport::RunProgramThenAskItToEnd(data, full.Path(), kWindowless, kRunMs);
    ASSERT_TRUE(refused.ended && WIFEXITED(refused.status)) << refused.said;
    EXPECT_EQ(WEXITSTATUS(refused.status), AppShell::kExitNotSaved) << refused.said;
    EXPECT_NE(WEXITSTATUS(refused.status), 0);
    const std::string last = LastLine(refused.said);
    EXPECT_NE(last.find("Not saved"), std::string::npos) << refused.said;
    EXPECT_NE(last.find(full / "Documents/Tavrin/"), std::string::npos) << refused.said;

    testsupport::TempFolder unused, working;
    const std::string folder = GameFolder(working, kCutOff, "");
    const testsupport::ProgramEnd nowhere =
        testsupport::RunProgramThenAskItToEnd(folder, unused.Path(), With(kWindowless, {{"HOME"}}), kRunMs);
    ASSERT_TRUE(nowhere.ended && WIFEXITED(nowhere.status)) << nowhere.said;
    EXPECT_EQ(WEXITSTATUS(nowhere.status), AppShell::kExitNotSaved) << nowhere.said;
    EXPECT_NE(nowhere.said.find("No documents folder (HOME is not set): the game cannot save"), std::string::npos)
        << nowhere.said;
    EXPECT_EQ(nowhere.said.find("saving in the working folder"), std::string::npos) << nowhere.said;
    EXPECT_EQ(nowhere.said.find("damaged"), std::string::npos) << nowhere.said;
    EXPECT_NE(LastLine(nowhere.said).find("Not saved: there was no folder to save in"), std::string::npos)
        << nowhere.said;
    EXPECT_EQ(testsupport::ReadWholeFile(working / "gamedata.xml"), kCutOff);
    const auto entries = std::distance(std::filesystem::directory_iterator(working.Path()), {});
    EXPECT_EQ(entries, 2) << "written in the working folder";
    EXPECT_TRUE(std::filesystem::is_empty(unused.Path()));

    // A file standing where the folder would be made: HOME is set, and the
    // end says the folder could not be made.
    testsupport::TempFolder blocked;
    blocked.WriteFile("Documents/Tavrin", "");
    const testsupport::ProgramEnd unmade =
        testsupport::RunProgramThenAskItToEnd(data, blocked.Path(), kWindowless, kRunMs);
    ASSERT_TRUE(unmade.ended && WIFEXITED(unmade.status)) << unmade.said;
    EXPECT_EQ(WEXITSTATUS(unmade.status), AppShell::kExitNotSaved) << unmade.said;
    EXPECT_EQ(unmade.said.find("HOME is not set"), std::string::npos) << unmade.said;
    EXPECT_NE(LastLine(unmade.said).find("Not saved: the folder to save in could not be made"), std::string::npos)
        << unmade.said;
}

// The end judges each file by its own last save, made as the game is
// released: a player file refused at every save, with the settings saved
// after it, ends with status 2 as much as settings refused only once a
// change was made after saves that all succeeded, a player file refused
// after a "Start again" it refused too, and a deleted player's file that
// could not be removed; the line names the file, and tells a loss only
// where something was lost: the file left behind is still on disk.
TEST(ProgramStart, TheLastSaveOfEachFileJudgesTheEnd) {
    const struct {
        const char* what;
        const char* blockedFromTheStart;
        const char* blockedBeforeTheEnd;
        // The last line, around the user folder.
        const char* lineBefore;
        const char* lineAfter;
        bool lost;
        const char* splash = kPlayAtOnce;
        const char* garden = nullptr;
    } runs[] = {
        {"every save of the player file refused", "data0.xml.tmp", nullptr,
         "Not saved: the last save of 'data0.xml' to '",
         "' failed, so what changed since the last good save is lost", true},
        {"the settings refused after a change", nullptr, "gamedata.xml.tmp",
         "Not saved: the last save of 'gamedata.xml' to '",
         "' failed, so what changed since the last good save is lost", true, kPlayAtOnce, kCountingGarden},
        {"the player file refused after a refused \"Start again\"", "data0.xml.tmp", nullptr,
         "Not saved: the last save of 'data0.xml' to '",
         "' failed, so what changed since the last good save is lost", true, kStartAgainThenPlay},
        {"a deleted player's file not removed (a folder in its place)", "data1.xml", nullptr,
         "Not deleted: 'data1.xml' (a deleted player's game) could not be removed from '", "' and stays on disk",
         false, kDeleteThenPlay},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.what);
        testsupport::TempFolder home, working;
        const std::filesystem::path user = std::filesystem::path(home.Path()) / "Documents/Tavrin";
        std::filesystem::create_directories(user);
        WriteFile(user / "gamedata.xml", kPlayers);
        WriteFile(user / "data0.xml", "<root />");
        if (run.blockedFromTheStart) std::filesystem::create_directory(user / run.blockedFromTheStart);
        // Asked to end once the first scene change has been saved, or, where
        // the settings are refused after it, once a change to them was.
        bool blocked = false;
        const std::string refused =
            "Unable to create '" + (user / (run.blockedBeforeTheEnd ? run.blockedBeforeTheEnd : "")).string();
        const auto played = [&](const std::string& said) {
            if (!blocked) {
                if (testsupport::ReadWholeFile(user / "gamedata.xml").find("transits=") == std::string::npos)
                    return false;
                if (!run.blockedBeforeTheEnd) return true;
                // Not while a save of the program's stages its file there.
                std::error_code staged;
                blocked = std::filesystem::create_directory(user / run.blockedBeforeTheEnd, staged);
            }
            return said.find(refused) != std::string::npos;
        };
        const testsupport::ProgramEnd end = testsupport::RunProgramThenAskItToEnd(
            GameFolder(working, "", run.splash, run.garden), home.Path(), kWindowless, kRunMs, played);
        ASSERT_TRUE(end.ended && WIFEXITED(end.status)) << end.said;
        ASSERT_NE(testsupport::ReadWholeFile(user / "gamedata.xml").find("transits=\"1\""), std::string::npos)
            << "the game did not start: " << end.said;
        EXPECT_EQ(WEXITSTATUS(end.status), AppShell::kExitNotSaved) << end.said;
        const std::string last = LastLine(end.said);
        const std::string folder = (user / "").string();
        EXPECT_NE(last.find(run.lineBefore + folder + run.lineAfter), std::string::npos) << end.said;
        EXPECT_EQ(last.find("lost") != std::string::npos, run.lost) << last;
    }
}

// A delete the players could not be saved without (their folder refusing
// files) deleted nothing and lost nothing, nor did a "Start again" the
// player's file refused: neither is a loss at the end, and a run without
// another failed save ends with 0 and no "Not saved" line. For the delete
// no player is open and the language is none of the game's, so that the
// start itself saves nothing; the program is asked to end once it has told
// of the refusal.
TEST(ProgramStart, ARefusedDeleteOrStartAgainIsNoLossAtTheEnd) {
    constexpr const char* kNoneOpen =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<root><profiles><slot0 name=\"Ada\"><options /><stats />"
        "<logs /></slot0><slot1 name=\"Bea\"><options /><stats /><logs /></slot1></profiles>"
        "<global last_slot=\"-1\" /></root>\n";
    const struct {
        const char* what;
        const char* blocked;
        const char* players;
        const char* file;  // holding "<root />", which stays
        const char* splash;
    } runs[] = {
        {"delete", "gamedata.xml.tmp", kNoneOpen, "data1.xml",
         "function void Create(auto frame) {\n  DeleteProfile(1);\n}\n"
         "function bool OnButton(auto button) { return true; }\n"},
        {"Start again", "data0.xml.tmp", kPlayers, "data0.xml",
         "function void Create(auto frame) {\n  StartPlayerOver(0);\n}\n"
         "function bool OnButton(auto button) { return true; }\n"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.what);
        testsupport::TempFolder home, working;
        const std::filesystem::path user = std::filesystem::path(home.Path()) / "Documents/Tavrin";
        std::filesystem::create_directories(user / run.blocked);
        WriteFile(user / "gamedata.xml", run.players);
        WriteFile(user / run.file, "<root />");
        const std::string refused = "Unable to create '" + (user / run.blocked).string();
        const testsupport::ProgramEnd end = testsupport::RunProgramThenAskItToEnd(
            GameFolder(working, "", run.splash), home.Path(), With(kWindowless, {{"LANG", "C"}}), 0,
            [&](const std::string& said) { return said.find(refused) != std::string::npos; });
        ASSERT_TRUE(end.ended && WIFEXITED(end.status)) << end.said;
        ASSERT_NE(end.said.find(refused), std::string::npos) << "it was not tried: " << end.said;
        if (run.players == kNoneOpen) {
            EXPECT_EQ(testsupport::ReadWholeFile(user / "gamedata.xml"), kNoneOpen);
        }
        EXPECT_EQ(testsupport::ReadWholeFile(user / run.file), "<root />");
        EXPECT_EQ(end.said.find("Not saved"), std::string::npos) << end.said;
        EXPECT_EQ(WEXITSTATUS(end.status), 0) << end.said;
    }
}

}  // namespace
