#include "game/Game.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "game/functions/GameBuiltins.h"
#include "game/GuiSoundModule.h"
#include "game/ModuleCall.h"
#include "game/screens/HudScreen.h"
#include "game/screens/MenuScreen.h"
#include "game/screens/ScreenFrame.h"
#include "game/Statistics.h"
#include "gui/GuiMain.h"
#include "gui/GuiWidget.h"
#include "platform/Color.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "platform/GLState.h"
#include "platform/GlApi.h"
#include "platform/LoadedFile.h"
#include "platform/Log.h"
#include "platform/ShutdownFlag.h"
#include "platform/Sound.h"
#include "script/compiler/Compiler.h"
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

namespace {

constexpr double kScreenStepMs = 17.0;

float Aspect(const Point2i& size) {
    return static_cast<float>(size.x) / static_cast<float>(size.y);
}

constexpr const char* kStatClicks = "[STATS]/clicks";
constexpr const char* kStatDistance = "[STATS]/distance";
constexpr const char* kMainInclude = "maininclude";
constexpr const char* kHelpModule = "help";
constexpr const char* kHelpFunction = "IncHelpTime";
constexpr const char* kSearchClass = "SearchScreen";
constexpr const char* kDifficultyKey = "[SETTINGS]/difficulty";
constexpr int32_t kEasyDifficulty = 1;
constexpr const char* kSaveNoticeModule = "savenotice";
constexpr const char* kSaveFailedFunction = "ShowSaveFailed";
constexpr const char* kCannotStartFunction = "ShowCannotStart";

Game* currentGame = nullptr;
MiniGameStarter miniGameStarter = nullptr;

// Presses and pointer travel, in window pixels before any conversion.
void CountInputStatistics(const InputEvent& event) {
    if (event.kind == InputEvent::kButtonDown) {
        AddToStatistic(kStatClicks);
    } else if (event.kind == InputEvent::kPointer) {
        const float travel = std::fabs(event.dx) + std::fabs(event.dy);
        AddToStatistic(kStatDistance, TruncateToInt(travel));
    }
}

void TellPlayTime(DataTree::StatsChange change) {
    if (!currentGame) return;
    if (change == DataTree::StatsChange::kLeaving)
        currentGame->KeepPlayTime();
    else
        currentGame->CountOnFromOpenPlayer();
}

}  // namespace

Game* Game::Current() { return currentGame; }

Game::Game() {
    currentGame = this;
    // A game before this one in the process marked the end when it went.
    halvo::ClearProcessShuttingDown();
    // Input discarded during a fade must not leave a widget hovered or pressed.
    inputHooks.clearHover = [] { halvo::GuiMain::Global().ClearHover(); };
    inputHooks.countStatistics = CountInputStatistics;
    // The time played is counted here and kept in the profile only now and
    // then: each player's statistics get their own as they close and open.
    DataTree::SetStatsListener(TellPlayTime);
}

Game::~Game() {
    if (currentGame == this) {
        currentGame = nullptr;
        DataTree::SetStatsListener(nullptr);
    }
    hudScreen.Reset();
    halvo::MarkProcessShuttingDown();
    currentScene.Reset();
    ClearLetterbox();
    if (rootScreen) ScreenFrame::Drop(*rootScreen);
    rootScreen.Reset();
}

void Game::Init() {
    GuiSoundModule::Install();
    rootScreen = new GameScreen();
    rootScreen->Init();
    rootScreen->SetPosition(Vec2::Negate(rootScreen->GetScreenRectMin()));
    // Made now but kept out of the tree until the first scene.
    hudScreen = new HudScreen();
    hudScreen->Init();
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    vm.Initialize(new Vrel::Compiler());
    // After the core library, so that the game's "Sleep" and "Include" win.
    RegisterGameBuiltins(vm);
    RunInclude(kMainInclude);
}

bool Game::OpenSplash() { return OpenMenu(&MenuScreen::CreateSplash); }

