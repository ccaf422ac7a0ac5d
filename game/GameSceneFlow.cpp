// The game's scene flow: continuing or starting a game, loading a scene into
// the screen its type asks for, finding screens in the tree, the HUD's input,
// and leaving a scene for the next one or for the main menu.

#include <string>

#include "game/screens/AdventureScreen.h"
#include "game/screens/CutsceneScreen.h"
#include "game/Game.h"
#include "game/PoseCache.h"
#include "game/screens/HudScreen.h"
#include "game/screens/MapScreen.h"
#include "game/scene/Scene.h"
#include "game/screens/SearchScreen.h"
#include "game/Statistics.h"
#include "gui/GuiWidget.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "platform/Log.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

namespace {

constexpr const char* kLastSceneKey = "[PLAYER]/LastScene";
constexpr const char* kCurrentCharKey = "[PLAYER]/CurrentChar";
constexpr const char* kPlayTimeKey = "[STATS]/time";
constexpr const char* kTransitsKey = "[STATS]/transits";
constexpr const char* kCampaignModule = "campain";
constexpr const char* kNewGameFunction = "NewGame";
constexpr const char* kSceneFallbackModule = "scene";
constexpr const char* kFirstEnterFunction = "OnFirstEnter";
constexpr const char* kLoadSceneFunction = "OnLoadScene";
constexpr const char* kCutsceneRunFunction = "Run";
constexpr const char* kAlwaysEnable = "always_enable";
constexpr float kDisabledHudAlpha = 0.5f;

// The scene to continue in and the time played, saved with the profile.
void SaveProgress(const std::string& scene, int32_t playSeconds) {
    DataTree::SetString(kLastSceneKey, scene.c_str());
    DataTree::SetInt(kPlayTimeKey, playSeconds);
    DataTree::SavePlayer();
    DataTree::SaveGameData();
}

// The screen classes that show the current scene, by their records' names.
constexpr const char* kSearchClass = "SearchScreen";
constexpr const char* kAdventureClass = "AdventureScreen";
constexpr const char* kMapClass = "MapScreen";

bool IsKind(const GameScreen& screen, const char* className) {
    return ClassRecord::IsKindOfName(screen.GetClassInfo(), className);
}

std::string EnterKey(const std::string& module) { return "[PLAYER]/scenes/" + module + "/enter"; }

Vec2 VisibleSize(const GameScreen& screen) {
    Vec2 min, max;
    screen.GetVisibleRect(min, max);
    return max - min;
}

Vec2 ToVec(Point2i p) { return {static_cast<float>(p.x), static_cast<float>(p.y)}; }

void StopCaller(Vrel::Thread* thread) {
    if (!thread) return;
    thread->SetState(Vrel::kThreadIdle);
    Vrel::MakeEmpty(thread->GetValue());
}

// The character a saved profile names, the first one for a value that no
// character has (a damaged or edited file).
int32_t SavedCharacter() {
    const int32_t saved = DataTree::GetInt(kCurrentCharKey);
    return saved >= 0 && saved < Game::kCharacterCount ? saved : 0;
}

// Continuing must not lead into the dead end of a scene that did not load:
// the scene to continue in is the one before it, saved.
void KeepLastScene(bool hadLast, const std::string& previous) {
    if (hadLast)
        DataTree::SetString(kLastSceneKey, previous.c_str());
    else
        DataTree::Remove(kLastSceneKey);
    DataTree::SavePlayer();
}

std::string EndedWithoutScene() {
    return std::string("'") + kNewGameFunction + "' of module '" + kCampaignModule + "' ended without loading a scene";
}

std::string WentToTheMenu() {
    return std::string("'") + kNewGameFunction + "' went back to the main menu before loading a scene";
}

std::string FirstSceneDidNotLoad(const std::string& scene) { return "its first scene '" + scene + "' did not load"; }

constexpr const char* kLeftWithEscape = "the player left with Escape before its first scene loaded";
constexpr uint16_t kEscape = 27;

// A statistic a scene change that did not happen must not have changed goes
// back to what it was, missing again when it was missing.
void TakeBack(const char* key, bool had, int32_t before) {
    if (had)
        DataTree::SetInt(key, before);
    else
        DataTree::Remove(key);
}

// Why the campaign cannot start a new game, for the author. The game
// includes the campaign by its name alone, so an author who named the file
// otherwise is told the name it must have; the running game shows no
// compiler messages, so one that did not compile points to the tool that does.
std::string CampaignFault(Vrel::FunctionLookup lookup) {
    const std::string module = kCampaignModule;
    const std::string file = "'scripts/" + module + ".cis'";
    switch (lookup) {
    case Vrel::FunctionLookup::kNoModule:
        return "there is no module '" + module + "' (no file " + file + " was loaded)";
    case Vrel::FunctionLookup::kModuleNotCompiled:
        return "module '" + module + "' did not compile (cis-run on " + file + " shows where)";
    default:
        return "module '" + module + "' has no function '" + kNewGameFunction + "'";
    }
}

}  // namespace

