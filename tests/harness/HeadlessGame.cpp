#include "harness/HeadlessGame.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "game/GameProcess.h"
#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "platform/AppShell.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "platform/UserFolder.h"
#include "platform/os/Random.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/machine/ScriptVM.h"
#include "support/QuietDebugHandler.h"

namespace testsupport {

namespace {

// How long a line or page stands before a click takes it, from when it came
// up: its fade-in, a pass for the frame that shows it done, and its stand.
constexpr uint32_t kReadingMs =
    HeadlessGame::kBubbleFadeInMs + HeadlessGame::kPassMs + PageTurnGuard::kStandMs;
// Fixed, so that every run draws the same random numbers.
constexpr uint32_t kRandomSeed = 1;
// The system language the shell would report: English.
constexpr int kUiLanguage = 9;

HeadlessGame* active = nullptr;

// "IncHelpTime(float scaled, float step)" -> name "IncHelpTime", parameter
// names "scaled", "step".
void SplitSignature(const std::string& signature, std::string& name,
                    std::vector<std::string>& parameters) {
    const size_t open = signature.find('(');
    name = signature.substr(0, open);
    if (open == std::string::npos) return;
    const size_t close = signature.find(')', open);
    std::stringstream list(signature.substr(open + 1, close - open - 1));
    std::string parameter;
    while (std::getline(list, parameter, ',')) {
        const size_t end = parameter.find_last_not_of(' ');
        if (end == std::string::npos) continue;
        const size_t start = parameter.find_last_of(' ', end);
        parameter = parameter.substr(start == std::string::npos ? 0 : start + 1, end - start);
        parameters.push_back(parameter);
    }
}

}  // namespace

// The window side of the loop: never a message to end it, always active.
class HeadlessGame::Platform : public MainLoop::Platform {
public:
    bool PumpMessage(int&) override { return true; }
    bool IsWindowActive() const override { return true; }
    void Present() override {}
    void Sleep(uint32_t) override {}
};

// Everything the script machine reports: script errors, compiler messages
// and the script functions' own reports all leave through it.
class HeadlessGame::MessageSink : public QuietDebugHandler {
public:
    void OnError(const char* text) override {
        if (active && text) active->messages_.emplace_back(text);
    }
    void OnWarning(const char* text) override { OnError(text); }
};

void HeadlessGame::RecordNative(Vrel::t_Interface& call) {
    if (!active) return;
    std::string line;
    for (int i = 0; i < call.count; ++i) {
        const Vrel::Var* argument = call.GetArg(i);
        if (i > 0) line += ' ';
        line += argument ? argument->ToString() : "nil";
    }
    active->calls_.push_back(line);
}

HeadlessGame::HeadlessGame()
    : userFolder_(PrepareUserFolder(documents_.Path())), platform_(std::make_unique<Platform>()) {
    active = this;
    InputQueue::Global().Clear();
    UpdateMousePosition(0, 0);
}

HeadlessGame::~HeadlessGame() {
    if (started_) client_.ReleaseGame();
    loop_.reset();
    // Frames the game's screens left behind go with it, and so does the
    // hover, capture and focus they held.
    halvo::GuiMain& gui = halvo::GuiMain::Global();
    gui.ClearHover();
    gui.ClearKeyboardFocus();
    gui.GetRoot()->DetachChildren();
    MusicTracks.Clear();
    AmbientTracks.Clear();
    InputQueue::Global().Clear();
    // Folders mounted for this game (by the harness or the test) would
    // shadow the next test's own: the mounts go back to what they were.
    if (started_) {
        FileManager& files = FileManager::Global();
        for (const std::string& root : files.GetRootPaths()) files.RemoveRoot(root);
        for (const std::string& root : earlierRoots_) files.AddRoot(root.c_str());
    }
    Vrel::ScriptVM::Global().Shutdown();
    GLState::SetContextAlive(false);
    GLState::UseApi(nullptr);
    active = nullptr;
}

// ---- before Start -------------------------------------------------------------

void HeadlessGame::WriteDataFile(const std::string& relative, const std::string& bytes) const {
    data_.WriteFile(relative, bytes);
}

void HeadlessGame::WriteScript(const std::string& module, const std::string& source,
                               const std::string& folder) const {
    data_.WriteFile(folder + module + ".cis", source);
}

void HeadlessGame::WriteStubModule(const std::string& module,
                                   std::initializer_list<std::string> functions,
                                   const std::string& folder) const {
    WriteScript(module, StubModuleSource(module, functions), folder);
}

std::string HeadlessGame::StubModuleSource(const std::string& module,
                                           std::initializer_list<std::string> functions) {
    std::string source = "// recording stub of " + module + "\n";
    for (const std::string& signature : functions) {
        std::string name;
        std::vector<std::string> parameters;
        SplitSignature(signature, name, parameters);
        source += "function void " + signature + " { " + kRecordFunction + "(\"" + module + "." +
                  name + "\"";
        for (const std::string& parameter : parameters) source += ", " + parameter;
        source += "); }\n";
    }
    return source;
}

void HeadlessGame::UseDocumentsFolder(const std::string& folder) {
    userFolder_ = PrepareUserFolder(folder);
    folderNotMade_ = userFolder_.empty();
}

void HeadlessGame::WriteSavedFile(const std::string& name, const std::string& bytes) const {
    std::ofstream file(userFolder_ + name, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void HeadlessGame::MountGameData(const std::string& folder) {
    for (const char* root : {"Windows", "Shared", "Global"}) gameRoots_.push_back(folder + "/Data/" + root);
}

// ---- start-up --------------------------------------------------------------------

bool HeadlessGame::Start() {
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    // Installed before the game's start so that "maininclude" is heard too;
    // the machine's Initialize leaves both in place.
    vm.SetDebugHandler(std::make_unique<MessageSink>());
    vm.AddCFunction(kRecordFunction, Vrel::detail::AdapterFor<&HeadlessGame::RecordNative>());
    GLState::UseApi(&gl_);

    hooks_ = GameShellHooks();
    client_.CreateGame();
    started_ = true;
    client_.SetUserFolder(userFolder_);
    hooks_.initDataTree();
    // As in a program of its own, no folder another test mounted (and may
    // have left files in) is searched before the game's.
    FileManager& files = FileManager::Global();
    earlierRoots_ = files.GetRootPaths();
    for (const std::string& root : earlierRoots_) files.RemoveRoot(root);
    hooks_.mountDataRoot(data_.Path().c_str());
    for (const std::string& root : gameRoots_) hooks_.mountDataRoot(root.c_str());
    hooks_.loadDataTree(userFolder_, folderNotMade_);
    os::SeedRand(kRandomSeed);
    hooks_.resetGlState();
    client_.StartFadeIn();
    client_.SetDeveloperMode(false);
    client_.SetSizes(kWindowWidth, kWindowHeight, AppShell::kDesignWidth, AppShell::kDesignHeight);
    hooks_.chooseLanguage(kUiLanguage);
    client_.Init();

    loop_ = std::make_unique<MainLoop>(client_, hooks_, *platform_, [this] { return now_; });
    loop_->Start();
    return Root() != nullptr;
}

// ---- running -----------------------------------------------------------------------

bool HeadlessGame::Step(int passes) {
    if (!loop_) return false;
    for (int i = 0; i < passes; ++i) {
        now_ += kPassMs;
        gl_.Clear();
        int exitCode = 0;
        if (!loop_->RunPass(exitCode)) return false;
    }
    return true;
}

bool HeadlessGame::StepAfter(uint32_t ms) {
    if (!loop_) return false;
    now_ += ms - kPassMs;
    return Step();
}

bool HeadlessGame::RunUntilFadeEnds(int maxPasses) {
    for (int i = 0; i < maxPasses && GetGame().IsFading(); ++i)
        if (!Step()) return false;
    return !GetGame().IsFading();
}

// ---- input -----------------------------------------------------------------------------

void HeadlessGame::QueueEvent(uint8_t kind, uint16_t virtualKey, uint16_t character,
                              uint8_t button, int16_t wheel) {
    InputQueue::Global().Push(kind, virtualKey, character, button, wheel, inputMs_.value_or(now_));
}

void HeadlessGame::MovePointer(Vec2 design) {
    UpdateMousePosition(TruncateToInt(design.x), TruncateToInt(design.y));
    QueueEvent(InputEvent::kPointer, 0, 0, heldButtons_, 0);
}

// As the window procedure does: a button message carries the pointer's
// place too, so its pointer record moves by nothing.
void HeadlessGame::Press(uint8_t button) {
    const PointerState& pointer = PointerState::Global();
    UpdateMousePosition(pointer.x, pointer.y);
    heldButtons_ |= button;
    QueueEvent(InputEvent::kPointer, 0, 0, button, 0);
    QueueEvent(InputEvent::kButtonDown, 0, 0, button, 0);
}

void HeadlessGame::Release(uint8_t button) {
    const PointerState& pointer = PointerState::Global();
    UpdateMousePosition(pointer.x, pointer.y);
    heldButtons_ &= static_cast<uint8_t>(~button);
    QueueEvent(InputEvent::kPointer, 0, 0, button, 0);
    QueueEvent(InputEvent::kButtonUp, 0, 0, button, 0);
}

void HeadlessGame::Click(Vec2 design, uint8_t button) {
    MovePointer(design);
    Press(button);
    Release(button);
}

void HeadlessGame::ClickAt(uint32_t pressMs, Vec2 design) {
    inputMs_ = pressMs;
    Click(design);
    inputMs_.reset();
}

bool HeadlessGame::ReadAndClick(Vec2 design) {
    if (!readingSinceMs_) readingSinceMs_ = now_;
    if (now_ - *readingSinceMs_ < kReadingMs) return false;
    readingSinceMs_.reset();
    Click(design);
    return true;
}

void HeadlessGame::Wheel(int16_t delta) { QueueEvent(InputEvent::kWheel, 0, 0, 0, delta); }

void HeadlessGame::Key(uint16_t virtualKey) { QueueEvent(InputEvent::kKey, virtualKey, 0, 0, 0); }

void HeadlessGame::Character(uint16_t character) {
    QueueEvent(InputEvent::kKey, 0, character, 0, 0);
}

// ---- reading back ------------------------------------------------------------------------

GameScreen* HeadlessGame::Root() const {
    const Game* game = client_.GetGame();
    return game ? game->rootScreen.Get() : nullptr;
}

std::string HeadlessGame::ScreenTree() const {
    const GameScreen* root = Root();
    return root ? ScreenTree(*root) : "";
}

std::string HeadlessGame::ScreenTree(const GameScreen& screen) {
    std::string text = screen.GetClassInfo()->name;
    const auto& children = screen.Children();
    if (children.empty()) return text;
    text += '[';
    for (size_t i = 0; i < children.size(); ++i) {
        if (i > 0) text += ", ";
        text += ScreenTree(*children[i]);
    }
    return text + ']';
}

std::string HeadlessGame::ReadSavedFile(const std::string& name) const {
    std::ifstream file(userFolder_ + name, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace testsupport