bool Game::OpenMainMenu() {
    // The scene's scripts have stopped, so nothing would lift a fade they
    // left: a menu under black takes clicks the player cannot see.
    SetFade(0.0f);
    return OpenMenu(&MenuScreen::CreateMainMenu);
}

bool Game::OpenMenu(bool (MenuScreen::*build)()) {
    if (!rootScreen) return false;
    halvo::AutoRef<Game> self(this);
    if (hudScreen) hudScreen->RemoveFromParent();
    halvo::AutoRef<MenuScreen> menu(new MenuScreen());
    const bool built = (menu.Get()->*build)();
    // The menu's script may have ended the run meanwhile.
    if (!built || !rootScreen) return false;
    rootScreen->AddChild(menu.Get());
    currentScene = menu.Get();
    return true;
}

halvo::GuiWidget* Game::GetHudGui() const { return hudScreen ? hudScreen->GetGuiFrame() : nullptr; }

GameScreen* Game::FindSceneScreen() const {
    if (!rootScreen) return nullptr;
    for (const halvo::AutoRef<GameScreen>& child : rootScreen->Children()) {
        const ClassRecord* record = child->GetClassInfo();
        if (ClassRecord::IsKindOfName(record, kSearchClass) || ClassRecord::IsKindOfName(record, kCutsceneClass))
            return child.Get();
    }
    return nullptr;
}

void Game::SetMiniGameStarter(MiniGameStarter starter) { miniGameStarter = starter; }

bool Game::StartMiniGame(const char* name, Vrel::Thread* caller) {
    GameScreen* scene = FindSceneScreen();
    if (!scene || std::strcmp(scene->GetClassInfo()->name, kCutsceneClass) != 0 || !miniGameStarter) {
        // Called from a search or the map, nothing would happen and nothing tell the author why.
        halvo::LogMessage("Game::StartMiniGame - '%s' starts only over a cutscene", name ? name : "");
        return false;
    }
    halvo::AutoRef<GameScreen> hold(scene);
    const MiniGameStart outcome = miniGameStarter(*scene, name ? name : "", caller);
    if (outcome == MiniGameStart::kUnknownName) return false;
    helpFactor = EasedHelpFactor(kMiniGameHelpFactor);
    return outcome == MiniGameStart::kStarted;
}

float Game::EasedHelpFactor(float factor) {
    return DataTree::GetInt(kDifficultyKey) == kEasyDifficulty ? factor * 0.5f : factor;
}

void Game::Shutdown() {
    halvo::AutoRef<Game> self(this);
    HandOverResults();
    RollBackNewGame("the game ended before its first scene loaded");
    if (KeepPlayTime()) DataTree::SaveGameData();
    helpThread_.Reset();
    if (rootScreen) rootScreen->RemoveAllChildren();
    hudScreen.Reset();
    if (rootScreen) ScreenFrame::Drop(*rootScreen);
    rootScreen.Reset();
}

void Game::SetWindowSize(const Point2i& size) {
    if (size.x < 1 || size.y < 1 || size == windowSize) return;
    windowSize = size;
    windowAspect = Aspect(size);
    ClearLetterbox();
    UpdateProjection();
}

void Game::SetDesignSize(const Point2i& size) {
    if (size.x < 1 || size.y < 1 || size == designSize) return;
    designSize = size;
    designAspect = Aspect(size);
    ClearLetterbox();
    UpdateProjection();
}