// ---- continuing and loading ------------------------------------------------------

bool Game::ContinueOrNewGame() {
    if (DataTree::GetCurrentSlot() < 0) return false;
    halvo::AutoRef<Game> self(this);
    // Started first: a scene that fails opens the main menu, which clears it.
    gameStarted = true;
    // Play time is a statistic of the profile: a new game counts on from it.
    playSeconds = DataTree::GetInt(kPlayTimeKey);
    const char* saved = DataTree::GetString(kLastSceneKey);
    if (saved && *saved) {
        const std::string scene(saved);
        character = SavedCharacter();
        if (!LoadScene(scene.c_str())) {
            halvo::LogMessage("Game::ContinueOrNewGame - unable to load scene '%s'", scene.c_str());
            // Named after "Start again" (by a script), it was a new game's first.
            RollBackNewGame(FirstSceneDidNotLoad(scene));
            OpenMainMenu();
            return false;
        }
        return true;
    }
    character = 0;
    DataTree::SetInt(kCurrentCharKey, 0);
    if (!CanStartNewGame()) {
        // Nothing else would load a scene: the player would face black. The
        // cause is told (CanStartNewGame), and the menu clears gameStarted.
        newGame_.RollBack();
        OpenMainMenu();
        return false;
    }
    return StartNewGame();
}

// A first scene that did not load has opened the main menu (Transit); one
// that loaded and moved on began the game all the same. A NewGame that
// waits before its first scene, or leaves a thread to load it, is watched
// until a scene loads. A game that ends meanwhile (QuitGame) did not leave
// it without a scene: Shutdown rolls it back and says so.
bool Game::StartNewGame() {
    CallScript(kNewGameFunction, kCampaignModule, newGame_.BeginRun());
    if (newGame_.IsRunning() && !newGame_.CanStillLoad() && !quitRequested)
        RollBackNewGameToTheMenu(EndedWithoutScene());
    return newGame_.EndFirstRun();
}

void Game::WatchNewGame() {
    if (newGame_.IsRunning() && !newGame_.IsAnswering() && !newGame_.CanStillLoad() && !quitRequested)
        RollBackNewGameToTheMenu(EndedWithoutScene());
}

bool Game::LeaveNewGameOnEscape(const InputEvent& event) {
    if (!newGame_.IsRunning() || event.kind != InputEvent::kKey || event.character != kEscape) return false;
    RollBackNewGameToTheMenu(kLeftWithEscape);
    return true;
}

bool Game::RollBackNewGame(const std::string& cause) {
    if (!newGame_.IsPending()) return false;
    // No game is under way: one that did not begin played no time.
    gameStarted = false;
    newGame_.RollBack();
    LogCannotStart(cause);
    return true;
}

