#pragma once
// The whole game without a window, for tests of screens, scenes and
// mini-games: the program's start-up order with the platform's own service
// hooks, the shell's game client and the real main loop, but a fake window
// side, a clock that advances one 17 ms step per pass, a recording GL driver
// and no sound device (every sound command is refused, as on a machine
// without audio).
//
// Before Start, a test writes its data files (scripts, scenes, layouts) into
// the data folder; recording stub modules stand in for game scripts. After
// Start it steps passes, queues input in design units and reads back the data
// tree, the saved files, the screen tree, the script calls the stubs recorded
// and every message that scripts, the compiler and the game's script
// functions reported. One harness at a time per process.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/GameShellClient.h"
#include "game/PageTurnGuard.h"
#include "platform/InputQueue.h"
#include "platform/MainLoop.h"
#include "platform/Math.h"
#include "support/FakeGlApi.h"
#include "support/TempFolder.h"

namespace Vrel {
struct t_Interface;
}

namespace testsupport {

// Passes of `passMs` before a click takes what came up between two passes
// and fades in for `fadeInMs`: the next pass's frame shows it, the pass that
// ends its fade-in shows it fully drawn, and it then stands its time.
constexpr int ReadPassesAfter(uint32_t fadeInMs, uint32_t passMs) {
    return 1 + static_cast<int>((fadeInMs + passMs - 1) / passMs) +
           static_cast<int>((PageTurnGuard::kStandMs + passMs - 1) / passMs);
}

class HeadlessGame {
public:
    // The window is exactly the design size, so window pixels and design
    // units coincide and queued positions need no conversion.
    static constexpr int32_t kWindowWidth = 1920;
    static constexpr int32_t kWindowHeight = 1080;
    // Generous for anything a test waits for: some seconds of game time.
    static constexpr int kDefaultMaxPasses = 600;
    // The game step each pass advances the clock by.
    static constexpr uint32_t kPassMs = 17;
    // How long the sample's chat bubbles take to fade in ("cutscene"'s
    // CreateChatBubble): a line stands only once it is fully drawn.
    static constexpr uint32_t kBubbleFadeInMs = 200;
    // Passes before a click takes a speaker's line or a mini-game's message.
    static constexpr int kReadPasses = ReadPassesAfter(kBubbleFadeInMs, kPassMs);
    // How long the sample's menu boards, questions and notices among them,
    // take to fade in ("mainmenu"'s Board), and the passes before a click or
    // key takes a question or notice.
    static constexpr uint32_t kBoardFadeInMs = 400;
    static constexpr int kBoardReadPasses = ReadPassesAfter(kBoardFadeInMs, kPassMs);
    // The native that stub modules call: RecordCall("module.Function", args...).
    static constexpr const char* kRecordFunction = "RecordCall";

    HeadlessGame();
    // Shuts the game down, releases it and empties the script machine.
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // ---- before Start ----
    const TempFolder& DataFolder() const { return data_; }
    void WriteDataFile(const std::string& relative, const std::string& bytes) const;
    // "scripts/<module>.cis" (or `folder` + "<module>.cis", e.g. "scripts/scenes/").
    void WriteScript(const std::string& module, const std::string& source,
                     const std::string& folder = "scripts/") const;
    // A module whose functions each record "<module>.<name>" followed by
    // their arguments and return at once. Each entry is a name with its
    // parameter list, e.g. "OnLoadScene()" or "IncHelpTime(float scaled, float step)".
    void WriteStubModule(const std::string& module, std::initializer_list<std::string> functions,
                         const std::string& folder = "scripts/") const;
    static std::string StubModuleSource(const std::string& module,
                                        std::initializer_list<std::string> functions);
    // A file of the user folder as an earlier run left it ("gamedata.xml").
    void WriteSavedFile(const std::string& name, const std::string& bytes) const;
    // Mounts a game's data folders ("<folder>/Data/Windows", "Shared",
    // "Global") after the test's own data folder, which still wins: for
    // playing the sample game in data/.
    void MountGameData(const std::string& folder);
    // The documents folder that holds the user folder, in place of the
    // harness's own: a later harness given the same one starts the game
    // again over the files an earlier run saved; one the user folder cannot
    // be made in leaves the game without one, as the program does. Before
    // Start only.
    void UseDocumentsFolder(const std::string& folder);
    // No user folder at all, as without HOME: nothing is read or saved (and
    // the saved-file calls below are not for such a game).
    void UseNoUserFolder() {
        userFolder_.clear();
        folderNotMade_ = false;
    }