void Game::UpdateProjection() {
    baseModelView = Matrix4::Identity();
    baseModelView.m[5] = -1;
    baseModelView.m[10] = -1;
    const float dw = static_cast<float>(designSize.x), dh = static_cast<float>(designSize.y);
    float offsetX = 0, offsetY = 0;
    if (fitWindowAspect == 0) {
        if (designAspect < windowAspect)
            viewExtent = {static_cast<int32_t>(dh * windowAspect), designSize.y};
        else
            viewExtent = {designSize.x, static_cast<int32_t>(dw / windowAspect)};
        offsetX = -dw * 0.5f;
        offsetY = dh * 0.5f;
        screenSize = designSize;
    } else {
        if (designAspect > windowAspect) {
            viewExtent = {static_cast<int32_t>(dh * windowAspect), designSize.y};
            offsetX = -0.5f * dh * windowAspect;
            offsetY = dh * 0.5f;
        } else {
            viewExtent = {designSize.x, static_cast<int32_t>(dw / windowAspect)};
            offsetX = -dw * 0.5f;
            offsetY = 0.5f * dw / windowAspect;
        }
        screenSize = viewExtent;
    }
    baseModelView.m[12] += offsetX;
    baseModelView.m[13] += offsetY;
}

void Game::SetFade(float level) {
    fadeLevel = std::clamp(level, 0.0f, 1.0f);
    if (fadeLevel == 0 || fadeLevel == 1) fadeSpeed = 0;
}

void Game::SetFadeSpeed(float seconds) { fadeSpeed = seconds == 0 ? 0 : 1 / seconds; }

InputEvent Game::WindowToDesign(const InputEvent& event) const {
    const float ww = static_cast<float>(windowSize.x), wh = static_cast<float>(windowSize.y);
    const float dw = static_cast<float>(designSize.x), dh = static_cast<float>(designSize.y);
    InputEvent out = event;
    float k = wh / dh;
    if (fitWindowAspect != 0) {
        out.x = event.x / k;
        out.y = event.y / k;
    } else if (designAspect < windowAspect) {
        const float off = (ww - dw * k) / (2 * k);
        out.x = event.x / k - off;
        out.y = event.y / k;
    } else {
        k = ww / dw;
        const float off = (wh - dh * k) / (2 * k);
        out.x = event.x / k;
        out.y = event.y / k - off;
    }
    out.dx = event.dx / k;
    out.dy = event.dy / k;
    return out;
}

Point2i Game::DesignToWindow(Vec2 design) const {
    const float k = std::min(static_cast<float>(windowSize.x) / static_cast<float>(designSize.x),
                             static_cast<float>(windowSize.y) / static_cast<float>(designSize.y));
    const float left = (static_cast<float>(windowSize.x) - static_cast<float>(designSize.x) * k) / 2;
    const float top = (static_cast<float>(windowSize.y) - static_cast<float>(designSize.y) * k) / 2;
    return {static_cast<int32_t>(std::lround(left + design.x * k)), static_cast<int32_t>(std::lround(top + design.y * k))};
}

void Game::ProcessInput() {
    InputQueue& queue = InputQueue::Global();
    while (std::unique_ptr<InputEvent> event = queue.PopFront()) {
        if (LeaveNewGameOnEscape(*event)) {
            // Pressed before the menu showed: the rest acts on nothing.
            queue.Clear();
            return;
        }
        if (IsFading()) {
            if (inputHooks.clearHover) inputHooks.clearHover();
            continue;
        }
        if (gameStarted && inputHooks.countStatistics) inputHooks.countStatistics(*event);
        const InputEvent design = WindowToDesign(*event);
        if (rootScreen && AdmitToScreens(design)) rootScreen->DispatchInput(design);
    }
}

bool Game::AdmitToScreens(const InputEvent& event) {
    if (event.kind == InputEvent::kKey)
        return halvo::GuiClickGuard::AdmitKey(event.timeMs, event.repeat, halvo::GuiMain::Global().GetRoot());
    if (event.kind == InputEvent::kButtonUp) return !clickGuard.TakeRefusedRelease();
    if (event.kind != InputEvent::kButtonDown) return true;
    return clickGuard.AdmitPress(event.timeMs, {event.x, event.y}, rootScreen->PickPressTarget(event));
}