void Game::RollBackNewGameToTheMenu(const std::string& cause) {
    halvo::AutoRef<Game> self(this);
    const bool tell = !newGame_.IsAnswering();
    RollBackNewGame(cause);
    OpenMainMenu();
    if (tell) TellCannotStart();
}

void Game::LogCannotStart(const std::string& cause) {
    halvo::LogMessage("Game::ContinueOrNewGame - a new game cannot start: %s", cause.c_str());
}

bool Game::CanStartNewGame() {
    const Vrel::FunctionLookup lookup = Vrel::ScriptVM::Global().LookUpFunction(kCampaignModule, kNewGameFunction);
    if (lookup == Vrel::FunctionLookup::kFound) return true;
    LogCannotStart(CampaignFault(lookup));
    return false;
}

bool Game::LoadScene(const char* name) {
    helpFactor = 0;
    if (!name || !rootScreen) return false;
    halvo::AutoRef<Game> self(this);
    halvo::AutoRef<Scene> scene(new Scene());
    const std::string folder = "Scenes/" + Scene::BaseSceneName(name);
    if (!scene->Load(folder.c_str(), name)) return false;
    float sceneHelpFactor = 0;
    // Held until the end: an entry script may transit on at once.
    halvo::AutoRef<GameScreen> screen;
    switch (scene->type) {
    case kSceneDifferenceLeft:
    case kSceneDifferenceRight:
        break;
    case kSceneMap: {
        halvo::AutoRef<MapScreen> map(new MapScreen());
        map->SetScene(scene.Get());
        screen = map.Get();
        break;
    }
    case kSceneCutscene: {
        halvo::AutoRef<CutsceneScreen> cutscene(new CutsceneScreen());
        if (!cutscene->SetScene(scene.Get())) return false;
        screen = cutscene.Get();
        break;
    }
    case kSceneAdventure: {
        halvo::AutoRef<AdventureScreen> adventure(new AdventureScreen());
        adventure->SetScene(scene.Get());
        screen = adventure.Get();
        sceneHelpFactor = kSceneHelpFactor;
        break;
    }
    default: {
        halvo::AutoRef<SearchScreen> search(new SearchScreen());
        if (!search->SetScene(scene.Get())) return false;
        screen = search.Get();
        sceneHelpFactor = kSceneHelpFactor;
        break;
    }
    }
    // The scene stands: a new game held back has begun, and its file takes
    // it in the stead of the game under way before an entry script moves on.
    newGame_.Commit();
    if (screen) {
        EnterSceneScreen(*screen, *scene);
        RunSceneEnterScripts(*scene);
        // A scene script that moved on to another scene at once leaves the
        // help factor that scene's load set, and a cutscene left that way
        // does not play.
        bool current = currentScene.Get() == screen.Get();
        if (current && scene->type == kSceneCutscene) screen->CallSceneScript(kCutsceneRunFunction);
        current = currentScene.Get() == screen.Get();
        // Only the scenes that gather help set theirs: a cutscene or map
        // keeps what its scripts left, the factor of a mini-game its "Run"
        // started at once among them.
        if (current && sceneHelpFactor > 0) helpFactor = EasedHelpFactor(sceneHelpFactor);
    }
    resetAccumulator = true;
    FileManager::Global().ResetDirectoryCaches();
    return true;
}

void Game::EnterSceneScreen(GameScreen& screen, const Scene& scene) {
    rootScreen->AddChild(&screen);
    if (hudScreen) rootScreen->AddChild(hudScreen.Get());
    SetHudInput(scene.type != kSceneCutscene);
    currentScene = &screen;
    const Vec2 design = ToVec(designSize);
    if (scene.type == kSceneDifference) {
        auto* parent = CastTo<SceneScreen>(&screen);
        const SceneScreen* left = parent ? parent->HalfScreen(true) : nullptr;
        if (left) screen.ScrollBy((design * 0.5f - VisibleSize(*left)) * 0.5f);
    } else {
        screen.ScrollBy((design - VisibleSize(screen)) * 0.5f);
    }
    auto* search = CastTo<SearchScreen>(&screen);
    if (search && fitWindowAspect != 0)
        search->StartZoomTween(static_cast<float>(screenSize.x) / design.x, 1.0f);
}

