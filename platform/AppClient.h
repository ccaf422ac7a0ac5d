#pragma once
// What the application shell needs from the game it runs, and the services of
// other subsystems that it drives at start-up, every frame and at shutdown.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class AppClient {
public:
    virtual ~AppClient() = default;

    // Start-up, in the order the shell calls them.
    virtual void CreateGame() = 0;
    virtual void SetUserFolder(const std::string& folder) = 0;
    // Picture black at first, fading in over the game's default fade time.
    virtual void StartFadeIn() = 0;
    virtual void SetDeveloperMode(bool developer) = 0;
    // The window's client size in pixels; the design size is the shell's.
    virtual void SetSizes(int32_t windowWidth, int32_t windowHeight, int32_t designWidth,
                          int32_t designHeight) = 0;
    // The game's own start (screens, scripts, the splash menu).
    virtual void Init() = 0;
    // Shuts the game down and lets go of it. Called on every path out of the
    // shell, also when start-up failed, while the GL context still exists;
    // a second call finds nothing left to do.
    virtual void ReleaseGame() = 0;

    // The frame.
    virtual bool IsQuitRequested() const = 0;
    // The game's request to drop the measured time; reading it clears it.
    virtual bool TakeResetRequest() = 0;
    virtual double& FrameAccumulator() = 0;
    virtual double& TotalTime() = 0;
    virtual void ProcessInput() = 0;
    virtual void Update(double stepMs) = 0;
    // Frame set-up, the screen tree and the letterbox bars.
    virtual void Render() = 0;
    // The frame drawn last is on screen as of `ms`, on the loop's clock:
    // what it shows is what a press made since was meant for.
    virtual void Presented(uint32_t ms) { (void)ms; }
};

// Services of subsystems that the shell calls but does not own. Each is
// filled in by the subsystem that provides it; an empty hook is a service
// that does not exist yet and is skipped.
struct ShellHooks {
    std::function<void()> initDataTree;                   // defaults of the data tree
    std::function<void(const char* root)> mountDataRoot;  // in search order
    // True when the mounted roots hold the game's data; without it the
    // program stops before its window opens.
    std::function<bool()> gameDataFound;
    // The version document, the saved data in the user folder, the last
    // profile. Without a user folder (empty), `folderNotMade` tells that
    // there was a documents folder but the user folder could not be made.
    std::function<void(const std::string& userFolder, bool folderNotMade)> loadDataTree;
    // The saved files whose last save did not reach the disk, as the end of
    // the run names them ("'data0.xml' (past the game's bounds) and
    // 'gamedata.xml'"); empty when every file's last save did. Asked once
    // the game has gone, so that its last saves count.
    std::function<std::string()> unsavedFiles;
    // The deleted players' files ("data1.xml") that could not be removed:
    // nothing of them was lost, they stay on disk, and the end says so
    // apart from the unsaved files. Asked with them.
    std::function<std::vector<std::string>()> filesLeftOnDisk;
    std::function<bool()> readFullscreenSetting;
    std::function<void()> resetGlState;
    // Starts the sound thread and waits until it reports its device state.
    std::function<void()> startSound;
    // Asks the sound thread to close its device and waits until it has.
    std::function<void()> stopSound;
    // The first language that loads wins: the saved one, the system's user
    // interface language, then the version's default.
    std::function<void(int uiLanguage)> chooseLanguage;
    // Per frame, with the frame's whole time.
    std::function<void(float frameMs)> updateScripts;
    std::function<void(double totalMs, double frameMs)> updateGui;
};
