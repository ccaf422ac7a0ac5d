#include "platform/AppShell.h"

#include "platform/DataTree.h"
#include "platform/GLState.h"
#include "platform/Log.h"
#include "platform/MainLoop.h"
#include "platform/ScopeGuard.h"
#include "platform/UserFolder.h"
#include "platform/WindowProc.h"
#include "platform/os/Clock.h"
#include "platform/os/Environment.h"
#include "platform/os/MessagePump.h"
#include "platform/os/Random.h"
#include "platform/os/Window.h"

#include <optional>
#include <vector>

namespace {

class WindowLoopPlatform : public MainLoop::Platform {
public:
    explicit WindowLoopPlatform(os::Window& window)
        : window_(window), pump_(window.Handle(), MainWindowProc) {}

    bool PumpMessage(int& exitCode) override { return pump_.PumpWaiting(exitCode); }
    bool IsWindowActive() const override { return ShellState::Global().active; }
    void Present() override { window_.SwapBuffers(); }
    void Sleep(uint32_t milliseconds) override { os::SleepMs(milliseconds); }
    void WaitForMessage(uint32_t milliseconds) override { pump_.WaitForEvent(milliseconds); }

private:
    os::Window& window_;
    os::MessagePump pump_;
};

// Without a display the window library would show an invisible window that
// nobody can close; better one line and an end before any work.
void ReportNoDisplay() {
    halvo::LogMessage("AppShell::Run - No display: set DISPLAY or WAYLAND_DISPLAY "
                      "(or SDL_VIDEODRIVER to choose a video driver)");
}

// A display was named but did not answer: the line names it, for the player
// who believes it set.
void ReportSilentDisplay() {
    const std::string named = os::NamedDisplays();
    if (named.empty()) {
        ReportNoDisplay();
        return;
    }
    halvo::LogMessage("AppShell::Run - No display: %s did not answer; set DISPLAY or WAYLAND_DISPLAY "
                      "to one that runs (or SDL_VIDEODRIVER to choose a video driver)",
                      named.c_str());
}

// A window as wide as the desktop and as tall as what its panels leave.
os::ClientSize WindowedSize() { return {os::DesktopSize().width, os::DesktopUsableSize().height}; }

// The window stays hidden, windowed, until the saved settings say how it is
// shown: they are read from the user folder, which a start that fails here
// must not make.
int StartVideo(std::optional<os::VideoSession>& video, os::Window& window) {
    video.emplace();
    if (video->FoundNoDisplay()) {
        ReportSilentDisplay();
        return AppShell::kExitNoDisplay;
    }
    if (!video->IsOpen() || !window.Create(AppShell::kWindowTitle, WindowedSize()) ||
        !window.CreateGlContext())
        return AppShell::kExitNoWindow;
    return 0;
}

void ShowWindow(os::Window& window, bool developer) {
    ShellState& shell = ShellState::Global();
    if (shell.fullscreen) window.EnterFullscreen();
    else if (developer) window.SetClientSize({AppShell::kDeveloperWidth, AppShell::kDeveloperHeight});
    else window.FitOuterSize(WindowedSize());
    window.Show();
    // A display without a window manager may never report focus.
    shell.active = true;
    const os::ClientSize client = window.GetClientSize();
    shell.clientWidth = client.width;
    shell.clientHeight = client.height;
}

template <class Hook, class... Args>
void CallIfPresent(const Hook& hook, Args&&... args) {
    if (hook) hook(std::forward<Args>(args)...);
}

}  // namespace

ShellEnvironment ShellEnvironment::System() {
    return {os::Milliseconds, os::IsDebuggerPresent, os::GetUserDefaultUILanguage,
            os::DocumentsFolder, os::WorkingFolder, os::DisplayAvailable};
}

void AppShell::PrepareUserFolder(AppClient& client) {
    const std::string documents = environment_.documentsFolder();
    if (documents.empty()) {
        // Never the file system's root, nor the game's own folder: the game
        // runs but cannot save; the screen tells the player at the first save.
        halvo::LogMessage("AppShell - No documents folder (HOME is not set): the game cannot save, "
                          "and nothing of this run will be kept");
        client.SetUserFolder("");
        return;
    }
    os::CreateFolders(documents);
    userFolder_ = ::PrepareUserFolder(documents);
    folderNotMade_ = userFolder_.empty();
    client.SetUserFolder(userFolder_);
}