void Game::RunSceneEnterScripts(const Scene& scene) {
    const std::string module = scene.name;
    const GameScreen* screen = scene.owner.Get();
    const auto stillShown = [&] { return !screen || currentScene.Get() == screen; };
    const std::string enterKey = EnterKey(module);
    if (!DataTree::Exists(enterKey.c_str())) {
        DataTree::SetInt(enterKey.c_str(), 1);
        CallScript(kFirstEnterFunction, module.c_str());
        if (!stillShown()) return;
    }
    if (CallScript(kLoadSceneFunction, module.c_str()).Get() || !stillShown()) return;
    CallScript(kLoadSceneFunction, kSceneFallbackModule);
}

// ---- finding screens --------------------------------------------------------------

Scene* Game::GetCurrentScene() const {
    if (!rootScreen) return nullptr;
    for (const halvo::AutoRef<GameScreen>& child : rootScreen->Children()) {
        const bool shows = IsKind(*child, kSearchClass) || IsKind(*child, Game::kCutsceneClass) ||
                           IsKind(*child, kAdventureClass) || IsKind(*child, kMapClass);
        if (!shows) continue;
        if (auto* sceneScreen = CastTo<SceneScreen>(child.Get())) return sceneScreen->GetScene();
        if (auto* map = CastTo<MapScreen>(child.Get())) return map->GetScene();
    }
    return nullptr;
}

GameScreen* Game::FindScreen(const char* className) const {
    if (!rootScreen || !className) return nullptr;
    for (const halvo::AutoRef<GameScreen>& child : rootScreen->Children())
        if (IsKind(*child, className)) return child.Get();
    return nullptr;
}

GameScreen* Game::FindScreenRecursive(const GameScreen* root, const char* className) {
    if (!root || !className) return nullptr;
    for (const halvo::AutoRef<GameScreen>& child : root->Children())
        if (IsKind(*child, className)) return child.Get();
    for (const halvo::AutoRef<GameScreen>& child : root->Children())
        if (GameScreen* found = FindScreenRecursive(child.Get(), className)) return found;
    return nullptr;
}

// ---- the HUD ----------------------------------------------------------------------

void Game::SetHudInput(bool enable) {
    halvo::GuiWidget* frame = GetHudGui();
    if (!frame) return;
    hudInputEnabled = enable;
    for (halvo::GuiWidget* child = frame->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (child->ReadBool(kAlwaysEnable)) continue;
        child->WriteBool(halvo::GuiWidget::kPropInput, enable);
        child->WriteFloat(halvo::GuiWidget::kPropAlpha, enable ? 1.0f : kDisabledHudAlpha);
    }
}

void Game::RebuildHudFrame() {
    if (auto* hud = CastTo<HudScreen>(hudScreen)) hud->CreateFrame();
}

// ---- leaving a scene ------------------------------------------------------------

void Game::HandOverResults() {
    halvo::AutoRef<GameScreen> scene(currentScene.Get());
    if (!scene || handingOver_) return;
    handingOver_ = true;
    scene->BeforeSceneLeft();
    handingOver_ = false;
}

void Game::LeaveCurrentScene() {
    HandOverResults();
    if (halvo::AutoRef<GameScreen> scene{currentScene.Get()}) {
        scene->RemoveFromParent();
        // At once, not when the last holder lets the screen go: a retry of
        // this very scene must load and own its module again.
        scene->ReleaseSceneScript();
    }
    Vrel::ScriptVM::Global().StopAllThreads();
    RebuildHudFrame();
}

