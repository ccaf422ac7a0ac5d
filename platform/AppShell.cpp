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

namespace {

class WindowLoopPlatform : public MainLoop::Platform {
public:
    explicit WindowLoopPlatform(os::Window& window)
        : window_(window), pump_(window.Handle(), MainWindowProc) {}

    bool PumpMessage(int& exitCode) override { return pump_.PumpOne(exitCode); }
    bool IsWindowActive() const override { return ShellState::Global().active; }
    void Present() override { window_.SwapBuffers(); }
    void Sleep(uint32_t milliseconds) override { os::SleepMs(milliseconds); }
    void WaitForMessage(uint32_t milliseconds) override { pump_.WaitForEvent(milliseconds); }

private:
    os::Window& window_;
    os::MessagePump pump_;
};

bool OpenWindow(os::Window& window, bool developer) {
    ShellState& shell = ShellState::Global();
    const os::ClientSize size = shell.fullscreen ? os::DesktopSize()
                                                 : os::ClientSize{os::DesktopSize().width,
                                                                  os::DesktopUsableSize().height};
    if (!window.Create(AppShell::kWindowTitle, size, shell.fullscreen)) return false;
    if (developer) window.SetClientSize({AppShell::kDeveloperWidth, AppShell::kDeveloperHeight});
    else if (!shell.fullscreen) window.FitOuterSize(size);
    if (!window.CreateGlContext()) return false;
    window.Show();
    // A display without a window manager may never report focus.
    shell.active = true;
    const os::ClientSize client = window.GetClientSize();
    shell.clientWidth = client.width;
    shell.clientHeight = client.height;
    return true;
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
        // Never the file system's root: saves go to the working folder.
        halvo::LogMessage("AppShell - No documents folder; saving in the working folder");
        client.SetUserFolder("");
        return;
    }
    os::CreateFolders(documents);
    userFolder_ = ::PrepareUserFolder(documents);
    client.SetUserFolder(userFolder_);
}

bool AppShell::LoadData(AppClient& client) {
    CallIfPresent(hooks_.initDataTree);
    for (const char* root : kDataRoots) CallIfPresent(hooks_.mountDataRoot, root);
    if (hooks_.gameDataFound && !hooks_.gameDataFound()) {
        ReportMissingGameData();
        return false;
    }
    // Only now: a start from the wrong folder must leave no empty user folder.
    PrepareUserFolder(client);
    CallIfPresent(hooks_.loadDataTree, userFolder_);
    return true;
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
    // the game data is known to be there.
    std::optional<os::VideoSession> video;
    os::Window window;
    // Textures released after this point (caches emptied during static
    // destruction) must not reach a context that no longer exists.
    halvo::ScopeGuard contextGone([] { GLState::SetContextAlive(false); });
    halvo::ScopeGuard releaseGame([&client] { client.ReleaseGame(); });

    // Without a display the window library would show an invisible window
    // that nobody can close; better one line and an end before any work.
    if (environment_.displayAvailable && !environment_.displayAvailable()) {
        halvo::LogMessage("AppShell::Run - No display: set DISPLAY or WAYLAND_DISPLAY "
                          "(or SDL_VIDEODRIVER to choose a video driver)");
        return kExitNoDisplay;
    }
    client.CreateGame();
    if (!LoadData(client)) return kExitNoGameData;
    video.emplace();
    ShellState& shell = ShellState::Global();
    const bool developer = environment_.debuggerAttached();
    shell.fullscreen = !developer && hooks_.readFullscreenSetting && hooks_.readFullscreenSetting();
    if (!video->IsOpen() || !OpenWindow(window, developer)) return 0;

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
    return exitCode;
}