bool AppShell::FindGameData() {
    CallIfPresent(hooks_.initDataTree);
    for (const char* root : kDataRoots) CallIfPresent(hooks_.mountDataRoot, root);
    if (!hooks_.gameDataFound || hooks_.gameDataFound()) return true;
    ReportMissingGameData();
    return false;
}

void AppShell::LoadData(AppClient& client) {
    PrepareUserFolder(client);
    CallIfPresent(hooks_.loadDataTree, userFolder_, folderNotMade_);
}

// Whoever started the program from the wrong folder would otherwise face a
// black window: one line says what is missing, where, and how to start.
void AppShell::ReportMissingGameData() const {
    std::string roots;
    for (const char* root : kDataRoots) roots += std::string(roots.empty() ? "" : ", ") + root;
    halvo::LogMessage("AppShell::Run - No game data: found '%s' in none of %s below '%s'. "
                      "Start the game with scripts/play, or from the folder that holds Data/.",
                      DataTree::kVersionFile, roots.c_str(), environment_.workingFolder().c_str());
}

int AppShell::Run(AppClient& client) {
    // Declaration order is teardown order in reverse: the game goes first,
    // then the GL context and window, then SDL itself. Video starts only once
    // the game data is known to be there, the user folder only once video,
    // window and context have started.
    std::optional<os::VideoSession> video;
    os::Window window;
    // Textures released after this point (caches emptied during static
    // destruction) must not reach a context that no longer exists.
    halvo::ScopeGuard contextGone([] { GLState::SetContextAlive(false); });
    halvo::ScopeGuard releaseGame([&client] { client.ReleaseGame(); });

    if (environment_.displayAvailable && !environment_.displayAvailable()) {
        ReportNoDisplay();
        return kExitNoDisplay;
    }
    client.CreateGame();
    if (!FindGameData()) return kExitNoGameData;
    if (const int failed = StartVideo(video, window)) return failed;
    LoadData(client);
    ShellState& shell = ShellState::Global();
    const bool developer = environment_.debuggerAttached();
    shell.fullscreen = !developer && hooks_.readFullscreenSetting && hooks_.readFullscreenSetting();
    ShowWindow(window, developer);

    os::SeedRand(environment_.milliseconds());
    CallIfPresent(hooks_.resetGlState);
    CallIfPresent(hooks_.startSound);
    client.StartFadeIn();
    client.SetDeveloperMode(developer);
    client.SetSizes(shell.clientWidth, shell.clientHeight, kDesignWidth, kDesignHeight);
    CallIfPresent(hooks_.chooseLanguage, environment_.uiLanguage());
    client.Init();

    WindowLoopPlatform platform(window);
    MainLoop loop(client, hooks_, platform, environment_.milliseconds);
    const int exitCode = loop.Run();
    CallIfPresent(hooks_.stopSound);
    // Released now, not on the way out: its last save is part of the verdict.
    client.ReleaseGame();
    return JudgeLastSave(exitCode);
}

int AppShell::JudgeLastSave(int loopExitCode) const {
    const std::string unsaved = hooks_.unsavedFiles ? hooks_.unsavedFiles() : std::string();
    const std::vector<std::string> left =
        hooks_.filesLeftOnDisk ? hooks_.filesLeftOnDisk() : std::vector<std::string>();
    if (loopExitCode != 0 || (unsaved.empty() && left.empty())) return loopExitCode;
    if (folderNotMade_) {
        halvo::LogMessage("AppShell::Run - Not saved: the folder to save in could not be made, so nothing of "
                          "this run was kept");
        return kExitNotSaved;
    }
    if (userFolder_.empty()) {
        halvo::LogMessage("AppShell::Run - Not saved: there was no folder to save in, so nothing of this "
                          "run was kept");
        return kExitNotSaved;
    }
    // One line for both kinds, so that the last line tells all of it.
    std::string line;
    if (!unsaved.empty())
        line = "Not saved: the last save of " + unsaved + " to '" + userFolder_ +
               "' failed, so what changed since the last good save is lost";
    if (!left.empty()) {
        std::string names;
        for (const std::string& name : left) names += (names.empty() ? "'" : " and '") + name + "'";
        if (!line.empty()) line += ". ";
        line += "Not deleted: " + names +
                (left.size() == 1 ? " (a deleted player's game)" : " (deleted players' games)") +
                " could not be removed from '" + userFolder_ + "' and " +
                (left.size() == 1 ? "stays" : "stay") + " on disk";
    }
    halvo::LogMessage("AppShell::Run - %s", line.c_str());
    return kExitNotSaved;
}
