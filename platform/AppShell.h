#pragma once
// The program's start-up, main loop and shutdown around one game.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/AppClient.h"

// What the shell asks of the system; tests replace single answers.
struct ShellEnvironment {
    std::function<uint32_t()> milliseconds;
    std::function<bool()> debuggerAttached;
    std::function<int()> uiLanguage;
    std::function<std::string()> documentsFolder;
    std::function<std::string()> workingFolder;
    std::function<bool()> displayAvailable;

    static ShellEnvironment System();
};

class AppShell {
public:
    static constexpr int32_t kDesignWidth = 1920;
    static constexpr int32_t kDesignHeight = 1080;
    // With a debugger attached the program runs windowed at this client size.
    static constexpr int32_t kDeveloperWidth = 1024;
    static constexpr int32_t kDeveloperHeight = 576;
    static constexpr const char* kWindowTitle = "Tavrin";
    // Mount order is search order.
    static constexpr const char* kDataRoots[3] = {"Data/Windows", "Data/Shared", "Data/Global"};

    explicit AppShell(ShellHooks hooks = {}, ShellEnvironment environment = ShellEnvironment::System())
        : hooks_(std::move(hooks)), environment_(std::move(environment)) {}

    // A start that cannot go on says why in one line on the error output and
    // ends with one of these, before it makes its user folder.
    // Started where no game data can be found (any other folder than the
    // one that holds "Data/").
    static constexpr int kExitNoGameData = 1;
    // Started where there is no display and no video driver was chosen, or
    // where the display named does not answer; the former before it reads
    // anything.
    static constexpr int kExitNoDisplay = 1;
    // The video, the window or its GL context cannot start.
    static constexpr int kExitNoWindow = 1;
    // The game ran, but the last save of one of its files (the ones as it
    // ends among them) did not reach the disk: what changed since that
    // file's last good save is lost. Or a deleted player's file could not be
    // removed and stays on disk against the player's word. The end says so
    // in one line that names the file, instead of passing for a quit with
    // all done as asked.
    static constexpr int kExitNotSaved = 2;

    // Runs the program; the exit code: one of the above, in that case before
    // the user folder is made, or the main loop's (0 when the player quits,
    // kExitNotSaved when a file's last save failed). The game is released
    // on every path, on the way out of the main loop before its last save is
    // judged.
    int Run(AppClient& client);

    const ShellHooks& Hooks() const { return hooks_; }

private:
    // False, with a line on the error output, when the data roots hold no game.
    bool FindGameData();
    // Only once the game and its window are known to be there: a start that
    // ends before must leave no empty user folder behind.
    void PrepareUserFolder(AppClient& client);
    void LoadData(AppClient& client);
    void ReportMissingGameData() const;
    // The exit code once the game has gone: the loop's, unless the last save
    // of a file failed or a deleted player's file stayed, which it would pass
    // over.
    int JudgeLastSave(int loopExitCode) const;

    ShellHooks hooks_;
    std::string userFolder_;
    // A documents folder was there, but the user folder could not be made in it.
    bool folderNotMade_ = false;
    ShellEnvironment environment_;
};