void Game::Update(double stepMs) {
    if (fadeSpeed != 0) {
        fadeLevel += static_cast<float>(stepMs / 1000.0 * fadeSpeed);
        if (fadeLevel <= 0 || fadeLevel >= 1) {
            fadeLevel = std::clamp(fadeLevel, 0.0f, 1.0f);
            fadeSpeed = 0;
        }
    }
    PollTracks(stepMs);
    WatchNewGame();
    // Counted here, once per step: a screen may update several scenes (a
    // difference search and its two pictures), and each would count it.
    if (gameStarted && GetCurrentScene()) AddPlayTime(kScreenStepMs);
    if (rootScreen) rootScreen->Update(totalTime, kScreenStepMs);
    TellFailedSave();
}

void Game::TellFailedSave() {
    if (!rootScreen || !DataTree::TakeSaveFailure() || !RunInclude(kSaveNoticeModule)) return;
    CallSaveNotice(kSaveFailedFunction, NoticeFrame());
}

void Game::TellCannotStart() {
    auto* menu = CastTo<MenuScreen>(currentScene.Get());
    if (menu && RunInclude(kSaveNoticeModule)) CallSaveNotice(kCannotStartFunction, menu->GetGuiFrame());
}

void Game::CallSaveNotice(const char* function, halvo::GuiWidget* frame) {
    halvo::AutoRef<halvo::GuiWidget> held(frame);
    if (!held) return;
    Vrel::Var argument;
    argument.SetObject(held.Get());
    CallModuleFunction(kSaveNoticeModule, function, &argument, 1);
}

halvo::GuiWidget* Game::NoticeFrame() {
    if (halvo::GuiWidget* frame = rootScreen->GetGuiFrame()) return frame;
    halvo::AutoRef<halvo::GuiWidget> frame = ScreenFrame::Create(*this);
    if (!frame) return nullptr;
    // Where the HUD stands in the root, so that both share one layout.
    const Vec2 corner = rootScreen->GetScreenRectMin();
    frame->WriteFloat(halvo::GuiWidget::kPropXPos, corner.x);
    frame->WriteFloat(halvo::GuiWidget::kPropYPos, corner.y);
    rootScreen->SetGuiFrame(frame.Get());
    return frame.Get();
}

void Game::PollTracks(double stepMs) {
    trackPollMs_ += stepMs;
    if (trackPollMs_ < kTrackPollMs) return;
    PollTrackList(MusicTracks, Sound::kMusicChannel, trackPollMs_, trackHooks);
    PollTrackList(AmbientTracks, Sound::kAmbienceChannel, trackPollMs_, trackHooks);
    trackPollMs_ = 0;
}

void Game::AddPlayTime(double ms) {
    playTimeMs += ms;
    while (playTimeMs >= 1000) {
        playTimeMs -= 1000;
        ++playSeconds;
    }
}

void Game::IncHelpTime(float stepMs) {
    const float scaledStep = cheatQuickHelp ? stepMs * kQuickHelpFactor : stepMs;
    const Vrel::Var arguments[2] = {Vrel::Var(scaledStep * helpFactor), Vrel::Var(stepMs)};
    // Called every step: one thread serves every call, with its frames and
    // argument list kept, unless a call left it waiting.
    const int32_t state = helpThread_ ? helpThread_->GetState() : Vrel::kThreadEnded;
    if (!helpThread_ || helpThread_->IsListed() || (state != Vrel::kThreadIdle && state != Vrel::kThreadEnded))
        helpThread_ = new Vrel::Thread();
    Vrel::Thread::RunFunction(helpThread_.Get(), kHelpModule, kHelpFunction, arguments, 2);
}