void Game::Transit(const char* name, Vrel::Thread* caller) {
    halvo::AutoRef<Game> self(this);
    halvo::AutoRef<Vrel::Thread> held(caller);
    const bool counted = DataTree::Exists(kTransitsKey);
    const int32_t transits = DataTree::GetInt(kTransitsKey);
    const bool timed = DataTree::Exists(kPlayTimeKey);
    const int32_t time = DataTree::GetInt(kPlayTimeKey);
    AddToStatistic(kTransitsKey);
    // Copied: the texts may live in the threads and the tree about to change.
    const std::string scene(name ? name : "");
    if (handingOver_) return KeepSceneForContinue(scene, caller);
    const char* saved = DataTree::GetString(kLastSceneKey);
    const bool hadLast = saved != nullptr;
    const std::string previous(saved ? saved : "");
    LeaveCurrentScene();
    SaveProgress(scene, playSeconds);
    const bool loaded = LoadScene(scene.c_str());
    // The poses the last scene kept loaded go once the next one has taken what it needs.
    PoseCache::Global().Clear();
    if (!loaded) {
        // Held back, the new game's file was not written; the rollback
        // below opens the game under way again.
        KeepLastScene(hadLast, previous);
        TakeBack(kTransitsKey, counted, transits);
        // A new game that did not begin played no time either.
        if (newGame_.IsPending()) TakeBack(kPlayTimeKey, timed, time);
        DataTree::SaveGameData();
        Vrel::ScriptVM::Global().Error(Vrel::Thread::GetCurrentSource(caller), Vrel::Thread::GetCurrentLine(caller),
                                       "Transit - unable to load scene '%s'", scene.c_str());
    }
    StopCaller(caller);
    if (!loaded && newGame_.IsPending())
        RollBackNewGameToTheMenu(FirstSceneDidNotLoad(scene));
    else if (!loaded)
        OpenMainMenu();
}

void Game::KeepSceneForContinue(const std::string& scene, Vrel::Thread* caller) {
    SaveProgress(scene, playSeconds);
    StopCaller(caller);
}

void Game::ShowMainMenu(Vrel::Thread* caller) { LeaveForTheMenu(caller, false); }

void Game::EndStory(Vrel::Thread* caller) { LeaveForTheMenu(caller, true); }

void Game::LeaveForTheMenu(Vrel::Thread* caller, bool storyOver) {
    halvo::AutoRef<Game> self(this);
    // Held: the thread may be the last thing that keeps its own screen.
    halvo::AutoRef<Vrel::Thread> held(caller);
    if (handingOver_) {
        // The leave under way goes where it goes; only a story's end is kept.
        StopCaller(caller);
        if (storyOver && DataTree::Remove(kLastSceneKey)) DataTree::SavePlayer();
        return;
    }
    LeaveCurrentScene();
    StopCaller(caller);
    // Reopening the profile below would drop the game held aside, and a
    // story's end would then erase it: a new game never began so.
    if (newGame_.IsPending()) return RollBackNewGameToTheMenu(WentToTheMenu());
    KeepPlayTime();
    DataTree::SaveGameData();
    const int32_t slot = DataTree::GetCurrentSlot();
    // A story played to its end leaves nothing to continue: the scene it
    // ended in would only play that end again. The rest of the player's
    // file stays as it was saved, and "New game" throws it away unasked.
    if (slot >= 0 && DataTree::OpenProfile(slot) && storyOver && DataTree::Remove(kLastSceneKey))
        DataTree::SavePlayer();
    OpenMainMenu();
}

bool Game::KeepPlayTime() {
    if (gameStarted) DataTree::SetInt(kPlayTimeKey, playSeconds);
    return gameStarted;
}

void Game::CountOnFromOpenPlayer() {
    if (gameStarted) playSeconds = DataTree::GetInt(kPlayTimeKey);
}

void Game::EndGameState() {
    if (handingOver_) return;
    halvo::AutoRef<Game> self(this);
    LeaveCurrentScene();
}

bool Game::ContinueGame() {
    if (handingOver_) return false;
    halvo::AutoRef<Game> self(this);
    LeaveCurrentScene();
    return ContinueOrNewGame();
}