    // Start-up as the program does it, up to Game::Init. False when the
    // game did not come up (no root screen).
    bool Start();

    // ---- running ----
    // Main-loop passes of one 17 ms game step each; false once the loop ended.
    bool Step(int passes = 1);
    // One pass `ms` after the last, as after a stall or a long frame.
    bool StepAfter(uint32_t ms);
    // Steps until the start-up fade has run out; false if it never does.
    bool RunUntilFadeEnds(int maxPasses = kDefaultMaxPasses);

    // ---- input, in design units, stamped with the clock's time ----
    void MovePointer(Vec2 design);
    void Press(uint8_t button = InputEvent::kLeft);
    void Release(uint8_t button = InputEvent::kLeft);
    // Pointer to the place, press and release.
    void Click(Vec2 design, uint8_t button = InputEvent::kLeft);
    // A click the player made at `pressMs` on the clock, whenever a pass takes it.
    void ClickAt(uint32_t pressMs, Vec2 design);
    // A click as a player gives it who reads what shows first: called in
    // every pass while a line or page waits, it clicks once the reader has
    // looked at it for half a second since the first call after the last
    // click, so that each click acts on the line or page it meets. True when
    // it clicked.
    bool ReadAndClick(Vec2 design);
    void Wheel(int16_t delta);
    void Key(uint16_t virtualKey);
    void Character(uint16_t character);

    // ---- reading back ----
    Game& GetGame() const { return *client_.GetGame(); }
    GameScreen* Root() const;
    // Class names of the tree, children in brackets:
    // "GameScreen[MenuScreen, HudScreen[MiniGameScreen]]".
    std::string ScreenTree() const;
    static std::string ScreenTree(const GameScreen& screen);
    // What the stub modules recorded, in call order: "help.IncHelpTime 17 17".
    const std::vector<std::string>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // Script errors, compiler messages and " - bad parameters" reports.
    const std::vector<std::string>& Messages() const { return messages_; }
    void ClearMessages() { messages_.clear(); }
    // The user folder's file, or empty when it is missing.
    std::string ReadSavedFile(const std::string& name) const;
    const std::string& UserFolder() const { return userFolder_; }
    // The GL calls of the last pass.
    FakeGlApi& Gl() { return gl_; }
    uint32_t Now() const { return now_; }

private:
    class Platform;
    class MessageSink;

    void QueueEvent(uint8_t kind, uint16_t virtualKey, uint16_t character, uint8_t button, int16_t wheel);
    static void RecordNative(Vrel::t_Interface& call);

    TempFolder data_;
    std::vector<std::string> gameRoots_;
    // Mounted before Start took them down; mounted again at the end.
    std::vector<std::string> earlierRoots_;
    TempFolder documents_;
    // Made with the harness, so that saved files can be written before Start.
    std::string userFolder_;
    bool folderNotMade_ = false;
    GameShellClient client_;
    ShellHooks hooks_;
    FakeGlApi gl_;
    std::unique_ptr<Platform> platform_;
    std::unique_ptr<MainLoop> loop_;
    uint32_t now_ = 0;
    // The time input is stamped with; the clock's own when none is given.
    std::optional<uint32_t> inputMs_;
    // When the reader began to read what ReadAndClick waits on.
    std::optional<uint32_t> readingSinceMs_;
    bool started_ = false;
    uint8_t heldButtons_ = 0;
    std::vector<std::string> calls_;
    std::vector<std::string> messages_;
};

}  // namespace testsupport