halvo::WeakRef<Vrel::Thread> Game::CallScript(const char* function, const char* module, uint32_t lineage) {
    if (!function || !module) return {};
    Vrel::BinCode* found = Vrel::ScriptVM::Global().FindModule(module);
    Vrel::Var* member = found ? found->GetMember(function) : nullptr;
    // Held for the run: the function may replace or release its own module.
    halvo::AutoRef<Vrel::BinCode> code(member ? Vrel::ToBinCode(*member) : nullptr);
    if (!code) return {};
    halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
    thread->SetLineage(lineage);
    thread->Run(code.Get(), false, nullptr, 0);
    return halvo::WeakRef<Vrel::Thread>(thread.Get());
}

bool Game::RunInclude(const char* name) {
    if (!name) return false;
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    if (vm.FindModule(name)) return true;
    uint32_t size = 0;
    const LoadedFile text(FileManager::Global().LoadFile(&size, "scripts/%s.cis", name));
    if (!text) return false;
    return vm.CompileBuffer(text.get(), name);
}

void Game::Render() {
    const Matrix4 projection = Matrix4::Ortho(static_cast<float>(viewExtent.x),
                                              static_cast<float>(viewExtent.y), kProjectionNear,
                                              kProjectionFar);
    GLState::Gl().Viewport(0, 0, windowSize.x, windowSize.y);
    GLState::SetClearColor();
    GLState::Gl().Clear(GL_COLOR_BUFFER_BIT);
    GLState::SetProjection(projection);
    frameModelView = baseModelView;
    GLState::SetModelview(frameModelView);
    GLState::SetAlpha(static_cast<int32_t>(fadeLevel * 255));
    GLState::SetColor(Color::White);
    GLState::ResetClipPlanes();
}

bool Game::NeedsLetterbox() const { return fitWindowAspect == 0 && windowAspect != designAspect; }

void Game::BuildLetterbox() {
    const float dw = static_cast<float>(designSize.x), dh = static_cast<float>(designSize.y);
    const float ww = static_cast<float>(windowSize.x), wh = static_cast<float>(windowSize.y);
    const float m = kLetterboxMargin;
    float v[8][2];
    if (windowAspect <= designAspect) {
        const float k = ww / dw, bar = (wh - k * dh) / (2 * k);
        const float left = -dw / 2 - m, right = dw / 2 + m;
        const float top = dh / 2, bottom = -dh / 2;
        const float rows[8][2] = {{left, top},  {right, top},  {right, top + bar + m},
                                  {left, top + bar + m},       {left, bottom - bar - m},
                                  {right, bottom - bar - m},   {right, bottom},
                                  {left, bottom}};
        std::copy(&rows[0][0], &rows[0][0] + 16, &v[0][0]);
    } else {
        const float k = wh / dh, bar = (ww - k * dw) / (2 * k);
        const float bottom = -dh / 2 - m, top = dh / 2 + m;
        const float right = dw / 2, left = -dw / 2;
        const float rows[8][2] = {{right + bar + m, bottom}, {right, bottom}, {right, top},
                                  {right + bar + m, top},    {left, bottom},
                                  {left - bar - m, bottom},  {left - bar - m, top},
                                  {left, top}};
        std::copy(&rows[0][0], &rows[0][0] + 16, &v[0][0]);
    }
    for (int i = 0; i < 8; ++i) {
        letterboxVertices[3 * i] = v[i][0];
        letterboxVertices[3 * i + 1] = v[i][1];
        letterboxVertices[3 * i + 2] = 0;
    }
    letterboxIndices = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    letterboxBuilt = true;
}

void Game::RenderLetterbox() {
    if (!NeedsLetterbox()) return;
    if (!letterboxBuilt) BuildLetterbox();
    GLState::ResetClipPlanes();
    GLState::SetModelview(Matrix4::Identity());
    GLState::SetColor(Color::Black);
    GLState::DisableTexturing();
    GLState::DisableBlend();
    GLState::SetVertexArrays(0, 3 * sizeof(float), letterboxVertices.data());
    GLState::Gl().DrawElements(GL_TRIANGLES, 12, GL_UNSIGNED_BYTE, letterboxIndices.data());
}
